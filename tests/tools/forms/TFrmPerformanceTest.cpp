#include "tools/forms/TFrmPerformance.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

TEST(TFrmPerformanceTest, ShowsTheFiguresStartsTheDefragmenterAndReturns) {
    AppFixture f;
    constexpr std::uint64_t kGiB = 1024ULL * 1024 * 1024;
    int reads = 0;
    f.ctx.memorySource = [&](MemoryStatusEx& s) {
        ++reads;
        s.totalPhys = 8 * kGiB;
        s.availPhys = 2 * kGiB;
        s.totalPageFile = 10 * kGiB;
        s.availPageFile = 5 * kGiB;
        return true;
    };
    f.b.file(q("C:\\windows\\system32\\dfrgui.exe"), "x");
    f.b.file(q("C:\\windows\\system32\\dfrg.msc"), "x");

    TFrmPerformance window(f.ctx);
    EXPECT_EQ(ctl<QLabel>(window, "Label1")->text(), q("Total RAM memory on your system = 8589934592"));
    EXPECT_EQ(ctl<QLabel>(window, "Label3")->text(), q("Percentage of RAM memory available = 25%"));
    EXPECT_EQ(ctl<QLabel>(window, "Label6")->text(), q("Percentage of swap file available  = 50%"));

    f.modal.onShow(q("TFrmPerformance"), [&](QDialog& d) {
        EXPECT_TRUE(d.isVisible());
        f.dialogs.answerOk();
        ctl<QPushButton>(d, "CmdDefrag")->click();
        f.dialogs.answerOk();
        ctl<QPushButton>(d, "BitBtn3")->click();
        ctl<QPushButton>(d, "BitBtn2")->click();
        EXPECT_FALSE(d.isVisible());
        return int(mrNone);
    });
    f.ctx.modal.run(window, q("TFrmPerformance"));

    EXPECT_EQ(window.result(), int(mrOk));
    EXPECT_EQ(reads, 1); // the figures of the moment the window was made
    ASSERT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_TRUE(f.b.launcher().calls().front().endsWith(q("/dfrg.msc")));
    const QStringList texts = f.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(q("A window will now open, click the defragment button")));
    EXPECT_TRUE(texts[1].startsWith(q("You should always run the Windows defrag")));
}
