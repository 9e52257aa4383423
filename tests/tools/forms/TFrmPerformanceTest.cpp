#include "tools/forms/TFrmPerformance.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

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
    int reads = 0;
    f.ctx.memorySource = [&](MemoryStatusEx&) { return ++reads > 0; };
    f.b.file(q("C:\\windows\\system32\\dfrg.msc"), "x");
    TFrmPerformance window(f.ctx);

    f.modal.onShow(q("TFrmPerformance"), [&](QDialog& d) {
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
    EXPECT_EQ(f.dialogs.messageTexts().size(), 2);
}
