#include "app/forms/TFrmAutoPwd.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kForms = QStringLiteral("Software\\Microsoft\\Internet Explorer\\IntelliForms");
const QString kStorage1 = kForms + QStringLiteral("\\Storage1");
const QString kStorage2 = kForms + QStringLiteral("\\Storage2");

const QString kConfirm =
    QStringLiteral("This will remove the entries Internet Explorer remembers for search engines and web "
                   "forms, and the user ids and passwords it has stored. They cannot be brought back. "
                   "Do you want to continue?");

struct AutoPwdFixture : AppFixture {
    explicit AutoPwdFixture(bool withEntries = true) {
        if (!withEntries) return;
        b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("4E3A1C90"), REG_BINARY, QByteArray(16, 'a'));
        b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("0F1E2D3C"), REG_BINARY, QByteArray(16, 'b'));
        b.regValue(HKEY_CURRENT_USER, kStorage2, QStringLiteral("DEADBEEF"), REG_BINARY, QByteArray(16, 'c'));
        b.regDword(HKEY_CURRENT_USER, kForms, QStringLiteral("AskUser"), 1);
    }

    // Shows the window and clicks "Clear Search Engines or Passwords"; `before` runs just before the
    // click, to set the stage.
    void clickClear(const std::function<void()>& before = {}) {
        modal.onShow(QStringLiteral("TFrmAutoPwd"), [&](QDialog& dialog) {
            if (before) before();
            auto* clear = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
            EXPECT_NE(clear, nullptr);
            if (clear) clear->click();
            EXPECT_TRUE(dialog.isVisible()); // the window stays open
            return int(mrCancel);
        });
        TFrmAutoPwd window(ctx);
        ctx.modal.run(window, QStringLiteral("TFrmAutoPwd"));
    }

    QStringList values(const QString& key) {
        return b.machine().registry().valueNames(HKEY_CURRENT_USER, key);
    }
};

} // namespace

TEST(TFrmAutoPwdTest, TextsAndControls) {
    AppFixture f;
    TFrmAutoPwd window(f.ctx);
    EXPECT_EQ(window.objectName(), QStringLiteral("TFrmAutoPwd"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Search Engine and Auto Form Cleanup "));
    EXPECT_EQ(
        window.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
        QStringLiteral("On Internet Explorer, you may have noticed that when you are typing into search "
                       "engines, or typing into password boxes, your history of what you entered previously "
                       "automatically displays. This option of Nivora will allow you to remove"));
    EXPECT_EQ(
        window.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
        QStringLiteral("these entries so they will not display for you or anyone else to view. This will "
                       "also clear the stored passwords and user ids from your pc so they cannot be found or "
                       "seen in your web browser."));
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(),
              QStringLiteral("Clear Search Engines or Passwords"));
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->text(), QStringLiteral("Return"));
}

TEST(TFrmAutoPwdTest, YesRemovesTheEntriesAndSaysHowMany) {
    AutoPwdFixture f;
    f.dialogs.answerYes();
    f.dialogs.answerOk();
    f.clickClear();

    const QList<ShownBox> boxes = f.dialogs.messages();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes[0].text, kConfirm);
    EXPECT_EQ(boxes[1].kind, MsgKind::Information);
    EXPECT_EQ(boxes[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes[1].text, QStringLiteral("Removed 3 remembered form entries and stored passwords."));

    f.b.machine().registry().unload();
    EXPECT_TRUE(f.values(kStorage1).isEmpty());
    EXPECT_TRUE(f.values(kStorage2).isEmpty());
    EXPECT_TRUE(f.b.machine().registry().keyExists(HKEY_CURRENT_USER, kStorage1));
    EXPECT_TRUE(f.b.machine().registry().keyExists(HKEY_CURRENT_USER, kStorage2));
    EXPECT_EQ(f.values(kForms), QStringList{QStringLiteral("AskUser")});
}

TEST(TFrmAutoPwdTest, NoRemovesNothing) {
    AutoPwdFixture f;
    f.dialogs.answerNo();
    f.clickClear();
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{kConfirm});
    EXPECT_EQ(f.values(kStorage1).size(), 2);
    EXPECT_EQ(f.values(kStorage2).size(), 1);
}

TEST(TFrmAutoPwdTest, NothingToRemoveIsSaid) {
    AutoPwdFixture f(false);
    f.b.regKey(HKEY_CURRENT_USER, kStorage1);
    f.dialogs.answerYes();
    f.dialogs.answerOk();
    f.clickClear();
    const QList<ShownBox> boxes = f.dialogs.messages();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1].kind, MsgKind::Information);
    EXPECT_EQ(boxes[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes[1].text, QStringLiteral("No remembered form entries or stored passwords were found."));
    EXPECT_TRUE(f.b.machine().registry().keyExists(HKEY_CURRENT_USER, kStorage1));
    EXPECT_FALSE(f.b.machine().registry().keyExists(HKEY_CURRENT_USER, kStorage2));
}

TEST(TFrmAutoPwdTest, RegistryErrorIsShown) {
    AutoPwdFixture f;
    f.b.machine().registry().loadAll();
    f.dialogs.answerYes();
    f.dialogs.answerOk();
    // The disk fills while the hive is written: the file cannot be replaced.
    f.clickClear([&] { f.b.machine().faults().failHostWrites(f.b.root() + "/user.reg", 0); });
    f.b.machine().faults().clear();

    const QList<ShownBox> boxes = f.dialogs.messages();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1].kind, MsgKind::Error);
    EXPECT_EQ(boxes[1].buttons, MsgButtons::Ok);
    EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral(
        "The remembered entries and stored passwords could not be removed because of a registry error:\n")))
        << boxes[1].text.toStdString();
    f.b.machine().registry().unload();
    EXPECT_EQ(f.values(kStorage1).size(), 2);
}

TEST(TFrmAutoPwdTest, ReturnCloses) {
    AppFixture f;
    f.modal.onShow(QStringLiteral("TFrmAutoPwd"), [](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        EXPECT_FALSE(dialog.isVisible());
        return int(mrNone);
    });
    TFrmAutoPwd window(f.ctx);
    f.ctx.modal.run(window, QStringLiteral("TFrmAutoPwd"));
    EXPECT_EQ(window.result(), mrOk);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}
