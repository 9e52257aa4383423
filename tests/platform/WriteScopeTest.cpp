// Gathered writes: registry changes and INI writes of one operation saved once per file.
#include "platform/FaultInjector.h"
#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

using namespace niv;

namespace {

const QString kIni = QStringLiteral("C:\\x\\test.ini");
const QString kKey = QStringLiteral("Software\\Bench");

class WriteScopeTest : public testing::Test {
public:
    WriteScopeTest() {
        QDir(m_dir.path()).mkpath(QStringLiteral("machine/drive_c/x"));
        m_machine = fresh();
        QFile ini(m_dir.path() + QStringLiteral("/machine/drive_c/x/test.ini"));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[a]\r\nk=old\r\n");
        ini.close();
        TRegistry reg(*m_machine);
        EXPECT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("v"), QStringLiteral("old"));
        m_machine->registry().setRawValue(HKEY_LOCAL_MACHINE, kKey, QStringLiteral("v"), REG_DWORD,
                                          QByteArray(4, '\0'));
    }

    std::unique_ptr<Machine> fresh() const {
        const std::string root = m_dir.path().toStdString() + "/machine";
        return std::make_unique<Machine>(MachineSettings{root, root + "/prog", QStringLiteral("t"), true});
    }
    std::string hostFile(const char* name) const { return m_dir.path().toStdString() + "/machine/" + name; }
    QByteArray bytesOf(const char* name) const {
        QFile f(QString::fromStdString(hostFile(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The user value, the machine value and the INI key, as `machine` reads them.
    static QString state(Machine& machine) {
        TRegistry reg(machine);
        QString out = reg.OpenKey(kKey, false) ? reg.ReadString(QStringLiteral("v")) : QStringLiteral("?");
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        out += u' ' + QString::number(reg.OpenKey(kKey, false) ? reg.ReadInteger(QStringLiteral("v")) : -1);
        return out + u' ' + GetPrivateProfileString(machine, "a", "k", "?", kIni);
    }

    // Changes all three.
    void change(const QString& text, int number) {
        TRegistry reg(*m_machine);
        ASSERT_TRUE(reg.OpenKey(kKey, false));
        reg.WriteString(QStringLiteral("v"), text);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(kKey, false));
        reg.WriteInteger(QStringLiteral("v"), number);
        TIniFile(*m_machine, kIni).WriteString("a", "k", text);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Machine> m_machine;
};

TEST_F(WriteScopeTest, SavesEachFileOnceWhenTheOutermostScopeEnds) {
    const QByteArray user = bytesOf("user.reg"), system = bytesOf("system.reg");
    const QByteArray ini = bytesOf("drive_c/x/test.ini");
    // A fourth save would hit a full disk.
    m_machine->faults().failNthHostWrite(4, 0);
    {
        WriteScope outer(*m_machine);
        for (int i = 1; i <= 5; ++i) {
            WriteScope inner(*m_machine);
            change(QStringLiteral("new%1").arg(i), i);
            inner.commit();
        }
        EXPECT_EQ(state(*m_machine), "new5 5 new5"); // reads see what is gathered
        EXPECT_EQ(bytesOf("user.reg"), user);
        EXPECT_EQ(bytesOf("system.reg"), system);
        EXPECT_EQ(bytesOf("drive_c/x/test.ini"), ini);
        outer.commit();
    }
    EXPECT_EQ(state(*fresh()), "new5 5 new5");
}

TEST_F(WriteScopeTest, HowAScopeEnds) {
    struct EndCase {
        const char* name;
        std::function<void(WriteScopeTest&)> failure; // set up before the scope
        bool leaveByException;
        const char* raised; // what commit() raises, "" for nothing
        const char* onDisk; // what a fresh machine reads afterwards
    };
    const EndCase cases[] = {
        {"committed", {}, false, "", "new 7 new"},
        {"left by an exception: what was changed is saved", {}, true, "", "new 7 new"},
        {"user hive cannot be saved",
         [](WriteScopeTest& t) { t.m_machine->faults().failHostWrites(t.hostFile("user.reg"), 0); }, false,
         "Cannot write the registry file %1/machine/user.reg", "old 7 new"},
        {"INI file cannot be saved",
         [](WriteScopeTest& t) {
             t.m_machine->faults().fail(FaultInjector::Op::Write, kIni, ERROR_ACCESS_DENIED);
         },
         false, "Unable to write to C:\\x\\test.ini", "new 7 old"},
        {"unsaved while an exception leaves the scope",
         [](WriteScopeTest& t) { t.m_machine->faults().failHostWrites(t.hostFile("user.reg"), 0); }, true, "",
         "old 7 new"},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_machine = fresh();
        {
            WriteScope writes(*m_machine);
            change(QStringLiteral("old"), 0);
            writes.commit();
        }
        if (c.failure) c.failure(*this);
        QString raised;
        try {
            WriteScope writes(*m_machine);
            change(QStringLiteral("new"), 7);
            if (c.leaveByException) throw std::runtime_error("stop");
            writes.commit();
        } catch (const PlatformError& e) {
            raised = e.message();
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(raised, QString::fromUtf8(c.raised).replace(QStringLiteral("%1"), m_dir.path()));
        EXPECT_EQ(state(*fresh()), c.onDisk);
        // Memory holds what the disk does.
        EXPECT_EQ(state(*m_machine), c.onDisk);
    }
}

TEST_F(WriteScopeTest, GatheredIniWritesGiveWhatSingleWritesGive) {
    struct Write {
        const char* section;
        const char* key;
        const char* value;
    };
    const Write writes[] = {
        {"b", "k1", "1"}, {"a", "k2", "2"},   {"b", "k2", "3"}, {"A", "K", "4"}, {"c", "x", "5"},
        {"a", "k2", "6"}, {"b", " k3 ", "7"}, {"a", "z", "8"},  {"C", "y", "9"}, {"d", "k=v", "10"},
    };
    const QString single = QStringLiteral("C:\\x\\single.ini");
    const QString gathered = QStringLiteral("C:\\x\\gathered.ini");
    const QByteArray start("[a]\r\nk=old\r\n\r\n[b]\r\n; note\r\n\r\n[A]\r\nk=dup\r\nz=0");
    for (const char* name : {"single.ini", "gathered.ini"}) {
        QFile f(m_dir.path() + QStringLiteral("/machine/drive_c/x/") + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(start);
    }
    // Step by step, reads of the gathered file in the scope agree with the file written at once
    // (by a machine of its own, outside the scope).
    const std::unique_ptr<Machine> other = fresh();
    {
        WriteScope scope(*m_machine);
        for (const Write& w : writes) {
            ASSERT_TRUE(WritePrivateProfileString(*other, w.section, w.key, w.value, single));
            ASSERT_TRUE(WritePrivateProfileString(*m_machine, w.section, w.key, w.value, gathered));
            for (const Write& r : writes)
                EXPECT_EQ(GetPrivateProfileString(*m_machine, r.section, r.key, "-", gathered),
                          GetPrivateProfileString(*other, r.section, r.key, "-", single))
                    << w.section << "/" << w.key << " then " << r.section << "/" << r.key;
        }
        EXPECT_EQ(bytesOf("drive_c/x/gathered.ini"), start);
        scope.commit();
    }
    EXPECT_EQ(bytesOf("drive_c/x/gathered.ini"), bytesOf("drive_c/x/single.ini"));
    for (const Write& r : writes)
        EXPECT_EQ(GetPrivateProfileString(*m_machine, r.section, r.key, "-", gathered),
                  GetPrivateProfileString(*fresh(), r.section, r.key, "-", single));
}

} // namespace
