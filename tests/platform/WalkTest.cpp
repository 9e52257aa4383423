#include "platform/Walk.h"

#include "platform/FileSys.h"
#include "platform/Machine.h"
#include "platform/MessagePump.h"
#include "platform/WinPath.h"
#include "support/FewHandles.h"
#include "support/HostileTree.h"
#include "support/MachineBuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace niv {
namespace {

const QString kTree = QStringLiteral("C:\\Tree");

// Each visit as "relative path|kind|size", kind d (folder), m (mount point), l (link), f (file), then
// "!error" when the walk did not see everything.
QString visits(Machine& m, const QString& folder, WalkOptions options = {}) {
    QStringList out;
    const QString base = includeTrailingBackslash(fullPath(m, folder));
    options.sorted = true;
    const WalkResult walked = walkTree(m, folder, options, [&](WalkEntry& e) {
        const char* kind = e.isMountPoint() ? "m" : e.isDirectory() ? "d" : e.isLink() ? "l" : "f";
        out << e.path().mid(base.size()) + u'|' + QLatin1String(kind) + u'|' + QString::number(e.size());
        return WalkStep::Continue;
    });
    if (walked.error != ERROR_SUCCESS) out << u'!' + QString::number(walked.error);
    return out.join(u' ');
}

class TreeWalkTest : public ::testing::Test {
protected:
    MachineBuilder b;
    Machine& m = b.machine();
};

TEST_F(TreeWalkTest, HostileTreeIsListedAndRemovedWithoutLeavingIt) {
    HostileTree tree(b);
    tree.plant(kTree);
    tree.armSwap();
    if (!tree.mountError().empty()) GTEST_SKIP() << tree.mountError();
    EXPECT_EQ(
        visits(m, kTree),
        "a.tmp|f|1 fifo.tmp|f|0 hard.tmp|f|19 held|d|0 held\\mntfile.tmp|m|0 keep|d|0 keep\\inner.tmp|f|7 "
        "level1|d|0 level1\\level2|d|0 level1\\level2\\lnk.tmp|l|0 level1\\level2\\lnkdir|l|0 "
        "level1\\level2\\plain.tmp|f|5 level1\\lnk.tmp|l|0 level1\\lnkdir|l|0 level1\\mnt|m|0 "
        "level1\\plain.tmp|f|5 lnk.tmp|l|0 lnkdir|l|0 mnt|m|0 mntfile.tmp|m|0 plain.tmp|f|5 swap|d|0 !5");
    // A file bound there stays, as any mount point does.
    EXPECT_EQ(removeTree(m, kTree + QStringLiteral("\\held"), false), ERROR_ACCESS_DENIED);
    EXPECT_NE(removeTree(m, kTree, true), ERROR_SUCCESS); // the mount point and the invisible names stay
    EXPECT_EQ(tree.changes(), "");
    for (const char* gone :
         {"plain.tmp", "level1\\plain.tmp", "lnkdir", "hard.tmp", "fifo.tmp", "keep", "a.tmp"})
        EXPECT_FALSE(b.exists(kTree + u'\\' + QString::fromUtf8(gone))) << gone;
    EXPECT_TRUE(b.exists(kTree + QStringLiteral("\\mnt\\mounted.tmp")));
}

TEST_F(TreeWalkTest, OptionsChooseEntriesAndDepth) {
    b.file(QStringLiteral("C:\\Tree\\b.TXT"), "12");
    b.file(QStringLiteral("C:\\Tree\\c.dat"), "123");
    b.file(QStringLiteral("C:\\Tree\\Sub\\d.txt"), "1234");
    b.file(QStringLiteral("C:\\Tree\\hid.txt"), "h");
    b.attributes(QStringLiteral("C:\\Tree\\hid.txt"), faHidden);
    b.file(QStringLiteral("C:\\Tree\\sys\\in.txt"), "s");
    b.attributes(QStringLiteral("C:\\Tree\\sys"), faSysFile);
    const auto options = [](const char* mask, bool maskFolders, int attr, int depth) {
        WalkOptions o;
        o.mask = QString::fromUtf8(mask);
        o.maskFolders = maskFolders;
        o.attrFilter = attr;
        o.maxDepth = depth;
        return o;
    };
    const std::pair<WalkOptions, const char*> cases[] = {
        {options("*.*", false, faAnyFile, 0), "b.TXT|f|2 c.dat|f|3 hid.txt|f|1 Sub|d|0 sys|d|0"},
        {options("*.txt", false, faAnyFile, -1),
         "b.TXT|f|2 hid.txt|f|1 Sub|d|0 Sub\\d.txt|f|4 sys|d|0 sys\\in.txt|f|1"},
        {options("*.txt", true, faAnyFile, -1), "b.TXT|f|2 hid.txt|f|1 Sub\\d.txt|f|4 sys\\in.txt|f|1"},
        {options("*", false, faArchive | faReadOnly, -1), "b.TXT|f|2 c.dat|f|3 Sub\\d.txt|f|4"},
    };
    // A kernel that cannot read attributes by handle is read through /proc, to the same result.
    for (const HostAbilities abilities : {m.hostAbilities(), HostAbilities{}}) {
        m.setHostAbilities(abilities);
        for (const auto& [options, expected] : cases)
            EXPECT_EQ(visits(m, kTree, options), expected) << expected << abilities.xattrByHandle;
    }
}

class CountingPump : public MessagePump {
public:
    void processMessages() override { ++calls; }
    int calls = 0;
};

TEST_F(TreeWalkTest, LetsMessagesThroughOnTheClockAndStopsWhenAsked) {
    for (int i = 0; i < 20; ++i)
        b.file(kTree + QStringLiteral("\\f%1.txt").arg(i, 2, 10, QChar(u'0')));
    CountingPump pump;
    std::int64_t now = 0;
    std::atomic<bool> stop{false};
    WalkOptions o;
    o.pacing = {&pump, [&] { return now += 10; }, 50}; // 10 ms pass between entries
    o.stop = &stop;
    int seen = 0;
    const WalkResult r = walkTree(m, kTree, o, [&](WalkEntry&) {
        if (++seen == 12) stop = true;
        return WalkStep::Continue;
    });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(seen, 12);
    EXPECT_EQ(pump.calls, 3); // at 10, 60 and 110 ms
}

TEST_F(TreeWalkTest, SortedWalkTakesTheSearchOrder) {
    // Upper-cased names in code-unit order, then as they are; ASCII-only and mixed folders sort apart.
    const QString ascii = QStringLiteral("A,a,a b,ab,b,B_,Z,[1],_x,~z");
    for (const QString& names : {ascii, ascii + QString::fromUtf8(",\xc3\x89,\xc3\xa9t\xc3\xa9,\xce\xb1")}) {
        const QString base = kTree + u'\\' + QString::number(names.size()) + u'\\';
        const QStringList list = names.split(u',');
        for (qsizetype i = 0; i < list.size(); ++i)
            b.file(base + list[i * 7 % list.size()], "n"); // out of order
        EXPECT_EQ(visits(m, base), list.join(QStringLiteral("|f|1 ")) + QStringLiteral("|f|1"));
    }
}

TEST_F(TreeWalkTest, MaskWalksWriteNothingInTheProgramFolderAndStartInTheCurrentOne) {
    const QString exe = exeFolderPath();
    for (const QString& f :
         {exe + "notes.txt", exe + "sub\\deep.txt", kTree + "\\a.txt", QString("C:\\c.txt")})
        b.file(f, "kept");
    ASSERT_TRUE(SetCurrentDir(m, kTree));
    QStringList seen;
    for (const QString& mask : {exe + "*.txt", QStringLiteral("*.txt")})
        EXPECT_EQ(walkMask(m, mask, {},
                           [&](WalkEntry& e) {
                               seen << e.path();
                               EXPECT_TRUE(!e.path().startsWith(exe) ||
                                           !(e.overwriteContents() || e.deleteFile(true)));
                               return WalkStep::Continue;
                           })
                      .error,
                  ERROR_SUCCESS);
    EXPECT_EQ(seen, (QStringList{exe + "notes.txt", kTree + "\\a.txt"}));
    EXPECT_EQ(removeTree(m, exe + QStringLiteral("sub"), true, true), ERROR_ACCESS_DENIED);
    EXPECT_EQ(b.readHost(exe + "notes.txt") + b.readHost(exe + "sub\\deep.txt"), "keptkept");
}

TEST_F(TreeWalkTest, StartFolderIsJudgedByTheFolderOpenedNotByItsPath) {
    // A link flipped between an ordinary folder and the program folder while walks start through it.
    b.file(QStringLiteral("C:\\safe\\victim.txt"), "safe");
    const std::string flip = b.hostPath(QStringLiteral("C:\\flip"));
    const std::string victim = b.programFolder() + "/victim.txt";
    std::atomic<bool> done{false};
    std::thread flipper([&] {
        for (bool toProgram = false; !done; toProgram = !toProgram) {
            const std::string next = flip + (toProgram ? ".p" : ".s");
            ::unlink(next.c_str());
            if (::symlink(toProgram ? b.programFolder().c_str() : "safe", next.c_str()) == 0)
                ::rename(next.c_str(), flip.c_str());
        }
    });
    int deleted = 0;
    for (int i = 0; i < 5000 && deleted == 0; ++i) {
        if (::access(victim.c_str(), F_OK) != 0) ::close(::open(victim.c_str(), O_WRONLY | O_CREAT, 0644));
        static_cast<void>(walkTree(m, QStringLiteral("C:\\flip"), {}, [&](WalkEntry& e) {
            if (e.name() == u"victim.txt" && e.deleteFile(true) && ::access(victim.c_str(), F_OK) != 0)
                ++deleted;
            return WalkStep::Continue;
        }));
    }
    done = true;
    flipper.join();
    EXPECT_EQ(deleted, 0);
}

TEST_F(TreeWalkTest, FoldersAreUnlockedOnlyWhenAsked) {
    const std::string locked = b.folder(QStringLiteral("C:\\Tree\\locked\\inner"));
    b.file(QStringLiteral("C:\\Tree\\locked\\inner\\f.txt"), "f");
    // Nothing in the program folder changes, its rights neither.
    const std::string program = b.folder(exeFolderPath() + QStringLiteral("locked"));
    for (const bool unlock : {false, true}) {
        WalkOptions o;
        o.unlockFolders = unlock;
        for (const auto& [start, folder] : {std::pair{kTree, locked}, std::pair{exeFolderPath(), program}}) {
            ::chmod(folder.c_str(), 0500);
            EXPECT_EQ(walkTree(m, start, o, [](WalkEntry&) { return WalkStep::Continue; }).error,
                      ERROR_SUCCESS);
            struct stat st {};
            ASSERT_EQ(::stat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, unlock && folder == locked ? 0700u : 0500u) << unlock << folder;
        }
    }
}

TEST_F(TreeWalkTest, DepthIsNotLimitedByTheHostPathLength) {
    int fd = ::open(b.folder(kTree).c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(200, 'n');
    for (int level = 0; level < 40; ++level) { // 8000 bytes of path
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    {
        // Too deep for the handles left: neither result passes for the whole tree's.
        const FewHandles few(20);
        EXPECT_EQ(countTree(m, kTree).error, ERROR_TOO_MANY_OPEN_FILES);
        EXPECT_EQ(removeTree(m, kTree, false), ERROR_TOO_MANY_OPEN_FILES);
    }
    EXPECT_EQ(countTree(m, kTree).files, 1);
    EXPECT_EQ(removeTree(m, kTree, false), ERROR_SUCCESS);
    EXPECT_EQ(countTree(m, kTree).folders, 0);
}

TEST_F(TreeWalkTest, TheCallersOwnSubfoldersAreNeverLinks) {
    HostileTree tree(b);
    b.file(QStringLiteral("C:\\Real\\Cache\\0\\a.tmp"), "a");
    b.hostLink(QStringLiteral("C:\\Given"),
               b.hostPath(QStringLiteral("C:\\Real"))); // a given link is followed
    b.hostLink(QStringLiteral("C:\\Real\\Linked"), tree.sentinel());
    b.hostLink(QStringLiteral("C:\\Real\\Deep"), b.hostPath(QStringLiteral("C:\\Real\\Cache")));
    for (const char* below : {"cache", "Linked", "Deep\\0", "Missing"}) {
        SCOPED_TRACE(below);
        WalkOptions o;
        o.below = QString::fromUtf8(below);
        QStringList seen;
        const WalkResult r = walkTree(m, QStringLiteral("C:\\Given"), o, [&](WalkEntry& e) {
            seen << e.path();
            return WalkStep::Continue;
        });
        const bool inside = o.below == QStringLiteral("cache");
        const QStringList expected{"C:\\Given\\Cache\\0", "C:\\Given\\Cache\\0\\a.tmp"};
        EXPECT_EQ(seen, inside ? expected : QStringList{});
        EXPECT_EQ(r.error == ERROR_SUCCESS, inside);
    }
    EXPECT_EQ(tree.changes(), "");
}

} // namespace
} // namespace niv
