#include "tools/forms/TFrmstartup.h"

#include "cleaners/HistoryTestSupport.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kRun = q(R"(Software\Microsoft\Windows\CurrentVersion\Run)");
const QString kServices = q(R"(SYSTEM\CurrentControlSet\Services)");
const QString kIeMain = q(R"(Software\Microsoft\Internet Explorer\Main)");

} // namespace

TEST(StartupWindowTest, RemovesAnEntryAndReopensOnTheTabItWasClosedOn) {
    AppFixture f;
    f.b.folder(q(R"(C:\windows)"));
    f.ctx.g.WindowsFolder = q(R"(C:\windows)");
    f.b.regString(HKEY_LOCAL_MACHINE, kRun, q("a"), q("a.exe"));
    f.b.regString(HKEY_CURRENT_USER, kRun, q("b"), q("b.exe"));
    f.b.regString(HKEY_LOCAL_MACHINE, kServices + q(R"(\one)"), q("ImagePath"), q("one.sys"));
    f.b.regString(HKEY_LOCAL_MACHINE, kServices + q(R"(\two)"), q("ImagePath"), q("two.sys"));
    f.b.regString(HKEY_CURRENT_USER, kIeMain, q("Enable Browser Extensions"), q("no"));

    TFrmstartup window(f.ctx);
    auto* tabs = ctl<QTabWidget>(window, "TabControl1");
    auto* startup = ctl<QListWidget>(window, "ListStartup");
    auto* services = ctl<QListWidget>(window, "ListServices");
    auto* filter = ctl<QLineEdit>(window, "EdFilter");
    auto* bho = ctl<QPushButton>(window, "CmdBHO");
    f.dialogs.answerNo();
    f.dialogs.answerOk();
    f.dialogs.answerYes();
    f.dialogs.answerOk();
    f.dialogs.answerOk(); // the extensions switched on
    f.modal.onShow("TFrmstartup", [&](QDialog&) {
        ctl<QPushButton>(window, "CmdRemove")->click(); // No
        startup->setCurrentRow(1);
        ctl<QPushButton>(window, "CmdRemove")->click(); // Yes
        tabs->setCurrentIndex(1);
        bho->click();
        tabs->setCurrentIndex(3);
        filter->setText(q("TWO"));
        EXPECT_EQ(listLines(*services), QStringList({q("two.sys")}));
        ctl<QPushButton>(window, "BitBtn4")->click();
        return mrOk;
    });
    window.ReviewStartup();
    // Only the highlighted line's value goes, and only after a Yes.
    EXPECT_EQ(keyValueNames(f.b.machine(), HKEY_CURRENT_USER, kRun), QStringList());
    EXPECT_EQ(keyValueNames(f.b.machine(), HKEY_LOCAL_MACHINE, kRun), QStringList({q("a")}));
    EXPECT_EQ(bho->text(), q("Disable BHOs"));

    f.modal.onShow("TFrmstartup", [&](QDialog&) {
        EXPECT_TRUE(services->isVisible());
        EXPECT_EQ(listLines(*services), QStringList({q("one.sys"), q("two.sys")}));
        EXPECT_EQ(listLines(*startup), QStringList({q("a.exe")}));
        return mrOk;
    });
    window.ReviewStartup();
    EXPECT_EQ(f.modal.shown().size(), 2);
}
