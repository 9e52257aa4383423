#include "tools/Udups.h"

#include "platform/Shell.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray bytes(int size, char fill) {
    QByteArray data(size, fill);
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>(fill + i % 7);
    return data;
}

TEST(UdupsTest, LineToPath) {
    struct Case {
        QString line, path;
    } cases[] = {
        {DupLine(q("C:"), q("boot.ini")), q("C:\\boot.ini")},
        // Only the blanks at both ends of the whole path go.
        {q("  a b.txt   Path:C:\\x y  "), q("C:\\x y  \\  a b.txt")},
        {DupLine(q("C:\\a   Path:b"), q("n.txt")), q("C:\\a   Path:b\\n.txt")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DupLineToPath(c.line), c.path) << c.line.toStdString();
}

// Links, pipes and the recycle bins are never listed; a hard-linked file counts once.
TEST(UdupsTest, ScansListOnlyRegularFilesThatMatch) {
    AppFixture f;
    const QByteArray small = bytes(5000, 'a');
    const QByteArray big = bytes(200 * 1024, 'b');
    QByteArray tail = big;
    tail[150 * 1024] = '!'; // equal in the first 64 KiB only
    f.b.file(q("C:\\a\\Report.doc"), small);
    f.b.file(q("C:\\b\\REPORT.DOC"), bytes(5000, 'c')); // same name and size, other bytes
    f.b.file(q("C:\\two\\renamed.bin"), small);
    f.b.file(q("C:\\big\\a.iso"), big);
    f.b.file(q("C:\\big\\b.iso"), big);
    f.b.file(q("C:\\big\\tail.iso"), tail);
    f.b.file(q("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\$RAB12CD.doc\\report.doc"), small);
    f.b.link(q("C:\\e\\report.doc"), q("C:\\a\\Report.doc"));
    f.b.folder(q("C:\\f"));
    ASSERT_EQ(::mkfifo(f.b.hostPath(q("C:\\f\\report.doc")).c_str(), 0644), 0);
    ASSERT_EQ(::link(f.b.hostPath(q("C:\\big\\a.iso")).c_str(), f.b.hostPath(q("C:\\big\\hard.iso")).c_str()),
              0);

    EXPECT_EQ(ScanDuplicateNames(f.ctx, u'c', {}).lines,
              QStringList({DupLine(q("C:\\a"), q("Report.doc")), DupLine(q("C:\\b"), q("REPORT.DOC"))}));

    const DupScanResult r = ScanDuplicatePatterns(f.ctx, u'c', {});
    EXPECT_EQ(r.groups, 2);
    ASSERT_EQ(r.lines.size(), 4);
    // Larger files come first.
    EXPECT_TRUE(r.lines.at(0) == DupLine(q("C:\\big"), q("a.iso")) ||
                r.lines.at(0) == DupLine(q("C:\\big"), q("hard.iso")));
    EXPECT_EQ(r.lines.at(1), DupLine(q("C:\\big"), q("b.iso")));
    EXPECT_EQ(r.lines.mid(2),
              QStringList({DupLine(q("C:\\a"), q("Report.doc")), DupLine(q("C:\\two"), q("renamed.bin"))}));

    // Every drive's own bin is passed over.
    f.b.drive('d');
    f.b.file(q("D:\\$RECYCLE.BIN\\S-1-5-21-0-0-0-500\\$RAB12CD.doc\\report.doc"), small);
    f.b.file(q("D:\\report.doc"), small);
    EXPECT_EQ(ScanDuplicateNames(f.ctx, u'd', {}).lines, QStringList());
}

// A second name of one file is never its copy: recycling "the copy" would take the only data.
TEST(UdupsTest, TwoNamesOfOneFileAreNeverAPair) {
    AppFixture f;
    const std::string file = f.b.file(q("C:\\a\\same.bin"), "only data");
    const std::string second = f.b.folder(q("C:\\b")) + "/same.bin";
    // The second name: a hard link, then the file bound over another file of that name.
    for (bool mount : {false, true}) {
        if (!mount) {
            ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
        } else {
            ASSERT_EQ(::unlink(second.c_str()), 0);
            f.b.file(q("C:\\b\\same.bin"), "under it");
            if (::mount(file.c_str(), second.c_str(), nullptr, MS_BIND, nullptr) != 0)
                GTEST_SKIP() << "cannot bind-mount here (" << std::strerror(errno)
                             << "); the hard-link case ran";
        }
        for (auto scan : {ScanDuplicateNames, ScanDuplicatePatterns})
            EXPECT_EQ(scan(f.ctx, u'c', {}).lines, QStringList()) << mount;
    }
    ::umount2(second.c_str(), MNT_DETACH);
}

// A file that grew after the walk listed it is no longer the file listed: it is no copy.
TEST(UdupsTest, AFileThatGrewSinceItWasListedIsNoCopy) {
    AppFixture f;
    const QByteArray data = bytes(200 * 1024, 'x');
    f.b.file(q("C:\\a\\f.bin"), data);
    f.b.file(q("C:\\b\\f.bin"), data);
    // As the walk enters the second folder, the file it listed in the first one grows.
    QString first;
    DupScanControl control;
    control.progress = [&](const QString& folder, const QString&) {
        if (folder != q("C:\\a") && folder != q("C:\\b")) return;
        if (first.isEmpty()) first = folder;
        if (folder != first) f.b.file(first + q("\\f.bin"), data + "new data");
    };
    EXPECT_EQ(ScanDuplicatePatterns(f.ctx, u'c', control).lines, QStringList());
    EXPECT_NE(f.b.readHost(q("C:\\a\\f.bin")), f.b.readHost(q("C:\\b\\f.bin")));
}

TEST(UdupsTest, AStopEndsTheScanWithNothingListed) {
    AppFixture f;
    f.b.file(q("C:\\a\\same.txt"), "same");
    f.b.file(q("C:\\b\\same.txt"), "same");
    std::atomic<bool> stop{false};
    DupScanControl control;
    control.stop = &stop;
    // The user clicks "Return" while the scan lets messages through.
    f.pump.onProcess = [&] { stop = true; };
    for (auto scan : {ScanDuplicateNames, ScanDuplicatePatterns}) {
        stop = false;
        const DupScanResult r = scan(f.ctx, u'c', control);
        EXPECT_TRUE(r.stopped);
        EXPECT_TRUE(r.lines.isEmpty());
    }
}

TEST(UdupsTest, AFolderTooDeepForTheHostsHandlesIsPassedOverAndCounted) {
    AppFixture f;
    f.b.folder(q("C:\\a") + q("\\d").repeated(80));
    f.b.file(q("C:\\b\\same.txt"), "same");
    f.b.file(q("C:\\c\\same.txt"), "same");
    const FewHandles few(20);
    for (auto scan : {ScanDuplicateNames, ScanDuplicatePatterns}) {
        f.dialogs.answerOk();
        EXPECT_EQ(scan(f.ctx, u'c', {}).files, 2);
    }
    const QStringList said = f.dialogs.messageTexts();
    ASSERT_EQ(said.size(), 2);
    EXPECT_EQ(said.front(), DupPassedOverText(1));
}

TEST(UdupsTest, ListedFilesAreRecycledAndViewedButNeverRun) {
    AppFixture f;
    for (const char* folder : {"C:\\d\\", "C:\\e\\"}) {
        f.b.file(q(folder) + q("notes.txt"), "n");
        f.b.file(q(folder) + q("tool.bat"), "del C:\\d\\notes.txt");
    }
    struct Case {
        const char* name;
        DupAction view;
    } cases[] = {
        {"notes.txt", DupAction::Done}, {"tool.bat", DupAction::Refused}, {"gone.txt", DupAction::NotFound}};
    for (const Case& c : cases)
        EXPECT_EQ(ViewDupLine(f.ctx, DupLine(q("C:\\d"), q(c.name))), c.view) << c.name;
    EXPECT_EQ(f.b.launcher().calls().size(), 1);

    const DupScanResult scan = ScanDuplicateNames(f.ctx, u'c', {});
    auto recycle = [&](const char* folder, const char* name) {
        const qsizetype i = scan.lines.indexOf(DupLine(q(folder), q(name)));
        return i < 0 ? DupAction::NotFound : RecycleDupLine(f.ctx, scan.lines.at(i), scan.seen.at(i));
    };
    f.b.machine().faults().fail(FaultInjector::Op::Recycle, q("C:\\d\\tool.bat"), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(recycle("C:\\d", "tool.bat"), DupAction::Refused);
    EXPECT_EQ(recycle("C:\\d", "notes.txt"), DupAction::Done);
    EXPECT_EQ(recycle("C:\\d", "notes.txt"), DupAction::NotFound);
    EXPECT_TRUE(f.b.exists(q("C:\\d\\tool.bat")));
    // A copy rewritten since the scan may be a copy no more: it stays.
    f.b.file(q("C:\\e\\notes.txt"), "rewritten");
    EXPECT_EQ(recycle("C:\\e", "notes.txt"), DupAction::Changed);
    EXPECT_EQ(f.b.readHost(q("C:\\e\\notes.txt")), "rewritten");
}

} // namespace
