#include "app/forms/TFrmMiscMsg.h"
#include "app/ufirst.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace niv;

namespace {

enum class CloseBy { OkButton, CloseBox, Escape, Runner };

const char* closeByName(CloseBy by) {
    switch (by) {
    case CloseBy::OkButton:
        return "OK";
    case CloseBy::CloseBox:
        return "close box";
    case CloseBy::Escape:
        return "Escape";
    case CloseBy::Runner:
        break;
    }
    return "closed by its owner";
}

struct NoticeFixture : AppFixture {
    // Shows the notice, ticks its box or not, and closes it the given way.
    void showAndClose(bool tick, CloseBy by) {
        modal.onShow(QStringLiteral("TFrmMiscMsg"), [&](QDialog& dialog) {
            auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
            auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
            EXPECT_TRUE(box && ok);
            if (!box || !ok) return int(mrCancel);
            EXPECT_FALSE(box->isChecked());
            if (tick) QTest::mouseClick(box, Qt::LeftButton);
            EXPECT_EQ(box->isChecked(), tick);
            switch (by) {
            case CloseBy::OkButton:
                ok->click();
                break;
            case CloseBy::CloseBox:
                EXPECT_TRUE(dialog.close());
                break;
            case CloseBy::Escape:
                QTest::keyClick(&dialog, Qt::Key_Escape);
                break;
            case CloseBy::Runner:
                return int(mrOk); // the runner closes it with done()
            }
            EXPECT_FALSE(dialog.isVisible());
            return int(mrNone);
        });
        TFrmMiscMsg notice(ctx);
        ctx.modal.run(notice, QStringLiteral("TFrmMiscMsg"));
        EXPECT_FALSE(notice.isVisible());
    }

    // The stored value read from the hive file again: -1 when missing, -2 when the key is missing.
    int storedVistaMsg() {
        b.machine().registry().unload();
        TRegistry reg(b.machine());
        if (!reg.OpenKey(settingsKeyPath(), false)) return -2;
        if (!reg.ValueExists(QStringLiteral("VistaMsg"))) return -1;
        EXPECT_EQ(reg.GetDataType(QStringLiteral("VistaMsg")), int(REG_DWORD));
        return reg.ReadInteger(QStringLiteral("VistaMsg"));
    }
};

} // namespace

TEST(TFrmMiscMsgTest, TextsAndControls) {
    AppFixture f;
    TFrmMiscMsg notice(f.ctx);
    EXPECT_EQ(notice.objectName(), QStringLiteral("TFrmMiscMsg"));
    EXPECT_EQ(notice.windowTitle(), QStringLiteral("Nivora"));
    EXPECT_EQ(notice.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Note:"));
    EXPECT_EQ(
        notice.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
        QStringLiteral("Your Windows version may not give you complete access.  You can still use the "
                       "software as is, but it will find and cleanup more if you give it access.  To give "
                       "access, right click the Nivora icon on your desktop, and simply check \"Run as "
                       "Administrator\".  This will give the software access to your system so you can do "
                       "more cleanups.  (This only needs to be done once)."));
    auto* box = notice.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    EXPECT_EQ(box->text(), QStringLiteral("Don't show me this message again"));
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(notice.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("OK"));
}

TEST(TFrmMiscMsgTest, TickedBoxStoresVistaMsgFalseHoweverTheNoticeCloses) {
    for (CloseBy by : {CloseBy::OkButton, CloseBy::CloseBox, CloseBy::Escape, CloseBy::Runner}) {
        for (bool existing : {false, true}) {
            SCOPED_TRACE(closeByName(by));
            SCOPED_TRACE(existing ? "value was 1" : "no settings key");
            NoticeFixture f;
            if (existing) {
                f.b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("VistaMsg"), 1);
                f.b.regString(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"),
                              QStringLiteral("skinnyc"));
            }
            f.showAndClose(true, by);
            EXPECT_EQ(f.storedVistaMsg(), 0);
            QFile userReg(QString::fromStdString(f.b.root() + "/user.reg"));
            ASSERT_TRUE(userReg.open(QIODevice::ReadOnly));
            EXPECT_TRUE(userReg.readAll().contains("\"VistaMsg\"=dword:00000000"));
            if (existing) {
                TRegistry reg(f.b.machine());
                ASSERT_TRUE(reg.OpenKey(settingsKeyPath(), false));
                EXPECT_EQ(reg.ReadString(QStringLiteral("Skin")), QStringLiteral("skinnyc"));
            }
            EXPECT_TRUE(f.dialogs.shown().isEmpty());
        }
    }
}

TEST(TFrmMiscMsgTest, UntickedBoxWritesNothing) {
    for (CloseBy by : {CloseBy::OkButton, CloseBy::CloseBox, CloseBy::Escape, CloseBy::Runner}) {
        for (bool existing : {false, true}) {
            SCOPED_TRACE(closeByName(by));
            SCOPED_TRACE(existing ? "value was 1" : "no settings key");
            NoticeFixture f;
            if (existing) f.b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("VistaMsg"), 1);
            f.showAndClose(false, by);
            EXPECT_EQ(f.storedVistaMsg(), existing ? 1 : -2);
        }
    }
}

TEST(TFrmMiscMsgTest, RegistryErrorIsIgnoredAndTheNoticeStillCloses) {
    NoticeFixture f;
    // A folder where the current user's hive should be: it can be neither read nor written.
    ASSERT_EQ(::mkdir((f.b.root() + "/user.reg").c_str(), 0755), 0);
    f.showAndClose(true, CloseBy::OkButton);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}
