// Gathered writes: registry changes and INI writes of one operation saved once per file.
#include "platform/WriteScope.h"
#include "platform/FaultInjector.h"
#include "platform/HostIO.h"
#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "support/MachineBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
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
        {UserHive, false,
         "Cannot write the registry file %1/machine/user.reg. There is not enough space on the disk.",
         "old 7 new"},
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

// True when /proc/locks shows `pid` blocked on a lock.
bool waitsForLock(pid_t pid) {
    QByteArray locks;
    if (!host::readFile("/proc/locks", locks)) return false;
    const QByteArray who = ' ' + QByteArray::number(pid) + ' ';
    for (const QByteArray& line : locks.split('\n'))
        if (line.contains("->") && line.contains(who)) return true;
    return false;
}

TEST_F(WriteScopeTest, AScopeThatGatheredNothingWaitsForNoOtherWriter) {
    const int held = ::open(hostFile("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0); // another process's turn
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(held);
        WriteScope(*fresh()).commit();
        ::_exit(0);
    }
    bool waited = false;
    while (::waitpid(child, nullptr, WNOHANG) == 0 && !(waited = waitsForLock(child))) {
    }
    ::close(held);
    if (waited) ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(waited);
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

// --- our own files, user.reg through the registry and an INI file, against other programs and kills ---

enum Layer { Hive, Ini };

class OwnFile : public testing::TestWithParam<Layer> {
protected:
    OwnFile() {
        b.folder(QStringLiteral("C:\\x"));
        b.drive('z', b.root()); // gives user.reg a Windows path
    }
    bool hive() const { return GetParam() == Hive; }

    std::unique_ptr<Machine> fresh() const {
        return std::make_unique<Machine>(
            MachineSettings{b.root(), b.programFolder(), QStringLiteral("t"), true});
    }
    void write(Machine& m, const QString& v, const QString& name = QStringLiteral("k")) {
        if (!hive()) return TIniFile(m, kIni).WriteString("a", name, v);
        TRegistry reg(m);
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteString(name, v);
    }
    QString read(Machine& m, const QString& name = QStringLiteral("k")) {
        if (!hive()) return GetPrivateProfileString(m, "a", name, "?", kIni);
        TRegistry reg(m);
        return reg.OpenKey(kKey, false) ? reg.ReadString(name) : QStringLiteral("?");
    }

    MachineBuilder b;
    const QString m_file = hive() ? QStringLiteral("Z:\\user.reg") : kIni;
    const std::string m_path = hive() ? b.root() + "/user.reg" : b.hostPath(kIni);
};

TEST_P(OwnFile, AnotherProgramsFileAfterOurReadIsNeverOverwritten) {
    const QByteArray theirs("\n[Theirs] 1000000001\n\"t\"=\"x\"\n");
    for (const bool created : {false, true}) {
        SCOPED_TRACE(created ? "created" : "changed");
        ::unlink(m_path.c_str());
        if (!created) write(*fresh(), "old");
        const std::unique_ptr<Machine> m = fresh();
        EXPECT_EQ(read(*m), created ? "?" : "old");
        if (created) {
            const mode_t umask = ::umask(002);
            write(*fresh(), "old");
            ::umask(umask);
            struct stat st {};
            EXPECT_TRUE(::stat(m_path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0664); // as Wine creates
        }
        ASSERT_TRUE(host::appendFile(m_path, theirs));
        write(*m, "new");
        EXPECT_TRUE(b.readHost(m_file).contains(theirs));
        EXPECT_EQ(read(*fresh()), "new");
    }
    if (!hive()) return; // any text reads as an INI file
    EXPECT_EQ(read(b.machine()), "new");
    ASSERT_EQ(::truncate(m_path.c_str(), 3), 0);
    EXPECT_THROW(write(b.machine(), "x"), PlatformError);
    EXPECT_EQ(b.readHost(m_file), "WIN");
}

// Wine takes no lock, and the machines of one process on one folder share theirs: what either writes
// while a scope is open is kept when the scope saves.
TEST_P(OwnFile, AScopesSaveKeepsWhatAnotherWriterChangedMeanwhile) {
    const QByteArray theirs("\n[Theirs] 1000000001\n\"t\"=\"x\"\n");
    enum Writer { OtherProgram, OtherMachineHere };
    for (const Writer writer : {OtherProgram, OtherMachineHere}) {
        SCOPED_TRACE(writer);
        write(*fresh(), "old");
        const std::unique_ptr<Machine> m = fresh();
        const std::unique_ptr<Machine> other = fresh();
        {
            WriteScope scope(*m);
            write(*m, "new");
            if (writer == OtherProgram) {
                ASSERT_TRUE(host::appendFile(m_path, theirs));
            } else {
                write(*other, "theirs", "t");
            }
            scope.commit();
        }
        EXPECT_EQ(read(*fresh()), "new");
        const bool kept =
            writer == OtherProgram ? b.readHost(m_file).contains(theirs) : read(*fresh(), "t") == "theirs";
        EXPECT_TRUE(kept) << "the scope's save replaced what the other writer changed";
    }
    if (!hive()) return; // any text reads as an INI file
    // What the other program left cannot be parsed: it is kept, and the scope's change fails.
    {
        WriteScope scope(b.machine());
        write(b.machine(), "lost");
        ASSERT_EQ(::truncate(m_path.c_str(), 3), 0);
        EXPECT_THROW(scope.commit(), ERegistryException);
    }
    EXPECT_EQ(b.readHost(m_file), "WIN");
}

TEST_P(OwnFile, AReadShowsAnotherProgramsChangeAndADeletedFileAtOnce) {
    const std::unique_ptr<Machine> m = fresh();
    write(*m, "old");
    write(*fresh(), "theirs");
    EXPECT_EQ(read(*m), "theirs");
    ASSERT_EQ(::unlink(m_path.c_str()), 0);
    EXPECT_EQ(read(*m), "?");
}

// The file has a second name, DOS and other user attributes and another owner.
TEST_P(OwnFile, AKillNeverTearsItAndAWriteKeepsWhatTheFileHas) {
    const QString big(1 << 19, QLatin1Char('n'));
    write(b.machine(), big + '0'); // a kill leaves this or a later whole value
    const QByteArray old = b.readHost(m_file);
    const QString other = QStringLiteral("C:\\x\\second-name");
    ASSERT_EQ(::link(m_path.c_str(), b.hostPath(other).c_str()), 0);
    b.dosAttribRaw(m_file, "0x2");
    ASSERT_EQ(::setxattr(m_path.c_str(), "user.origin", "web", 3, 0), 0);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(m_path.c_str(), 4321, 4322) == 0);
    pid_t writer = 0;
    for (int kill = 1; kill <= 6; ++kill) {
        int wrote[2];
        ASSERT_EQ(::pipe(wrote), 0);
        if ((writer = ::fork()) == 0) {
            // Told as the second write begins: killed only once a whole write is down, and while
            // the next one is under way.
            int writes = 0;
            b.machine().faults().onHostWrite([&](const std::string&) {
                if (++writes == 2) (void)!::write(wrote[1], "w", 1);
            });
            for (int n = 0;; ++n)
                write(b.machine(), big + QString::number(n % 10));
        }
        ::close(wrote[1]);
        char c;
        ASSERT_EQ(::read(wrote[0], &c, 1), 1);
        ::close(wrote[0]);
        ::usleep((kill - 1) * 100);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const QString seen = read(*fresh());
        EXPECT_TRUE(seen.size() == big.size() + 1 && seen.startsWith(big)) << kill;
    }
    // A dead writer's temporary file goes.
    const std::size_t slash = m_path.rfind('/') + 1;
    const std::string dead = m_path.substr(0, slash) + '.' + m_path.substr(slash) + ".nivtmp-" +
                             std::to_string(writer) + "-abcdef";
    ASSERT_TRUE(host::appendFile(dead, "killed"));
    // As root, the owner writes: a user keeps the group, one of theirs but not the one their files get.
    for (const std::string& folder : {b.root() + "/..", b.root(), m_path.substr(0, slash)})
        ASSERT_TRUE(!root || ::chmod(folder.c_str(), 0777) == 0);
    const gid_t theirs = 4322;
    if ((writer = root ? ::fork() : 0) == 0) {
        if (root && (::setgroups(1, &theirs) != 0 || ::setgid(4323) != 0 || ::setuid(4321) != 0)) ::_exit(2);
        write(*fresh(), "new");
        if (root) ::_exit(0);
    }
    ASSERT_TRUE(!root || ::waitpid(writer, nullptr, 0) == writer);
    EXPECT_EQ(read(*fresh()), "new");
    EXPECT_FALSE(host::exists(dead));
    EXPECT_EQ(b.readHost(other), old);
    EXPECT_EQ(b.dosAttribText(m_file), "0x2");
    char origin[8] = {};
    EXPECT_EQ(::getxattr(m_path.c_str(), "user.origin", origin, sizeof origin), 3);
    EXPECT_STREQ(origin, "web");
    const QFileInfo info(QString::fromStdString(m_path));
    EXPECT_TRUE(!root || (info.ownerId() == 4321 && info.groupId() == theirs));
}

// Two processes changing the machine at once lose none of each other's changes.
TEST_P(OwnFile, TwoWritersTakeTurns) {
    constexpr int kChanges = 60;
    const auto name = [](int w, int n) { return QStringLiteral("w%1-%2").arg(w).arg(n); };
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        if ((writers[w] = ::fork()) == 0) {
            const std::unique_ptr<Machine> m = fresh();
            for (int n = 0; n < kChanges; ++n)
                write(*m, QString::number(n), name(w, n));
            ::_exit(testing::Test::HasFailure() ? 1 : 0);
        }
    }
    for (const pid_t writer : writers) {
        int status = -1;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_EQ(status, 0);
    }
    const std::unique_ptr<Machine> m = fresh();
    int lost = 0;
    for (int w = 0; w < 2; ++w)
        for (int n = 0; n < kChanges; ++n)
            lost += read(*m, name(w, n)) != QString::number(n);
    EXPECT_EQ(lost, 0);
}

INSTANTIATE_TEST_SUITE_P(Layers, OwnFile, testing::Values(Hive, Ini),
                         [](const auto& info) { return std::string(info.param == Hive ? "Hive" : "Ini"); });

TEST(OwnIniFile, WithinAScopeEveryNameOfAFileIsOneFile) {
    enum Case { SecondName, DeletedMeanwhile, MissingInTwoSpellings, WrittenAfterADelete };
    const struct {
        Case c;
        const char* after; // the file at the end, "" for none
    } cases[] = {
        {SecondName, "[a]\r\nk=new\r\n[b]\r\nk=z\r\n"},
        {DeletedMeanwhile, ""},
        {MissingInTwoSpellings, "[a]\r\nk=new\r\n[b]\r\nk=z\r\n"},
        {WrittenAfterADelete, "[b]\r\nk=z\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.c);
        MachineBuilder b;
        const std::string path = b.file(kIni, "[a]\r\nk=old\r\n");
        if (c.c == MissingInTwoSpellings) ::unlink(path.c_str());
        b.drive('z', "/");
        WriteScope scope(b.machine());
        TIniFile(b.machine(), kIni).WriteString("a", "k", "new");
        if (c.c == DeletedMeanwhile || c.c == WrittenAfterADelete) ::unlink(path.c_str());
        if (c.c == WrittenAfterADelete) {
            EXPECT_EQ(GetPrivateProfileString(b.machine(), "a", "k", "?", kIni), "?");
        }
        const QString second = c.c == SecondName              ? "Z:" + QString::fromStdString(path)
                               : c.c == MissingInTwoSpellings ? kIni.toUpper()
                                                              : kIni;
        if (c.c != DeletedMeanwhile) TIniFile(b.machine(), second).WriteString("b", "k", "z");
        scope.commit();
        EXPECT_EQ(b.readHost(kIni), c.after);
        EXPECT_EQ(QDir(QString::fromStdString(b.folder("C:\\x"))).entryList(QDir::Files | QDir::Hidden),
                  *c.after ? QStringList{"test.ini"} : QStringList{});
    }
}

} // namespace
