// Gathered writes: registry changes and INI writes of one operation saved once per file.
#include "platform/WriteScope.h"
#include "platform/FaultInjector.h"
#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "support/MachineBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace niv;

namespace {

const QString kIni = QStringLiteral("C:\\x\\test.ini");
const QString kKey = QStringLiteral("Software\\Bench");

class WriteScopeTest : public testing::Test {
public:
    WriteScopeTest() {
        QDir(m_dir.path()).mkpath(QStringLiteral("machine/drive_c/x"));
        m_machine = fresh();
        change(QStringLiteral("old"), 0);
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

    QByteArray files() const {
        return bytesOf("user.reg") + bytesOf("system.reg") + bytesOf("drive_c/x/test.ini");
    }

    // Changes all three.
    void change(const QString& text, int number) {
        TRegistry reg(*m_machine);
        EXPECT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("v"), text);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteInteger(QStringLiteral("v"), number);
        TIniFile(*m_machine, kIni).WriteString("a", "k", text);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Machine> m_machine;
};

TEST_F(WriteScopeTest, HowAScopeEnds) {
    enum Failing { Nothing, UserHive, Ini };
    struct EndCase {
        Failing failing;
        bool leaveByException;
        const char* raised; // what commit() raises, "" for nothing
        const char* onDisk; // what a fresh machine reads afterwards
    };
    const EndCase cases[] = {
        {Nothing, false, "", "new 7 new"},
        {Nothing, true, "", "new 7 new"}, // what was changed is saved
        {UserHive, false, "Cannot write the registry file %1/machine/user.reg", "old 7 new"},
        {Ini, false, "Unable to write to C:\\x\\test.ini", "new 7 old"},
        {UserHive, true, "", "old 7 new"},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failing << " " << c.leaveByException);
        m_machine = fresh();
        change(QStringLiteral("old"), 0);
        if (c.failing == UserHive) m_machine->faults().failHostWrites(hostFile("user.reg"), 0);
        if (c.failing == Ini) m_machine->faults().fail(FaultInjector::Op::Write, kIni, ERROR_ACCESS_DENIED);
        const QByteArray before = files();
        QString raised;
        try {
            WriteScope writes(*m_machine);
            {
                WriteScope inner(*m_machine);
                change(QStringLiteral("new"), 7);
                inner.commit();
            }
            EXPECT_EQ(state(*m_machine), "new 7 new"); // reads see what is gathered
            EXPECT_EQ(files(), before);                // saved only when the outermost scope ends
            if (c.leaveByException) throw std::runtime_error("stop");
            writes.commit();
        } catch (const PlatformError& e) {
            raised = e.message();
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(raised, QString::fromUtf8(c.raised).replace(QStringLiteral("%1"), m_dir.path()));
        EXPECT_EQ(state(*fresh()), c.onDisk);
        EXPECT_EQ(state(*m_machine), c.onDisk); // memory holds what the disk does
    }
}

TEST_F(WriteScopeTest, GatheredIniWritesGiveWhatSingleWritesGive) {
    struct Write {
        const char* section;
        const char* key;
        const char* value;
    };
    const Write writes[] = {{"b", "k1", "1"}, {"A", "K", "4"},    {"c", "x", "5"},
                            {"a", "k2", "6"}, {"b", " k3 ", "7"}, {"d", "k=v", "10"}};
    const QString single = QStringLiteral("C:\\x\\single.ini");
    const QString gathered = QStringLiteral("C:\\x\\gathered.ini");
    const QByteArray start("[a]\r\nk=old\r\n\r\n[b]\r\n; note\r\n\r\n[A]\r\nk=dup\r\nz=0");
    for (const char* name : {"single.ini", "gathered.ini"}) {
        QFile f(m_dir.path() + QStringLiteral("/machine/drive_c/x/") + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(start);
    }
    const std::unique_ptr<Machine> other = fresh(); // writes each change at once
    {
        WriteScope scope(*m_machine);
        for (const Write& w : writes) {
            ASSERT_TRUE(WritePrivateProfileString(*other, w.section, w.key, w.value, single));
            ASSERT_TRUE(WritePrivateProfileString(*m_machine, w.section, w.key, w.value, gathered));
        }
        scope.commit();
    }
    EXPECT_EQ(bytesOf("drive_c/x/gathered.ini"), bytesOf("drive_c/x/single.ini"));
}

// --- our own files against other programs and kills: user.reg through the registry, an INI file ---

enum class Layer { Hive, Ini };
enum class Event {
    ChangedAfterRead,  // another program adds to the file after we read it
    CreatedAfterRead,  // ... creates the file we found missing
    BrokenAfterRead,   // ... leaves it unparseable
    ChangedInScope,    // ... adds to it between our first write and the commit
    DeletedInScope,    // the file goes between our first write and the commit
    TwoNamesInScope,   // one scope writes through C: and through Z:
    HardLinked,        // the file has another name
    Attributed,        // it has DOS attributes and another owner
    LeftoversBeside,   // temporary files of a killed writer, ours and another's lie beside it
    KilledWhileWriting // a hard-linked file's writer is killed at random moments
};

struct OwnFileCase {
    Event event;
    Layer layer;
};

class OwnFile : public testing::TestWithParam<OwnFileCase> {
protected:
    OwnFile() {
        b.folder(QStringLiteral("C:\\x"));
        m_path = hive() ? b.root() + "/user.reg" : b.hostPath(kIni);
    }
    bool hive() const { return GetParam().layer == Layer::Hive; }

    // A whole file holding our value `v`.
    QByteArray file(const QByteArray& v) const {
        return hive() ? "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                        "[Software\\\\Bench] 1000000000\n\"v\"=\"" +
                            v + "\"\n"
                      : "[a]\r\nk=" + v + "\r\n";
    }
    static QByteArray theirs() { return "\n[Theirs] 1000000001\n\"t\"=\"x\"\n"; }

    // "" when written, else what was raised.
    QString write(Machine& m, const QString& v, const QString& ini = kIni) {
        try {
            if (!hive()) return TIniFile(m, ini).WriteString("a", "k", v), QString();
            TRegistry reg(m);
            if (reg.OpenKey(kKey, true)) reg.WriteString(QStringLiteral("v"), v);
        } catch (const PlatformError& e) {
            return e.message();
        }
        return QString();
    }
    QString read(Machine& m) {
        if (!hive()) return GetPrivateProfileString(m, "a", "k", "?", kIni);
        TRegistry reg(m);
        return reg.OpenKey(kKey, false) ? reg.ReadString(QStringLiteral("v")) : QStringLiteral("?");
    }
    void put(const std::string& path, const QByteArray& data) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    QByteArray onDisk(const std::string& path) const {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
    QStringList temporaries() const {
        const QString folder = QString::fromStdString(m_path.substr(0, m_path.rfind('/')));
        return QDir(folder).entryList({QStringLiteral("*.nivtmp-*")}, QDir::Files | QDir::Hidden);
    }

    MachineBuilder b;
    std::string m_path;
};

pid_t deadProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST_P(OwnFile, NeitherAnotherProgramsChangeNorAKillIsLost) {
    const OwnFileCase& c = GetParam();
    Machine& m = b.machine();
    const std::string other = b.outside() + "/other-name";
    if (c.event != Event::CreatedAfterRead) put(m_path, file("old"));
    EXPECT_EQ(read(m), c.event == Event::CreatedAfterRead ? "?" : "old");
    switch (c.event) {
    case Event::ChangedAfterRead:
    case Event::CreatedAfterRead:
        put(m_path, file("old") + theirs());
        EXPECT_EQ(write(m, "new"), "");
        EXPECT_TRUE(onDisk(m_path).contains(theirs()));
        break;
    case Event::BrokenAfterRead:
        put(m_path, "broken");
        EXPECT_TRUE(write(m, "new").startsWith(QString::fromStdString(m_path) + ": "));
        EXPECT_EQ(onDisk(m_path), "broken");
        return;
    case Event::ChangedInScope:
    case Event::DeletedInScope:
    case Event::TwoNamesInScope: {
        WriteScope scope(m);
        EXPECT_EQ(write(m, "new"), "");
        if (c.event == Event::ChangedInScope) put(m_path, file("old") + theirs());
        if (c.event == Event::DeletedInScope) ::unlink(m_path.c_str());
        if (c.event == Event::TwoNamesInScope) {
            b.drive('z', "/");
            TIniFile(m, "Z:" + QString::fromStdString(m_path)).WriteString("b", "k", "z");
        }
        scope.commit();
        if (c.event == Event::DeletedInScope) {
            EXPECT_FALSE(b.exists(kIni));
            return;
        }
        EXPECT_TRUE(onDisk(m_path).contains(c.event == Event::ChangedInScope ? theirs() : "[b]\r\nk=z"));
        break;
    }
    case Event::HardLinked:
        ASSERT_EQ(::link(m_path.c_str(), other.c_str()), 0);
        EXPECT_EQ(write(m, "new"), "");
        EXPECT_EQ(onDisk(other), file("old"));
        break;
    case Event::Attributed: {
        ASSERT_EQ(::setxattr(m_path.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(m_path.c_str(), 4321, 4322), 0);
        }
        EXPECT_EQ(write(m, "new"), "");
        char attrib[8] = {};
        EXPECT_EQ(::getxattr(m_path.c_str(), "user.DOSATTRIB", attrib, sizeof attrib), 3);
        EXPECT_STREQ(attrib, "0x2");
        struct stat st {};
        ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
        if (::geteuid() == 0) {
            EXPECT_EQ(st.st_uid * 10000 + st.st_gid, 4321u * 10000 + 4322);
        }
        break;
    }
    case Event::LeftoversBeside: {
        const std::string stem =
            m_path.substr(0, m_path.rfind('/') + 1) + '.' + m_path.substr(m_path.rfind('/') + 1) + ".nivtmp-";
        put(stem + std::to_string(deadProcess()) + "-abcdef", "killed");
        put(stem + std::to_string(::getpid()) + "-abcdef", "in flight");
        put(m_path.substr(0, m_path.rfind('/') + 1) + ".other.nivtmp-1-abcdef", "another file's");
        EXPECT_EQ(write(m, "new"), "");
        EXPECT_EQ(temporaries().size(), 2);
        break;
    }
    case Event::KilledWhileWriting: {
        ASSERT_EQ(::link(m_path.c_str(), other.c_str()), 0);
        const QString big(1 << 19, QLatin1Char('n'));
        std::mt19937 random(7);
        for (int kill = 0; kill < 6; ++kill) {
            int started[2];
            ASSERT_EQ(::pipe(started), 0);
            const pid_t writer = ::fork();
            if (writer == 0) {
                for (int n = 0;; ++n) {
                    write(m, big + QString::number(n % 10));
                    if (n == 0) (void)!::write(started[1], "w", 1);
                }
            }
            char w;
            ASSERT_EQ(::read(started[0], &w, 1), 1); // killed while writing, after a first whole write
            ::close(started[0]);
            ::close(started[1]);
            ::usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
            ::kill(writer, SIGKILL);
            ::waitpid(writer, nullptr, 0);
            Machine fresh(MachineSettings{b.root(), b.programFolder(), QStringLiteral("t"), true});
            const QString seen = read(fresh);
            EXPECT_TRUE(seen.size() == big.size() + 1 && seen.startsWith(big)) << kill;
        }
        EXPECT_EQ(onDisk(other), file("old"));
        EXPECT_EQ(write(m, "new"), ""); // and the killed writers' temporary files go
        EXPECT_EQ(temporaries(), QStringList());
        break;
    }
    }
    Machine fresh(MachineSettings{b.root(), b.programFolder(), QStringLiteral("t"), true});
    EXPECT_EQ(read(fresh), "new");
}

const OwnFileCase kOwnFileCases[] = {
    {Event::ChangedAfterRead, Layer::Hive},   {Event::ChangedAfterRead, Layer::Ini},
    {Event::CreatedAfterRead, Layer::Hive},   {Event::CreatedAfterRead, Layer::Ini},
    {Event::BrokenAfterRead, Layer::Hive},    {Event::ChangedInScope, Layer::Ini},
    {Event::DeletedInScope, Layer::Ini},      {Event::TwoNamesInScope, Layer::Ini},
    {Event::HardLinked, Layer::Hive},         {Event::HardLinked, Layer::Ini},
    {Event::Attributed, Layer::Hive},         {Event::Attributed, Layer::Ini},
    {Event::LeftoversBeside, Layer::Hive},    {Event::LeftoversBeside, Layer::Ini},
    {Event::KilledWhileWriting, Layer::Hive}, {Event::KilledWhileWriting, Layer::Ini},
};

std::string caseName(const testing::TestParamInfo<OwnFileCase>& info) {
    static const char* const events[] = {
        "ChangedAfterRead", "CreatedAfterRead", "BrokenAfterRead", "ChangedInScope",  "DeletedInScope",
        "TwoNamesInScope",  "HardLinked",       "Attributed",      "LeftoversBeside", "KilledWhileWriting"};
    return events[static_cast<int>(info.param.event)] +
           std::string(info.param.layer == Layer::Hive ? "Hive" : "Ini");
}

INSTANTIATE_TEST_SUITE_P(Events, OwnFile, testing::ValuesIn(kOwnFileCases), caseName);

} // namespace
