#include "platform/HostIO.h"
#include "platform/CmdInterp.h"
#include "platform/FaultInjector.h"
#include "platform/IniFile.h"
#include "support/MachineBuilder.h"
#include "support/RegBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <ostream>
#include <tuple>

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace niv {
namespace {

const QByteArray kOldHive =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
    "#arch=win64\n\n[Software\\\\A] 1000000000\n#time=1d71cc1d4b5ec1a\n\"v\"=\"old\"\n";
const QByteArray kOldIni = "[a]\r\nk=old\r\n";
const QString kIni = QStringLiteral("C:\\x\\nivora.ini");

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

QByteArray contentOf(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// --- our own files behind links, on a disk that fills up ---

struct LinkedCase {
    const char* name;
    bool hive;     // user.reg through the registry, else an INI file
    bool hardLink; // else a symbolic link
    bool byCount;  // the disk fills on the next host write, else on every write of that file
};

void PrintTo(const LinkedCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkedOwnFile : public testing::TestWithParam<LinkedCase> {
protected:
    bool write(const char* value) {
        const LinkedCase& c = GetParam();
        if (!c.hive) return WritePrivateProfileString(b.machine(), "a", "k", value, kIni);
        try {
            b.machine().registry().setRawValue(HKEY_CURRENT_USER, "Software\\A", "v", REG_SZ,
                                               utf16Bytes(QString::fromLatin1(value)));
            return true;
        } catch (const PlatformError&) {
            return false;
        }
    }

    MachineBuilder b;
};

TEST_P(LinkedOwnFile, FullDiskKeepsTheOldFileAndTheLink) {
    const LinkedCase& c = GetParam();
    const QByteArray& oldContent = c.hive ? kOldHive : kOldIni;
    const std::string target = b.outsideFile(c.hive ? "user.reg" : "nivora.ini", oldContent);
    const std::string name =
        c.hive ? b.root() + "/user.reg" : b.folder(QStringLiteral("C:\\x")) + "/nivora.ini";
    ASSERT_EQ(c.hardLink ? ::link(target.c_str(), name.c_str()) : ::symlink(target.c_str(), name.c_str()), 0);
    // The disk fills shortly before the end, when what is written already differs from the old file.
    if (c.byCount)
        b.machine().faults().failNthHostWrite(1, oldContent.size() - 2);
    else
        b.machine().faults().failHostWrites(name, oldContent.size() - 2);
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);

    EXPECT_FALSE(write("new"));
    EXPECT_EQ(contentOf(target), oldContent);
    EXPECT_EQ(S_ISLNK(statOf(name).st_mode), !c.hardLink);
    EXPECT_EQ(QDir(QString::fromStdString(b.outside()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList(c.hive ? "user.reg" : "nivora.ini")); // no temporary file left

    b.machine().faults().clear();
    // Through a symbolic link its target is replaced; a hard-linked name is replaced itself, as
    // Wine saves it, and its other name keeps the old content.
    const std::string& written = c.hardLink ? name : target;
    const ino_t before = statOf(written).st_ino;
    EXPECT_TRUE(write("new"));
    EXPECT_TRUE(contentOf(written).contains(c.hive ? "\"v\"=\"new\"" : "k=new"));
    EXPECT_EQ(S_ISLNK(statOf(name).st_mode), !c.hardLink);
    EXPECT_EQ(statOf(written).st_mode & 07777, 0600u);
    EXPECT_NE(statOf(written).st_ino, before);
    if (c.hardLink) {
        EXPECT_EQ(contentOf(target), oldContent);
    }
}

INSTANTIATE_TEST_SUITE_P(Links, LinkedOwnFile,
                         testing::Values(LinkedCase{"HiveSymlink", true, false, false},
                                         LinkedCase{"HiveHardLink", true, true, false},
                                         LinkedCase{"IniSymlink", false, false, true},
                                         LinkedCase{"IniHardLink", false, true, true}),
                         [](const testing::TestParamInfo<LinkedCase>& info) {
                             return std::string(info.param.name);
                         });

// --- files to parse that are no files: refused at once and never rewritten ---

enum class Odd { Fifo, LinkToDevZero, Oversized };
enum class Reader { Hive, Ini, Batch };

class UnreadableFile : public testing::TestWithParam<std::tuple<Odd, Reader>> {};

TEST_P(UnreadableFile, IsRefusedAndNotRewritten) {
    const auto [odd, reader] = GetParam();
    MachineBuilder b;
    b.folder(QStringLiteral("C:\\x"));
    const QString winPath = reader == Reader::Batch ? QStringLiteral("C:\\x\\odd.bat") : kIni;
    const std::string path = reader == Reader::Hive ? b.root() + "/user.reg" : b.hostPath(winPath);
    if (odd == Odd::Fifo) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    } else if (odd == Odd::LinkToDevZero) {
        ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
    } else {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, host::kMaxReadSize + 1), 0); // sparse: no disk used
        ::close(fd);
    }
    const struct stat before = statOf(path);
    const int error = odd == Odd::Oversized ? ERROR_FILE_TOO_LARGE : ERROR_ACCESS_DENIED;
    const auto readAndWrite = [&] {
        if (reader == Reader::Hive) {
            try {
                b.machine().registry().loadAll();
                ADD_FAILURE() << "read";
            } catch (const HiveParseError& e) {
                EXPECT_EQ(e.line(), 0);
                EXPECT_TRUE(
                    e.message().endsWith(odd == Odd::Oversized ? "larger than 64 MiB" : "not a regular file"))
                    << e.message().toStdString();
            }
            EXPECT_THROW(b.machine().registry().setRawValue(HKEY_CURRENT_USER, "Software\\A", "v", REG_SZ,
                                                            utf16Bytes("new")),
                         HiveParseError);
        } else if (reader == Reader::Ini) {
            EXPECT_EQ(GetPrivateProfileString(b.machine(), "a", "k", "dflt", kIni), "dflt");
            EXPECT_EQ(b.machine().lastError(), error);
            try {
                TIniFile(b.machine(), kIni).WriteString("a", "k", "new");
                ADD_FAILURE() << "written";
            } catch (const PlatformError& e) {
                EXPECT_EQ(e.message(), "Unable to write to " + kIni);
            }
        } else {
            EXPECT_FALSE(runBatchFile(b.machine(), winPath));
            EXPECT_EQ(b.machine().lastError(), error);
        }
    };
    if (odd != Odd::Fifo) {
        readAndWrite();
    } else {
        // Should a read wait on the FIFO after all, it is fed a line now and then, so the test fails
        // instead of hanging.
        auto done = std::async(std::launch::async, readAndWrite);
        while (done.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            (void)!::write(fd, "[a]\r\nk=fed\r\n", 12);
            ::close(fd);
        }
    }
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

std::string caseName(const testing::TestParamInfo<std::tuple<Odd, Reader>>& info) {
    static const char* const odd[] = {"Fifo", "LinkToDevZero", "Oversized"};
    static const char* const reader[] = {"Hive", "Ini", "Batch"};
    return std::string(odd[static_cast<int>(std::get<0>(info.param))]) + "As" +
           reader[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableFile,
                         testing::Combine(testing::Values(Odd::Fifo, Odd::LinkToDevZero, Odd::Oversized),
                                          testing::Values(Reader::Hive, Reader::Ini, Reader::Batch)),
                         caseName);

// A writer in another PID namespace (a sandbox) sees no process of ours, yet leaves our temporary
// files alone, as we leave its.
TEST(HostWrites, WritersInTwoPidNamespacesFailNoWrite) {
    if (::geteuid() != 0) GTEST_SKIP() << "a new PID namespace needs root";
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/f";
    const auto failures = [&file] {
        int failed = 0;
        for (int n = 0; n < 200; ++n)
            failed += !host::writeFileAtomic(file, QByteArray::number(n));
        return failed;
    };
    const pid_t sandbox = ::fork();
    if (sandbox == 0) {
        if (::unshare(CLONE_NEWPID) != 0) ::_exit(100);
        const pid_t inner = ::fork(); // the first process of the new namespace
        if (inner == 0) ::_exit(std::min(failures(), 99));
        int status = -1;
        ::_exit(::waitpid(inner, &status, 0) == inner && WIFEXITED(status) ? WEXITSTATUS(status) : 99);
    }
    EXPECT_EQ(failures(), 0);
    int status = -1;
    ASSERT_EQ(::waitpid(sandbox, &status, 0), sandbox);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "this system refuses a new PID namespace";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace niv
