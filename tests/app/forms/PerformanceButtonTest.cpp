// The main window's "Performance" button.
#include "app/forms/TFrminit.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

TEST(PerformanceButtonTest, OpensTheMemoryFigures) {
    AppFixture f;
    f.windowsVersion(QStringLiteral("5.1"));
    f.b.file(QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\nvscan7.ini"), "[Frminit]\r\n");
    f.modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(mrNone); });
    f.dialogs.answerOk(); // no skin picture in the program folder
    f.ctx.memorySource = [](MemoryStatusEx& s) {
        s.totalPhys = 1000;
        s.availPhys = 300;
        return true;
    };
    TFrminit window(f.ctx);
    QString shown;
    f.modal.onShow(QStringLiteral("TFrmPerformance"), [&](QDialog& d) {
        shown = ctl<QLabel>(d, "Label3")->text();
        return int(mrOk);
    });
    ctl<QPushButton>(window, "CmdPerformance")->click();
    EXPECT_EQ(f.modal.shown().last(), QStringLiteral("TFrmPerformance"));
    EXPECT_EQ(shown, QStringLiteral("Percentage of RAM memory available = 30%"));
}
