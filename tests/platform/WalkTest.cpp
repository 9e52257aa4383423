#include "platform/Walk.h"

#include "platform/FaultInjector.h"
#include "platform/FileSys.h"
#include "platform/Machine.h"
#include "platform/MessagePump.h"
#include "platform/WinPath.h"
#include "support/HostileTree.h"
#include "support/MachineBuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {
namespace {

const QString kTree = QStringLiteral("C:\\Tree");

// Each visit as "relative path|kind|size", kind d (folder), m (mount point), l (link), f (file).
QStringList visits(Machine& m, const QString& folder, const WalkOptions& options = {}) {
    QStringList out;
    const QString base = includeTrailingBackslash(fullPath(m, folder));
    walkTree(m, folder, options, [&](WalkEntry& e) {
        const QString kind = e.isMountPoint()  ? QStringLiteral("m")
                             : e.isDirectory() ? QStringLiteral("d")
                             : e.isLink()      ? QStringLiteral("l")
                                               : QStringLiteral("f");
        out << e.path().mid(base.size()) + u'|' + kind + u'|' + QString::number(e.size());
        return WalkStep::Continue;
    });
    return out;
}

class TreeWalkTest : public ::testing::Test {
protected:
    MachineBuilder b;
    Machine& m = b.machine();
};

TEST_F(TreeWalkTest, HostileTreeListsLinksAsFilesAndEntersNothingOutside) {
    HostileTree tree(b);
    tree.plant(kTree);
    tree.armSwap();
    WalkOptions sorted;
    sorted.sorted = true;
    const QStringList expected = {
        "a.tmp|f|1",
        "fifo.tmp|f|0",
        "hard.tmp|f|19",
        "keep|d|0",
        "keep\\inner.tmp|f|7",
        "level1|d|0",
        "level1\\level2|d|0",
        "level1\\level2\\lnk.tmp|l|0",
        "level1\\level2\\lnkdir|l|0",
        "level1\\level2\\plain.tmp|f|5",
        "level1\\lnk.tmp|l|0",
        "level1\\lnkdir|l|0",
        "level1\\plain.tmp|f|5",
        "lnk.tmp|l|0",
        "lnkdir|l|0",
        "mnt|m|0",
        "plain.tmp|f|5",
        "swap|d|0",
    };
    EXPECT_EQ(visits(m, kTree, sorted), expected);
    EXPECT_EQ(tree.changes(), "");
}

TEST_F(TreeWalkTest, RemoveTreeTakesOnlyWhatIsInside) {
    HostileTree tree(b);
    tree.plant(kTree);
    tree.armSwap();
    EXPECT_FALSE(removeTree(m, kTree, true)); // the mount point and the invisible names stay
    EXPECT_EQ(tree.changes(), "");
    for (const char* gone : {"plain.tmp", "level1", "lnkdir", "hard.tmp", "fifo.tmp", "keep", "a.tmp"})
        EXPECT_FALSE(b.exists(kTree + u'\\' + QString::fromUtf8(gone))) << gone;
    EXPECT_TRUE(b.exists(kTree + QStringLiteral("\\mnt\\mounted.tmp")));
}

TEST_F(TreeWalkTest, OptionsChooseEntriesDepthAndOrder) {
    b.file(QStringLiteral("C:\\Tree\\b.TXT"), "12");
    b.file(QStringLiteral("C:\\Tree\\A.txt"), "1");
    b.file(QStringLiteral("C:\\Tree\\c.dat"), "123");
    b.file(QStringLiteral("C:\\Tree\\Sub\\d.txt"), "1234");
    b.file(QStringLiteral("C:\\Tree\\hid.txt"), "h");
    b.attributes(QStringLiteral("C:\\Tree\\hid.txt"), faHidden);
    b.folder(QStringLiteral("C:\\Tree\\sys"));
    b.file(QStringLiteral("C:\\Tree\\sys\\in.txt"), "s");
    b.attributes(QStringLiteral("C:\\Tree\\sys"), faSysFile);
    struct Case {
        const char* what;
        QString mask;
        bool maskFolders;
        int attr;
        int depth;
        QStringList expected;
    };
    const Case cases[] = {
        {"everything, in order",
         "*",
         false,
         faAnyFile,
         -1,
         {"A.txt|f|1", "b.TXT|f|2", "c.dat|f|3", "hid.txt|f|1", "Sub|d|0", "Sub\\d.txt|f|4", "sys|d|0",
          "sys\\in.txt|f|1"}},
        {"top level only",
         "*.*",
         false,
         faAnyFile,
         0,
         {"A.txt|f|1", "b.TXT|f|2", "c.dat|f|3", "hid.txt|f|1", "Sub|d|0", "sys|d|0"}},
        {"a mask for files, folders still entered",
         "*.txt",
         false,
         faAnyFile,
         -1,
         {"A.txt|f|1", "b.TXT|f|2", "hid.txt|f|1", "Sub|d|0", "Sub\\d.txt|f|4", "sys|d|0",
          "sys\\in.txt|f|1"}},
        {"a mask for folders too",
         "*.txt",
         true,
         faAnyFile,
         -1,
         {"A.txt|f|1", "b.TXT|f|2", "hid.txt|f|1", "Sub\\d.txt|f|4", "sys\\in.txt|f|1"}},
        {"no hidden or system entries, files only",
         "*",
         false,
         faArchive | faReadOnly,
         -1,
         {"A.txt|f|1", "b.TXT|f|2", "c.dat|f|3", "Sub\\d.txt|f|4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WalkOptions o;
        o.sorted = true;
        o.mask = c.mask;
        o.maskFolders = c.maskFolders;
        o.attrFilter = c.attr;
        o.maxDepth = c.depth;
        EXPECT_EQ(visits(m, kTree, o), c.expected);
    }
}

TEST_F(TreeWalkTest, FoldersComeAgainAfterTheirContents) {
    b.file(QStringLiteral("C:\\Tree\\a\\b\\f.txt"), "x");
    WalkOptions o;
    o.foldersAfterContents = true;
    QStringList order;
    walkTree(m, kTree, o, [&](WalkEntry& e) {
        order << e.name() + (e.afterContents() ? QStringLiteral(" after") : QString());
        return WalkStep::Continue;
    });
    EXPECT_EQ(order, (QStringList{"a", "b", "f.txt", "b after", "a after"}));
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
    o.sorted = true;
    o.pump = &pump;
    o.clockMs = [&] { return now += 10; }; // 10 ms pass between entries
    o.pumpIntervalMs = 50;
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

TEST_F(TreeWalkTest, AFolderReachedThroughTwoDrivesCountsOnce) {
    b.drive('z', b.driveC());
    b.file(QStringLiteral("C:\\Tree\\a.bin"), QByteArray(100, 'a'));
    WalkOptions o;
    o.memory = makeWalkMemory();
    const TreeTotals c = countTree(m, QStringLiteral("C:\\Tree"), o);
    const TreeTotals z = countTree(m, QStringLiteral("Z:\\Tree"), o);
    EXPECT_EQ(c.bytes, 100);
    EXPECT_EQ(z.bytes, 0);
}

TEST_F(TreeWalkTest, WipeLeavesAHardLinkedFileAlone) {
    const std::string outside = b.outsideFile("other.txt", "keep me");
    b.file(QStringLiteral("C:\\Tree\\own.txt"), "mine");
    ASSERT_EQ(::link(outside.c_str(), b.hostPath(QStringLiteral("C:\\Tree\\linked.txt")).c_str()), 0);
    QStringList overwritten;
    walkTree(m, kTree, {}, [&](WalkEntry& e) {
        if (e.overwriteContents()) overwritten << e.name();
        return WalkStep::Continue;
    });
    EXPECT_EQ(overwritten, QStringList{"own.txt"});
    EXPECT_EQ(b.readHost(QStringLiteral("C:\\Tree\\own.txt")), QByteArray(4, '\0'));
    EXPECT_EQ(b.readHost(QStringLiteral("C:\\Tree\\linked.txt")), "keep me");
}

TEST_F(TreeWalkTest, DepthIsNotLimitedByTheHostPathLength) {
    std::string host = b.folder(kTree);
    int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(200, 'n');
    for (int level = 0; level < 40; ++level) { // 8000 bytes of path
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    EXPECT_EQ(countTree(m, kTree).files, 1);
    EXPECT_TRUE(removeTree(m, kTree, false));
    EXPECT_EQ(countTree(m, kTree).folders, 0);
}

TEST_F(TreeWalkTest, FileSearchHidesNamesWindowsCannotHold) {
    HostileTree tree(b);
    tree.plant(kTree);
    SearchRec rec;
    QStringList names;
    for (int r = FindFirst(m, kTree + QStringLiteral("\\*"), faAnyFile, rec); r == 0; r = FindNext(rec))
        names << rec.Name;
    for (const QString& hidden : {"keep.", "a.tmp ", "...", "dot.tmp."})
        EXPECT_FALSE(names.contains(hidden)) << hidden.toStdString();
    EXPECT_TRUE(names.contains("keep"));
}

} // namespace
} // namespace niv

namespace niv {
namespace {

TEST_F(TreeWalkTest, TheCallersOwnSubfoldersAreNeverLinks) {
    HostileTree tree(b);
    b.file(QStringLiteral("C:\\Real\\Cache\\0\\a.tmp"), "a");
    b.hostLink(QStringLiteral("C:\\Given"),
               b.hostPath(QStringLiteral("C:\\Real"))); // a given link is followed
    b.hostLink(QStringLiteral("C:\\Real\\Linked"), tree.sentinel());
    b.hostLink(QStringLiteral("C:\\Real\\Deep"), b.hostPath(QStringLiteral("C:\\Real\\Cache")));
    struct Case {
        const char* folder;
        const char* below;
        QStringList expected;
    };
    const Case cases[] = {
        {"C:\\Given", "cache", {"0|d|0", "0\\a.tmp|f|1"}},
        {"C:\\Given", "Linked", {}},
        {"C:\\Given", "Deep\\0", {}},
        {"C:\\Given", "Missing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.below);
        WalkOptions o;
        o.sorted = true;
        o.below = QString::fromUtf8(c.below);
        QStringList seen;
        const WalkResult r = walkTree(m, QString::fromUtf8(c.folder), o, [&](WalkEntry& e) {
            seen << e.path().mid(QStringLiteral("C:\\Given\\Cache\\").size()) + u'|' +
                        (e.isDirectory() ? u'd' : u'f') + u'|' + QString::number(e.size());
            return WalkStep::Continue;
        });
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(r.error == ERROR_SUCCESS, !c.expected.isEmpty());
    }
    EXPECT_EQ(tree.changes(), "");
}

} // namespace
} // namespace niv
