// The settings store: start-up reading with defaults, and the writers.
#include "core/SettingsStore.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

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

namespace {

// A full disk under the user's hive: every write of it fails before a byte is down.
void fillDiskUnderUserHive(AppFixture& f) {
    f.b.machine().faults().failHostWrites(f.b.root() + "/user.reg", 0);
}

} // namespace

TEST(SettingsWriteFailureTest, LoadSettingsReadsOnAndReportsTheFailedDefault) {
    AppFixture f;
    f.b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Confirms"), 0);
    f.b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Lockedj"), 1);
    fillDiskUnderUserHive(f);
    EXPECT_FALSE(LoadSettings(f.ctx).isEmpty());
    f.b.machine().faults().clear();
    // The values that exist are still read, the missing ones keep their defaults in memory.
    EXPECT_FALSE(f.ctx.settings.Confirms);
    EXPECT_TRUE(f.ctx.settings.Lockedj);
    EXPECT_TRUE(f.ctx.settings.categories[CatIECache]);
    EXPECT_EQ(settingNames(f.b.machine()), (QStringList{"Confirms", "Lockedj"}));
}

TEST(SettingsWriteFailureTest, WritersRaiseInsteadOfSwallowing) {
    const std::function<void(AppContext&)> writers[] = {
        [](AppContext& c) { SaveCleanupAllSelections(c, {}); },
        [](AppContext& c) { SaveSettingFlag(c, QStringLiteral("VistaMsg"), false, KeyOpen::Existing); },
        [](AppContext& c) {
            SaveSettingFlag(c, QStringLiteral("Lockedj"), true, KeyOpen::CreateWhenMissing);
        },
    };
    for (const auto& write : writers) {
        AppFixture f;
        f.b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Confirms"), 1);
        fillDiskUnderUserHive(f);
        EXPECT_THROW(write(f.ctx), PlatformError);
    }
}

TEST(SettingsWriteFailureTest, AKeyThatCannotBeOpenedIsNotAFailure) {
    AppFixture f;
    EXPECT_FALSE(SaveSettingFlag(f.ctx, QStringLiteral("Confirms"), false, KeyOpen::Existing));
    EXPECT_TRUE(SaveSettingFlag(f.ctx, QStringLiteral("Lockedj"), true, KeyOpen::CreateWhenMissing));
    EXPECT_EQ(settingDword(f.b.machine(), "Lockedj"), 1);
}
