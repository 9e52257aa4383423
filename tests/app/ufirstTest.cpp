#include "app/ufirst.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

TEST(ComputeFoldersTest, PathsAndTheDownloadsRule) {
    struct Case {
        const char* videos;
        const char* downloads;
    };
    const Case cases[] = {
        {"C:\\users\\tester\\Videos", "C:\\users\\tester\\Downloads"},
        {"C:\\Docs\\My Videos", "C:\\Docs\\My Downloads"},
        {"", ""},
        {"   ", ""},
        {"C:\\Vid", "Downloads"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.videos);
        AppFixture f;
        f.b.regString(HKEY_CURRENT_USER,
                      QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
                      QStringLiteral("My Video"), QString::fromLatin1(c.videos));
        ComputeFolders(f.ctx);
        EXPECT_EQ(f.ctx.g.DownloadsFolder, QString::fromLatin1(c.downloads));
    }

    AppFixture f;
    ComputeFolders(f.ctx);
    const QString data = QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold");
    EXPECT_EQ(f.ctx.g.DataFolder, data);
    EXPECT_EQ(f.ctx.g.ScanLogPath, data + QStringLiteral("\\nvscan7.ini"));
    EXPECT_EQ(f.ctx.g.OwnListPath, data + QStringLiteral("\\nvscanyo.ini"));
    EXPECT_EQ(f.ctx.g.SysLogPath, data + QStringLiteral("\\SysLog.txt"));
    EXPECT_EQ(f.ctx.g.LockedBatchPath, data + QStringLiteral("\\compind.bat"));
    EXPECT_EQ(f.ctx.g.TaskBatchPath, data + QStringLiteral("\\nivwipe-task.bat"));
    EXPECT_EQ(f.ctx.g.TaskListPath, data + QStringLiteral("\\taskl.txt"));
    EXPECT_EQ(f.ctx.g.ChromeCacheFolder,
              QStringLiteral("C:\\users\\tester\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Cache"));
    EXPECT_EQ(
        f.ctx.g.FlashCookieFolder,
        QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Macromedia\\Flash Player\\#SharedObjects"));

    EXPECT_FALSE(CreateDataFolder(f.ctx)); // one level only: the profile is not there yet
    f.b.folder(QStringLiteral("C:\\users\\tester\\AppData\\Roaming"));
    EXPECT_TRUE(CreateDataFolder(f.ctx));
    EXPECT_TRUE(f.b.isFolder(data));
    EXPECT_TRUE(CreateDataFolder(f.ctx)); // already there
}

TEST(CreateDataFolderTest, OneLevelOnly) {
    AppFixture f;
    f.ctx.g.DataFolder = QStringLiteral("C:\\missing\\Nivfold");
    EXPECT_FALSE(CreateDataFolder(f.ctx));
    EXPECT_FALSE(f.b.exists(QStringLiteral("C:\\missing")));
}

TEST(TaskListBatchTest, WrittenAndStartedOnWindows7) {
    AppFixture f;
    f.b.folder(QStringLiteral("C:\\users\\tester\\AppData\\Roaming"));
    ComputeFolders(f.ctx);
    ASSERT_TRUE(CreateDataFolder(f.ctx));
    f.b.file(f.ctx.g.TaskListPath, "old listing");
    StartTaskListBatch(f.ctx);

    EXPECT_EQ(
        f.b.readHost(f.ctx.g.TaskBatchPath),
        QByteArray("tasklist >> \"C:\\users\\tester\\AppData\\Roaming\\Nivfold\\taskl.txt\"\r\nExit\r\n"));
    // The batch ran through the command interpreter (synchronously in tests): one fresh listing.
    const QByteArray listing = f.b.readHost(f.ctx.g.TaskListPath);
    EXPECT_TRUE(listing.contains("Image Name"));
    EXPECT_FALSE(listing.contains("old listing"));
}

TEST(TaskListBatchTest, FailuresAreIgnored) {
    AppFixture f;
    ComputeFolders(f.ctx); // the data folder does not exist
    ASSERT_NO_THROW(StartTaskListBatch(f.ctx));
    EXPECT_FALSE(f.b.exists(f.ctx.g.TaskBatchPath));
    EXPECT_TRUE(f.b.launcher().calls().isEmpty());
}

TEST(ClassifySystemTest, FlagsAndNoticeByClass) {
    struct Case {
        const char* version;
        int cls;
        bool xp, seven, notice;
    };
    const Case cases[] = {
        {"5.0", 6, false, false, false}, {"5.1", 7, true, false, false}, {"5.2", 10, false, false, true},
        {"6.0", 8, false, false, true},  {"6.1", 9, false, true, true},  {"6.2", 8, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        AppFixture f;
        f.windowsVersion(QString::fromLatin1(c.version));
        f.ctx.settings.VistaMsg = true;
        f.ctx.g.AutoCleanMode = true;
        ClassifySystem(f.ctx);
        EXPECT_EQ(f.ctx.WindowsVersionClass, c.cls);
        EXPECT_EQ(f.ctx.g.IsWindowsXP, c.xp);
        EXPECT_EQ(f.ctx.g.IsWindows7, c.seven);
        EXPECT_FALSE(f.ctx.g.AutoCleanMode);
        EXPECT_EQ(noticeDue(f.ctx), c.notice);
        f.ctx.settings.VistaMsg = false;
        EXPECT_FALSE(noticeDue(f.ctx));
        EXPECT_EQ(f.ctx.g.WindowsFolder, QStringLiteral("C:\\windows"));
        EXPECT_EQ(f.ctx.g.ExeFolder, QStringLiteral("C:\\Program Files\\Nivora\\"));
    }
}
