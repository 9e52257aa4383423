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
        std::uint64_t total, avail, pageTotal, pageAvail;
        const char* ramPercent;
        const char* pagePercent;
    } cases[] = {
        {kGiB, kGiB / 2, 2 * kGiB, kGiB / 4, "50%", "12%"},
        // A 32-bit record would show 4294967295 and 100 % for both.
        {16 * kGiB, 6 * kGiB, 24 * kGiB, 20 * kGiB, "37%", "83%"},
        {99, 98, 0, 0, "0%", "0%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        const PerformanceLabelTexts t = performanceLabelTexts({0, c.total, c.avail, c.pageTotal, c.pageAvail});
        EXPECT_TRUE(t[0].endsWith(q("= ") + QString::number(c.total)));
        EXPECT_TRUE(t[2].endsWith(q("= ") + q(c.ramPercent)));
        EXPECT_TRUE(t[4].endsWith(q("= ") + QString::number(c.pageAvail)));
        EXPECT_TRUE(t[5].endsWith(q("= ") + q(c.pagePercent)));
    }
    AppFixture f;
    f.ctx.memorySource = [](MemoryStatusEx& s) {
        s.totalPhys = 12345; // a failing source leaves nothing to trust
        return false;
    };
    EXPECT_TRUE(currentPerformanceTexts(f.ctx)[0].endsWith(q("= 0")));
}

TEST(UPerformanceTest, TheFirstDefragmenterInOrderIsStarted) {
    const QString sys = q("C:\\windows\\system32\\");
    const QString win = q("C:\\windows\\");
    const struct {
        QStringList files;
        QString folder;
        const char* started; // host path suffix; "" when nothing is started
        bool okButton;
    } cases[] = {
        {{sys + q("dfrgui.exe"), win + q("dfrg.msc")}, {}, "/windows/dfrg.msc", false},
        {{win + q("defrag.exe"), win + q("dfrgui.exe")}, {}, "/windows/dfrgui.exe", false},
        // A folder of that name is no program.
        {{sys + q("defrag.exe")}, sys + q("dfrg.msc"), "/system32/defrag.exe", true},
        {{}, {}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.started);
        AppFixture f;
        for (const QString& path : c.files)
            f.b.file(path, "x");
        if (!c.folder.isEmpty()) f.b.folder(c.folder);
        if (*c.started) f.dialogs.answerOk();
        StartDefragmenter(f.ctx);
        const QStringList calls = f.b.launcher().calls();
        ASSERT_EQ(calls.size(), *c.started ? 1 : 0);
        if (calls.isEmpty()) continue;
        EXPECT_TRUE(calls.front().endsWith(q(c.started))) << calls.front().toStdString();
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().front().text.contains(q("click the OK button")), c.okButton);
    }
}
