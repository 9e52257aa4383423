#include "tools/Udups.h"

#include "platform/Shell.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray bytes(int size, char fill, int tailChange = -1) {
    QByteArray data(size, fill);
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>(fill + i % 7);
    if (tailChange >= 0) data[tailChange] = '!';
    return data;
}

struct ScanFixture : AppFixture {
    void fifo(const QString& winPath) {
        const std::string host = b.hostPath(winPath);
        b.folder(winPath.left(winPath.lastIndexOf(u'\\')));
        ASSERT_EQ(::mkfifo(host.c_str(), 0644), 0);
    }
    void hardLink(const QString& from, const QString& to) {
        ASSERT_EQ(::link(b.hostPath(from).c_str(), b.hostPath(to).c_str()), 0);
    }
};

TEST(UdupsTest, LineToPath) {
    struct Case {
        QString line, path;
    } cases[] = {
        {DupLine(q("C:\\Data"), q("report.doc")), q("C:\\Data\\report.doc")},
        {DupLine(q("C:\\My Data"), q("my report .doc")), q("C:\\My Data\\my report .doc")},
        {DupLine(q("C:"), q("boot.ini")), q("C:\\boot.ini")},
        // Only the blanks at both ends of the whole path go.
        {q("  a b.txt   Path:C:\\x y  "), q("C:\\x y  \\  a b.txt")},
        {DupLine(q("C:\\a   Path:b"), q("n.txt")), q("C:\\a   Path:b\\n.txt")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DupLineToPath(c.line), c.path) << c.line.toStdString();
}

TEST(UdupsTest, NamesGroupRegularFilesByNameIgnoringCase) {
    ScanFixture f;
    f.b.file(q("C:\\a\\Report.doc"), "1");
    f.b.file(q("C:\\b\\REPORT.DOC"), "22");
    f.b.file(q("C:\\b\\unique.txt"), "x");
    f.b.file(q("C:\\c\\empty.log"));
    f.b.file(q("C:\\d\\EMPTY.LOG"));
    f.b.link(q("C:\\e\\report.doc"), q("C:\\a\\Report.doc"));
    f.fifo(q("C:\\f\\report.doc"));
    f.b.file(q("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\$RAB12CD.doc\\report.doc"), "3");
    const DupScanResult r = ScanDuplicateNames(f.ctx, u'c', {});
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.lines,
              QStringList({DupLine(q("C:\\c"), q("empty.log")), DupLine(q("C:\\d"), q("EMPTY.LOG")),
                           DupLine(q("C:\\a"), q("Report.doc")), DupLine(q("C:\\b"), q("REPORT.DOC"))}));
    EXPECT_EQ(r.groups, 2);
}

TEST(UdupsTest, PatternsGroupEqualContentOnly) {
    ScanFixture f;
    const QByteArray small = bytes(5000, 'a');
    const QByteArray big = bytes(200 * 1024, 'b');
    struct File {
        const char* path;
        QByteArray content;
    } files[] = {
        {"C:\\one\\photo.jpg", small},
        {"C:\\two\\renamed.bin", small},
        {"C:\\two\\same size.bin", bytes(5000, 'c')}, // equal size, other bytes
        {"C:\\big\\a.iso", big},
        {"C:\\big\\b.iso", big},
        {"C:\\big\\tail.iso", bytes(200 * 1024, 'b', 150 * 1024)}, // equal first 64 KiB only
        {"C:\\zero\\a.txt", {}},
        {"C:\\zero\\b.txt", {}},
        {"C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\$R123456.jpg", small},
    };
    for (const File& file : files)
        f.b.file(q(file.path), file.content);
    f.b.link(q("C:\\links\\photo.jpg"), q("C:\\one\\photo.jpg"));
    f.fifo(q("C:\\fifo\\pipe"));
    f.hardLink(q("C:\\big\\a.iso"), q("C:\\big\\hard.iso"));

    const DupScanResult r = ScanDuplicatePatterns(f.ctx, u'c', {});
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.groups, 2);
    ASSERT_EQ(r.lines.size(), 4);
    // Larger files come first; a hard-linked file counts once.
    EXPECT_TRUE(r.lines.at(0) == DupLine(q("C:\\big"), q("a.iso")) ||
                r.lines.at(0) == DupLine(q("C:\\big"), q("hard.iso")));
    EXPECT_EQ(r.lines.at(1), DupLine(q("C:\\big"), q("b.iso")));
    EXPECT_EQ(r.lines.mid(2),
              QStringList({DupLine(q("C:\\one"), q("photo.jpg")), DupLine(q("C:\\two"), q("renamed.bin"))}));
}

TEST(UdupsTest, AStopEndsTheScanWithNothingListed) {
    ScanFixture f;
    for (int i = 0; i < 3; ++i)
        f.b.file(q("C:\\d%1\\same.txt").arg(i), "same");
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

TEST(UdupsTest, ListedFilesAreRecycledAndViewedButNeverRun) {
    ScanFixture f;
    f.b.file(q("C:\\d\\notes.txt"), "n");
    f.b.file(q("C:\\d\\tool.bat"), "del C:\\d\\notes.txt");
    f.b.file(q("C:\\d\\tool.bat."), "x");
    struct Case {
        const char* folder;
        const char* name;
        DupAction view;
    } cases[] = {
        {"C:\\d", "notes.txt", DupAction::Done},
        {"C:\\d", "tool.bat", DupAction::Refused},
        {"C:\\d", "gone.txt", DupAction::NotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ViewDupLine(f.ctx, DupLine(q(c.folder), q(c.name))), c.view) << c.name;
    EXPECT_EQ(f.b.launcher().calls().size(), 1);
    EXPECT_TRUE(f.b.exists(q("C:\\d\\notes.txt")));

    f.b.machine().faults().fail(FaultInjector::Op::Recycle, q("C:\\d\\tool.bat"), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(RecycleDupLine(f.ctx, DupLine(q("C:\\d"), q("tool.bat"))), DupAction::Refused);
    EXPECT_EQ(RecycleDupLine(f.ctx, DupLine(q("C:\\d"), q("notes.txt"))), DupAction::Done);
    EXPECT_EQ(RecycleDupLine(f.ctx, DupLine(q("C:\\d"), q("notes.txt"))), DupAction::NotFound);
    EXPECT_TRUE(f.b.exists(q("C:\\d\\tool.bat")));
}

} // namespace
