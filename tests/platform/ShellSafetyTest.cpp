#include "platform/FaultInjector.h"
#include "platform/FileSys.h"
#include "platform/HostIO.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"
#include "support/HostileTree.h"
#include "support/InodeFlag.h"
#include "support/MachineBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {
namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(OpensByRunningTest, JudgesTheNameTheShellOpensAndWhatTheHostWouldRun) {
    MachineBuilder b;
    b.file(q("C:\\d\\evil.bat"), "del x");
    b.file(q("C:\\d\\notes.txt"), "plain words");
    b.file(q("C:\\d\\script.txt"), "#!/bin/sh\nrm -rf x\n");
    b.file(q("C:\\d\\run.txt"), "plain words");
    ::chmod(b.hostPath(q("C:\\d\\run.txt")).c_str(), 0755);
    b.file(q("C:\\d\\entry.txt"), "[Desktop Entry]\nType=Application\nExec=rm x\n");
    b.file(q("C:\\d\\elf.txt"), QByteArray::fromHex("7f454c46020101").leftJustified(207, '\0'));
    const std::pair<const char*, bool> cases[] = {
        {"evil.bat.", true},  {"evil.bat . ", true}, {"x.ps1", true},       {"x.desktop", true},
        {"x.AppImage", true}, {"run.txt", true},     {"script.txt", true},  {"entry.txt", true},
        {"elf.txt", true},    {"notes.txt", false},  {"notes.txt.", false}, {"missing.htm", false},
    };
    for (const auto& [name, runs] : cases)
        EXPECT_EQ(opensByRunning(b.machine(), q("C:\\d\\") + q(name)), runs) << name;
}

TEST(RecycleAcrossFileSystemsTest, AFailedCopyLeavesTheSourceAndNoHalfItem) {
    MachineBuilder b;
    QTemporaryDir other(QDir::tempPath() == q("/dev/shm") ? q("/tmp/x") : q("/dev/shm/nivora-XXXXXX"));
    struct stat a {
    }, c{};
    if (!other.isValid() || ::stat(other.path().toUtf8().constData(), &a) != 0 ||
        ::stat(b.driveC().c_str(), &c) != 0 || a.st_dev == c.st_dev)
        GTEST_SKIP() << "no second file system to recycle from";
    b.drive('d', other.path().toStdString());
    b.file(q("D:\\item\\a.txt"), "a");
    b.file(q("D:\\item\\sub\\b.txt"), QByteArray(3 << 20, 'b')); // more than one chunk
    ASSERT_EQ(::mkfifo(b.hostPath(q("D:\\item\\sub\\pipe")).c_str(), 0644), 0);
    b.file(q("D:\\whole\\c.txt"), "c");
    const auto binNames = [&](const QStringList& masks) {
        return QDir(QString::fromStdString(b.hostPath(recycleBinFolder())))
            .entryList(masks, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    };

    EXPECT_NE(shellRecycle(b.machine(), q("D:\\item")), 0);
    EXPECT_EQ(b.readHost(q("D:\\item\\sub\\b.txt")).size(), 3 << 20);
    EXPECT_TRUE(b.exists(q("D:\\item\\a.txt")));
    EXPECT_EQ(binNames({q("$R*"), q("$I*")}), QStringList());

    // A name already taken at the destination is never replaced nor removed.
    b.file(q("C:\\taken\\mine.txt"), "mine");
    errno = 0;
    EXPECT_FALSE(
        moveEntry(b.machine(), resolve(b.machine(), q("D:\\item")), resolve(b.machine(), q("C:\\taken"))));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(b.readHost(q("C:\\taken\\mine.txt")), "mine");
    EXPECT_TRUE(b.exists(q("D:\\item\\a.txt")));
    // Nor one that appears after the look, as the copy begins.
    b.machine().faults().onCheck([&](FaultInjector::Op op, const QString& path) {
        if (op == FaultInjector::Op::Write && path == q("C:\\late"))
            b.file(q("C:\\late\\theirs.txt"), "theirs");
    });
    errno = 0;
    EXPECT_FALSE(
        moveEntry(b.machine(), resolve(b.machine(), q("D:\\item")), resolve(b.machine(), q("C:\\late"))));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(b.readHost(q("C:\\late\\theirs.txt")), "theirs");
    b.machine().faults().onCheck({});

    // Deeper than the copy descends: refused whole.
    int fd = ::open(b.folder(q("D:\\deep")).c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 4100 && fd >= 0; ++level) {
        ::mkdirat(fd, "d", 0755);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(fd);
    EXPECT_NE(shellRecycle(b.machine(), q("D:\\deep")), 0);
    EXPECT_TRUE(b.exists(q("D:\\deep\\d\\d")));

    EXPECT_EQ(shellRecycle(b.machine(), q("D:\\whole")), 0);
    EXPECT_FALSE(b.exists(q("D:\\whole")));
    const QStringList items = binNames({q("$R*")});
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(b.readHost(recycleBinFolder() + u'\\' + items.first() + q("\\c.txt")), "c");

    // A source that cannot be removed whole is no move: each copy whose source stays goes again,
    // and what did leave its place is kept in the bin, listed.
    b.file(q("D:\\keep\\f.txt"), "f");
    b.file(q("D:\\part\\a.txt"), "a");
    b.file(q("D:\\part\\sub\\b.txt"), "b");
    InodeFlag keep(b.hostPath(q("D:\\keep")), FS_APPEND_FL); // its entries cannot be removed
    InodeFlag sub(b.hostPath(q("D:\\part\\sub")), FS_APPEND_FL);
    if (!keep.set || !sub.set) GTEST_SKIP() << "no append-only folders here";
    EXPECT_NE(shellRecycle(b.machine(), q("D:\\keep\\f.txt")), 0);
    EXPECT_EQ(b.readHost(q("D:\\keep\\f.txt")), "f");
    EXPECT_EQ(binNames({q("$R*")}), items);
    EXPECT_NE(shellRecycle(b.machine(), q("D:\\part")), 0);
    EXPECT_EQ(b.readHost(q("D:\\part\\sub\\b.txt")), "b");
    EXPECT_FALSE(b.exists(q("D:\\part\\a.txt")));
    QStringList kept = binNames({q("$R*")});
    kept.removeAll(items.first());
    ASSERT_EQ(kept.size(), 1);
    const QString partInBin = recycleBinFolder() + u'\\' + kept.first();
    EXPECT_EQ(b.readHost(partInBin + q("\\a.txt")), "a");
    EXPECT_FALSE(b.exists(partInBin + q("\\sub")));
    EXPECT_TRUE(b.exists(recycleBinFolder() + q("\\$I") + kept.first().mid(2)));
}

TEST(ProgramFolderTest, NothingWritesIntoItWhateverNameReachesIt) {
    MachineBuilder b;
    HostileTree watch(b); // the program folder is among what it watches
    b.drive('p', b.programFolder());
    b.drive('z', "/");
    b.hostLink(q("C:\\plink"), "../../program");
    b.hostLink(q("C:\\own.ini"), b.programFolder() + "/index_t.htm");
    b.file(q("C:\\free.txt"), "free");
    const QString viaZ = q("Z:") + QString::fromStdString(b.programFolder()).replace(u'/', u'\\') + u'\\';
    Machine& m = b.machine();
    for (const QString& at : {q("P:\\"), q("c:\\PLINK\\"), viaZ}) {
        SCOPED_TRACE(at.toStdString());
        EXPECT_FALSE(DeleteFile(m, at + q("index_t.htm")));
        EXPECT_NE(shellRecycle(m, at + q("download.htm")), 0);
        EXPECT_FALSE(WriteFileBytes(m, at + q("index_t.htm"), "x"));
        EXPECT_FALSE(AppendFileBytes(m, at + q("new.txt"), "x"));
        EXPECT_FALSE(FileSetAttr(m, at + q("index_t.htm"), faHidden));
        EXPECT_FALSE(CreateDir(m, at + q("new")));
        EXPECT_FALSE(ForceDirectories(m, at + q("a\\b")));
        EXPECT_FALSE(MoveFile(m, q("C:\\free.txt"), at + q("free.txt")));
        EXPECT_FALSE(MoveFile(m, at + q("index_t.htm"), q("C:\\moved.htm")));
        EXPECT_FALSE(CopyFile(m, q("C:\\free.txt"), at + q("copy.txt"), false));
    }
    EXPECT_FALSE(WritePrivateProfileString(m, q("s"), q("k"), q("v"), q("C:\\own.ini")));
    b.hostLink(recycleBinFolder(), b.programFolder()); // the bin itself leads there
    EXPECT_NE(shellRecycle(m, q("C:\\free.txt")), 0);
    EXPECT_EQ(watch.changes(), "");
}

TEST(ProgramFolderTest, AFolderHoldingItStaysAndItIsKnownWhereverItWent) {
    MachineBuilder b;
    const std::string prog = b.outsideFolder("a/prog");
    b.outsideFile("a/prog/index_t.htm", "help");
    b.drive('q', b.outside());
    Machine m(MachineSettings{b.root(), prog, q("t"), true});
    EXPECT_FALSE(MoveFile(m, q("Q:\\a"), q("Q:\\b")));
    EXPECT_NE(shellRecycle(m, q("Q:\\a")), 0);
    EXPECT_EQ(QDir(QString::fromStdString(prog)).entryList(QDir::Files), QStringList{q("index_t.htm")});
    // Moved by someone else, it is still the program folder.
    ASSERT_EQ(::rename((b.outside() + "/a").c_str(), (b.outside() + "/b").c_str()), 0);
    EXPECT_FALSE(WriteFileBytes(m, q("Q:\\b\\prog\\index_t.htm"), "overwritten"));
    EXPECT_FALSE(DeleteFile(m, q("Q:\\b\\prog\\index_t.htm")));
    EXPECT_EQ(b.readHost(q("Q:\\b\\prog\\index_t.htm")), "help");
}

} // namespace
} // namespace niv
