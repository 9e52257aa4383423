#include "app/forms/TFrminit.h"
#include "app/ufirst.h"
#include "cleaners/forms/TFrmreg.h"
#include "cleaners/uie.h"
#include "core/SettingsStore.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"
#include "tools/forms/TFrmstartup.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kData = QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold");
const QString kScanLog = kData + QStringLiteral("\\nvscan7.ini");

// A machine of the given Windows version with a user profile, ready for the program's start.
struct StartFixture : AppFixture {
    explicit StartFixture(const char* version = "6.1", bool withScanLog = true) {
        windowsVersion(QString::fromLatin1(version));
        b.folder(QStringLiteral("C:\\users\\tester\\AppData\\Roaming"));
        if (withScanLog) b.file(kScanLog, "[Frminit]\r\n");
        EXPECT_TRUE(QFile::copy(QStringLiteral(NIVORA_SOURCE_DIR "/resources/skinsunset.jpg"),
                                QString::fromStdString(b.programFolder() + "/skinsunset.jpg")));
        EXPECT_TRUE(FileExists(b.machine(), QStringLiteral("C:\\Program Files\\Nivora\\skinsunset.jpg")));
        modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(QStringLiteral("TFrmMiscMsg"), [](QDialog&) { return int(mrOk); });
        modal.onShow(QStringLiteral("TFrmscandrv"), [](QDialog&) { return int(mrCancel); });
    }
    void setting(const char* name, std::uint32_t value) {
        b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QString::fromLatin1(name), value);
    }
    int storedSetting(const char* name) {
        TRegistry reg(b.machine());
        if (!reg.OpenKey(settingsKeyPath(), false) || !reg.ValueExists(QString::fromLatin1(name))) return -1;
        return reg.ReadInteger(QString::fromLatin1(name));
    }
};

} // namespace

TEST(StartupTest, FirstStartOnAnEmptyMachine) {
    StartFixture f("6.1", false);
    TFrminit window(f.ctx);

    // The drive scan comes first, before the splash and the notice.
    EXPECT_EQ(f.modal.shown(), (QStringList{QStringLiteral("TFrmscandrv"), QStringLiteral("TFrmenter"),
                                            QStringLiteral("TFrmMiscMsg")}));
    EXPECT_TRUE(f.b.isFolder(kData));
    EXPECT_TRUE(f.b.exists(kScanLog)); // the drive-scan window writes the blank log
    EXPECT_EQ(f.storedSetting("YourOwn"), 1);
    EXPECT_EQ(f.storedSetting("Wipe"), 1);
    EXPECT_FALSE(ctl<QCheckBox>(window, "ChkYourOwn")->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>(window, "ChkIECache")->isChecked());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Nivora !"));
    EXPECT_FALSE(ctl<QLabel>(window, "ImageSkin")->pixmap().isNull());
    EXPECT_FALSE(window.Timer1().enabled());
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(StartupTest, LaterStartsSkipTheDriveScanAndKeepTheSettings) {
    StartFixture f;
    f.setting("IECache", 0);
    f.setting("YourOwn", 1);
    TFrminit window(f.ctx);
    EXPECT_FALSE(f.modal.shown().contains(QStringLiteral("TFrmscandrv")));
    EXPECT_FALSE(ctl<QCheckBox>(window, "ChkIECache")->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>(window, "ChkYourOwn")->isChecked());
}

TEST(StartupTest, TheDataFolderThatCannotBeMadeGivesTheWarning) {
    StartFixture f("6.1", false);
    f.b.machine().faults().fail(FaultInjector::Op::CreateDir, kData, ERROR_ACCESS_DENIED);
    f.dialogs.answerOk(); // the warning
    f.dialogs.answerOk(); // the drive-scan window cannot write its log in the missing folder
    TFrminit window(f.ctx);
    EXPECT_FALSE(f.b.exists(kData));
    ASSERT_FALSE(f.dialogs.shown().isEmpty());
    EXPECT_EQ(
        f.dialogs.shown().first().text,
        QStringLiteral("Could not create a folder. Please right click this software and choose the option to "
                       "\"Run as Admin\" (only needs to be done one time), as you currently do not have "
                       "authority to create a temp folder."));
    EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Warning);
}

TEST(StartupTest, NoApplicationDataFolderMakesNothingAtTheDriveRoot) {
    StartFixture f("6.1", false);
    f.b.regString(
        HKEY_CURRENT_USER,
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"),
        QStringLiteral("AppData"), QString());
    f.dialogs.answerOk();
    {
        TFrminit window(f.ctx);
        window.close();
    }
    ASSERT_EQ(f.dialogs.shown().size(), 1);
    EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.shown().first().text, NoDataFolderText());
    EXPECT_FALSE(f.modal.shown().contains(QStringLiteral("TFrmscandrv")));
    EXPECT_TRUE(f.b.launcher().calls().isEmpty()); // no task batch
    for (const char* name :
         {"Nivfold", "nvscan7.ini", "nvscanyo.ini", "nivwipe-task.bat", "taskl.txt", "compind.bat"})
        EXPECT_FALSE(f.b.exists(QStringLiteral("C:\\") + QString::fromLatin1(name))) << name;
}

TEST(StartupTest, PerformanceButtonNoticeAndTaskBatchByVersion) {
    struct Case {
        const char* version;
        bool performance, notice, taskBatch;
    };
    const Case cases[] = {
        {"5.1", true, false, false}, {"6.0", true, true, false}, {"6.1", false, true, true},
        {"5.2", false, true, false}, {"6.2", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        StartFixture f(c.version);
        f.b.folder(kData);
        f.b.file(kData + QStringLiteral("\\taskl.txt"), "earlier listing");
        TFrminit window(f.ctx);
        EXPECT_EQ(!ctl<QPushButton>(window, "CmdPerformance")->isHidden(), c.performance);
        EXPECT_EQ(f.modal.shown().contains(QStringLiteral("TFrmMiscMsg")), c.notice);
        EXPECT_EQ(f.b.exists(kData + QStringLiteral("\\nivwipe-task.bat")), c.taskBatch);
        const QByteArray listing = f.b.readHost(kData + QStringLiteral("\\taskl.txt"));
        EXPECT_EQ(listing == "earlier listing", !c.taskBatch);
    }
}

TEST(StartupTest, NoticeStopsOnceVistaMsgIsFalse) {
    StartFixture f;
    f.setting("VistaMsg", 0);
    TFrminit window(f.ctx);
    EXPECT_FALSE(f.modal.shown().contains(QStringLiteral("TFrmMiscMsg")));
}

TEST(StartupTest, Skins) {
    {
        StartFixture f;
        f.b.regString(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"),
                      QStringLiteral("skinnone"));
        TFrminit window(f.ctx);
        EXPECT_TRUE(ctl<QLabel>(window, "ImageSkin")->pixmap().isNull());
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
    {
        StartFixture f;
        f.b.regString(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"),
                      QStringLiteral("skinocean"));
        f.dialogs.answerOk();
        TFrminit window(f.ctx);
        EXPECT_TRUE(ctl<QLabel>(window, "ImageSkin")->pixmap().isNull());
        ASSERT_EQ(f.dialogs.shown().size(), 1);
        EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Plain);
        EXPECT_TRUE(f.dialogs.shown().first().text.startsWith(QStringLiteral("A skin was not found.")));
        EXPECT_EQ(f.ctx.g.SkinFile, QStringLiteral("C:\\Program Files\\Nivora\\skinocean.jpg"));
    }
    {
        StartFixture f; // "SkinNone" is not "skinnone": case counts
        f.b.regString(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"),
                      QStringLiteral("SkinNone"));
        f.dialogs.answerOk();
        TFrminit window(f.ctx);
        EXPECT_EQ(f.dialogs.shown().size(), 1);
    }
    {
        StartFixture f; // a damaged picture leaves the backdrop empty without a message
        f.b.file(QStringLiteral("C:\\Program Files\\Nivora\\skinsunset.jpg"), "not a jpeg");
        TFrminit window(f.ctx);
        EXPECT_TRUE(ctl<QLabel>(window, "ImageSkin")->pixmap().isNull());
    }
}

TEST(StartupTest, LockedFileCommandsStartEmpty) {
    StartFixture f;
    f.ctx.g.LockedFileCommands[3] = QStringLiteral("Del x");
    TFrminit window(f.ctx);
    for (const QString& command : f.ctx.g.LockedFileCommands)
        EXPECT_TRUE(command.isEmpty());
}

TEST(StartupTest, InternetExplorerTracesAreCountedBeforeThePanelIsFilled) {
    for (bool confirms : {true, false}) {
        SCOPED_TRACE(confirms);
        StartFixture f;
        f.setting("Confirms", confirms ? 1 : 0);
        f.b.sizedFile(QStringLiteral("C:\\windows\\cookies\\tester@a.txt"), 100);
        f.b.sizedFile(QStringLiteral("C:\\windows\\cookies\\tester@b.txt"), 23);
        f.b.sizedFile(QStringLiteral("C:\\windows\\history\\h.dat"), 7);
        TFrminit window(f.ctx);
        EXPECT_EQ(f.ctx.unit<IeUnit>().ConfirmsCopy, confirms);
        EXPECT_NE(window.Frmie(), nullptr);
        EXPECT_EQ(ctl<QLabel>(window, "Label1")->text(),
                  QStringLiteral("Internet Explorer COOKIES -> FOUND 2 files, consuming 123 bytes."));
        EXPECT_EQ(ctl<QLabel>(window, "Label3")->text(),
                  QStringLiteral("Internet Explorer HISTORY -> FOUND 1 files, consuming 7 bytes."));
        EXPECT_EQ(ctl<QLabel>(window, "Label10")->text(),
                  QStringLiteral("TOTAL FILES FOUND = 3    TOTAL BYTES WASTED = 130"));
        window.close();
        EXPECT_EQ(window.Frmie(), nullptr);
    }
}

TEST(ShutdownTest, ExitSavesTheBoxesTheCloseBoxDoesNot) {
    {
        StartFixture f;
        TFrminit window(f.ctx);
        ctl<QCheckBox>(window, "ChkIECache")->setChecked(false);
        window.close();
        EXPECT_EQ(f.storedSetting("IECache"), 1);
    }
    {
        StartFixture f;
        TFrminit window(f.ctx);
        ctl<QCheckBox>(window, "ChkIECache")->setChecked(false);
        ctl<QPushButton>(window, "cmdexit")->click();
        EXPECT_EQ(f.storedSetting("IECache"), 0);
        EXPECT_EQ(f.storedSetting("YourOwn"), 0);
    }
}

TEST(ShutdownTest, ExitThatCannotSaveTheBoxesSaysSoAndStaysOpen) {
    StartFixture f;
    TFrminit window(f.ctx);
    window.show();
    ctl<QCheckBox>(window, "ChkIECache")->setChecked(false);
    f.b.machine().faults().failHostWrites(f.b.root() + "/user.reg", 0); // a full disk
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "cmdexit")->click();
    f.b.machine().faults().clear();
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Error);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(f.storedSetting("IECache"), 1);
}

TEST(WindowSizeTest, ZeroKeepsTheDesignedSizeAndCloseSavesIt) {
    StartFixture f;
    f.b.file(kScanLog, "[Frminit]\r\nW=0\r\nH=500\r\n");
    TFrminit window(f.ctx);
    EXPECT_EQ(window.width(), 605);
    EXPECT_EQ(window.height(), 500);
    window.resize(700, 560);
    window.close();
    TFrminit again(f.ctx);
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.height(), 560);
}

TEST(HelpAndSupportTest, HelpOpensThePageOrSaysItIsMissing) {
    StartFixture f;
    TFrminit window(f.ctx);
    ctl<QPushButton>(window, "Button1")->click();
    ASSERT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_TRUE(f.b.launcher().calls().first().endsWith(QStringLiteral("/index_t.htm")));

    f.b.launcher().setResult(false); // no viewer: nothing shown
    ctl<QPushButton>(window, "Button1")->click();
    EXPECT_TRUE(f.dialogs.shown().isEmpty());

    QFile::remove(QString::fromStdString(f.b.programFolder() + "/index_t.htm"));
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "Button1")->click();
    ASSERT_EQ(f.dialogs.shown().size(), 1);
    EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Error);
    EXPECT_TRUE(
        f.dialogs.shown().first().text.startsWith(QStringLiteral("Either your system does not have")));
}

TEST(HelpAndSupportTest, MoreSoftwareFallsBackToTheWebSite) {
    StartFixture f;
    TFrminit window(f.ctx);
    ctl<QPushButton>(window, "Button2")->click();
    ASSERT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_TRUE(f.b.launcher().calls().first().endsWith(QStringLiteral("/download.htm")));

    QFile::remove(QString::fromStdString(f.b.programFolder() + "/download.htm"));
    ctl<QPushButton>(window, "Button2")->click();
    ASSERT_EQ(f.b.launcher().calls().size(), 2);
    EXPECT_EQ(f.b.launcher().calls().at(1), QStringLiteral("https://www.example.com/nivora/"));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(HelpAndSupportTest, ContactSupportMailsOrExplains) {
    StartFixture f;
    TFrminit window(f.ctx);
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "Cmdcontact")->click();
    ASSERT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_EQ(f.b.launcher().calls().first(),
              QStringLiteral("mailto:support@example.com?subject=Nivora%20support%20question"));
    ASSERT_EQ(f.dialogs.shown().size(), 1);
    EXPECT_EQ(f.dialogs.shown().first().kind, MsgKind::Plain);

    f.b.launcher().setResult(false);
    f.dialogs.answerOk();
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "Cmdcontact")->click();
    ASSERT_EQ(f.dialogs.shown().size(), 3);
    EXPECT_EQ(
        f.dialogs.shown().last().text,
        QStringLiteral("You cannot view this file because you do not have a default email software setup. "
                       "Simply email your question to support at support@example.com"));
}

TEST(HelpAndSupportTest, AboutAndSearchEngineOpenTheirWindows) {
    StartFixture f;
    TFrminit window(f.ctx);
    f.modal.onShow(QStringLiteral("TFrmabout"), [](QDialog&) { return int(mrOk); });
    f.modal.onShow(QStringLiteral("TFrmAutoPwd"), [](QDialog&) { return int(mrOk); });
    ctl<QPushButton>(window, "cmdabout")->click();
    ctl<QPushButton>(window, "CmdAutoForm")->click();
    EXPECT_TRUE(f.modal.shown().endsWith(QStringLiteral("TFrmAutoPwd")));
    EXPECT_TRUE(f.modal.shown().contains(QStringLiteral("TFrmabout")));
}

TEST(HelpAndSupportTest, WhatYouViewAndWhatYouSearchOpenTheirWindows) {
    StartFixture f;
    TFrminit window(f.ctx);
    TFrmreg search(f.ctx, &window);
    window.setWindows({.Frmreg = &search});
    f.modal.onShow(QStringLiteral("TFrmdocs"), [](QDialog&) { return int(mrOk); });
    f.modal.onShow(QStringLiteral("TFrmreg"), [&](QDialog& shown) {
        EXPECT_EQ(&shown, &search); // the one made at program start
        return int(mrOk);
    });
    ctl<QPushButton>(window, "Cmdothers")->click();
    ctl<QPushButton>(window, "Button4")->click();
    EXPECT_EQ(f.modal.shown().mid(f.modal.shown().size() - 2),
              QStringList({QStringLiteral("TFrmdocs"), QStringLiteral("TFrmreg")}));
}

TEST(HelpAndSupportTest, ReviewStartupShowsTheStartupWindowMadeAtProgramStart) {
    StartFixture f;
    TFrminit window(f.ctx);
    TFrmstartup startup(f.ctx, &window);
    window.setWindows({.Frmstartup = &startup});
    f.b.regString(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QStringLiteral("a"), QStringLiteral("a.exe"));
    f.modal.onShow(QStringLiteral("TFrmstartup"), [&](QDialog& shown) {
        EXPECT_EQ(&shown, &startup);
        EXPECT_EQ(ctl<QListWidget>(shown, "ListStartup")->count(), 1); // scanned before showing
        return int(mrOk);
    });
    ctl<QPushButton>(window, "Cmdstartup")->click();
    EXPECT_EQ(f.modal.shown().last(), QStringLiteral("TFrmstartup"));
}

TEST(HelpAndSupportTest, ReviewSpywareWritesTheReportFromFreshScansAndOpensIt) {
    StartFixture f;
    TFrminit window(f.ctx);
    f.b.regString(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QStringLiteral("late"), QStringLiteral("added-after-start.exe"));
    ctl<QPushButton>(window, "CmdSpyware")->click();
    EXPECT_TRUE(f.b.readHost(kData + QStringLiteral("\\SysLog.txt")).contains("added-after-start.exe"));
    ASSERT_FALSE(f.b.launcher().calls().isEmpty());
    EXPECT_TRUE(f.b.launcher().calls().last().endsWith(QStringLiteral("/Nivfold/SysLog.txt")));
}
