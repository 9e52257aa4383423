#include "app/forms/TFrmconfmsg.h"
#include "app/forms/TFrmtimerwindow.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace niv;

namespace {

struct SettingsFixture : AppFixture {
    explicit SettingsFixture(bool withKey = true) {
        if (withKey) b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"), 0);
    }
    int stored(const char* name) {
        TRegistry reg(b.machine());
        if (!reg.OpenKey(settingsKeyPath(), false) || !reg.ValueExists(QString::fromLatin1(name))) return -1;
        return reg.ReadInteger(QString::fromLatin1(name));
    }
    std::array<bool, 3> copies() {
        return {ctx.unit<NetUnit>().ConfirmsCopy, ctx.unit<IeUnit>().ConfirmsCopy,
                ctx.unit<NonUnit>().ConfirmsCopy};
    }
};

} // namespace

TEST(SettingsDialogTest, PresetsFromMemoryWithWipeAlwaysOff) {
    for (int bits = 0; bits < 8; ++bits) {
        SCOPED_TRACE(bits);
        SettingsFixture f;
        f.ctx.settings.Confirms = bits & 1;
        f.ctx.g.Wipe = bits & 2;
        f.ctx.g.Tempall = bits & 4;
        TFrmconfmsg dialog(f.ctx);
        dialog.presetControls();
        EXPECT_EQ(ctl<QRadioButton>(dialog, "Radconfon")->isChecked(), bool(bits & 1));
        EXPECT_EQ(ctl<QRadioButton>(dialog, "Radconfoff")->isChecked(), !(bits & 1));
        EXPECT_TRUE(ctl<QRadioButton>(dialog, "Radwipeoff")->isChecked());
        EXPECT_EQ(ctl<QCheckBox>(dialog, "ChkAllTemp")->isChecked(), bool(bits & 4));
    }
}

TEST(SettingsDialogTest, ReturnAndTheCloseBoxBothWriteTheThreeSettings) {
    for (bool byReturn : {true, false}) {
        SCOPED_TRACE(byReturn);
        SettingsFixture f;
        f.ctx.settings.Confirms = true;
        f.ctx.g.Wipe = true;
        f.modal.onShow(QStringLiteral("TFrmconfmsg"), [&](QDialog& d) {
            ctl<QRadioButton>(d, "Radconfoff")->click();
            ctl<QCheckBox>(d, "ChkAllTemp")->click();
            if (byReturn)
                ctl<QPushButton>(d, "BitBtn1")->click();
            else
                d.close();
            return int(mrCancel);
        });
        EXPECT_FALSE(ShowSettingsDialog(f.ctx, nullptr));
        EXPECT_EQ(f.stored("Confirms"), 0);
        EXPECT_EQ(f.stored("Wipe"), 0); // shown off, so written off
        EXPECT_EQ(f.stored("Tempall"), 1);
        EXPECT_FALSE(f.ctx.settings.Confirms);
        EXPECT_FALSE(f.ctx.g.Wipe);
        EXPECT_TRUE(f.ctx.g.Tempall);
        EXPECT_EQ(f.copies(), (std::array<bool, 3>{false, false, false}));
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

TEST(SettingsDialogTest, AKeyThatCannotBeOpenedWritesNothingYetRefreshesTheCopies) {
    SettingsFixture f(false);
    f.ctx.settings.Confirms = true;
    f.modal.onShow(QStringLiteral("TFrmconfmsg"), [](QDialog& d) {
        ctl<QRadioButton>(d, "Radconfoff")->click();
        ctl<QRadioButton>(d, "RadWipeOn")->click();
        return int(mrOk);
    });
    f.dialogs.answerOk();
    ShowSettingsDialog(f.ctx, nullptr);
    EXPECT_EQ(
        f.dialogs.messageTexts(),
        QStringList{QStringLiteral("An error occurred while saving the settings. It appears to be a space "
                                   "error or registry error. You will not be able to use the confirmation "
                                   "settings while this error is happening.")});
    EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Error);
    EXPECT_EQ(f.stored("Confirms"), -1);
    EXPECT_TRUE(f.ctx.settings.Confirms);
    EXPECT_FALSE(f.ctx.g.Wipe);
    EXPECT_EQ(f.copies(), (std::array<bool, 3>{true, true, true}));
}

TEST(AutoCleanDialogTest, OpensWithEveryBoxTickedAndThirtyMinutesInARangeOf1To500) {
    AppFixture f;
    TFrmtimerwindow dialog(f.ctx);
    AutoCleanBoxes all;
    all.fill(true);
    EXPECT_EQ(dialog.boxes(), all);
    auto* bar = ctl<QScrollBar>(dialog, "ScrollBar1");
    EXPECT_EQ(ctl<QLabel>(dialog, "Lblminutes")->text(), QStringLiteral("30"));
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 500);
    for (int position : {1, 499, 500}) {
        bar->setValue(position);
        EXPECT_EQ(ctl<QLabel>(dialog, "Lblminutes")->text(), QString::number(position));
    }
    EXPECT_FALSE(dialog.AutoCleanActivated());
}

TEST(AutoCleanDialogTest, OnlyActivateSetsTheAutomaticState) {
    enum class Close { Activate, Cancel, CloseBox };
    for (Close how : {Close::Activate, Close::Cancel, Close::CloseBox}) {
        SCOPED_TRACE(int(how));
        SettingsFixture f;
        f.ctx.g.AutoCleanMode = true; // from an earlier activation: the dialog's creation clears it
        f.ctx.g.AutoCleanChoices.fill(true);
        f.modal.onShow(QStringLiteral("TFrmconfmsg"), [](QDialog& d) {
            ctl<QPushButton>(d, "BitBtn3")->click();
            return int(mrOk);
        });
        f.modal.onShow(QStringLiteral("TFrmtimerwindow"), [how](QDialog& d) {
            ctl<QCheckBox>(d, "Chk_IECookies")->click();
            ctl<QCheckBox>(d, "Chk_Temp")->click();
            ctl<QScrollBar>(d, "ScrollBar1")->setValue(2);
            if (how == Close::Activate) ctl<QPushButton>(d, "BitBtn1")->click();
            if (how == Close::Cancel) ctl<QPushButton>(d, "BitBtn2")->click();
            if (how == Close::CloseBox) d.close();
            return int(mrCancel);
        });
        const bool started = ShowSettingsDialog(f.ctx, nullptr);
        EXPECT_EQ(started, how == Close::Activate);
        EXPECT_EQ(f.ctx.g.AutoCleanMode, how == Close::Activate);
        if (how == Close::Activate) {
            EXPECT_EQ(f.ctx.g.AutoCleanChoices,
                      (AutoCleanBoxes{true, false, true, true, true, true, true, false, true}));
            EXPECT_EQ(f.ctx.g.AutoCleanInterval, 120000);
        } else {
            EXPECT_EQ(f.ctx.g.AutoCleanChoices, AutoCleanBoxes{});
        }
    }
}
