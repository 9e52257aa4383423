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

} // namespace

TEST(USysLogTest, FactsComeFromTheClockTheVersionAndTheMemoryInRoundedMegabytes) {
    SysLogFixture f;
    f.windowsVersion(q("5.1"));
    // Halves round to even; virtual space of 128 TiB is far beyond the 32-bit record.
    f.memory = {0, kMiB * 3 / 2, kMiB * 5 / 2, kMiB - 1, kMiB / 2 - 1, 0x7FFFFFFF0000ULL, 0x7FFF00000000ULL,
                0};
    const SysLogFacts got = ReadSysLogFacts(f.ctx);
    EXPECT_EQ(got.createdOn, q("12/9/2026 4:05:07 PM"));
    EXPECT_EQ(got.versionClass, 7);
    EXPECT_EQ(got.megabytes, (std::array<std::int32_t, 6>{2, 2, 1, 0, 134217728, 134213632}));
    f.ctx.memorySource = [](MemoryStatusEx& s) {
        s.totalPhys = 50 * kMiB; // a failing source leaves nothing to trust
        return false;
    };
    EXPECT_EQ(GetMemoryMegabytes(f.ctx, TotalPhysical), 0);
}

TEST(USysLogTest, MemoryLinesLineUpAndOddVersionsReadAsOther) {
    const QStringList lines = SysLogLines(facts({2048, 1000, 4096, 100, 134217728, 134213632}), {});
    ASSERT_GE(lines.size(), 41);
    EXPECT_EQ(lines.at(27), q("Operating System: You are running Windows 7"));
    for (int line = 30; line <= 40; ++line) {
        if (lines.at(line - 1) != q(" ")) {
            EXPECT_EQ(lines.at(line - 1).indexOf(q("= ")), 40) << line;
        }
    }
    EXPECT_EQ(SysLogLines(facts({}, 11), {}).at(27), q("Operating System: Other."));
}

TEST(USysLogTest, PercentagesOfSmallAndMissingTotals) {
    const struct {
        std::int32_t total, available;
        const char* percent;
    } cases[] = {
        {1023, 500, "50%"}, {150, 120, "120%"}, {100, 37, "37%"}, {99, 50, "0%"}, {0, 0, "0%"},
    };
    for (const auto& c : cases) {
        const QStringList lines =
            SysLogLines(facts({c.total, c.available, c.total, c.available, c.total, c.available}), {});
        for (int line : {32, 36, 40})
            EXPECT_TRUE(lines.at(line - 1).endsWith(q("= ") + q(c.percent)))
                << lines.at(line - 1).toStdString();
    }
}

TEST(USysLogTest, WrittenWholeWithCrLfThenOpenedOrItsPlaceShown) {
    SysLogLists lists;
    lists.startupLog = {q("SECTION 1:  C:\\Programme\\Über.exe")};
    for (bool opens : {true, false}) {
        SysLogFixture f;
        f.b.launcher().setResult(opens);
        if (!opens) f.dialogs.answerOk();
        f.b.file(kSysLog, QByteArray(5000, 'x')); // an earlier, longer report
        ASSERT_TRUE(WriteSysLog(f.ctx, facts({1, 2, 3, 4, 5, 6}), lists));
        EXPECT_EQ(f.b.readHost(kSysLog),
                  (SysLogLines(facts({1, 2, 3, 4, 5, 6}), lists).join(q("\r\n")) + q("\r\n")).toUtf8());
        ASSERT_FALSE(f.b.launcher().calls().isEmpty());
        EXPECT_TRUE(f.b.launcher().calls().front().endsWith(q("/Nivfold/SysLog.txt")));
        ASSERT_EQ(f.dialogs.messages().size(), opens ? 0 : 1);
        if (!opens) {
            EXPECT_TRUE(f.dialogs.messages().front().text.endsWith(q("that was created: ") + kSysLog));
        }
    }
}

TEST(USysLogTest, AReportThatCannotBeWrittenIsNeitherLeftHalfNorOpened) {
    const struct {
        const char* name;
        std::function<void(SysLogFixture&)> arrange;
        const char* reason; // the system's own, at the end of the box
    } cases[] = {
        {"refused",
         [](SysLogFixture& f) {
             f.b.machine().faults().fail(FaultInjector::Op::Write, kSysLog, ERROR_ACCESS_DENIED);
         },
         "Access was refused."},
        {"disk full", [](SysLogFixture& f) { f.b.machine().faults().failNthHostWrite(1, 100); },
         "There is not enough space on the disk."},
        {"no data folder", [](SysLogFixture& f) { f.ctx.g.SysLogPath = q("C:\\gone\\SysLog.txt"); },
         "The folder was not found."},
        {"no path", [](SysLogFixture& f) { f.ctx.g.SysLogPath.clear(); }, "The folder was not found."},
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
        EXPECT_TRUE(f.dialogs.messages().front().text.endsWith(q(c.reason)))
            << f.dialogs.messages().front().text.toStdString();
    }
}
