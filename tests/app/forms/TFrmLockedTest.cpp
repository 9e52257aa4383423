#include "app/forms/TFrmLocked.h"
#include "app/forms/TFrmlockedMsg.h"
#include "app/ufirst.h"
#include "core/SettingsStore.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kLocked = QStringLiteral("TFrmLocked");
const QString kScanLog = QStringLiteral("C:\\Nivfold\\nvscan7.ini");

struct LockedFixture : AppFixture {
    QWidget mainWindow;
    LockedFixture() {
        b.folder(QStringLiteral("C:\\Nivfold"));
        ctx.g.ScanLogPath = kScanLog;
    }
    int storedLockedj() {
        TRegistry reg(b.machine());
        if (!reg.OpenKey(settingsKeyPath(), false) || !reg.ValueExists(QStringLiteral("Lockedj"))) return -1;
        return reg.ReadInteger(QStringLiteral("Lockedj"));
    }
    int savedSize(const char* key) {
        return TIniFile(b.machine(), kScanLog)
            .ReadInteger(QStringLiteral("Frmlocked"), QString::fromLatin1(key), -1);
    }
};

} // namespace

TEST(LockedFilesDialogTest, DesignedTexts) {
    AppFixture f;
    TFrmLocked dialog(f.ctx);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cleanup Locked Files!"));
    EXPECT_EQ(ctl<QLabel>(dialog, "Label1")->text(),
              QStringLiteral(
                  "This cleanup is done during bootup to remove locked internet files, as sometimes files "
                  "have access blocked so they cannot be completely cleaned while the system is running. "
                  "Locked files are \"pointers\" to the actual files, and even when the actual files"));
    EXPECT_EQ(
        ctl<QLabel>(dialog, "Label3")->text(),
        QStringLiteral("are removed, you can still view the file list in explorer unless you do this locked "
                       "file cleanup. Once you select the option below, the next time you reboot your locked "
                       "files"));
    EXPECT_EQ(ctl<QLabel>(dialog, "Label2")->text(),
              QStringLiteral(
                  "will be automatically cleaned up for you. This will remove all traces of your browsing "
                  "history and will reclaim lost space. (Note: You may or may not see a black window "
                  "appear briefly when you reboot, this can be ignored and does not need to be read, "));
    EXPECT_EQ(ctl<QLabel>(dialog, "Label4")->text(),
              QStringLiteral("as it is simply part of the locked file cleanup.)"));
    // The four labels read Label1, Label3, Label2, Label4 from top to bottom.
    EXPECT_LT(ctl<QLabel>(dialog, "Label1")->y(), ctl<QLabel>(dialog, "Label3")->y());
    EXPECT_LT(ctl<QLabel>(dialog, "Label3")->y(), ctl<QLabel>(dialog, "Label2")->y());
    EXPECT_LT(ctl<QLabel>(dialog, "Label2")->y(), ctl<QLabel>(dialog, "Label4")->y());
    EXPECT_EQ(ctl<QRadioButton>(dialog, "RadDoLocked")->text(),
              QStringLiteral("Always perform locked file cleanup when rebooting"));
    EXPECT_EQ(ctl<QRadioButton>(dialog, "RadDontDoLocked")->text(),
              QStringLiteral("Do not perform locked file cleanup"));
    EXPECT_EQ(ctl<QRadioButton>(dialog, "RadDoLocked")->parentWidget(),
              ctl<QRadioButton>(dialog, "RadDontDoLocked")->parentWidget());
    EXPECT_NE(ctl<QRadioButton>(dialog, "RadDoLocked")->parentWidget(), &dialog); // on their panel
    EXPECT_EQ(ctl<QPushButton>(dialog, "BitBtn3")->text(), QStringLiteral("Return"));
}

TEST(LockedFilesDialogTest, ChoiceIsShownAndStored) {
    enum class Pick { Nothing, Do, Dont };
    enum class Close { Return, CloseBox, Escape };
    struct Case {
        bool before;
        Pick pick;
        Close close;
        bool after;
    };
    const Case cases[] = {
        {false, Pick::Nothing, Close::Return, false}, {true, Pick::Nothing, Close::Return, true},
        {false, Pick::Do, Close::Return, true},       {true, Pick::Dont, Close::Return, false},
        {false, Pick::Do, Close::CloseBox, true},     {true, Pick::Dont, Close::Escape, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " " << int(c.pick) << " " << int(c.close));
        LockedFixture f;
        f.ctx.settings.Lockedj = c.before;
        QWidget* owner = nullptr;
        f.modal.onShow(kLocked, [&](QDialog& dialog) {
            owner = dialog.parentWidget();
            auto* doIt = dialog.findChild<QRadioButton*>(QStringLiteral("RadDoLocked"));
            auto* dont = dialog.findChild<QRadioButton*>(QStringLiteral("RadDontDoLocked"));
            EXPECT_TRUE(doIt && dont);
            if (!doIt || !dont) return int(mrCancel);
            EXPECT_EQ(doIt->isChecked(), c.before);
            EXPECT_EQ(dont->isChecked(), !c.before);
            if (c.pick == Pick::Do) QTest::mouseClick(doIt, Qt::LeftButton);
            if (c.pick == Pick::Dont) QTest::mouseClick(dont, Qt::LeftButton);
            switch (c.close) {
            case Close::Return:
                dialog.findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();
                break;
            case Close::CloseBox:
                EXPECT_TRUE(dialog.close());
                break;
            case Close::Escape:
                QTest::keyClick(&dialog, Qt::Key_Escape);
                break;
            }
            EXPECT_FALSE(dialog.isVisible());
            return int(mrNone);
        });
        ShowLockedFilesDialog(f.ctx, &f.mainWindow);
        EXPECT_EQ(owner, &f.mainWindow);
        EXPECT_EQ(f.ctx.settings.Lockedj, c.after);
        EXPECT_EQ(f.storedLockedj(), c.after ? 1 : 0); // the settings key is created when missing
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

TEST(LockedFilesDialogTest, WindowSizeIsRestoredAndKept) {
    struct Case {
        const char* scanLog;
        QSize shown;
    };
    const Case cases[] = {
        {"[Frmlocked]\r\nW=520\r\nH=400\r\n", QSize(520, 400)},
        {"[Frmlocked]\r\nW=0\r\nH=500\r\n", QSize(480, 500)}, // 0 keeps the designed width
        {"[Frmlocked]\r\nW=x\r\n", QSize(480, 328)},
        {"", QSize(480, 328)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scanLog);
        LockedFixture f;
        f.b.file(kScanLog, c.scanLog);
        QSize shown;
        f.modal.onShow(kLocked, [&](QDialog& dialog) {
            shown = dialog.size();
            dialog.resize(610, 420); // the user drags the frame
            return int(mrOk);
        });
        ShowLockedFilesDialog(f.ctx, &f.mainWindow);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(f.savedSize("W"), 610);
        EXPECT_EQ(f.savedSize("H"), 420);
    }
}

TEST(LockedFilesDialogTest, AScanLogThatCannotBeWrittenIsNotReported) {
    LockedFixture f;
    f.b.machine().faults().fail(FaultInjector::Op::Write, kScanLog, ERROR_ACCESS_DENIED);
    f.modal.onShow(kLocked, [](QDialog&) { return int(mrOk); });
    ShowLockedFilesDialog(f.ctx, &f.mainWindow);
    EXPECT_FALSE(f.b.exists(kScanLog));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(LockedFilesExplanationTest, DesignedTextsTopToBottom) {
    AppFixture f;
    TFrmlockedMsg window(f.ctx);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Removing Locked Files"));
    struct Line {
        QLabel* label;
        const char* text;
    };
    const Line lines[] = {
        {ctl<QLabel>(window, "Lblinfo"),
         "Some systems may get 1 or more locked files which is normal. This means that the files "
         "are in use by your "
         "system and cannot be cleaned, however Nivora has a locked file cleanup option to "
         "completely clean all "
         "files, even if they are locked."},
        {ctl<QLabel>(window, "Label1"),
         "If Internet Explorer is OPEN, close the browser and then rerun Nivora to see if the "
         "locked index files are "
         "freed and can be cleaned up."},
        {ctl<QLabel>(window, "Label2"),
         "If Internet Explorer IS ALREADY CLOSED, then these files are locked and cannot be "
         "accessed, but you can "
         "select the \"locked file cleanup\" option to clean these locked files when you reboot"},
        {ctl<QLabel>(window, "Label3"),
         "before Windows has a chance to lock them!  Simply click \"OK\", then click the \"Locked "
         "Files\" button on "
         "the main window to turn on this feature. You can also use the \"Auto Forms\" button, "
         "which allows you to "
         "clean these same locked files without rebooting."},
        {ctl<QLabel>(window, "Label6"),
         "It is important to note that most browser cleaning programs simply ignore these files "
         "because they are "
         "often locked. These files can contain viewable information which identifies the "
         "websites you have been "
         "browsing! Nivora gives you the option "},
        {ctl<QLabel>(window, "Label4"),
         "of doing a total file cleanup. Although these files may still be present, after the "
         "locked file cleanup "
         "they will NOT contain any of your previous web browsing traces. These files can also "
         "continually grow and "
         "consume large amounts of disk space. You may "},
        {ctl<QLabel>(window, "Label5"),
         "not need to clean these locked files every time you run Nivora, however it is a good "
         "idea to clean these "
         "regularly to help protect your privacy and reclaim lost disk space."},
        {ctl<QLabel>(window, "Label7"),
         "(Note: Some systems may see a black window open when you reboot, this is simply part of "
         "the locked file "
         "cleanup and it can be ignored or closed, it does not need to be read.)"},
    };
    int previousTop = -1;
    for (const Line& l : lines) {
        EXPECT_EQ(l.label->text(), QString::fromUtf8(l.text));
        EXPECT_GT(l.label->y(), previousTop) << l.text;
        previousTop = l.label->y();
    }
    EXPECT_EQ(ctl<QPushButton>(window, "BitBtn1")->text(), QStringLiteral("Return"));
    EXPECT_GT(ctl<QPushButton>(window, "BitBtn1")->y(), previousTop);
}

TEST(LockedFilesExplanationTest, ReturnClosesTheWindow) {
    AppFixture f;
    TFrmlockedMsg window(f.ctx);
    int result = -1;
    f.modal.onShow(QStringLiteral("TFrmlockedMsg"), [&](QDialog& dialog) {
        QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        EXPECT_FALSE(dialog.isVisible());
        return int(mrNone);
    });
    f.ctx.modal.run(window, QStringLiteral("TFrmlockedMsg"));
    EXPECT_EQ(result, mrOk);
}
