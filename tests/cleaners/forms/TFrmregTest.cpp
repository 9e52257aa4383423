#include "cleaners/forms/TFrmreg.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kScanLog = q(R"(C:\Nivfold\nvscan7.ini)");

struct RegWindowFixture : AppFixture {
    RegWindowFixture() {
        b.folder(q(R"(C:\Nivfold)"));
        ctx.g.ScanLogPath = kScanLog;
    }
    void text(const QString& key, const char* name, const char* value) {
        b.regString(HKEY_CURRENT_USER, key, q(name), q(value));
    }
};

} // namespace

TEST(SearchHistoryWindowTest, EmptyListsAndTheLastRemovalDisableTheirOwnListOnly) {
    RegWindowFixture f;
    f.text(kRunKey, "a", "cmd");
    f.text(kRunKey, "b", "cmd");
    TFrmreg window(f.ctx);
    auto* run = ctl<QListWidget>(window, "ListBoxRun");
    auto* find = ctl<QListWidget>(window, "ListBoxFind");
    EXPECT_FALSE(find->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(window, "Cmdfind")->isEnabled());
    EXPECT_EQ(run->currentRow(), 0);

    f.text(kRunKey, "c", "later"); // read at the next program start only
    ctl<QPushButton>(window, "Cmdrun")->click();
    EXPECT_EQ(listLines(*run), QStringList({q("cmd")}));
    EXPECT_TRUE(run->isEnabled());
    run->clearSelection();
    ctl<QPushButton>(window, "Cmdrun")->click(); // nothing selected: nothing happens
    EXPECT_EQ(run->count(), 1);
    run->setCurrentRow(0);
    ctl<QPushButton>(window, "Cmdrun")->click();
    EXPECT_FALSE(run->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(window, "Cmdrun")->isEnabled());
    EXPECT_EQ(keyValueNames(f.b.machine(), HKEY_CURRENT_USER, kRunKey), QStringList({q("c")}));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(SearchHistoryWindowTest, LoadErrorShowsTheBoxAndKeepsWhatWasRead) {
    RegWindowFixture f;
    f.text(kRunKey, "a", "cmd");
    f.b.regDword(HKEY_CURRENT_USER, kRunKey, q("b"), 3);
    f.text(kFindKey, "a", "*.doc");
    f.dialogs.answerOk();
    TFrmreg window(f.ctx);
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList({q("Invalid data type for 'b'")}));
    EXPECT_EQ(listLines(*ctl<QListWidget>(window, "ListBoxRun")), QStringList({q("cmd")}));
    EXPECT_TRUE(ctl<QPushButton>(window, "Cmdrun")->isEnabled());
    EXPECT_FALSE(ctl<QListWidget>(window, "ListBoxFind")->isEnabled());
}

TEST(SearchHistoryWindowTest, DesignedTextsAndSizeRestoredAtCreationAndSavedAtClose) {
    RegWindowFixture f;
    f.b.file(kScanLog, "[Frmreg]\r\nW=0\r\nH=450\r\n");
    TFrmreg window(f.ctx);
    EXPECT_EQ(window.windowTitle(), q("Registry Entries"));
    EXPECT_EQ(window.size(), QSize(559, 450));
    EXPECT_TRUE(ctl<QLabel>(window, "Label1")->text().startsWith(q("history listed.  You can also view")));
    EXPECT_EQ(ctl<QPushButton>(window, "Cmdfind")->toolTip(), q("Remove highlighted location above"));
    f.modal.onShow(q("TFrmreg"), [](QDialog& dialog) {
        dialog.resize(600, 420);
        ctl<QPushButton>(dialog, "BitBtn1")->click();
        return int(mrOk);
    });
    f.modal.run(window, q("TFrmreg"));
    TIniFile ini(f.b.machine(), kScanLog);
    EXPECT_EQ(ini.ReadInteger(q("Frmreg"), q("W"), -1), 600);
    EXPECT_EQ(ini.ReadInteger(q("Frmreg"), q("H"), -1), 420);
}
