#include "tools/UPerformance.h"

#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

constexpr std::uint64_t kGiB = 1024ULL * 1024 * 1024;

} // namespace

TEST(UPerformanceTest, PercentagesAndSixtyFourBitFigures) {
    const struct {
        const char* name;
        std::uint64_t total, avail, pageTotal, pageAvail;
        const char* ramPercent;
        const char* pagePercent;
    } cases[] = {
        {"one GiB, half free", kGiB, kGiB / 2, 2 * kGiB, kGiB / 4, "50%", "12%"},
        // A 32-bit record would show 4294967295 and 100 % for both.
        {"beyond four GiB", 16 * kGiB, 6 * kGiB, 24 * kGiB, 20 * kGiB, "37%", "83%"},
        {"total below 100 bytes", 99, 98, 0, 0, "0%", "0%"},
        {"no figures", 0, 0, 0, 0, "0%", "0%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStatusEx s;
        s.totalPhys = c.total;
        s.availPhys = c.avail;
        s.totalPageFile = c.pageTotal;
        s.availPageFile = c.pageAvail;
        const PerformanceLabelTexts t = performanceLabelTexts(s);
        EXPECT_TRUE(t[0].endsWith(q("= ") + QString::number(c.total)));
        EXPECT_TRUE(t[1].endsWith(q("= ") + QString::number(c.avail)));
        EXPECT_TRUE(t[2].endsWith(q("= ") + q(c.ramPercent)));
        EXPECT_TRUE(t[3].endsWith(q("= ") + QString::number(c.pageTotal)));
        EXPECT_TRUE(t[4].endsWith(q("= ") + QString::number(c.pageAvail)));
        EXPECT_TRUE(t[5].endsWith(q("= ") + q(c.pagePercent)));
    }
    // The worked example: 536870912 div 10737418.
    EXPECT_EQ(availablePercentage(536870912, 1073741824), 50);
}

TEST(UPerformanceTest, MissingFiguresReadAsZero) {
    AppFixture f;
    f.ctx.memorySource = [](MemoryStatusEx& s) {
        s.totalPhys = 12345; // a failing source leaves nothing to trust
        return false;
    };
    const PerformanceLabelTexts t = currentPerformanceTexts(f.ctx);
    EXPECT_TRUE(t[0].endsWith(q("= 0")));
    EXPECT_TRUE(t[2].endsWith(q("= 0%")));
}

TEST(UPerformanceTest, TheFirstDefragmenterInOrderIsStarted) {
    const QString sys = q("C:\\windows\\system32\\");
    const QString win = q("C:\\windows\\");
    const struct {
        const char* name;
        QStringList files;
        QStringList folders;
        const char* started; // host path suffix; "" when nothing is started
        bool okButton;
    } cases[] = {
        {"console before the interface",
         {sys + q("dfrgui.exe"), win + q("dfrg.msc")},
         {},
         "/windows/dfrg.msc",
         false},
        {"system folder first", {win + q("dfrg.msc"), sys + q("dfrg.msc")}, {}, "/system32/dfrg.msc", false},
        {"interface before the old tool",
         {win + q("defrag.exe"), win + q("dfrgui.exe")},
         {},
         "/windows/dfrgui.exe",
         false},
        {"old tool: the Windows folder first",
         {sys + q("defrag.exe"), win + q("defrag.exe")},
         {},
         "/windows/defrag.exe",
         true},
        {"a folder of that name is no program",
         {sys + q("defrag.exe")},
         {sys + q("dfrg.msc")},
         "/system32/defrag.exe",
         true},
        {"none", {}, {}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        for (const QString& path : c.files)
            f.b.file(path, "x");
        for (const QString& path : c.folders)
            f.b.folder(path);
        if (*c.started) f.dialogs.answerOk();
        StartDefragmenter(f.ctx);
        const QStringList calls = f.b.launcher().calls();
        if (!*c.started) {
            EXPECT_TRUE(calls.isEmpty());
            EXPECT_TRUE(f.dialogs.shown().isEmpty());
            continue;
        }
        ASSERT_EQ(calls.size(), 1);
        EXPECT_TRUE(calls.front().endsWith(q(c.started))) << calls.front().toStdString();
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().front().kind, MsgKind::Plain);
        EXPECT_EQ(f.dialogs.messages().front().text.contains(q("click the OK button")), c.okButton);
    }
}
