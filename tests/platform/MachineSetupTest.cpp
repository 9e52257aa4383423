#include "platform/MachineSetup.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sys/resource.h>

using namespace niv;

namespace {

EnvReader fakeEnv(std::map<std::string, QString> vars) {
    return [vars](const char* name) {
        auto it = vars.find(name);
        return it == vars.end() ? QString() : it->second;
    };
}

} // namespace

TEST(ChooseMachineTest, PrefixThenDotWineThenFreshMachine) {
    QTemporaryDir home;
    const QString h = home.path();

    MachineChoice c = chooseMachine(fakeEnv({{"WINEPREFIX", h + "/pfx"}, {"HOME", h}}));
    EXPECT_EQ(c.root, (h + "/pfx").toStdString());
    EXPECT_FALSE(c.needsCreation);

    c = chooseMachine(fakeEnv({{"HOME", h}}));
    EXPECT_EQ(c.root, (h + "/.local/share/nivora/machine").toStdString());
    EXPECT_TRUE(c.needsCreation);

    c = chooseMachine(fakeEnv({{"HOME", h}, {"XDG_DATA_HOME", h + "/data"}}));
    EXPECT_EQ(c.root, (h + "/data/nivora/machine").toStdString());
    ASSERT_TRUE(QDir().mkpath(h + "/data/nivora/machine"));
    EXPECT_FALSE(chooseMachine(fakeEnv({{"HOME", h}, {"XDG_DATA_HOME", h + "/data"}})).needsCreation);

    ASSERT_TRUE(QDir().mkpath(h + "/.wine"));
    c = chooseMachine(fakeEnv({{"HOME", h}, {"XDG_DATA_HOME", h + "/data"}}));
    EXPECT_EQ(c.root, (h + "/.wine").toStdString());
    EXPECT_FALSE(c.needsCreation);
}

TEST(MachineUserNameTest, UserOrDefault) {
    EXPECT_EQ(machineUserName(fakeEnv({{"USER", "ann"}})), QStringLiteral("ann"));
    EXPECT_EQ(machineUserName(fakeEnv({})), QStringLiteral("user"));
}

TEST(CreateFreshMachineTest, IsWindows7WithTheVistaProfileLayout) {
    QTemporaryDir dir;
    Machine m(MachineSettings{(dir.path() + "/m").toStdString(), (dir.path() + "/prog").toStdString(),
                              QStringLiteral("ann"), true});
    ASSERT_TRUE(createFreshMachine(m));

    for (const char* folder :
         {"C:\\windows\\system32", "C:\\windows\\temp", "C:\\users\\ann\\Documents",
          "C:\\users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Recent",
          "C:\\users\\ann\\AppData\\Local\\Temp", "C:\\users\\ann\\Pictures", "C:\\users\\ann\\Videos"})
        EXPECT_TRUE(DirectoryExists(m, QString::fromLatin1(folder))) << folder;

    OsVersionInfo v;
    ASSERT_TRUE(GetVersionEx(m, v));
    EXPECT_EQ(v.platformId, 2);
    EXPECT_EQ(v.majorVersion, 6u);
    EXPECT_EQ(v.minorVersion, 1u);
    EXPECT_EQ(v.buildNumber, 7601u);
    EXPECT_EQ(v.csdVersion, QStringLiteral("Service Pack 1"));

    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_APPDATA), QStringLiteral("C:\\users\\ann\\AppData\\Roaming"));
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_MYVIDEO), QStringLiteral("C:\\users\\ann\\Videos"));
    EXPECT_EQ(GetTempPath(m), QStringLiteral("C:\\users\\ann\\AppData\\Local\\Temp\\"));

    TRegistry reg(m);
    ASSERT_TRUE(
        reg.OpenKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell "
                                   "Folders"),
                    false));
    EXPECT_EQ(reg.GetDataType(QStringLiteral("Personal")), REG_EXPAND_SZ);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Personal")), QStringLiteral("%USERPROFILE%\\Documents"));

    // A second start on the same folder finds the machine as it was and keeps it.
    Machine again(MachineSettings{m.root(), m.programFolderHost(), QStringLiteral("ann"), true});
    EXPECT_NO_THROW(again.registry().loadAll());
    EXPECT_TRUE(DirectoryExists(again, QStringLiteral("C:\\users\\ann\\Documents")));
}

TEST(CreateFreshMachineTest, FailsWhereNoFolderCanBeMade) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.path() + "/blocker").open(QIODevice::WriteOnly));
    Machine m(MachineSettings{(dir.path() + "/blocker/m").toStdString(), dir.path().toStdString(),
                              QStringLiteral("ann"), true});
    EXPECT_FALSE(createFreshMachine(m));
}

TEST(OpenFileLimitTest, TheSoftLimitIsRaisedToTheHardOne) {
    rlimit saved{}, now{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const rlimit low{64, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    raiseOpenFileLimit();
    ::getrlimit(RLIMIT_NOFILE, &now);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(now.rlim_cur, saved.rlim_max);
}
