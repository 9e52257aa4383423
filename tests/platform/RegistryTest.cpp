#include "platform/Registry.h"
#include "platform/Machine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/RegBytes.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace niv;

namespace {

const QByteArray kUserReg = QByteArrayLiteral(R"REG(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Hollbrook\\Settings] 1000000000
#time=1d71cc1d4b5ec1a
"Skin"="skinsunset"
"Confirms"=dword:00000001

[Software\\Types] 1000000001
#time=1d71cc1d4b5ec1b
@="default text"
"Sz"="hello"
"Expand"=str(2):"%TEMP%\\x"
"EmbeddedNul"="ab\0cd"
"EmptySz"=""
"ZeroSz"=hex(1):
"EmptyBin"=hex:
"Dword0"=dword:00000000
"Dword1"=dword:00000001
"DwordAll"=dword:ffffffff
"Dword2"=dword:00000002
"ShortDword"=hex(4):01,02
"Bin"=hex:01,02
"Bin4"=hex:01,00,00,00
"Multi"=str(7):"a\0b\0"
"Qword"=hex(b):01,00,00,00,00,00,00,00
"SzOne"="1"

[Software\\Untouched] 1000000002
#time=1d71cc1d4b5ec1c
"v"="w"
)REG");

const QByteArray kSystemReg = QByteArrayLiteral(R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Classes\\CLSID\\{1}\\InprocServer32] 1000000000
#time=1d71cc1d4b5ec1a
@="C:\\windows\\system32\\x.dll"

[Software\\Microsoft\\Windows\\CurrentVersion\\Run] 1000000001
#time=1d71cc1d4b5ec1b
"Updater"="C:\\u.exe"

[System\\ControlSet001\\Services\\Svc] 1000000002
#time=1d71cc1d4b5ec1c
"ImagePath"="C:\\svc.exe"

[System\\CurrentControlSet] 1000000003
#time=1d71cc1d4b5ec1d
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\
  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,79,00,73,00,\
  74,00,65,00,6d,00,5c,00,43,00,6f,00,6e,00,74,00,72,00,6f,00,6c,00,53,00,65,\
  00,74,00,30,00,30,00,31,00
)REG");

const QString kTypes = QStringLiteral("Software\\Types");
const QString kRun = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

QByteArray readHost(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeHost(const std::string& path, const QByteArray& text) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    ASSERT_EQ(f.write(text), text.size());
}

// "k\k\..." with `depth` components.
QString nestedPath(int depth) {
    return QStringList(depth, QStringLiteral("k")).join(QLatin1Char('\\'));
}

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class RegistryTest : public testing::Test {
protected:
    RegistryTest() {
        m_root = m_dir.path().toStdString() + "/machine";
        const std::string program = m_dir.path().toStdString() + "/program";
        ::mkdir(m_root.c_str(), 0755);
        ::mkdir(program.c_str(), 0755);
        m_machine =
            std::make_unique<Machine>(MachineSettings{m_root, program, QStringLiteral("tester"), true});
    }

    Machine& machine() { return *m_machine; }
    RegistryStore& store() { return m_machine->registry(); }
    std::string userReg() const { return m_root + "/user.reg"; }
    std::string systemReg() const { return m_root + "/system.reg"; }
    void withSamples() {
        writeHost(userReg(), kUserReg);
        writeHost(systemReg(), kSystemReg);
    }

    QTemporaryDir m_dir;
    std::string m_root;
    std::unique_ptr<Machine> m_machine;
};

// ---- typed reads ----

struct ReadCase {
    const char* name;
    std::optional<QString> result; // nothing: an ERegistryException with `error`
    const char* error;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryReadString : public RegistryTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(RegistryReadString, ReadsTextOrRaises) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    const ReadCase& c = GetParam();
    const QString name = QString::fromUtf8(c.name);
    // The reader that passes over other types gives the text, or nothing where ReadString raises.
    EXPECT_EQ(ReadStringIfText(reg, name), c.result);
    if (c.result) {
        EXPECT_EQ(reg.ReadString(name), *c.result);
    } else {
        try {
            reg.ReadString(name);
            FAIL() << "no error";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.error));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryReadString,
    testing::Values(ReadCase{"Sz", QStringLiteral("hello"), ""},
                    ReadCase{"", QStringLiteral("default text"), ""},
                    ReadCase{"Expand", QStringLiteral("%TEMP%\\x"), ""},
                    ReadCase{"EmbeddedNul", QStringLiteral("ab"), ""}, ReadCase{"EmptySz", QString(), ""},
                    ReadCase{"ZeroSz", QString(), ""}, ReadCase{"EmptyBin", QString(), ""},
                    ReadCase{"Missing", QString(), ""}, ReadCase{"sZ", QStringLiteral("hello"), ""},
                    ReadCase{"Dword1", std::nullopt, "Invalid data type for 'Dword1'"},
                    ReadCase{"Bin", std::nullopt, "Invalid data type for 'Bin'"},
                    ReadCase{"Multi", std::nullopt, "Invalid data type for 'Multi'"},
                    ReadCase{"Qword", std::nullopt, "Invalid data type for 'Qword'"}),
    [](const testing::TestParamInfo<ReadCase>& info) {
        return std::string(*info.param.name ? info.param.name : "Default") +
               (info.param.result ? "" : "Raises");
    });

struct IntegerCase {
    const char* name;
    std::optional<int> result;
    const char* error;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryReadInteger : public RegistryTest, public testing::WithParamInterface<IntegerCase> {};

TEST_P(RegistryReadInteger, ReadsDwordsOnly) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    const IntegerCase& c = GetParam();
    const QString name = QString::fromUtf8(c.name);
    if (c.result) {
        EXPECT_EQ(reg.ReadInteger(name), *c.result);
        EXPECT_EQ(reg.ReadBool(name), *c.result != 0);
    } else {
        for (int pass = 0; pass < 2; ++pass) {
            try {
                pass ? reg.ReadBool(name) : reg.ReadInteger(name);
                FAIL() << "no error";
            } catch (const ERegistryException& e) {
                EXPECT_EQ(e.message(), QString::fromUtf8(c.error));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryReadInteger,
    testing::Values(IntegerCase{"Dword0", 0, ""}, IntegerCase{"Dword1", 1, ""}, IntegerCase{"Dword2", 2, ""},
                    IntegerCase{"DwordAll", -1, ""}, IntegerCase{"ShortDword", 0x0201, ""},
                    IntegerCase{"Missing", std::nullopt, "Failed to get data for 'Missing'"},
                    IntegerCase{"SzOne", std::nullopt, "Invalid data type for 'SzOne'"},
                    IntegerCase{"Bin4", std::nullopt, "Invalid data type for 'Bin4'"},
                    IntegerCase{"Sz", std::nullopt, "Failed to get data for 'Sz'"},
                    IntegerCase{"Qword", std::nullopt, "Failed to get data for 'Qword'"}),
    [](const testing::TestParamInfo<IntegerCase>& info) { return std::string(info.param.name); });

struct BinaryCase {
    const char* name;
    std::optional<QByteArray> result;
};

void PrintTo(const BinaryCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryReadBinary : public RegistryTest, public testing::WithParamInterface<BinaryCase> {};

TEST_P(RegistryReadBinary, ReadsAnythingButStringsAndDwords) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    const BinaryCase& c = GetParam();
    const QString name = QString::fromUtf8(c.name);
    if (c.result)
        EXPECT_EQ(reg.ReadBinaryData(name).toHex(), c.result->toHex());
    else
        EXPECT_THROW(reg.ReadBinaryData(name), ERegistryException);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryReadBinary,
    testing::Values(BinaryCase{"Bin", byteList({1, 2})}, BinaryCase{"EmptyBin", QByteArray()},
                    BinaryCase{"Qword", byteList({1, 0, 0, 0, 0, 0, 0, 0})},
                    BinaryCase{"Multi", utf16Bytes(QStringLiteral("a") + QChar(0) + "b" + QChar(0))},
                    BinaryCase{"Missing", QByteArray()}, BinaryCase{"Sz", std::nullopt},
                    BinaryCase{"Expand", std::nullopt}, BinaryCase{"Dword1", std::nullopt}),
    [](const testing::TestParamInfo<BinaryCase>& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, DataTypeAndSize) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    const struct {
        const char* name;
        int type;
        int size;
    } cases[] = {{"Sz", 1, 12},        {"Expand", 2, 18},  {"Bin", 3, 2},    {"Dword1", 4, 4},
                 {"ShortDword", 4, 2}, {"Multi", 7, 10},   {"Qword", 11, 8}, {"EmptyBin", 3, 0},
                 {"", 1, 26},          {"Missing", -1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(reg.GetDataType(c.name), c.type) << c.name;
        EXPECT_EQ(reg.GetDataSize(c.name), c.size) << c.name;
        EXPECT_EQ(reg.ValueExists(c.name), c.type != -1) << c.name;
    }
}

// ---- writes ----

TEST_F(RegistryTest, WritesStoreTheirTypesAndReachTheFileAtOnce) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\New"), true));
    reg.WriteString("S", "text");
    EXPECT_TRUE(readHost(userReg()).contains("\n[Software\\\\New] "));
    EXPECT_TRUE(readHost(userReg()).contains("\n\"S\"=\"text\"\n"));
    reg.WriteExpandString("E", "%APPDATA%\\x");
    reg.WriteInteger("I", 0x12345678);
    reg.WriteBool("T", true);
    reg.WriteBool("F", false);
    reg.WriteBinaryData("B", byteList({0xab, 0xcd}));

    const struct {
        const char* name;
        std::uint32_t type;
        QByteArray data;
        QByteArray line;
    } cases[] = {{"S", REG_SZ, utf16Bytes("text"), "\"S\"=\"text\"\n"},
                 {"E", REG_EXPAND_SZ, utf16Bytes("%APPDATA%\\x"), "\"E\"=str(2):\"%APPDATA%\\\\x\"\n"},
                 {"I", REG_DWORD, byteList({0x78, 0x56, 0x34, 0x12}), "\"I\"=dword:12345678\n"},
                 {"T", REG_DWORD, byteList({1, 0, 0, 0}), "\"T\"=dword:00000001\n"},
                 {"F", REG_DWORD, byteList({0, 0, 0, 0}), "\"F\"=dword:00000000\n"},
                 {"B", REG_BINARY, byteList({0xab, 0xcd}), "\"B\"=hex:ab,cd\n"}};
    const QByteArray file = readHost(userReg());
    for (const auto& c : cases) {
        const RegValue* v = store().findValue(HKEY_CURRENT_USER, "software\\new", c.name);
        ASSERT_NE(v, nullptr) << c.name;
        EXPECT_EQ(v->type, c.type) << c.name;
        EXPECT_EQ(v->data.toHex(), c.data.toHex()) << c.name;
        EXPECT_TRUE(file.contains(c.line)) << c.name;
    }
    EXPECT_EQ(reg.ReadString("E"), QStringLiteral("%APPDATA%\\x"));
    EXPECT_EQ(reg.ReadInteger("I"), 0x12345678);
    EXPECT_TRUE(reg.ReadBool("T"));
    EXPECT_FALSE(reg.ReadBool("F"));
    // What reached the disk reads back the same.
    store().unload();
    EXPECT_EQ(reg.ReadInteger("I"), 0x12345678);
    EXPECT_EQ(reg.GetValueNames(), QStringList({"S", "E", "I", "T", "F", "B"}));
}

TEST_F(RegistryTest, WriteStringReplacesAValueOfAnotherType) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    reg.WriteString("DWORD1", "now text");
    EXPECT_EQ(reg.GetDataType("Dword1"), int(REG_SZ));
    EXPECT_EQ(reg.ReadString("Dword1"), QStringLiteral("now text"));
    // The name keeps its spelling.
    EXPECT_TRUE(readHost(userReg()).contains("\n\"Dword1\"=\"now text\"\n"));
}

TEST_F(RegistryTest, WritesNeedAKeyOpenWithFullRights) {
    withSamples();
    TRegistry reg(machine());
    try {
        reg.WriteString("x", "y");
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'x'"));
    }
    EXPECT_FALSE(reg.DeleteValue("Sz"));
    ASSERT_TRUE(reg.OpenKeyReadOnly(kTypes));
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    EXPECT_THROW(reg.WriteBinaryData("x", byteList({1})), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("Sz"));
    EXPECT_EQ(reg.ReadString("Sz"), QStringLiteral("hello"));
    EXPECT_EQ(readHost(userReg()), kUserReg);
}

TEST_F(RegistryTest, ReadersNeverCreateKeysOrFiles) {
    TRegistry reg(machine());
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Missing"), false));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\Missing")));
    EXPECT_EQ(reg.ReadString("x"), QString());
    EXPECT_EQ(reg.GetKeyNames(), QStringList());
    EXPECT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("Software")));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Missing"), false));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(userReg())));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(systemReg())));

    withSamples();
    store().unload();
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    EXPECT_EQ(reg.ReadString("Missing"), QString());
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Sub"), false));
    EXPECT_FALSE(reg.ValueExists("Missing"));
    EXPECT_EQ(readHost(userReg()), kUserReg);
}

TEST_F(RegistryTest, DeleteValue) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    EXPECT_TRUE(reg.DeleteValue("bin"));
    EXPECT_FALSE(reg.ValueExists("Bin"));
    EXPECT_FALSE(reg.DeleteValue("Bin"));
    EXPECT_FALSE(readHost(userReg()).contains("\"Bin\"="));
    EXPECT_TRUE(reg.DeleteValue(""));
    EXPECT_FALSE(reg.GetValueNames().contains(QString()));
}

TEST_F(RegistryTest, RefusedKeysKeepTheirValuesAndTheFile) {
    withSamples();
    const QByteArray before = readHost(userReg());
    machine().faults().fail(FaultInjector::Op::RegWrite, "HKEY_CURRENT_USER\\software\\ty*", 5);
    machine().faults().fail(FaultInjector::Op::RegDelete, "HKEY_CURRENT_USER\\Software\\Types", 5);
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    EXPECT_THROW(reg.WriteString("Sz", "changed"), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("Sz"));
    EXPECT_EQ(reg.ReadString("Sz"), "hello");
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Types"));
    EXPECT_EQ(readHost(userReg()), before);
    // Other keys, and the other hive's key of the same path, are not refused.
    ASSERT_TRUE(reg.OpenKey("\\Software\\Hollbrook\\Settings", false));
    EXPECT_TRUE(reg.DeleteValue("Skin"));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Types", true));
    reg.WriteString("Sz", "free");
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Types"));
}

// ---- keys, paths and rights ----

struct RightsCase {
    const char* name;
    RegRoot root;
    bool admin;
    const char* existing;
    bool fullRights;
};

void PrintTo(const RightsCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryRights : public RegistryTest, public testing::WithParamInterface<RightsCase> {};

TEST_P(RegistryRights, FullRightsNeedTheAdministratorOutsideTheUsersHive) {
    withSamples();
    const RightsCase& c = GetParam();
    machine().setAdministrator(c.admin);
    TRegistry reg(machine());
    reg.SetRootKey(c.root);
    const QString existing = QString::fromUtf8(c.existing);

    EXPECT_TRUE(reg.KeyExists(existing));
    EXPECT_TRUE(reg.OpenKeyReadOnly(existing));
    EXPECT_EQ(reg.CurrentPath(), existing);
    reg.CloseKey();
    EXPECT_EQ(reg.OpenKey(existing, false), c.fullRights);
    reg.CloseKey();
    EXPECT_EQ(reg.OpenKey(existing + "\\Made", true), c.fullRights);
    reg.CloseKey();
    EXPECT_EQ(reg.KeyExists(existing + "\\Made"), c.fullRights);
    if (c.fullRights) {
        EXPECT_TRUE(reg.CreateKey(existing + "\\Made2"));
        EXPECT_TRUE(reg.DeleteKey(existing + "\\Made2"));
        EXPECT_TRUE(reg.DeleteKey(existing));
        EXPECT_FALSE(reg.KeyExists(existing));
    } else {
        EXPECT_THROW(reg.CreateKey(existing + "\\Made2"), ERegistryException);
        EXPECT_FALSE(reg.DeleteKey(existing));
        EXPECT_TRUE(reg.KeyExists(existing));
        EXPECT_EQ(readHost(systemReg()), kSystemReg);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roots, RegistryRights,
    testing::Values(RightsCase{"UserAsAdmin", HKEY_CURRENT_USER, true, "Software\\Types", true},
                    RightsCase{"User", HKEY_CURRENT_USER, false, "Software\\Types", true},
                    RightsCase{"MachineAsAdmin", HKEY_LOCAL_MACHINE, true, "Software\\Microsoft\\Windows",
                               true},
                    RightsCase{"Machine", HKEY_LOCAL_MACHINE, false, "Software\\Microsoft\\Windows", false},
                    RightsCase{"ClassesAsAdmin", HKEY_CLASSES_ROOT, true, "CLSID\\{1}", true},
                    RightsCase{"Classes", HKEY_CLASSES_ROOT, false, "CLSID\\{1}", false}),
    [](const testing::TestParamInfo<RightsCase>& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, ClassesRootIsTheMachinesSoftwareClasses) {
    withSamples();
    TRegistry reg(machine());
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("clsid\\{1}\\InprocServer32"), false));
    EXPECT_EQ(reg.ReadString(""), QStringLiteral("C:\\windows\\system32\\x.dll"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\CLSID\\{2}"), true));
    reg.WriteString("", "y.dll");
    EXPECT_TRUE(readHost(systemReg()).contains("\n[Software\\\\Classes\\\\CLSID\\\\{2}] "));
    EXPECT_TRUE(store().keyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{2}"));
    EXPECT_FALSE(readHost(userReg()).contains("{2}"));
    reg.CloseKey();
    EXPECT_EQ(reg.OpenKey(QString(), false), true);
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"CLSID"}));
}

TEST_F(RegistryTest, RelativeAndAbsolutePaths) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software"), false));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Types"), false)); // below the open key
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Types"));
    EXPECT_EQ(reg.ReadString("Sz"), QStringLiteral("hello"));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\Software\\Hollbrook")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Hollbrook"))); // relative: Software\Types\Hollbrook
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Hollbrook"), false));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Types")); // a failed open keeps the key
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Child"), true));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Types\\Child"));
    EXPECT_TRUE(store().keyExists(HKEY_CURRENT_USER, "Software\\Types\\Child"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Hollbrook\\Settings"), false));
    EXPECT_EQ(reg.ReadString("Skin"), QStringLiteral("skinsunset"));
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), QString());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Hollbrook"), false)); // from the root again
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"Settings"}));
    EXPECT_TRUE(reg.HasSubKeys());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Settings"), false));
    EXPECT_FALSE(reg.HasSubKeys());
}

TEST_F(RegistryTest, SwitchingTheRootClosesTheKey) {
    withSamples();
    TRegistry reg(machine());
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_EQ(reg.CurrentPath(), kTypes);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentPath(), QString());
    EXPECT_EQ(reg.ReadString("Sz"), QString());
    EXPECT_TRUE(reg.OpenKey(kRun, false));
    EXPECT_EQ(reg.ReadString("Updater"), QStringLiteral("C:\\u.exe"));
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("SOFTWARE\\hollbrook\\SETTINGS"), true));
    EXPECT_EQ(reg.ReadString("SKIN"), QStringLiteral("skinsunset"));
    reg.WriteBool("confirms", false);
    EXPECT_EQ(readHost(userReg()).count("Hollbrook"), 1);
    EXPECT_TRUE(readHost(userReg()).contains("\n\"Confirms\"=dword:00000000\n"));
    EXPECT_EQ(store().subkeyNames(HKEY_CURRENT_USER, "software\\HOLLBROOK"), QStringList({"Settings"}));
}

TEST_F(RegistryTest, DeleteKeyTakesItsSubkeys) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Tree\\A\\B"), true));
    reg.WriteString("v", "1");
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Tree\\A\\C\\D"), true));
    reg.WriteString("v", "2");
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Tree"), false));
    reg.WriteString("keep", "3");

    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("A"))); // relative to Software\Tree
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("A")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("A")));
    EXPECT_FALSE(reg.DeleteKey(QString()));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\")));
    const QByteArray file = readHost(userReg());
    EXPECT_FALSE(file.contains("Tree\\\\A"));
    EXPECT_TRUE(file.contains("\"keep\"=\"3\""));

    store().unload();
    EXPECT_TRUE(store().keyExists(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_FALSE(store().keyExists(HKEY_CURRENT_USER, "Software\\Tree\\A"));
    EXPECT_FALSE(store().keyExists(HKEY_CURRENT_USER, "Software\\Tree\\A\\C\\D"));
    EXPECT_EQ(store().subkeyNames(HKEY_CURRENT_USER, "Software\\Tree"), QStringList());
}

TEST_F(RegistryTest, DeletingTheOpenKeyMakesItsWritesFail) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Untouched"), false));
    TRegistry other(machine());
    ASSERT_TRUE(other.DeleteKey(QStringLiteral("Software\\Untouched")));
    EXPECT_EQ(reg.ReadString("v"), QString());
    EXPECT_THROW(reg.WriteString("v", "again"), ERegistryException);
    EXPECT_FALSE(store().keyExists(HKEY_CURRENT_USER, "Software\\Untouched"));
}

TEST_F(RegistryTest, SubkeysComeInNameOrderAndValuesInTheirOwn) {
    TRegistry reg(machine());
    for (const char* name : {"b", "A", "_x", "c", "B2"})
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Order\\") + name, true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Order"), false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"A", "b", "B2", "c", "_x"}));

    reg.WriteString("z", "1");
    reg.WriteString("a", "2");
    reg.WriteString("m", "3");
    EXPECT_EQ(reg.GetValueNames(), QStringList({"z", "a", "m"}));
    reg.WriteString("A", "changed");
    EXPECT_EQ(reg.GetValueNames(), QStringList({"z", "a", "m"}));
    reg.DeleteValue("a");
    reg.WriteString("a", "again");
    reg.WriteString("", "default");
    EXPECT_EQ(reg.GetValueNames(), QStringList({"z", "m", "a", ""}));

    store().unload();
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"A", "b", "B2", "c", "_x"}));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"z", "m", "a", ""}));
}

TEST_F(RegistryTest, OnlyChangedKeysGetANewTimestamp) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Hollbrook\\Settings"), false));
    reg.WriteString("Skin", "skinsunset"); // the same data: nothing changes
    reg.WriteBool("Confirms", true);
    EXPECT_EQ(readHost(userReg()), kUserReg);

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    reg.WriteString("Skin", "skinocean");
    const QByteArray file = readHost(userReg());
    const QByteArray head = "\n[Software\\\\Hollbrook\\\\Settings] ";
    const qsizetype at = file.indexOf(head) + head.size();
    const qint64 secs = file.mid(at, file.indexOf('\n', at) - at).toLongLong();
    EXPECT_GE(secs, before);
    EXPECT_LE(secs, QDateTime::currentSecsSinceEpoch());
    EXPECT_FALSE(file.contains("#time=1d71cc1d4b5ec1a"));
    EXPECT_TRUE(file.contains("\n[Software\\\\Types] 1000000001\n#time=1d71cc1d4b5ec1b\n"));
    EXPECT_TRUE(file.contains("\n[Software\\\\Untouched] 1000000002\n#time=1d71cc1d4b5ec1c\n"));
    // Apart from the changed key's section, the file is as it was.
    EXPECT_TRUE(file.endsWith(kUserReg.mid(kUserReg.indexOf("\n[Software\\\\Types]"))));
    EXPECT_TRUE(file.startsWith(kUserReg.left(kUserReg.indexOf("[Software\\\\Hollbrook"))));
}

TEST_F(RegistryTest, FollowsTheControlSetLink) {
    withSamples();
    TRegistry reg(machine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("SYSTEM\\CurrentControlSet\\Services"), false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"Svc"}));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Svc"), false));
    EXPECT_EQ(reg.ReadString("ImagePath"), QStringLiteral("C:\\svc.exe"));
    EXPECT_TRUE(reg.DeleteValue("ImagePath"));
    EXPECT_FALSE(
        store().findKey(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services\\Svc")->findValue("ImagePath"));
}

// ---- the hive files ----

TEST_F(RegistryTest, LoadsLazilyAndReadsAgainAfterUnload) {
    TRegistry reg(machine());
    withSamples(); // written after the machine was made, before the registry was used
    EXPECT_TRUE(reg.KeyExists(kTypes));
    writeHost(userReg(), "WINE REGISTRY Version 2\n\n[Other] 1\n");
    EXPECT_FALSE(reg.KeyExists(kTypes)); // another program's hive is read at once
    store().unload();
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("Other")));
}

TEST_F(RegistryTest, ReadingLeavesTheFilesAlone) {
    withSamples();
    const ino_t userInode = inodeOf(userReg());
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    for (const QString& name : reg.GetValueNames())
        reg.GetDataSize(name);
    reg.ReadString("Sz");
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.OpenKey(kRun, false);
    reg.GetValueNames();
    reg.DeleteValue("NotThere");
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\Software\\NotThere")));
    store().loadAll();
    EXPECT_EQ(readHost(userReg()), kUserReg);
    EXPECT_EQ(readHost(systemReg()), kSystemReg);
    EXPECT_EQ(inodeOf(userReg()), userInode);
}

TEST_F(RegistryTest, MissingHiveIsCreatedWithWinesHeaderOnFirstChange) {
    writeHost(systemReg(), kSystemReg); // its "#arch=win32" tells the machine's kind
    TRegistry reg(machine());
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software")));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Hollbrook\\Settings"), true));
    const QByteArray file = readHost(userReg());
    EXPECT_TRUE(
        file.startsWith("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
                        "\n#arch=win32\n\n[Software\\\\Hollbrook\\\\Settings] "))
        << file.toStdString();
    EXPECT_TRUE(file.contains("\n#time="));
}

TEST_F(RegistryTest, MachineWithoutHivesGetsWin64Hives) {
    TRegistry reg(machine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software"), true));
    EXPECT_TRUE(readHost(systemReg())
                    .startsWith("WINE REGISTRY Version 2\n;; All keys relative to "
                                "\\\\Machine\n\n#arch=win64\n\n[Software] "));
}

TEST_F(RegistryTest, RawValuesOfAnyTypeForBuilders) {
    store().setRawValue(HKEY_CURRENT_USER, "Software\\Raw", "odd", 0x7e, byteList({1, 2, 3}));
    store().setRawValue(HKEY_CLASSES_ROOT, ".txt", "", REG_SZ, utf16Bytes("txtfile"));
    EXPECT_TRUE(store().createKey(HKEY_CURRENT_USER, "Software\\Empty"));
    EXPECT_FALSE(store().createKey(HKEY_CURRENT_USER, "software\\EMPTY"));
    store().unload();
    const RegValue* odd = store().findValue(HKEY_CURRENT_USER, "Software\\Raw", "odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->type, 0x7eu);
    EXPECT_EQ(odd->data, byteList({1, 2, 3}));
    EXPECT_TRUE(readHost(userReg()).contains("\n\"odd\"=hex(7e):01,02,03\n"));
    EXPECT_TRUE(store().keyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt"));
    EXPECT_TRUE(store().keyExists(HKEY_CURRENT_USER, "Software\\Empty"));
    EXPECT_FALSE(store().setValue(HKEY_CURRENT_USER, "Software\\NoSuchKey", "x", REG_SZ, utf16Bytes("y")));
    EXPECT_FALSE(store().keyExists(HKEY_CURRENT_USER, "Software\\NoSuchKey"));
}

TEST_F(RegistryTest, ChangesReplaceTheFile) {
    withSamples();
    const ino_t before = inodeOf(userReg());
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    reg.WriteString("Sz", "changed");
    EXPECT_NE(inodeOf(userReg()), before);
    EXPECT_TRUE(readHost(userReg()).contains("\"Sz\"=\"changed\""));
    // No temporary file is left beside it.
    QDir dir(QString::fromStdString(m_root));
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList({"system.reg", "user.reg"}));
}

TEST_F(RegistryTest, LinkedHiveStaysALink) {
    const std::string real = m_dir.path().toStdString() + "/real-user.reg";
    writeHost(real, kUserReg);
    ASSERT_EQ(::symlink(real.c_str(), userReg().c_str()), 0);
    const std::string hard = m_dir.path().toStdString() + "/system-copy.reg";
    writeHost(systemReg(), kSystemReg);
    ASSERT_EQ(::link(systemReg().c_str(), hard.c_str()), 0);
    const ino_t systemInode = inodeOf(systemReg());

    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    reg.WriteString("Sz", "through the link");
    struct stat st {};
    ASSERT_EQ(::lstat(userReg().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(readHost(real).contains("\"Sz\"=\"through the link\""));

    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kRun, false));
    reg.WriteString("Updater", "replaced");
    // Replaced as a whole, as Wine saves it: the other name keeps the old content.
    EXPECT_NE(inodeOf(systemReg()), systemInode);
    EXPECT_TRUE(readHost(systemReg()).contains("\"Updater\"=\"replaced\""));
    EXPECT_EQ(readHost(hard), kSystemReg);
}

TEST_F(RegistryTest, UnparsableHiveIsReportedAndNeverWritten) {
    const QByteArray broken = "WINE REGISTRY Version 2\n\n[Software\\\\Ok] 1\n\"a\"=\"b\"\n\"bad\"=hex:01,\\";
    writeHost(userReg(), broken);
    writeHost(systemReg(), kSystemReg);
    try {
        store().loadAll();
        FAIL() << "no error";
    } catch (const HiveParseError& e) {
        EXPECT_EQ(e.file(), QString::fromStdString(userReg()));
        EXPECT_EQ(e.line(), 5);
        EXPECT_TRUE(e.message().startsWith(QString::fromStdString(userReg()) + ": line 5: "));
    }
    TRegistry reg(machine());
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\Ok")));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Ok"), false));
    EXPECT_THROW(reg.OpenKey(QStringLiteral("Software\\New"), true), HiveParseError);
    EXPECT_THROW(reg.CreateKey(QStringLiteral("Software\\New")), HiveParseError);
    EXPECT_THROW(store().setRawValue(HKEY_CURRENT_USER, "Software\\Ok", "a", REG_SZ, utf16Bytes("c")),
                 HiveParseError);
    EXPECT_THROW(store().deleteKey(HKEY_CURRENT_USER, "Software\\Ok"), HiveParseError);
    EXPECT_EQ(readHost(userReg()), broken);

    // The other hive is not affected.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kRun, false));
    reg.WriteString("Updater", "still works");
    EXPECT_TRUE(readHost(systemReg()).contains("still works"));
}

TEST_F(RegistryTest, HiveDeeperThanWindowsAllowsIsReportedAndNeverWritten) {
    const QByteArray deep =
        "WINE REGISTRY Version 2\n\n[" + nestedPath(200000).toLatin1().replace("\\", "\\\\") + "] 1\n";
    writeHost(userReg(), deep);
    try {
        store().loadAll();
        FAIL() << "no error";
    } catch (const HiveParseError& e) {
        EXPECT_EQ(e.file(), QString::fromStdString(userReg()));
        EXPECT_EQ(e.line(), 3);
    }
    TRegistry reg(machine());
    EXPECT_THROW(reg.OpenKey(QStringLiteral("Software\\New"), true), HiveParseError);
    EXPECT_THROW(store().setRawValue(HKEY_CURRENT_USER, "Software", "v", REG_SZ, utf16Bytes("w")),
                 HiveParseError);
    EXPECT_EQ(readHost(userReg()), deep);
}

TEST_F(RegistryTest, KeysAreNotCreatedDeeperThanWindowsAllows) {
    TRegistry reg(machine());
    EXPECT_FALSE(reg.OpenKey(nestedPath(513), true));
    EXPECT_FALSE(reg.OpenKey(nestedPath(200000), true));
    EXPECT_THROW(reg.CreateKey(nestedPath(513)), ERegistryException);
    EXPECT_THROW(store().setRawValue(HKEY_CURRENT_USER, nestedPath(513), "v", REG_SZ, utf16Bytes("w")),
                 ERegistryException);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(userReg())));

    ASSERT_TRUE(reg.OpenKey(nestedPath(511), true));
    const QByteArray written = readHost(userReg());
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("a\\b"), true));
    EXPECT_EQ(readHost(userReg()), written);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("a"), true));
    reg.WriteString("v", "deepest");
    store().unload();
    ASSERT_TRUE(reg.OpenKey("\\" + nestedPath(511) + "\\a", false));
    EXPECT_EQ(reg.ReadString("v"), QStringLiteral("deepest"));
}

TEST_F(RegistryTest, UnreadableHiveIsReportedAndNeverWritten) {
    ASSERT_EQ(::mkdir(userReg().c_str(), 0755), 0);
    try {
        store().loadAll();
        FAIL() << "no error";
    } catch (const HiveParseError& e) {
        EXPECT_EQ(e.line(), 0);
        EXPECT_EQ(e.message(),
                  QString::fromStdString(userReg()) + ": the file cannot be read: it is not a regular file");
    }
    TRegistry reg(machine());
    EXPECT_THROW(reg.OpenKey(QStringLiteral("Software"), true), HiveParseError);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(userReg())).isDir());
}

TEST_F(RegistryTest, FailedWriteRaisesAndKeepsNothing) {
    withSamples();
    TRegistry reg(machine());
    ASSERT_TRUE(reg.OpenKey(kTypes, false));
    EXPECT_EQ(reg.ReadString("Sz"), QStringLiteral("hello"));
    machine().faults().failHostWrites(userReg(), 10);
    EXPECT_THROW(reg.WriteString("Sz", "lost"), PlatformError);
    machine().faults().clear();
    EXPECT_EQ(reg.ReadString("Sz"), QStringLiteral("hello"));
    EXPECT_EQ(readHost(userReg()), kUserReg);
}

TEST_F(RegistryTest, FailedFirstWriteOfAMissingHiveRaises) {
    // A link to a folder that does not exist: the hive reads as empty but cannot be written.
    ASSERT_EQ(::symlink((m_root + "/nowhere/user.reg").c_str(), userReg().c_str()), 0);
    TRegistry reg(machine());
    EXPECT_THROW(reg.OpenKey(QStringLiteral("Software\\X"), true), PlatformError);
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\X")));
    EXPECT_THROW(store().setRawValue(HKEY_CURRENT_USER, "Software\\X", "v", REG_SZ, utf16Bytes("y")),
                 PlatformError);
    EXPECT_EQ(store().findValue(HKEY_CURRENT_USER, "Software\\X", "v"), nullptr);
}

} // namespace
