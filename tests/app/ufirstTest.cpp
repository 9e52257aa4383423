#include "app/ufirst.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

namespace {

const char* const kReadOrder[] = {"Skin",      "Confirms", "Wipe",      "Tempall",   "IECache",  "IECookies",
                                  "IEHistory", "NSCache",  "NSCookies", "NSHistory", "GCache",   "GCookies",
                                  "GHistory",  "Otherc",   "Tempc",     "Recentc",   "Recyclec", "Otherj",
                                  "Mediac",    "ActiveX",  "Urls",      "YourOwn",   "VistaMsg", "Lockedj"};

QStringList settingNames(Machine& m) {
    TRegistry reg(m);
    if (!reg.OpenKey(settingsKeyPath(), false)) return {};
    return reg.GetValueNames();
}

int settingDword(Machine& m, const char* name) {
    TRegistry reg(m);
    EXPECT_TRUE(reg.OpenKey(settingsKeyPath(), false));
    return reg.ReadInteger(QString::fromLatin1(name));
}

} // namespace

TEST(LoadSettingsTest, FirstStartWritesAll24WithTheirDefaults) {
    AppFixture f;
    LoadSettings(f.ctx);

    QStringList expected;
    for (const char* n : kReadOrder)
        expected << QString::fromLatin1(n);
    EXPECT_EQ(settingNames(f.b.machine()), expected);

    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKey(settingsKeyPath(), false));
    EXPECT_EQ(reg.GetDataType(QStringLiteral("Skin")), REG_SZ);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Skin")), QStringLiteral("skinsunset"));
    for (const char* n : kReadOrder) {
        if (QString::fromLatin1(n) == u"Skin") continue;
        const bool falseWritten =
            QString::fromLatin1(n) == u"Tempall" || QString::fromLatin1(n) == u"Lockedj";
        EXPECT_EQ(reg.GetDataType(QString::fromLatin1(n)), REG_DWORD) << n;
        EXPECT_EQ(reg.ReadInteger(QString::fromLatin1(n)), falseWritten ? 0 : 1) << n;
    }

    // Written true, yet false in memory for this run.
    EXPECT_FALSE(f.ctx.g.Wipe);
    EXPECT_FALSE(f.ctx.settings.categories[CatYourOwn]);
    EXPECT_TRUE(f.ctx.settings.categories[CatUrls]);
    EXPECT_TRUE(f.ctx.settings.Confirms);
    EXPECT_TRUE(f.ctx.settings.VistaMsg);
    EXPECT_FALSE(f.ctx.settings.Lockedj);
    EXPECT_EQ(f.ctx.g.SkinName, QStringLiteral("skinsunset"));

    // The next start reads what the first one wrote: own list ticked, wipe on.
    AppContext next(f.b.machine(), f.dialogs, f.modal, f.pump, f.clipboard);
    LoadSettings(next);
    EXPECT_TRUE(next.g.Wipe);
    EXPECT_TRUE(next.settings.categories[CatYourOwn]);
}

TEST(LoadSettingsTest, ReadsStoredValuesAndRewritesOnlyMissingOnes) {
    AppFixture f;
    const QString key = settingsKeyPath();
    f.b.regString(HKEY_CURRENT_USER, key, QStringLiteral("Skin"), QStringLiteral("skinocean"));
    f.b.regDword(HKEY_CURRENT_USER, key, QStringLiteral("Confirms"), 0);
    f.b.regDword(HKEY_CURRENT_USER, key, QStringLiteral("Tempall"), 7); // any non-zero is true
    f.b.regDword(HKEY_CURRENT_USER, key, QStringLiteral("IECache"), 0);
    f.b.regDword(HKEY_CURRENT_USER, key, QStringLiteral("Lockedj"), 1);
    LoadSettings(f.ctx);

    EXPECT_EQ(f.ctx.g.SkinName, QStringLiteral("skinocean"));
    EXPECT_FALSE(f.ctx.settings.Confirms);
    EXPECT_TRUE(f.ctx.g.Tempall);
    EXPECT_FALSE(f.ctx.settings.categories[CatIECache]);
    EXPECT_TRUE(f.ctx.settings.Lockedj);
    EXPECT_EQ(settingDword(f.b.machine(), "Confirms"), 0);
    EXPECT_EQ(settingDword(f.b.machine(), "Tempall"), 7);
    EXPECT_EQ(settingDword(f.b.machine(), "IECookies"), 1); // was missing
    EXPECT_EQ(settingNames(f.b.machine()).size(), 24);
}

TEST(LoadSettingsTest, WrongTypesAreTreatedAsMissing) {
    AppFixture f;
    const QString key = settingsKeyPath();
    f.b.regString(HKEY_CURRENT_USER, key, QStringLiteral("Confirms"), QStringLiteral("0"));
    f.b.regDword(HKEY_CURRENT_USER, key, QStringLiteral("Skin"), 5);
    f.b.regValue(HKEY_CURRENT_USER, key, QStringLiteral("Wipe"), REG_BINARY, QByteArray("\x00", 1));
    f.b.regValue(HKEY_CURRENT_USER, key, QStringLiteral("Urls"), REG_DWORD, QByteArray("\x01\x00", 2));
    ASSERT_NO_THROW(LoadSettings(f.ctx));

    EXPECT_TRUE(f.ctx.settings.Confirms);
    EXPECT_EQ(f.ctx.g.SkinName, QStringLiteral("skinsunset"));
    EXPECT_FALSE(f.ctx.g.Wipe);
    EXPECT_TRUE(f.ctx.settings.categories[CatUrls]);
    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.GetDataType(QStringLiteral("Confirms")), REG_DWORD);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Skin")), QStringLiteral("skinsunset"));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Wipe")), 1);
}

TEST(LoadSettingsTest, AnUnparsableHiveKeepsTheDefaultsAndIsNotWritten) {
    AppFixture f;
    const QByteArray broken =
        "WINE REGISTRY Version 2\n\n[Software\\\\Hollbrook\\\\Settings 1\n\"Confirms\"=dword:00000000\n";
    {
        QFile hive(QString::fromStdString(f.b.root() + "/user.reg"));
        ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
        hive.write(broken);
    }
    f.b.machine().registry().unload();
    ASSERT_NO_THROW(LoadSettings(f.ctx));
    EXPECT_TRUE(f.ctx.settings.Confirms);
    EXPECT_EQ(f.ctx.g.SkinName, QStringLiteral("skinsunset"));
    QFile hive(QString::fromStdString(f.b.root() + "/user.reg"));
    ASSERT_TRUE(hive.open(QIODevice::ReadOnly));
    EXPECT_EQ(hive.readAll(), broken);
}

TEST(SaveCleanupAllSelectionsTest, WritesThe18BoxesRecentBeforeTemp) {
    AppFixture f;
    std::array<bool, CategoryCount> boxes{};
    boxes[CatIECache] = true;
    boxes[CatYourOwn] = true;
    SaveCleanupAllSelections(f.ctx, boxes);
    const QStringList expected = {"IECache",  "IECookies", "IEHistory", "NSCache", "NSCookies", "NSHistory",
                                  "GCache",   "GCookies",  "GHistory",  "Otherc",  "Recentc",   "Tempc",
                                  "Recyclec", "Otherj",    "Mediac",    "ActiveX", "Urls",      "YourOwn"};
    EXPECT_EQ(settingNames(f.b.machine()), expected);
    EXPECT_EQ(settingDword(f.b.machine(), "IECache"), 1);
    EXPECT_EQ(settingDword(f.b.machine(), "Tempc"), 0);
    EXPECT_EQ(settingDword(f.b.machine(), "YourOwn"), 1);
    EXPECT_TRUE(f.ctx.g.SkinName.isEmpty()); // memory untouched
}

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
