#include "platform/WineServer.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace niv;

namespace {

// Another process holding a write lock on a file, as a running wineserver holds its lock; one that
// `worksThere` works in the lock's folder, as the server does.
class LockHolder {
public:
    explicit LockHolder(const std::string& path, bool worksThere = false) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            if (worksThere) (void)!::chdir(path.substr(0, path.rfind('/')).c_str());
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = 0;
            lock.l_len = 1;
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(release[0], &c, 1); // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char ok = 'n';
        if (::read(ready[0], &ok, 1) != 1) ok = 'n';
        ::close(ready[0]);
        m_release = release[1];
        m_locked = ok == 'y';
    }
    ~LockHolder() { release(); }

    bool locked() const { return m_locked; }
    void release() {
        if (m_pid <= 0) return;
        ::close(m_release);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_locked = false;
};

class WineServerTest : public testing::Test {
protected:
    WineServerTest() {
        m_root = m_dir.path().toStdString() + "/machine";
        m_tmp = m_dir.path().toStdString() + "/tmp";
        const std::string program = m_dir.path().toStdString() + "/program";
        for (const std::string& d : {m_root, m_tmp, program})
            ::mkdir(d.c_str(), 0755);
        m_machine = std::make_unique<Machine>(
            MachineSettings{m_root, program, QStringLiteral("tester"), true, m_tmp});
    }

    // "server-<dev>-<ino>" of the machine folder, worked out here from stat().
    std::string serverName() const {
        struct stat st {};
        EXPECT_EQ(::stat(m_root.c_str(), &st), 0);
        return "server-" + QByteArray::number(static_cast<qulonglong>(st.st_dev), 16).toStdString() + '-' +
               QByteArray::number(static_cast<qulonglong>(st.st_ino), 16).toStdString();
    }

    std::string makeFolder(const std::string& path) {
        EXPECT_TRUE(QDir().mkpath(QString::fromStdString(path))) << path;
        return path;
    }

    std::string standardFolder() {
        return makeFolder(m_tmp + "/.wine-" + std::to_string(::getuid()) + '/' + serverName());
    }

    void writeText(const std::string& path, const QByteArray& text) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    bool running() { return wineServerRunning(*m_machine); }

    QTemporaryDir m_dir;
    std::string m_root;
    std::string m_tmp;
    std::unique_ptr<Machine> m_machine;
};

TEST_F(WineServerTest, NoServerFolderMeansNoServer) {
    EXPECT_FALSE(running());
}

TEST_F(WineServerTest, LockFileWithoutALockMeansNoServer) {
    writeText(standardFolder() + "/lock", "");
    EXPECT_FALSE(running());
}

TEST_F(WineServerTest, HeldLockMeansARunningServer) {
    const std::string lock = standardFolder() + "/lock";
    LockHolder server(lock);
    ASSERT_TRUE(server.locked());
    EXPECT_TRUE(running());
    server.release();
    EXPECT_FALSE(running());
}

// A server running before a change refuses it; one that starts while it is saved leaves it written
// but not reported as done.
TEST_F(WineServerTest, WhileAServerRunsNoChangeIsReportedAsDone) {
    TRegistry reg(*m_machine);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\A"), true));
    reg.WriteString(QStringLiteral("v"), QStringLiteral("before"));
    const auto userReg = [&] {
        QFile f(QString::fromStdString(m_root + "/user.reg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    for (const ServerFound when : {ServerFound::BeforeChange, ServerFound::AfterChange}) {
        std::unique_ptr<LockHolder> server;
        const auto start = [&](const std::string&) {
            server = std::make_unique<LockHolder>(standardFolder() + "/lock");
        };
        if (when == ServerFound::BeforeChange)
            start({});
        else
            m_machine->faults().onHostWrite(start);
        try {
            reg.WriteString(QStringLiteral("v"), QStringLiteral("during"));
            ADD_FAILURE() << "reported as done";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.message(), wineServerMessage(*m_machine, when));
        }
        ASSERT_TRUE(server && server->locked());
        const bool written = when == ServerFound::AfterChange;
        EXPECT_EQ(reg.ReadString(QStringLiteral("v")), written ? "during" : "before");
        EXPECT_EQ(userReg().contains("during"), written);
        m_machine->faults().clear();
        server.reset();
        reg.WriteString(QStringLiteral("v"), QStringLiteral("before"));
    }
}

TEST_F(WineServerTest, LockOfAnotherMachineDoesNotCount) {
    const std::string other = makeFolder(m_tmp + "/.wine-" + std::to_string(::getuid()) + "/server-1-2");
    LockHolder server(other + "/lock");
    ASSERT_TRUE(server.locked());
    EXPECT_FALSE(running());
    // Nor does the server of another user's folder.
    LockHolder otherUser(makeFolder(m_tmp + "/.wine-" + std::to_string(::getuid() + 1) + '/' + serverName()) +
                         "/lock");
    ASSERT_TRUE(otherUser.locked());
    EXPECT_FALSE(running());
}

struct DebianCase {
    const char* name;
    bool asLink;          // <machine>/wineserver is a link to the folder, else a file naming it
    bool serverSubfolder; // the lock is in <folder>/server-<dev>-<ino>, else in <folder>
    bool relative;        // the file holds only the folder's name, which lies in the temporary folder
    const char* end;      // what follows the name in the file
    bool otherTmp = false; // that temporary folder was the server's own, not ours: the server works there
};

void PrintTo(const DebianCase& c, std::ostream* os) {
    *os << c.name;
}

class WineServerDebian : public WineServerTest, public testing::WithParamInterface<DebianCase> {};

TEST_P(WineServerDebian, LockInTheFolderNamedByTheMachine) {
    const DebianCase& c = GetParam();
    const std::string name = "wine-Ab12Cd";
    const std::string tmp = c.otherTmp ? m_dir.path().toStdString() + "/server-tmp" : m_tmp;
    const std::string folder =
        makeFolder((c.relative ? tmp : m_dir.path().toStdString() + "/run") + '/' + name);
    const std::string lockFolder = c.serverSubfolder ? makeFolder(folder + '/' + serverName()) : folder;
    const std::string entry = m_root + "/wineserver";
    if (c.asLink)
        ASSERT_EQ(::symlink(folder.c_str(), entry.c_str()), 0);
    else
        writeText(entry, QByteArray::fromStdString((c.relative ? name : folder) + c.end));
    writeText(lockFolder + "/lock", "");
    EXPECT_FALSE(running());
    LockHolder server(lockFolder + "/lock", c.otherTmp);
    ASSERT_TRUE(server.locked());
    EXPECT_TRUE(running());
    server.release();
    EXPECT_FALSE(running());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WineServerDebian,
    testing::Values(DebianCase{"LinkServerFolder", true, true, false, ""},
                    DebianCase{"LinkFlat", true, false, false, ""},
                    DebianCase{"FileServerFolder", false, true, false, "\n"},
                    DebianCase{"FileFlat", false, false, false, "\n"},
                    DebianCase{"NameInTempFolder", false, true, true, ""},
                    DebianCase{"NameAndNewlineInTempFolder", false, true, true, "\n"},
                    DebianCase{"NameInTheServersTempFolder", false, true, true, "", true}),
    [](const testing::TestParamInfo<DebianCase>& info) { return std::string(info.param.name); });

TEST_F(WineServerTest, WineserverEntryNamingNothingIsIgnored) {
    writeText(m_root + "/wineserver", "\n");
    EXPECT_FALSE(running());
    LockHolder server(standardFolder() + "/lock");
    ASSERT_TRUE(server.locked());
    EXPECT_TRUE(running());
}

} // namespace
