#include "tools/USysLog.h"

#include "core/Maker.h"
#include "platform/FileSys.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

constexpr std::uint64_t kMiB = 1024 * 1024;

const QString kSysLog = q("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\SysLog.txt");

struct SysLogFixture : AppFixture {
    MemoryStatusEx memory;
    SysLogFixture() {
        ctx.g.SysLogPath = kSysLog;
        b.folder(q("C:\\users\\tester\\AppData\\Roaming\\Nivfold"));
        ctx.localClock = [] { return QDateTime(QDate(2026, 12, 9), QTime(16, 5, 7)); };
        ctx.memorySource = [this](MemoryStatusEx& s) {
            s = memory;
            return true;
        };
    }
};

SysLogFacts facts(std::array<std::int32_t, 6> megabytes, std::uint8_t versionClass = 9) {
    return {q("12/9/2026 4:05:07 PM"), versionClass, megabytes};
}

const QString kStars = QString(75, u'*');

} // namespace

TEST(USysLogTest, MegabytesRoundHalvesToEven) {
    const struct {
        std::uint64_t bytes;
        std::int32_t megabytes;
    } cases[] = {
        {kMiB * 3 / 2, 2},
        {kMiB * 5 / 2, 2},
        {kMiB * 7 / 2, 4},
        {kMiB - 1, 1},
        {kMiB / 2 - 1, 0},
        // 128 TiB of address space, far beyond the 32-bit record.
        {0x7FFFFFFF0000ULL, 134217728},
    };
    SysLogFixture f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        f.memory.availVirtual = c.bytes;
        EXPECT_EQ(GetMemoryMegabytes(f.ctx, AvailableVirtual), c.megabytes);
    }
    f.memory.totalPhys = 8 * kMiB;
    f.memory.availPageFile = 3 * kMiB;
    EXPECT_EQ(GetMemoryMegabytes(f.ctx, TotalPhysical), 8);
    EXPECT_EQ(GetMemoryMegabytes(f.ctx, AvailablePageFile), 3);
    EXPECT_EQ(GetMemoryMegabytes(f.ctx, 7), -1);
    f.ctx.memorySource = [](MemoryStatusEx& s) {
        s.totalPhys = 50 * kMiB;
        return false;
    };
    EXPECT_EQ(GetMemoryMegabytes(f.ctx, TotalPhysical), 0);
}

TEST(USysLogTest, FactsComeFromTheClockTheVersionAndTheMemory) {
    SysLogFixture f;
    f.windowsVersion(q("5.1"));
    f.memory = {0,           4096 * kMiB,       1000 * kMiB,       6144 * kMiB,
                3000 * kMiB, 0x7FFFFFFF0000ULL, 0x7FFF00000000ULL, 0};
    const SysLogFacts got = ReadSysLogFacts(f.ctx);
    EXPECT_EQ(got.createdOn, q("12/9/2026 4:05:07 PM"));
    EXPECT_EQ(got.versionClass, 7);
    EXPECT_EQ(got.megabytes, (std::array<std::int32_t, 6>{4096, 1000, 6144, 3000, 134217728, 134213632}));
}

TEST(USysLogTest, HeaderLines) {
    const QStringList lines = SysLogLines(facts({2048, 1000, 4096, 100, 134217728, 134213632}), {});
    ASSERT_GE(lines.size(), 41);
    const QString underscores(83, u'_');
    const struct {
        int line;
        QString text;
    } cases[] = {
        {5, q(" ")},
        {11, q("  - Copy and paste this entire page and email it to ") + supportEmailAddress()},
        {18, underscores},
        {23, kStars},
        {25, q("* Created On: 12/9/2026 4:05:07 PM")},
        {28, q("Operating System: You are running Windows 7")},
        {30, q("Total RAM memory on your system         = 2048m")},
        {31, q("RAM memory currently available          = 1000m")},
        {32, q("Percentage of RAM memory available      = 50%")},
        {34, q("Maximum storage in swap file            = 4096m")},
        {35, q("Available swap file space               = 100m")},
        {36, q("Percentage of swap file available       = 2%")},
        {38, q("Maximum virtual                         = 134217728")},
        {39, q("Available virtual                       = 134213632")},
        {40, q("Percentage of virtual memory available  = 99%")},
        {41, q(" ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(lines.at(c.line - 1), c.text);
    }
    for (int line = 30; line <= 40; ++line) {
        if (lines.at(line - 1) != q(" ")) {
            EXPECT_EQ(lines.at(line - 1).indexOf(q("= ")), 40) << line;
        }
    }
}

TEST(USysLogTest, PercentagesOfSmallAndMissingTotals) {
    const struct {
        std::int32_t total, available;
        const char* percent;
    } cases[] = {
        {1023, 500, "50%"}, {150, 120, "120%"}, {100, 37, "37%"}, {99, 50, "0%"}, {0, 0, "0%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        const QStringList lines =
            SysLogLines(facts({c.total, c.available, c.total, c.available, c.total, c.available}), {});
        for (int line : {32, 36, 40})
            EXPECT_TRUE(lines.at(line - 1).endsWith(q("= ") + q(c.percent)))
                << lines.at(line - 1).toStdString();
    }
}

TEST(USysLogTest, OperatingSystemLineByVersionClass) {
    const struct {
        std::uint8_t versionClass;
        const char* line;
    } cases[] = {
        {0, "Operating System: Other."},
        {1, "Operating System: You are running Windows 95"},
        {10, "Operating System: You are running Windows (Other)"},
        {11, "Operating System: Other."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SysLogLines(facts({}, c.versionClass), {}).at(27), q(c.line));
}

TEST(USysLogTest, ListBlocksAndEndLines) {
    SysLogLists lists;
    lists.startupLog = {q("SECTION 1:  C:\\a.exe"), q("SECTION 2:  C:\\b.exe /min")};
    lists.browserPages = {q("HKCU Start Page            : "), q("  leading and trailing  ")};
    lists.runningTasks = {q(" "), q("Full Tasklist:"), q(""), q("Image Name   PID")};
    const QStringList lines = SysLogLines(facts({}), lists);
    const struct {
        const char* title;
        const char* note;
        QStringList entries;
    } blocks[] = {
        {"* Your system startup programs.", "* (For viewing what runs hidden during bootup)",
         lists.startupLog},
        {"* Your system startup BHO entries.", "* (For viewing what executes within your browser)", {}},
        {"* Your browser settings.", "* (For viewing your browser is not altered to point at spyware sites)",
         lists.browserPages},
        {"* Active tasks and processes.",
         "* (For identifying if any bad tasks or processes are currently active)", lists.runningTasks},
    };
    qsizetype next = 41; // the blocks follow the header in order
    for (const auto& b : blocks) {
        SCOPED_TRACE(b.title);
        const QStringList expected =
            QStringList{kStars, q(b.title), q(b.note), kStars, q(" ")} + b.entries + QStringList{q(" ")};
        EXPECT_EQ(lines.mid(next, expected.size()), expected);
        next += expected.size();
    }
    EXPECT_EQ(lines.mid(next), (QStringList{kStars, q("* End of log data."), kStars, q(" ")}));
}

TEST(USysLogTest, WrittenWholeWithCrLfAndOpened) {
    SysLogFixture f;
    SysLogLists lists;
    lists.startupLog = {q("SECTION 1:  C:\\Programme\\Über.exe")};
    f.b.file(kSysLog, QByteArray(5000, 'x')); // an earlier, longer report
    ASSERT_TRUE(WriteSysLog(f.ctx, facts({1, 2, 3, 4, 5, 6}), lists));
    const QByteArray bytes = f.b.readHost(kSysLog);
    EXPECT_EQ(bytes, (SysLogLines(facts({1, 2, 3, 4, 5, 6}), lists).join(q("\r\n")) + q("\r\n")).toUtf8());
    EXPECT_TRUE(bytes.contains("\xC3\x9C"
                               "ber.exe\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    ASSERT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_TRUE(f.b.launcher().calls().front().endsWith(q("/Nivfold/SysLog.txt")));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(USysLogTest, NothingOpensItTheUserIsToldWhereItIs) {
    SysLogFixture f;
    f.b.launcher().setResult(false);
    f.dialogs.answerOk();
    EXPECT_TRUE(WriteSysLog(f.ctx, facts({}), {}));
    EXPECT_TRUE(f.b.exists(kSysLog));
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_TRUE(f.dialogs.messages().front().text.endsWith(q("that was created: ") + kSysLog));
}

TEST(USysLogTest, AReportThatCannotBeWrittenIsNeitherLeftHalfNorOpened) {
    const struct {
        const char* name;
        std::function<void(SysLogFixture&)> arrange;
    } cases[] = {
        {"refused",
         [](SysLogFixture& f) {
             f.b.machine().faults().fail(FaultInjector::Op::Write, kSysLog, ERROR_ACCESS_DENIED);
         }},
        {"disk full", [](SysLogFixture& f) { f.b.machine().faults().failNthHostWrite(1, 100); }},
        {"no data folder", [](SysLogFixture& f) { f.ctx.g.SysLogPath = q("C:\\gone\\SysLog.txt"); }},
        {"no path", [](SysLogFixture& f) { f.ctx.g.SysLogPath.clear(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SysLogFixture f;
        f.b.file(kSysLog, "the last report\r\n");
        c.arrange(f);
        f.dialogs.answerOk();
        EXPECT_FALSE(WriteSysLog(f.ctx, facts({}), {}));
        EXPECT_EQ(f.b.readHost(kSysLog), QByteArray("the last report\r\n"));
        EXPECT_TRUE(f.b.launcher().calls().isEmpty());
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().front().kind, MsgKind::Error);
        EXPECT_TRUE(f.dialogs.messages().front().text.startsWith(q("Unable to write to ")));
    }
}
