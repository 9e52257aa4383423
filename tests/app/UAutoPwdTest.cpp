#include "app/UAutoPwd.h"
#include "platform/Registry.h"
#include "support/MachineBuilder.h"

#include <QFile>

#include <cstdio>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kIE = QStringLiteral("Software\\Microsoft\\Internet Explorer");
const QString kForms = kIE + QStringLiteral("\\IntelliForms");
const QString kStorage1 = kForms + QStringLiteral("\\Storage1");
const QString kStorage2 = kForms + QStringLiteral("\\Storage2");

QByteArray blob(char fill) {
    return QByteArray(24, fill);
}

// A user who has typed into forms and let the browser keep two passwords, with neighbours that
// must survive: the IntelliForms key's own settings, typed addresses, a subkey below a store, and the
// same paths under HKEY_LOCAL_MACHINE.
void fillStores(MachineBuilder& b) {
    b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("4E3A1C90B7D2F11A22C3D4E5F60718293A4B5C6D"),
               REG_BINARY, blob('a'));
    b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("0F1E2D3C4B5A69788796A5B4C3D2E1F00112233A"),
               REG_BINARY, blob('b'));
    b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("77AA"), REG_BINARY, blob('c'));
    b.regValue(HKEY_CURRENT_USER, kStorage2, QStringLiteral("DEADBEEF00112233445566778899AABBCCDDEEFF00"),
               REG_BINARY, blob('d'));
    b.regString(HKEY_CURRENT_USER, kStorage2, QString(), QStringLiteral("default of the store"));
    b.regDword(HKEY_CURRENT_USER, kForms, QStringLiteral("AskUser"), 1);
    b.regString(HKEY_CURRENT_USER, kIE + QStringLiteral("\\TypedURLs"), QStringLiteral("url1"),
                QStringLiteral("http://example.com/"));
    b.regValue(HKEY_CURRENT_USER, kStorage1 + QStringLiteral("\\Sub"), QStringLiteral("kept"), REG_BINARY,
               blob('e'));
    b.regValue(HKEY_LOCAL_MACHINE, kStorage1, QStringLiteral("machine"), REG_BINARY, blob('f'));
}

QStringList values(MachineBuilder& b, RegRoot root, const QString& key) {
    return b.machine().registry().valueNames(root, key);
}

} // namespace

TEST(ClearAutoFormEntriesTest, RemovesTheStoresValuesAndKeepsEverythingElse) {
    MachineBuilder b;
    fillStores(b);
    EXPECT_EQ(clearAutoFormEntries(b.machine()), 5);

    // Read the hive file again: the change was written through.
    b.machine().registry().unload();
    RegistryStore& store = b.machine().registry();
    EXPECT_TRUE(store.keyExists(HKEY_CURRENT_USER, kStorage1));
    EXPECT_TRUE(store.keyExists(HKEY_CURRENT_USER, kStorage2));
    EXPECT_TRUE(values(b, HKEY_CURRENT_USER, kStorage1).isEmpty());
    EXPECT_TRUE(values(b, HKEY_CURRENT_USER, kStorage2).isEmpty());
    EXPECT_EQ(values(b, HKEY_CURRENT_USER, kForms), QStringList{QStringLiteral("AskUser")});
    EXPECT_EQ(values(b, HKEY_CURRENT_USER, kIE + QStringLiteral("\\TypedURLs")),
              QStringList{QStringLiteral("url1")});
    EXPECT_EQ(values(b, HKEY_CURRENT_USER, kStorage1 + QStringLiteral("\\Sub")),
              QStringList{QStringLiteral("kept")});
    EXPECT_EQ(values(b, HKEY_LOCAL_MACHINE, kStorage1), QStringList{QStringLiteral("machine")});

    // Nothing left: a second run finds nothing.
    EXPECT_EQ(clearAutoFormEntries(b.machine()), 0);
}

TEST(ClearAutoFormEntriesTest, MissingOrEmptyStoresCountAsEmpty) {
    struct Case {
        const char* name;
        bool storage1;
        bool storage2;
        int expected;
    };
    const Case cases[] = {
        {"neither store", false, false, 0},
        {"only Storage1", true, false, 2},
        {"only Storage2", false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MachineBuilder b;
        b.regKey(HKEY_CURRENT_USER, kForms);
        if (c.storage1) {
            b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("A1"), REG_BINARY, blob('a'));
            b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("A2"), REG_BINARY, blob('b'));
        }
        if (c.storage2) b.regValue(HKEY_CURRENT_USER, kStorage2, QStringLiteral("B1"), REG_BINARY, blob('c'));
        EXPECT_EQ(clearAutoFormEntries(b.machine()), c.expected);
        RegistryStore& store = b.machine().registry();
        // A missing store is not created.
        EXPECT_EQ(store.keyExists(HKEY_CURRENT_USER, kStorage1), c.storage1);
        EXPECT_EQ(store.keyExists(HKEY_CURRENT_USER, kStorage2), c.storage2);
    }
}

TEST(ClearAutoFormEntriesTest, NoHiveAtAllIsNoEntry) {
    MachineBuilder b;
    EXPECT_EQ(clearAutoFormEntries(b.machine()), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(b.root() + "/user.reg")));
}

TEST(ClearAutoFormEntriesTest, KeysAreFoundWhateverTheirSpelling) {
    MachineBuilder b;
    b.regValue(HKEY_CURRENT_USER,
               QStringLiteral("SOFTWARE\\microsoft\\INTERNET EXPLORER\\intelliforms\\STORAGE2"),
               QStringLiteral("pw"), REG_BINARY, blob('a'));
    EXPECT_EQ(clearAutoFormEntries(b.machine()), 1);
    EXPECT_TRUE(values(b, HKEY_CURRENT_USER, kStorage2).isEmpty());
}

TEST(ClearAutoFormEntriesTest, UnwritableRegistryRaisesAndKeepsTheValue) {
    MachineBuilder b;
    b.regValue(HKEY_CURRENT_USER, kStorage1, QStringLiteral("A1"), REG_BINARY, blob('a'));
    b.machine().registry().loadAll();
    // The disk fills while the hive is written: the file cannot be replaced.
    b.machine().faults().failHostWrites(b.root() + "/user.reg", 0);
    EXPECT_THROW(clearAutoFormEntries(b.machine()), PlatformError);
    b.machine().faults().clear();
    b.machine().registry().unload();
    EXPECT_EQ(values(b, HKEY_CURRENT_USER, kStorage1), QStringList{QStringLiteral("A1")});
}
