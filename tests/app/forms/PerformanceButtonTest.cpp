// The main window's "Performance" button.
#include "app/forms/TFrminit.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

TEST(PerformanceButtonTest, OpensTheMemoryFigures) {
    AppFixture f;
    f.windowsVersion(QStringLiteral("5.1"));
    f.b.file(QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\nvscan7.ini"), "[Frminit]\r\n");
    f.modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(mrNone); });
    f.dialogs.answerOk(); // no skin picture in the program folder
    f.modal.onShow(QStringLiteral("TFrmPerformance"), [](QDialog&) { return int(mrOk); });
    TFrminit window(f.ctx);
    ctl<QPushButton>(window, "CmdPerformance")->click();
    EXPECT_EQ(f.modal.shown().last(), QStringLiteral("TFrmPerformance"));
}
