#include "platform/Shell.h"
#include "platform/FileSys.h"
#include "platform/HostIO.h"
#include "platform/MachineSetup.h"
#include "platform/Registry.h"
#include "support/InodeFlag.h"
#include "support/MachineBuilder.h"
#include "support/RegBytes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {
namespace {

const QString kBin = QStringLiteral("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000");
const QString kExplorer = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\");

// The names in the bin folder on the host, sorted; empty when there is no bin.
QStringList binEntries(MachineBuilder& b) {
    return QDir(QString::fromStdString(b.hostPath(kBin)))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The one recycled pair: the "$R" name and the "$I" name.
struct Pair {
    QString item;
    QString record;
};

Pair onlyPair(MachineBuilder& b) {
    const QStringList names = binEntries(b);
    Pair p;
    EXPECT_EQ(names.size(), 2) << names.join(u' ').toStdString();
    for (const QString& n : names) {
        if (n.startsWith(QStringLiteral("$R"))) p.item = n;
        if (n.startsWith(QStringLiteral("$I"))) p.record = n;
    }
    EXPECT_EQ(p.item.mid(2), p.record.mid(2));
    return p;
}

// The record as Windows writes it, built here byte by byte.
QByteArray expectedRecord(std::int64_t size, FileTime time, const QString& path) {
    QByteArray out;
    auto put64 = [&out](std::int64_t v) {
        for (int i = 0; i < 8; ++i)
            out.append(static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF));
    };
    put64(2);
    put64(size);
    put64(time);
    const auto chars = static_cast<std::uint32_t>(path.size() + 1);
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((chars >> (8 * i)) & 0xFF));
    out.append(utf16Bytes(path));
    return out;
}

const FileTime kWhen = MachineBuilder::fileTime(2011, 3, 14, 15, 9, 26);
const RecycleClock kClock = [] { return kWhen; };

// --- recycle ---

struct RecycleCase {
    const char* name;
    QString path;      // the item to recycle
    QString ext;       // expected extension of the bin names
    std::int64_t size; // expected original size in the record
};

void PrintTo(const RecycleCase& c, std::ostream* out) {
    *out << c.name;
}

class RecycleItemTest : public ::testing::TestWithParam<RecycleCase> {};

TEST_P(RecycleItemTest, MovesItemAndWritesRecord) {
    const RecycleCase& c = GetParam();
    MachineBuilder b;
    // A file, and a folder whose tree holds 100 + 250 + 0 bytes and an empty folder.
    b.file(QStringLiteral("C:\\data\\report.txt"), "hello");
    b.file(QStringLiteral("C:\\data\\noext"), "abc");
    b.sizedFile(QStringLiteral("C:\\stuff\\a.bin"), 100);
    b.sizedFile(QStringLiteral("C:\\stuff\\sub\\b.bin"), 250);
    b.file(QStringLiteral("C:\\stuff\\sub\\empty.txt"));
    b.folder(QStringLiteral("C:\\stuff\\sub\\hollow"));
    b.sizedFile(QStringLiteral("C:\\my.dir\\x"), 7);
    b.file(QStringLiteral("C:\\Données\\été.txt"), "0123456789");

    ASSERT_EQ(shellRecycle(b.machine(), c.path, kClock), 0);

    EXPECT_FALSE(b.exists(c.path));
    const Pair p = onlyPair(b);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\$R[A-Z0-9]{6}") + QRegularExpression::escape(c.ext) + u'$')
            .match(p.item)
            .hasMatch())
        << p.item.toStdString();
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.record), expectedRecord(c.size, kWhen, c.path));
}

INSTANTIATE_TEST_SUITE_P(
    Items, RecycleItemTest,
    ::testing::Values(RecycleCase{"file", QStringLiteral("C:\\data\\report.txt"), QStringLiteral(".txt"), 5},
                      RecycleCase{"fileWithoutExt", QStringLiteral("C:\\data\\noext"), QString(), 3},
                      RecycleCase{"folderTree", QStringLiteral("C:\\stuff"), QString(), 350},
                      RecycleCase{"folderWithDot", QStringLiteral("C:\\my.dir"), QStringLiteral(".dir"), 7},
                      RecycleCase{"nonAsciiPath", QStringLiteral("C:\\Données\\été.txt"),
                                  QStringLiteral(".txt"), 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecycleTest, FileContentArrivesInTheBin) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\data\\report.txt"), "hello");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("c:\\DATA\\report.txt"), kClock), 0);
    const Pair p = onlyPair(b);
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.item), QByteArray("hello"));
    // The record keeps the path as it was asked for, made absolute.
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.record),
              expectedRecord(5, kWhen, QStringLiteral("C:\\DATA\\report.txt")));
}

TEST(RecycleTest, FolderGoesWholeWithItsTree) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\stuff\\a.bin"), "AAAA");
    b.file(QStringLiteral("C:\\stuff\\sub\\b.bin"), "BB");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\stuff"), kClock), 0);
    const Pair p = onlyPair(b);
    EXPECT_TRUE(b.isFolder(kBin + u'\\' + p.item));
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.item + QStringLiteral("\\a.bin")), QByteArray("AAAA"));
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.item + QStringLiteral("\\sub\\b.bin")), QByteArray("BB"));
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\stuff")));
}

TEST(RecycleTest, ItemOnAnotherDriveIsCopiedToTheBinOnC) {
    MachineBuilder b;
    b.drive('d');
    b.file(QStringLiteral("D:\\old\\movie.avi"), "frames");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("D:\\old\\movie.avi"), kClock), 0);
    EXPECT_FALSE(b.exists(QStringLiteral("D:\\old\\movie.avi")));
    EXPECT_TRUE(b.exists(QStringLiteral("D:\\old")));
    const Pair p = onlyPair(b);
    EXPECT_TRUE(p.item.endsWith(QStringLiteral(".avi")));
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.item), QByteArray("frames"));
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.record),
              expectedRecord(6, kWhen, QStringLiteral("D:\\old\\movie.avi")));
}

TEST(RecycleTest, LinkIsMovedAndItsTargetUntouched) {
    MachineBuilder b;
    const std::string target = b.outsideFile("keep/target.txt", "precious");
    b.hostLink(QStringLiteral("C:\\links\\doc.txt"), target);
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\links\\doc.txt"), kClock), 0);
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\links\\doc.txt")));
    const Pair p = onlyPair(b);
    EXPECT_TRUE(b.isLink(kBin + u'\\' + p.item));
    struct stat st {};
    ASSERT_EQ(::lstat(target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    // A link holds no bytes of its own.
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.record),
              expectedRecord(0, kWhen, QStringLiteral("C:\\links\\doc.txt")));
}

TEST(RecycleTest, ItemReachedThroughLinkedFolderIsMovedOutOfIt) {
    MachineBuilder b;
    const std::string docs = b.outsideFolder("home/Documents");
    b.outsideFile("home/Documents/letter.doc", "dear");
    b.hostLink(QStringLiteral("C:\\users\\tester\\Documents"), docs);
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\users\\tester\\Documents\\letter.doc"), kClock),
              0);
    EXPECT_NE(::access((docs + "/letter.doc").c_str(), F_OK), 0);
    EXPECT_TRUE(b.isLink(QStringLiteral("C:\\users\\tester\\Documents")));
    const Pair p = onlyPair(b);
    EXPECT_FALSE(b.isLink(kBin + u'\\' + p.item));
    EXPECT_EQ(b.readHost(kBin + u'\\' + p.item), QByteArray("dear"));
}

TEST(RecycleTest, SameNameTwiceGivesTwoPairs) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\a\\x.tmp"), "1");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\a\\x.tmp"), kClock), 0);
    b.file(QStringLiteral("C:\\a\\x.tmp"), "22");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\a\\x.tmp"), kClock), 0);
    const QStringList names = binEntries(b);
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names.filter(QRegularExpression(QStringLiteral("^\\$I[A-Z0-9]{6}\\.tmp$"))).size(), 2);
    EXPECT_EQ(names.filter(QRegularExpression(QStringLiteral("^\\$R[A-Z0-9]{6}\\.tmp$"))).size(), 2);
}

struct RefusalCase {
    const char* name;
    QString path;
    int expected;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class RecycleRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RecycleRefusalTest, RefusesAndLeavesEverything) {
    const RefusalCase& c = GetParam();
    MachineBuilder b;
    b.file(QStringLiteral("C:\\data\\busy.txt"), "x");
    b.file(QStringLiteral("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\desktop.ini"), "bin");
    b.drive('d', b.driveC());
    b.folder(QStringLiteral("C:\\data\\e\\$Recycle.Bin")); // drive E:'s own bin
    b.drive('e', b.hostPath(QStringLiteral("C:\\data\\e")));
    b.machine().faults().fail(FaultInjector::Op::Recycle, QStringLiteral("C:\\data\\busy.*"),
                              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(shellRecycle(b.machine(), c.path, kClock), c.expected);
    EXPECT_TRUE(b.exists(QStringLiteral("C:\\data\\busy.txt")));
    EXPECT_EQ(binEntries(b), QStringList{QStringLiteral("desktop.ini")});
    EXPECT_TRUE(QFile::exists(QString::fromStdString(b.programFolder() + "/index_t.htm")));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RecycleRefusalTest,
    ::testing::Values(
        RefusalCase{"faultInjected", QStringLiteral("C:\\data\\busy.txt"), ERROR_SHARING_VIOLATION},
        RefusalCase{"missing", QStringLiteral("C:\\data\\gone.txt"), ERROR_FILE_NOT_FOUND},
        RefusalCase{"driveRoot", QStringLiteral("C:\\"), ERROR_ACCESS_DENIED},
        RefusalCase{"programFolder", QStringLiteral("C:\\Program Files\\Nivora\\index_t.htm"),
                    ERROR_ACCESS_DENIED},
        RefusalCase{"theBinItself", QStringLiteral("C:\\$Recycle.Bin"), ERROR_ACCESS_DENIED},
        RefusalCase{"insideTheBin", QStringLiteral("C:\\$recycle.bin\\S-1-5-21-0-0-0-1000\\desktop.ini"),
                    ERROR_ACCESS_DENIED},
        RefusalCase{"insideTheBinThroughAnotherDrive",
                    QStringLiteral("D:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\desktop.ini"),
                    ERROR_ACCESS_DENIED},
        RefusalCase{"aFolderHoldingADrivesBin", QStringLiteral("C:\\data"), ERROR_ACCESS_DENIED},
        RefusalCase{"unknownDrive", QStringLiteral("Q:\\x.txt"), ERROR_PATH_NOT_FOUND}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecycleTest, HostClockIsUsedWithoutOne) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\a.txt"), "x");
    // The precise clock, as the shell's: time() reads a coarser one that can lag a tick behind.
    const std::int64_t before = QDateTime::currentSecsSinceEpoch();
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\a.txt")), 0);
    const std::int64_t after = QDateTime::currentSecsSinceEpoch();
    const QByteArray record = b.readHost(kBin + u'\\' + onlyPair(b).record);
    ASSERT_GE(record.size(), 24);
    const std::int64_t seconds =
        qFromLittleEndian<std::int64_t>(record.constData() + 16) / 10000000 - 11644473600LL;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

// --- emptying ---

TEST(EmptyRecycleBinTest, RemovesEveryPairAndNothingElse) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\data\\one.txt"), "1");
    b.file(QStringLiteral("C:\\tree\\deep\\two.txt"), "2");
    const std::string outside = b.outsideFile("precious.txt", "keep me");
    b.hostLink(QStringLiteral("C:\\tree\\deep\\link.txt"), outside);
    b.hostLink(QStringLiteral("C:\\tree\\outdir"), b.outsideFolder("dir"));
    b.outsideFile("dir/inner.txt", "keep me too");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\data\\one.txt"), kClock), 0);
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\tree"), kClock), 0);
    b.hostLink(QStringLiteral("C:\\shortcut"), b.outside() + "/dir");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\shortcut"), kClock), 0);
    b.file(kBin + QStringLiteral("\\desktop.ini"), "bin settings");
    b.file(kBin + QStringLiteral("\\$RLONELY.txt"), "no record");
    b.file(kBin + QStringLiteral("\\$IORPHAN.txt"), "no item");
    b.file(kBin + QStringLiteral("\\notes.txt"), "user file");
    ASSERT_EQ(binEntries(b).size(), 10);

    EXPECT_EQ(emptyRecycleBin(b.machine()), 0);

    EXPECT_EQ(binEntries(b), (QStringList{QStringLiteral("$IORPHAN.txt"), QStringLiteral("$RLONELY.txt"),
                                          QStringLiteral("desktop.ini"), QStringLiteral("notes.txt")}));
    QByteArray data;
    ASSERT_TRUE(host::readFile(outside, data));
    EXPECT_EQ(data, QByteArray("keep me"));
    ASSERT_TRUE(host::readFile(b.outside() + "/dir/inner.txt", data));
    EXPECT_EQ(data, QByteArray("keep me too"));
}

TEST(EmptyRecycleBinTest, PairInUseStays) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\data\\one.txt"), "1");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\data\\one.txt"), kClock), 0);
    const Pair p = onlyPair(b);
    b.machine().faults().fail(FaultInjector::Op::DeleteFile, kBin + QStringLiteral("\\$R*"),
                              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(emptyRecycleBin(b.machine()), 1);
    EXPECT_EQ(binEntries(b), (QStringList{p.record, p.item}));
}

// A file the system will not delete keeps its item, and its record, in the bin; the count says so.
TEST(EmptyRecycleBinTest, AnItemHoldingAnImmutableFileStaysAndIsCounted) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\tree\\kept.txt"), "k");
    b.file(QStringLiteral("C:\\tree\\gone.txt"), "g");
    ASSERT_EQ(shellRecycle(b.machine(), QStringLiteral("C:\\tree"), kClock), 0);
    const Pair p = onlyPair(b);
    const std::string inBin = b.hostPath(kBin + u'\\' + p.item + QStringLiteral("\\kept.txt"));
    InodeFlag immutable(inBin, FS_IMMUTABLE_FL);
    if (!immutable.set) // no rights or no support here: the same refusal, injected
        b.machine().faults().fail(FaultInjector::Op::DeleteFile, kBin + QStringLiteral("\\*\\kept.txt"),
                                  ERROR_ACCESS_DENIED);
    EXPECT_EQ(emptyRecycleBin(b.machine()), 1);
    EXPECT_EQ(binEntries(b), (QStringList{p.record, p.item}));
    EXPECT_FALSE(b.exists(kBin + u'\\' + p.item + QStringLiteral("\\gone.txt")));
    immutable.clear();
    EXPECT_EQ(emptyRecycleBin(b.machine()), 0);
    EXPECT_TRUE(binEntries(b).isEmpty());
}

TEST(EmptyRecycleBinTest, MissingBinIsAlreadyEmpty) {
    MachineBuilder b;
    EXPECT_EQ(emptyRecycleBin(b.machine()), 0);
    EXPECT_FALSE(b.exists(kBin));
}

// --- opening ---

struct OpenCase {
    const char* name;
    QString verb;
    QString file;
    QString dir;
    bool launcherAccepts;
    int expected;
    QString expectedCall; // "" when the launcher must not be called; "@host:<winpath>" for a host path
};

class ShellExecuteTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(ShellExecuteTest, Result) {
    const OpenCase& c = GetParam();
    MachineBuilder b;
    b.file(QStringLiteral("C:\\docs\\report.txt"), "r");
    b.file(QStringLiteral("C:\\docs\\locked.txt"), "r");
    b.folder(QStringLiteral("C:\\docs\\sub"));
    b.hostLink(QStringLiteral("C:\\docs\\dangling.txt"), b.outside() + "/nothing-here");
    b.machine().faults().fail(FaultInjector::Op::Execute, QStringLiteral("C:\\docs\\locked.txt"),
                              ERROR_ACCESS_DENIED);
    b.machine().faults().fail(FaultInjector::Op::Execute, QStringLiteral("C:\\docs\\sub"),
                              ERROR_SHARING_VIOLATION);
    b.launcher().setResult(c.launcherAccepts);

    EXPECT_EQ(ShellExecute(b.machine(), c.verb, c.file, QString(), c.dir), c.expected);

    const QStringList calls = b.launcher().calls();
    if (c.expectedCall.isEmpty()) {
        EXPECT_EQ(calls.join(u'|').toStdString(), "");
    } else if (c.expectedCall.startsWith(QStringLiteral("@host:"))) {
        // A host path of the item; the way through the drive link does not matter.
        ASSERT_EQ(calls.size(), 1);
        EXPECT_EQ(QFileInfo(calls.front()).canonicalFilePath().toStdString(),
                  QFileInfo(QString::fromStdString(b.hostPath(c.expectedCall.mid(6))))
                      .canonicalFilePath()
                      .toStdString());
    } else {
        EXPECT_EQ(calls.join(u'|').toStdString(), c.expectedCall.toStdString());
    }
}

void PrintTo(const OpenCase& c, std::ostream* out) {
    *out << c.name;
}

const QString kOpen = QStringLiteral("open");

INSTANTIATE_TEST_SUITE_P(
    Results, ShellExecuteTest,
    ::testing::Values(
        OpenCase{"fileOpens",
                 kOpen,
                 QStringLiteral("C:\\docs\\report.txt"),
                 {},
                 true,
                 42,
                 QStringLiteral("@host:C:\\docs\\report.txt")},
        OpenCase{"anyCaseFindsFile",
                 kOpen,
                 QStringLiteral("c:\\DOCS\\Report.TXT"),
                 {},
                 true,
                 42,
                 QStringLiteral("@host:C:\\docs\\report.txt")},
        OpenCase{"emptyVerbIsOpen",
                 QString(),
                 QStringLiteral("C:\\docs\\report.txt"),
                 {},
                 true,
                 42,
                 QStringLiteral("@host:C:\\docs\\report.txt")},
        OpenCase{"relativeToDir", kOpen, QStringLiteral("report.txt"), QStringLiteral("C:\\docs"), true, 42,
                 QStringLiteral("@host:C:\\docs\\report.txt")},
        OpenCase{
            "folderOpens", kOpen, QStringLiteral("C:\\docs"), {}, true, 42, QStringLiteral("@host:C:\\docs")},
        OpenCase{"missingFile", kOpen, QStringLiteral("C:\\docs\\gone.txt"), {}, true, 2, {}},
        OpenCase{"danglingLink", kOpen, QStringLiteral("C:\\docs\\dangling.txt"), {}, true, 2, {}},
        OpenCase{"emptyName", kOpen, QString(), {}, true, 2, {}},
        OpenCase{"launcherRefuses",
                 kOpen,
                 QStringLiteral("C:\\docs\\report.txt"),
                 {},
                 false,
                 31,
                 QStringLiteral("@host:C:\\docs\\report.txt")},
        OpenCase{
            "otherVerb", QStringLiteral("print"), QStringLiteral("C:\\docs\\report.txt"), {}, true, 31, {}},
        OpenCase{
            "faultBelow32", kOpen, QStringLiteral("C:\\docs\\locked.txt"), {}, true, ERROR_ACCESS_DENIED, {}},
        OpenCase{"faultFrom32", kOpen, QStringLiteral("C:\\docs\\sub"), {}, true, 31, {}},
        OpenCase{"mailto",
                 kOpen,
                 QStringLiteral("mailto:help@example.com?subject=Nivora help"),
                 {},
                 true,
                 42,
                 QStringLiteral("mailto:help@example.com?subject=Nivora help")},
        OpenCase{"http",
                 kOpen,
                 QStringLiteral("http://www.example.com/"),
                 {},
                 true,
                 42,
                 QStringLiteral("http://www.example.com/")},
        OpenCase{"httpsAnyCase",
                 kOpen,
                 QStringLiteral("HTTPS://example.com/a b"),
                 {},
                 true,
                 42,
                 QStringLiteral("HTTPS://example.com/a b")},
        OpenCase{"addressRefused",
                 kOpen,
                 QStringLiteral("http://www.example.com/"),
                 {},
                 false,
                 31,
                 QStringLiteral("http://www.example.com/")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShellExecuteBatchTest, BatchRunsInTheInterpreterNotTheLauncher) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\work\\victim one.txt"), "v");
    b.file(QStringLiteral("C:\\work\\job.BAT"), "@echo off\r\nDel \"C:\\work\\victim one.txt\"\r\nExit\r\n");
    EXPECT_EQ(ShellExecute(b.machine(), kOpen, QStringLiteral("C:\\work\\job.bat")), 42);
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\work\\victim one.txt")));
    EXPECT_TRUE(b.launcher().calls().isEmpty());
}

TEST(ShellExecuteBatchTest, BatchIsHandedToTheRunnerAndNotWaitedFor) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\work\\victim.txt"), "v");
    b.file(QStringLiteral("C:\\work\\job.cmd"), "del C:\\work\\victim.txt\n");
    std::vector<std::function<void()>> pending;
    b.machine().setBatchRunner([&pending](std::function<void()> job) { pending.push_back(std::move(job)); });

    EXPECT_EQ(ShellExecute(b.machine(), kOpen, QStringLiteral("C:\\work\\job.cmd")), 42);
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_TRUE(b.exists(QStringLiteral("C:\\work\\victim.txt")));
    pending.front()();
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\work\\victim.txt")));
    EXPECT_TRUE(b.launcher().calls().isEmpty());
}

TEST(ShellExecuteBatchTest, MissingBatchGivesTwoAndRunsNothing) {
    MachineBuilder b;
    int jobs = 0;
    b.machine().setBatchRunner([&jobs](std::function<void()>) { ++jobs; });
    EXPECT_EQ(ShellExecute(b.machine(), kOpen, QStringLiteral("C:\\work\\job.bat")), 2);
    EXPECT_EQ(jobs, 0);
}

// --- special folders ---

void setString(Machine& m, RegRoot root, const QString& key, const QString& name, const QString& value,
               std::uint32_t type = REG_EXPAND_SZ) {
    m.registry().setRawValue(root, key, name, type, utf16Bytes(value));
}

struct FolderCase {
    int csidl;
    QString expected;
};

TEST(SpecialFolderTest, DefaultsAreTheVistaProfileLayout) {
    MachineBuilder b;
    const QString profile = QStringLiteral("C:\\users\\tester\\");
    const FolderCase cases[] = {
        {CSIDL_PERSONAL, profile + QStringLiteral("Documents")},
        {CSIDL_RECENT, profile + QStringLiteral("AppData\\Roaming\\Microsoft\\Windows\\Recent")},
        {CSIDL_MYVIDEO, profile + QStringLiteral("Videos")},
        {CSIDL_APPDATA, profile + QStringLiteral("AppData\\Roaming")},
        {CSIDL_LOCAL_APPDATA, profile + QStringLiteral("AppData\\Local")},
        {CSIDL_INTERNET_CACHE,
         profile + QStringLiteral("AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files")},
        {CSIDL_COOKIES, profile + QStringLiteral("AppData\\Roaming\\Microsoft\\Windows\\Cookies")},
        {CSIDL_MYPICTURES, profile + QStringLiteral("Pictures")},
        {0, QString()},  // the desktop: not a folder this machine knows
        {34, QString()}, // history: asked through Shell Folders only
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(SHGetSpecialFolderPath(b.machine(), c.csidl), c.expected) << "CSIDL " << c.csidl;
}

TEST(SpecialFolderTest, UserShellFoldersAreExpanded) {
    MachineBuilder b;
    Machine& m = b.machine();
    const QString usf = kExplorer + QStringLiteral("User Shell Folders");
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("Personal"),
              QStringLiteral("%USERPROFILE%\\My Docs"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("AppData"), QStringLiteral("%userprofile%\\Roam"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("Recent"), QStringLiteral("%APPDATA%\\Recent"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("Local AppData"), QStringLiteral("D:\\Local"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("Cache"), QStringLiteral("%LOCALAPPDATA%\\IE"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("Cookies"), QStringLiteral("%windir%\\Cookies"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("My Pictures"),
              QStringLiteral("%HOMEDRIVE%%HOMEPATH%\\Pics"));
    setString(m, HKEY_CURRENT_USER, usf, QStringLiteral("My Video"), QStringLiteral("%MEDIA%\\Vids"));
    setString(m, HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("MEDIA"),
              QStringLiteral("%SystemDrive%\\media"));
    // Shell Folders is only the fallback.
    setString(m, HKEY_CURRENT_USER, kExplorer + QStringLiteral("Shell Folders"), QStringLiteral("Personal"),
              QStringLiteral("C:\\stale"), REG_SZ);

    const FolderCase cases[] = {
        {CSIDL_PERSONAL, QStringLiteral("C:\\users\\tester\\My Docs")},
        {CSIDL_APPDATA, QStringLiteral("C:\\users\\tester\\Roam")},
        {CSIDL_RECENT, QStringLiteral("C:\\users\\tester\\Roam\\Recent")},
        {CSIDL_LOCAL_APPDATA, QStringLiteral("D:\\Local")},
        {CSIDL_INTERNET_CACHE, QStringLiteral("D:\\Local\\IE")},
        {CSIDL_COOKIES, QStringLiteral("C:\\windows\\Cookies")},
        {CSIDL_MYPICTURES, QStringLiteral("C:\\users\\tester\\Pics")},
        {CSIDL_MYVIDEO, QStringLiteral("C:\\media\\Vids")},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(SHGetSpecialFolderPath(m, c.csidl), c.expected) << "CSIDL " << c.csidl;
}

TEST(SpecialFolderTest, ShellFoldersWhenUserShellFoldersLackTheValue) {
    MachineBuilder b;
    Machine& m = b.machine();
    const QString sf = kExplorer + QStringLiteral("Shell Folders");
    setString(m, HKEY_CURRENT_USER, sf, QStringLiteral("Personal"), QStringLiteral("E:\\Docs"), REG_SZ);
    // Wine's name for the videos value.
    setString(m, HKEY_CURRENT_USER, sf, QStringLiteral("My Videos"), QStringLiteral("E:\\Films"), REG_SZ);
    // A value of another type is no folder: Shell Folders is asked instead.
    m.registry().setRawValue(HKEY_CURRENT_USER, kExplorer + QStringLiteral("User Shell Folders"),
                             QStringLiteral("My Pictures"), REG_DWORD, dwordBytes(1));
    setString(m, HKEY_CURRENT_USER, sf, QStringLiteral("My Pictures"), QStringLiteral("E:\\Pics"), REG_SZ);

    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_PERSONAL), QStringLiteral("E:\\Docs"));
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_MYVIDEO), QStringLiteral("E:\\Films"));
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_MYPICTURES), QStringLiteral("E:\\Pics"));
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_RECENT),
              QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent"));
}

TEST(SpecialFolderTest, EmptyValueGivesNoFolder) {
    MachineBuilder b;
    Machine& m = b.machine();
    setString(m, HKEY_CURRENT_USER, kExplorer + QStringLiteral("User Shell Folders"),
              QStringLiteral("My Video"), QString());
    setString(m, HKEY_CURRENT_USER, kExplorer + QStringLiteral("Shell Folders"), QStringLiteral("My Video"),
              QStringLiteral("C:\\users\\tester\\Videos"), REG_SZ);
    setString(m, HKEY_CURRENT_USER, kExplorer + QStringLiteral("Shell Folders"), QStringLiteral("Cookies"),
              QString(), REG_SZ);
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_MYVIDEO), QString());
    EXPECT_EQ(SHGetSpecialFolderPath(m, CSIDL_COOKIES), QString());
}

TEST(SpecialFolderTest, FreshMachineGivesItsProfileFolders) {
    MachineBuilder b;
    ASSERT_TRUE(createFreshMachine(b.machine()));
    EXPECT_EQ(SHGetSpecialFolderPath(b.machine(), CSIDL_MYVIDEO),
              QStringLiteral("C:\\users\\tester\\Videos"));
    EXPECT_EQ(SHGetSpecialFolderPath(b.machine(), CSIDL_APPDATA),
              QStringLiteral("C:\\users\\tester\\AppData\\Roaming"));
    EXPECT_EQ(GetTempPath(b.machine()), QStringLiteral("C:\\users\\tester\\AppData\\Local\\Temp\\"));
}

TEST(SystemFolderTest, WindowsAndSystemFolders) {
    MachineBuilder b;
    EXPECT_EQ(GetWindowsDirectory(b.machine()), QStringLiteral("C:\\windows"));
    EXPECT_EQ(GetSystemDirectory(b.machine()), QStringLiteral("C:\\windows\\system32"));
}

struct TempCase {
    const char* name;
    QString temp; // "" leaves TEMP unset
    QString expected;
};

void PrintTo(const TempCase& c, std::ostream* out) {
    *out << c.name;
}

class TempPathTest : public ::testing::TestWithParam<TempCase> {};

TEST_P(TempPathTest, FromEnvironmentTemp) {
    const TempCase& c = GetParam();
    MachineBuilder b;
    setString(b.machine(), HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("TMP"),
              QStringLiteral("C:\\not-this"));
    if (!c.temp.isEmpty())
        setString(b.machine(), HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("TEMP"),
                  c.temp);
    EXPECT_EQ(GetTempPath(b.machine()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TempPathTest,
    ::testing::Values(
        TempCase{"expanded", QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"),
                 QStringLiteral("C:\\users\\tester\\AppData\\Local\\Temp\\")},
        TempCase{"trailingBackslashKept", QStringLiteral("D:\\tmp\\"), QStringLiteral("D:\\tmp\\")},
        TempCase{"systemRoot", QStringLiteral("%SystemRoot%\\TEMP"), QStringLiteral("C:\\windows\\TEMP\\")},
        TempCase{"missing", QString(), QStringLiteral("C:\\users\\tester\\AppData\\Local\\Temp\\")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TempPathLoopTest, SelfReferenceEnds) {
    MachineBuilder b;
    setString(b.machine(), HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("TEMP"),
              QStringLiteral("%TEMP%\\x"));
    const QString temp = GetTempPath(b.machine());
    EXPECT_TRUE(temp.startsWith(QStringLiteral("%TEMP%\\x\\x"))) << temp.toStdString();
    EXPECT_TRUE(temp.endsWith(QStringLiteral("\\x\\"))) << temp.toStdString();
}

TEST(ExpandEnvironmentStringsTest, Table) {
    MachineBuilder b;
    Machine& m = b.machine();
    setString(m, HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("Tools"),
              QStringLiteral("%PUBLIC%\\tools"));
    setString(m, HKEY_LOCAL_MACHINE,
              QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment"),
              QStringLiteral("Tools"), QStringLiteral("C:\\system-tools"));
    setString(m, HKEY_LOCAL_MACHINE,
              QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment"),
              QStringLiteral("ComSpec"), QStringLiteral("%SystemRoot%\\system32\\cmd.exe"));
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("%USERPROFILE%"), QStringLiteral("C:\\users\\tester")},
        {QStringLiteral("%username%-%USERNAME%"), QStringLiteral("tester-tester")},
        {QStringLiteral("%SystemRoot%|%WINDIR%|%SystemDrive%"), QStringLiteral("C:\\windows|C:\\windows|C:")},
        {QStringLiteral("%HOMEDRIVE%%HOMEPATH%"), QStringLiteral("C:\\users\\tester")},
        {QStringLiteral("%APPDATA%|%LOCALAPPDATA%"),
         QStringLiteral("C:\\users\\tester\\AppData\\Roaming|C:\\users\\tester\\AppData\\Local")},
        {QStringLiteral("%ProgramFiles%|%ProgramData%|%ALLUSERSPROFILE%"),
         QStringLiteral("C:\\Program Files|C:\\ProgramData|C:\\ProgramData")},
        {QStringLiteral("%TOOLS%"), QStringLiteral("C:\\users\\Public\\tools")}, // the user's value wins
        {QStringLiteral("%ComSpec%"), QStringLiteral("C:\\windows\\system32\\cmd.exe")},
        {QStringLiteral("%NOSUCH%\\x"), QStringLiteral("%NOSUCH%\\x")},
        {QStringLiteral("100% sure"), QStringLiteral("100% sure")},
        {QStringLiteral("a%%b"), QStringLiteral("a%%b")},
        {QStringLiteral("no variables"), QStringLiteral("no variables")},
        {QString(), QString()},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpandEnvironmentStrings(m, text), expected) << text.toStdString();
}

} // namespace
} // namespace niv

namespace niv {
namespace {

TEST(OpensByRunningTest, ProgramsScriptsAndShortcutsRunOthersShow) {
    for (const char* path : {"C:\\a\\setup.EXE", "x.com", "C:\\run.bat", "b.Cmd", "s.scr", "p.pif", "j.js",
                             "j.jse", "v.vbs", "v.vbe", "w.wsf", "i.msi", "C:\\l.lnk"})
        EXPECT_TRUE(opensByRunning(QString::fromLatin1(path))) << path;
    for (const char* path :
         {"C:\\a\\page.htm", "x.exe.txt", "C:\\exe", "C:\\a.exe\\log", "pic.jpg", "jsx.jsx", ""})
        EXPECT_FALSE(opensByRunning(QString::fromLatin1(path))) << path;
}

} // namespace
} // namespace niv
