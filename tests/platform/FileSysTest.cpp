#include "platform/FileSys.h"

#include "platform/FaultInjector.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"
#include "platform/WinTypes.h"
#include "support/MachineBuilder.h"

#include <QDateTime>
#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {
namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// For refusals whose Windows error number the layer does not pin down: only the refusal counts.
constexpr int kAnyError = -1;

// Every name a search gives, in the order it gives them; `first` receives FindFirst's result.
QStringList findNames(Machine& m, const QString& mask, int attr, int* first = nullptr) {
    QStringList out;
    SearchRec rec;
    int r = FindFirst(m, mask, attr, rec);
    if (first) *first = r;
    for (int guard = 0; r == ERROR_SUCCESS && guard < 10000; ++guard) {
        out << rec.Name;
        r = FindNext(rec);
    }
    FindClose(rec);
    return out;
}

// The search entries of a folder by name (every attribute asked for).
std::map<QString, SearchRec> findAll(Machine& m, const QString& mask, int attr = faAnyFile) {
    std::map<QString, SearchRec> out;
    SearchRec rec;
    for (int r = FindFirst(m, mask, attr, rec); r == ERROR_SUCCESS; r = FindNext(rec))
        out[rec.Name] = rec;
    FindClose(rec);
    return out;
}

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Host entries of a folder, "." and ".." left out.
QStringList hostEntries(const std::string& folder) {
    QStringList out;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                out << QString::fromUtf8(e->d_name);
        ::closedir(d);
    }
    out.sort();
    return out;
}

// ============================================================================================
// Wildcard masks
// ============================================================================================

struct MaskCase {
    const char* name;
    const char* mask;
    bool matches;
};

TEST(MatchesMaskTest, DosWildcardRules) {
    const MaskCase cases[] = {
        // "*" and "*.*" match everything, names without a dot too
        {"a.txt", "*", true},
        {"abc", "*", true},
        {".", "*", true},
        {"..", "*.*", true},
        {"abc", "*.*", true},
        {"a.b.c", "*.*", true},
        // extension masks
        {"a.txt", "*.txt", true},
        {".txt", "*.txt", true},
        {"a.b.txt", "*.txt", true},
        {"a.txt.bak", "*.txt", false},
        {"atxt", "*.txt", false},
        {"a.tx", "*.txt", false},
        {"a.txta", "*.txt", false},
        // "?" is one character...
        {"abc", "a?c", true},
        {"aXc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        // ...except at the end, where it may match nothing
        {"ab", "ab?", true},
        {"abc", "ab?", true},
        {"abcd", "ab?", false},
        {"a", "a??", true},
        {"abc", "a??", true},
        {"abcd", "a??", false},
        // "x.*" also matches "x"; "*." matches names without a dot
        {"x", "x.*", true},
        {"x.y", "x.*", true},
        {"x.y.z", "x.*", true},
        {"xy", "x.*", false},
        {"abc", "*.", true},
        {"a.b", "*.", false},
        {"x", "x.", true},
        {"x.y", "x.", false},
        // stars anywhere
        {"abc", "a*", true},
        {"abc", "*c", true},
        {"abc", "*b*", true},
        {"abc", "*d*", false},
        {"report2024.log", "rep*20??.*", true},
        {"report24.log", "rep*20??.*", false},
        // no wildcard: the whole name
        {"Plain.txt", "plain.TXT", true},
        {"plain.txt", "plain.tx", false},
        // case-insensitive, ASCII and beyond
        {"A.TXT", "*.txt", true},
        {"a.txt", "*.TXT", true},
        {"ÉTÉ.DOC", "été.*", true},
        {"été.doc", "ÉTÉ.DOC", true},
        {"ПРИВЕТ.txt", "привет.*", true},
        {"𐐀.txt", "𐐨.TXT", true},
        {"straße.txt", "STRASSE.TXT", false},
        {"straße.txt", "STRAßE.TXT", true},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.mask);
        EXPECT_EQ(matchesMask(u8(c.name), u8(c.mask)), c.matches);
    }
}

// ============================================================================================
// FindFirst / FindNext
// ============================================================================================

class FindTest : public ::testing::Test {
protected:
    MachineBuilder b;
    Machine& m = b.machine();
};

TEST_F(FindTest, DotEntriesFirstThenCaseInsensitiveNameOrder) {
    for (const char* name : {"b.txt", "A.txt", "c.TXT", "_x", "a1", "10", "9", "é.txt", "E.txt", "$R1.txt",
                             "!bang", "-dash", " blank"})
        b.file(QStringLiteral("C:\\ord\\") + u8(name));
    b.folder(u8("C:\\ord\\Zeta"));
    b.folder(u8("C:\\ord\\beta"));

    // "." and ".." first, even before names that sort below "."; then upper-cased UTF-16 order.
    const QStringList expected = {u8("."),     u8(".."),   u8(" blank"), u8("!bang"), u8("$R1.txt"),
                                  u8("-dash"), u8("10"),   u8("9"),      u8("A.txt"), u8("a1"),
                                  u8("b.txt"), u8("beta"), u8("c.TXT"),  u8("E.txt"), u8("Zeta"),
                                  u8("_x"),    u8("é.txt")};
    EXPECT_EQ(findNames(m, u8("C:\\ord\\*"), faAnyFile), expected);
    EXPECT_EQ(findNames(m, u8("c:\\ORD\\*.*"), faAnyFile), expected);
    EXPECT_EQ(findNames(m, u8("C:\\ord\\*.txt"), faAnyFile),
              (QStringList{u8("$R1.txt"), u8("A.txt"), u8("b.txt"), u8("c.TXT"), u8("E.txt"), u8("é.txt")}));
}

TEST_F(FindTest, NoDotEntriesAtADriveRoot) {
    b.file(u8("C:\\root.txt"));
    b.folder(u8("C:\\sub"));
    b.drive('d');
    b.file(u8("D:\\d.txt"));
    EXPECT_EQ(findNames(m, u8("C:\\*"), faAnyFile), (QStringList{u8("root.txt"), u8("sub")}));
    EXPECT_EQ(findNames(m, u8("C:\\*.*"), faAnyFile), (QStringList{u8("root.txt"), u8("sub")}));
    EXPECT_EQ(findNames(m, u8("D:\\*"), faAnyFile), (QStringList{u8("d.txt")}));
    // One level down they are there.
    EXPECT_EQ(findNames(m, u8("C:\\sub\\*"), faAnyFile), (QStringList{u8("."), u8("..")}));
    // The program folder is no drive root.
    EXPECT_EQ(findNames(m, u8("C:\\Program Files\\Nivora\\*"), faAnyFile),
              (QStringList{u8("."), u8(".."), u8("download.htm"), u8("index_t.htm")}));
}

TEST_F(FindTest, AttributeFilterLeavesOutHiddenSystemAndDirectoryBitsNotAskedFor) {
    b.file(u8("C:\\flt\\plain.txt"));
    b.file(u8("C:\\flt\\hid.txt"));
    b.attributes(u8("C:\\flt\\hid.txt"), faHidden);
    b.file(u8("C:\\flt\\sys.txt"));
    b.attributes(u8("C:\\flt\\sys.txt"), faSysFile);
    b.file(u8("C:\\flt\\hs.txt"));
    b.attributes(u8("C:\\flt\\hs.txt"), faHidden | faSysFile);
    b.file(u8("C:\\flt\\ro.txt"));
    b.attributes(u8("C:\\flt\\ro.txt"), faReadOnly);
    b.folder(u8("C:\\flt\\dir"));
    b.folder(u8("C:\\flt\\hdir"));
    b.attributes(u8("C:\\flt\\hdir"), faHidden);
    b.folder(u8("C:\\flt\\sdir"));
    b.attributes(u8("C:\\flt\\sdir"), faSysFile);

    struct Case {
        int filter;
        QStringList expected;
    };
    const QString dot = u8("."), dotdot = u8(".."), plain = u8("plain.txt"), hid = u8("hid.txt"),
                  sys = u8("sys.txt"), hs = u8("hs.txt"), ro = u8("ro.txt"), dir = u8("dir"),
                  hdir = u8("hdir"), sdir = u8("sdir");
    const Case cases[] = {
        {0, {plain, ro}},
        {faReadOnly, {plain, ro}},
        {faArchive, {plain, ro}},
        {faDirectory, {dot, dotdot, dir, plain, ro}},
        {faHidden, {hid, plain, ro}},
        {faSysFile, {plain, ro, sys}},
        {faHidden | faSysFile, {hid, hs, plain, ro, sys}},
        {faDirectory | faHidden, {dot, dotdot, dir, hdir, hid, plain, ro}},
        {faDirectory | faSysFile, {dot, dotdot, dir, plain, ro, sdir, sys}},
        {faDirectory | faHidden | faSysFile, {dot, dotdot, dir, hdir, hid, hs, plain, ro, sdir, sys}},
        {faAnyFile, {dot, dotdot, dir, hdir, hid, hs, plain, ro, sdir, sys}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(findNames(m, u8("C:\\flt\\*"), c.filter), c.expected);
    }
}

TEST_F(FindTest, AttributeWords) {
    b.file(u8("C:\\atr\\plain.txt"));
    b.folder(u8("C:\\atr\\dir"));
    b.file(u8("C:\\atr\\ro_x.txt"));
    b.attributes(u8("C:\\atr\\ro_x.txt"), faReadOnly);
    b.file(u8("C:\\atr\\ro_mode.txt"));
    b.dropWriteBits(u8("C:\\atr\\ro_mode.txt"));
    b.file(u8("C:\\atr\\hid.txt"));
    b.attributes(u8("C:\\atr\\hid.txt"), faHidden);
    b.file(u8("C:\\atr\\sys.txt"));
    b.attributes(u8("C:\\atr\\sys.txt"), faSysFile);
    b.file(u8("C:\\atr\\all.txt"));
    b.attributes(u8("C:\\atr\\all.txt"), faReadOnly | faHidden | faSysFile);
    b.folder(u8("C:\\atr\\hdir"));
    b.attributes(u8("C:\\atr\\hdir"), faHidden);
    // Only read-only, hidden and system come from the xattr.
    b.file(u8("C:\\atr\\fakedir.txt"));
    b.attributes(u8("C:\\atr\\fakedir.txt"), faDirectory);
    b.file(u8("C:\\atr\\fakelink.txt"));
    b.attributes(u8("C:\\atr\\fakelink.txt"), faReparsePoint | faArchive);
    b.folder(u8("C:\\atr\\archdir"));
    b.attributes(u8("C:\\atr\\archdir"), faArchive);
    b.file(u8("C:\\atr\\junk.txt"));
    b.dosAttribRaw(u8("C:\\atr\\junk.txt"), "hidden");
    b.file(u8("C:\\atr\\samba.txt"));
    b.dosAttribRaw(u8("C:\\atr\\samba.txt"), QByteArray("0x2\0\x03\x00\x04\x00", 8));
    // Dot files are not hidden.
    b.file(u8("C:\\atr\\.profile"));
    b.folder(u8("C:\\atr\\.config"));
    // A link shows what it leads to, with the reparse-point bit.
    b.link(u8("C:\\atr\\lnk_file"), u8("C:\\atr\\plain.txt"));
    b.link(u8("C:\\atr\\lnk_dir"), u8("C:\\atr\\dir"));
    b.link(u8("C:\\atr\\lnk_hid"), u8("C:\\atr\\hid.txt"));
    b.link(u8("C:\\atr\\lnk_ro"), u8("C:\\atr\\ro_mode.txt"));
    b.hostLink(u8("C:\\atr\\lnk_dangling"), b.outside() + "/missing");
    b.hostLink(u8("C:\\atr\\lnk_out"), b.outsideFolder("far"));

    struct Case {
        const char* name;
        int attr;
    };
    const Case cases[] = {
        {"plain.txt", faArchive},
        {"dir", faDirectory},
        {"ro_x.txt", faArchive | faReadOnly},
        {"ro_mode.txt", faArchive | faReadOnly},
        {"hid.txt", faArchive | faHidden},
        {"sys.txt", faArchive | faSysFile},
        {"all.txt", faArchive | faReadOnly | faHidden | faSysFile},
        {"hdir", faDirectory | faHidden},
        {"fakedir.txt", faArchive},
        {"fakelink.txt", faArchive},
        {"archdir", faDirectory},
        {"junk.txt", faArchive},
        {"samba.txt", faArchive | faHidden},
        {".profile", faArchive},
        {".config", faDirectory},
        {"lnk_file", faReparsePoint | faArchive},
        {"lnk_dir", faReparsePoint | faDirectory},
        {"lnk_hid", faReparsePoint | faArchive | faHidden},
        {"lnk_ro", faReparsePoint | faArchive | faReadOnly},
        {"lnk_dangling", faReparsePoint | faArchive},
        {"lnk_out", faReparsePoint | faDirectory},
    };
    // Asked for everything, the word is completed on demand; asked for less, while filtering.
    const auto lazy = findAll(m, u8("C:\\atr\\*"), faAnyFile);
    const auto eager = findAll(m, u8("C:\\atr\\*"), faDirectory);
    ASSERT_EQ(lazy.size(), std::size(cases) + 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = u8(c.name);
        ASSERT_TRUE(lazy.count(name));
        EXPECT_EQ(lazy.at(name).attr(), c.attr);
        const bool shownWithoutHiddenOrSystem = (c.attr & (faHidden | faSysFile)) == 0;
        ASSERT_EQ(eager.count(name) == 1, shownWithoutHiddenOrSystem);
        if (shownWithoutHiddenOrSystem) {
            EXPECT_EQ(eager.at(name).attr(), c.attr);
        }
        if (std::string(c.name) != "lnk_dangling") {
            EXPECT_EQ(FileGetAttr(m, QStringLiteral("C:\\atr\\") + name), c.attr);
        }
    }
    EXPECT_EQ(FileGetAttr(m, u8("C:\\atr\\nothing")), -1);
}

TEST_F(FindTest, SizesAre64Bit) {
    constexpr std::int64_t huge = (std::int64_t{5} << 30) + 123; // past 4 GiB, sparse
    b.sizedFile(u8("C:\\big\\huge.bin"), huge);
    b.file(u8("C:\\big\\small.txt"), "12345");
    b.file(u8("C:\\big\\empty.txt"));
    b.file(u8("C:\\big\\sub\\x.txt"), "not counted in the folder");

    const auto all = findAll(m, u8("C:\\big\\*"));
    EXPECT_EQ(all.at(u8("huge.bin")).Size(), huge);
    EXPECT_EQ(all.at(u8("small.txt")).Size(), 5);
    EXPECT_EQ(all.at(u8("empty.txt")).Size(), 0);
    EXPECT_EQ(all.at(u8("sub")).Size(), 0);

    FileInfo info;
    ASSERT_TRUE(GetFileInfo(m, u8("C:\\BIG\\HUGE.BIN"), info));
    EXPECT_EQ(info.size, huge);
    ASSERT_TRUE(GetFileInfo(m, u8("C:\\big\\sub"), info));
    EXPECT_EQ(info.size, 0);
}

TEST_F(FindTest, LinksAreListedWithoutSize) {
    b.file(u8("C:\\sz\\plain.txt"), "12345");
    b.folder(u8("C:\\sz\\dir"));
    b.link(u8("C:\\sz\\to_file"), u8("C:\\sz\\plain.txt"));
    b.link(u8("C:\\sz\\to_dir"), u8("C:\\sz\\dir"));
    b.hostLink(u8("C:\\sz\\dangling"), b.outside() + "/missing");

    struct Case {
        const char* name;
        std::int64_t size;
        int reparse;
    };
    const Case cases[] = {
        {"plain.txt", 5, 0},
        {"to_file", 0, faReparsePoint},
        {"to_dir", 0, faReparsePoint},
        {"dangling", 0, faReparsePoint},
    };
    const auto all = findAll(m, u8("C:\\sz\\*"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SearchRec& rec = all.at(u8(c.name));
        EXPECT_EQ(rec.Size(), c.size);
        EXPECT_EQ(rec.attr() & faReparsePoint, c.reparse);
    }
    // A path given to the layer is followed.
    FileInfo info;
    ASSERT_TRUE(GetFileInfo(m, u8("C:\\sz\\to_file"), info));
    EXPECT_EQ(info.size, 5);
}

TEST_F(FindTest, SizeIsReadOnFirstUseAndKept) {
    b.file(u8("C:\\lazy\\a.txt"), "12345");
    b.file(u8("C:\\lazy\\b.txt"), "123");
    SearchRec rec;
    ASSERT_EQ(FindFirst(m, u8("C:\\lazy\\*.txt"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.Name, u8("a.txt"));
    EXPECT_EQ(rec.Size(), 5);
    ASSERT_TRUE(DeleteFile(m, u8("C:\\lazy\\a.txt")));
    EXPECT_EQ(rec.Size(), 5); // what was read stays
    ASSERT_EQ(FindNext(rec), 0);
    ASSERT_TRUE(DeleteFile(m, u8("C:\\lazy\\b.txt")));
    // Asked only after the entry went: nothing left to read.
    EXPECT_EQ(rec.Size(), 0);
    EXPECT_EQ(rec.attr(), faArchive);
}

TEST_F(FindTest, Times) {
    const FileTime write = MachineBuilder::fileTime(2001, 2, 3, 4, 5, 6, 7);
    const FileTime access = MachineBuilder::fileTime(2010, 11, 12, 13, 14, 15, 1234567);
    b.file(u8("C:\\tm\\a.txt"), "a");
    b.times(u8("C:\\tm\\a.txt"), write, access);
    b.folder(u8("C:\\tm\\dir"));
    b.times(u8("C:\\tm\\dir"), access, write);
    b.link(u8("C:\\tm\\lnk"), u8("C:\\tm\\a.txt"));

    const auto all = findAll(m, u8("C:\\tm\\*"));
    EXPECT_EQ(all.at(u8("a.txt")).LastWriteTime(), write);
    EXPECT_EQ(all.at(u8("a.txt")).LastAccessTime(), access);
    EXPECT_EQ(all.at(u8("dir")).LastWriteTime(), access);
    EXPECT_EQ(all.at(u8("dir")).LastAccessTime(), write);
    // The link shows the times of what it leads to.
    EXPECT_EQ(all.at(u8("lnk")).LastWriteTime(), write);
    EXPECT_EQ(all.at(u8("lnk")).LastAccessTime(), access);

    FileInfo info;
    ASSERT_TRUE(GetFileInfo(m, u8("C:\\tm\\a.txt"), info));
    EXPECT_EQ(info.lastWriteTime, write);
    EXPECT_EQ(info.lastAccessTime, access);

    // Creation time cannot be set on Linux: it is the host's birth time (the file was made
    // just now) where the file system keeps one, else the last-write time.
    struct statx sx {};
    ASSERT_EQ(::statx(AT_FDCWD, b.hostPath(u8("C:\\tm\\a.txt")).c_str(), 0, STATX_BTIME, &sx), 0);
    const FileTime created = all.at(u8("a.txt")).CreationTime();
    if (sx.stx_mask & STATX_BTIME) {
        const FileTime now =
            MachineBuilder::fileTime(1970, 1, 1) + QDateTime::currentSecsSinceEpoch() * 10000000LL;
        EXPECT_LE(created, now + 10000000LL);
        EXPECT_GT(created, now - 600 * 10000000LL);
        EXPECT_EQ(info.creationTime, created);
    } else {
        EXPECT_EQ(created, write);
    }
}

TEST_F(FindTest, NamesWindowsCannotHoldAreNeverReturned) {
    b.file(u8("C:\\names\\ok.txt"));
    for (const char* raw : {"bad\xFF.txt", "\xC0\xAF", "\xED\xA0\x80.txt", "a:b", "x*y", "q?", "p|q", "lt<",
                            "gt>", "quo\"te", "back\\slash", "tab\there", "ctl\x01"})
        b.rawFile(u8("C:\\names"), raw);
    b.rawFolder(u8("C:\\names"), "dir\xFE");
    b.rawFolder(u8("C:\\names"), "d:ir");

    EXPECT_EQ(findNames(m, u8("C:\\names\\*"), faAnyFile), (QStringList{u8("."), u8(".."), u8("ok.txt")}));
    EXPECT_EQ(findNames(m, u8("C:\\names\\*.txt"), faAnyFile), (QStringList{u8("ok.txt")}));
    // Masks that would only match the hidden ones find nothing.
    int first = -1;
    EXPECT_TRUE(findNames(m, u8("C:\\names\\*b*"), faAnyFile, &first).isEmpty());
    EXPECT_EQ(first, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(findNames(m, QStringLiteral("C:\\names\\") + QChar(0xFFFD) + u8("*"), faAnyFile).isEmpty());
}

TEST_F(FindTest, ErrorCodes) {
    b.file(u8("C:\\err\\file.txt"));
    b.file(u8("C:\\onlyhidden\\h.txt"));
    b.attributes(u8("C:\\onlyhidden\\h.txt"), faHidden);
    b.folder(u8("C:\\empty"));

    struct Case {
        const char* mask;
        int attr;
        int result;
    };
    const Case cases[] = {
        {"C:\\nope\\*", faAnyFile, ERROR_PATH_NOT_FOUND},
        {"C:\\nope\\deeper\\*.txt", faAnyFile, ERROR_PATH_NOT_FOUND},
        {"C:\\err\\file.txt\\*", faAnyFile, ERROR_PATH_NOT_FOUND},
        {"Q:\\*", faAnyFile, ERROR_PATH_NOT_FOUND},
        {"C:\\err\\*.zzz", faAnyFile, ERROR_FILE_NOT_FOUND},
        {"C:\\err\\missing.txt", faAnyFile, ERROR_FILE_NOT_FOUND},
        {"C:\\err\\", faAnyFile, ERROR_FILE_NOT_FOUND},
        {"C:\\empty\\*.txt", faAnyFile, ERROR_FILE_NOT_FOUND},
        {"C:\\empty\\*", 0, ERROR_NO_MORE_FILES}, // only "." and "..", left out
        {"C:\\onlyhidden\\*", 0, ERROR_NO_MORE_FILES},
        {"C:\\onlyhidden\\*.txt", faDirectory, ERROR_NO_MORE_FILES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        m.setLastError(0);
        SearchRec rec;
        EXPECT_EQ(FindFirst(m, u8(c.mask), c.attr, rec), c.result);
        EXPECT_EQ(m.lastError(), c.result);
        EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
    }
    // The end of a search.
    SearchRec rec;
    ASSERT_EQ(FindFirst(m, u8("C:\\err\\*.txt"), faAnyFile, rec), ERROR_SUCCESS);
    EXPECT_EQ(rec.Name, u8("file.txt"));
    EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
    EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
}

TEST_F(FindTest, MaskWithoutWildcardFindsThatNameInItsOwnSpelling) {
    b.file(u8("C:\\one\\Plain.Txt"), "p");
    b.file(u8("C:\\one\\other.txt"), "o");
    EXPECT_EQ(findNames(m, u8("c:\\ONE\\plain.txt"), faAnyFile), (QStringList{u8("Plain.Txt")}));
    EXPECT_EQ(findNames(m, u8("C:\\one\\plain.txt. "), faAnyFile), (QStringList{u8("Plain.Txt")}));
}

TEST_F(FindTest, SearchesFollowTheFolderTheyAreGivenAndTheCurrentFolder) {
    b.outsideFile("docs/Letter.txt", "l");
    b.hostLink(u8("C:\\users\\tester\\Documents"), b.outside() + "/docs");
    b.file(u8("C:\\cur\\here.txt"));
    EXPECT_EQ(findNames(m, u8("C:\\users\\tester\\documents\\*.txt"), faAnyFile),
              (QStringList{u8("Letter.txt")}));
    ASSERT_TRUE(SetCurrentDir(m, u8("C:\\cur")));
    EXPECT_EQ(findNames(m, u8("*.txt"), faAnyFile), (QStringList{u8("here.txt")}));
}

// ============================================================================================
// A recursive walk never follows a link
// ============================================================================================

void walk(Machine& m, const QString& folder, QStringList& seen, int depth) {
    ASSERT_LT(depth, 16) << "the walk went round in circles at " << folder.toStdString();
    SearchRec rec;
    for (int r = FindFirst(m, folder + u8("\\*"), faAnyFile, rec); r == ERROR_SUCCESS; r = FindNext(rec)) {
        if (rec.Name == u8(".") || rec.Name == u8("..")) continue;
        const QString path = folder + u8("\\") + rec.Name;
        seen << path;
        ASSERT_LT(seen.size(), 1000);
        if (rec.attr() & faReparsePoint) continue;
        if (rec.attr() & faDirectory) walk(m, path, seen, depth + 1);
    }
}

TEST(WalkTest, SkippingReparsePointsNeverLoopsNorLeavesTheMachine) {
    MachineBuilder b;
    b.file(u8("C:\\walk\\a\\f1.txt"));
    b.file(u8("C:\\walk\\a\\b\\f2.txt"));
    b.file(u8("C:\\walk\\.dot\\f3.txt"));
    b.link(u8("C:\\walk\\a\\b\\up"), u8("C:\\walk")); // a loop
    b.outsideFile("secret/s.txt", "outside");
    b.hostLink(u8("C:\\walk\\out"), b.outside() + "/secret"); // out of the machine
    b.hostLink(u8("C:\\walk\\self"), "self");                 // leads to itself
    b.hostLink(u8("C:\\walk\\pair1"), b.hostPath(u8("C:\\walk\\pair2")));
    b.hostLink(u8("C:\\walk\\pair2"), b.hostPath(u8("C:\\walk\\pair1")));
    b.hostLink(u8("C:\\walk\\dangling"), b.outside() + "/nothing");

    QStringList seen;
    walk(b.machine(), u8("C:\\walk"), seen, 0);
    seen.sort();
    QStringList expected = {u8("C:\\walk\\.dot"),      u8("C:\\walk\\.dot\\f3.txt"), u8("C:\\walk\\a"),
                            u8("C:\\walk\\a\\b"),      u8("C:\\walk\\a\\b\\f2.txt"), u8("C:\\walk\\a\\b\\up"),
                            u8("C:\\walk\\a\\f1.txt"), u8("C:\\walk\\dangling"),     u8("C:\\walk\\out"),
                            u8("C:\\walk\\pair1"),     u8("C:\\walk\\pair2"),        u8("C:\\walk\\self")};
    expected.sort();
    EXPECT_EQ(seen, expected);

    const auto links = findAll(b.machine(), u8("C:\\walk\\*"));
    EXPECT_EQ(links.at(u8("out")).attr(), faReparsePoint | faDirectory);
    EXPECT_EQ(links.at(u8("self")).attr() & faReparsePoint, faReparsePoint);
    EXPECT_EQ(findAll(b.machine(), u8("C:\\walk\\a\\b\\*")).at(u8("up")).attr(),
              faReparsePoint | faDirectory);
}

// ============================================================================================
// Existence and attributes of one path
// ============================================================================================

TEST(ExistsTest, FilesAndFolders) {
    MachineBuilder b;
    Machine& m = b.machine();
    b.file(u8("C:\\ex\\File.txt"));
    b.folder(u8("C:\\ex\\Dir"));
    b.link(u8("C:\\ex\\lnkfile"), u8("C:\\ex\\File.txt"));
    b.link(u8("C:\\ex\\lnkdir"), u8("C:\\ex\\Dir"));
    b.hostLink(u8("C:\\ex\\dangling"), b.outside() + "/missing");

    struct Case {
        const char* path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {"C:\\ex\\File.txt", true, false},
        {"c:\\EX\\file.TXT", true, false},
        {"C:\\ex\\Dir", false, true},
        {"C:\\ex\\dir\\", false, true},
        {"C:\\ex\\lnkfile", true, false},
        {"C:\\ex\\lnkdir", false, true},
        {"C:\\ex\\dangling", false, false},
        {"C:\\ex\\missing", false, false},
        {"C:\\", false, true},
        {"Q:\\", false, false},
        {"C:\\Program Files\\Nivora\\index_t.htm", true, false},
        {"C:\\Program Files\\Nivora", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileExists(m, u8(c.path)), c.file);
        EXPECT_EQ(DirectoryExists(m, u8(c.path)), c.folder);
    }
}

TEST(FileSetAttrTest, WritesTheXattr) {
    MachineBuilder b;
    Machine& m = b.machine();
    b.file(u8("C:\\sa\\a.txt"));
    ASSERT_TRUE(FileSetAttr(m, u8("C:\\SA\\A.TXT"), faHidden | faArchive));
    EXPECT_EQ(b.dosAttribText(u8("C:\\sa\\a.txt")), QByteArray("0x2"));
    EXPECT_EQ(FileGetAttr(m, u8("C:\\sa\\a.txt")), faHidden | faArchive);

    ASSERT_TRUE(FileSetAttr(m, u8("C:\\sa\\a.txt"), faReadOnly | faSysFile));
    EXPECT_EQ(b.dosAttribText(u8("C:\\sa\\a.txt")), QByteArray("0x5"));
    EXPECT_FALSE(DeleteFile(m, u8("C:\\sa\\a.txt")));

    ASSERT_TRUE(FileSetAttr(m, u8("C:\\sa\\a.txt"), faArchive));
    EXPECT_TRUE(b.dosAttribText(u8("C:\\sa\\a.txt")).isEmpty());
    EXPECT_EQ(FileGetAttr(m, u8("C:\\sa\\a.txt")), faArchive);

    // Clearing read-only also gives a file without write bits one back.
    b.file(u8("C:\\sa\\mode.txt"));
    b.dropWriteBits(u8("C:\\sa\\mode.txt"));
    ASSERT_TRUE(FileSetAttr(m, u8("C:\\sa\\mode.txt"), 0));
    EXPECT_EQ(FileGetAttr(m, u8("C:\\sa\\mode.txt")), faArchive);
    EXPECT_TRUE(DeleteFile(m, u8("C:\\sa\\mode.txt")));

    EXPECT_FALSE(FileSetAttr(m, u8("C:\\sa\\missing.txt"), faHidden));
    EXPECT_EQ(m.lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(FileSetAttr(m, u8("C:\\Program Files\\Nivora\\index_t.htm"), faHidden));
    EXPECT_TRUE(b.dosAttribText(u8("C:\\Program Files\\Nivora\\index_t.htm")).isEmpty());
}

// ============================================================================================
// DeleteFile
// ============================================================================================

struct DeleteCase {
    const char* name;
    std::function<void(MachineBuilder&)> prepare;
    const char* path;
    bool deleted;
    int lastError;          // when refused
    const char* mustRemain; // Windows path that is still there afterwards ("" for none)
    const char* mustBeGone; // Windows path that is gone afterwards ("" for none)
};

void runDeleteCases(const std::vector<DeleteCase>& cases,
                    const std::function<bool(Machine&, const QString&)>& call) {
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        MachineBuilder b;
        b.file(u8("C:\\del\\plain.txt"), "plain");
        b.folder(u8("C:\\del\\dir"));
        if (c.prepare) c.prepare(b);
        b.machine().setLastError(0);
        EXPECT_EQ(call(b.machine(), u8(c.path)), c.deleted);
        if (!c.deleted && c.lastError != kAnyError) {
            EXPECT_EQ(b.machine().lastError(), c.lastError);
        }
        if (*c.mustRemain) {
            EXPECT_TRUE(b.exists(u8(c.mustRemain)));
        }
        if (*c.mustBeGone) {
            EXPECT_FALSE(b.exists(u8(c.mustBeGone)));
        }
    }
}

TEST(DeleteFileTest, Refusals) {
    const std::vector<DeleteCase> cases = {
        {"a folder", nullptr, "C:\\del\\dir", false, ERROR_ACCESS_DENIED, "C:\\del\\dir", ""},
        {"a folder with a trailing backslash", nullptr, "C:\\del\\dir\\", false, ERROR_ACCESS_DENIED,
         "C:\\del\\dir", ""},
        {"dot", nullptr, "C:\\del\\.", false, ERROR_ACCESS_DENIED, "C:\\del\\plain.txt", ""},
        {"dot dot", nullptr, "C:\\del\\dir\\..", false, ERROR_ACCESS_DENIED, "C:\\del\\plain.txt", ""},
        {"file then dot", nullptr, "C:\\del\\plain.txt\\.", false, ERROR_ACCESS_DENIED, "C:\\del\\plain.txt",
         ""},
        {"folder then dot", nullptr, "C:\\del\\dir\\.", false, ERROR_ACCESS_DENIED, "C:\\del\\dir", ""},
        {"folder then dot and slash", nullptr, "C:\\del\\dir\\./", false, ERROR_ACCESS_DENIED, "C:\\del\\dir",
         ""},
        {"bare dot in the current folder",
         [](MachineBuilder& b) { b.machine().setCurrentFolderRaw(u8("C:\\del\\dir\\")); }, ".", false,
         ERROR_ACCESS_DENIED, "C:\\del\\dir", ""},
        {"bare dot dot", [](MachineBuilder& b) { b.machine().setCurrentFolderRaw(u8("C:\\del\\dir\\")); },
         "..", false, ERROR_ACCESS_DENIED, "C:\\del\\dir", ""},
        {"read-only by xattr",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\ro.txt"), "ro");
             b.attributes(u8("C:\\del\\ro.txt"), faReadOnly | faArchive);
         },
         "C:\\del\\ro.txt", false, ERROR_ACCESS_DENIED, "C:\\del\\ro.txt", ""},
        {"read-only by mode, even as root",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\ro.txt"), "ro");
             b.dropWriteBits(u8("C:\\del\\ro.txt"));
         },
         "C:\\del\\RO.TXT", false, ERROR_ACCESS_DENIED, "C:\\del\\ro.txt", ""},
        {"a file with a trailing backslash", nullptr, "C:\\del\\plain.txt\\", false, ERROR_INVALID_NAME,
         "C:\\del\\plain.txt", ""},
        {"missing", nullptr, "C:\\del\\missing.txt", false, ERROR_FILE_NOT_FOUND, "", ""},
        {"missing drive", nullptr, "Q:\\x.txt", false, ERROR_PATH_NOT_FOUND, "", ""},
        {"drive root", nullptr, "C:\\", false, ERROR_ACCESS_DENIED, "C:\\del", ""},
        {"program folder", nullptr, "C:\\Program Files\\Nivora\\index_t.htm", false, ERROR_ACCESS_DENIED,
         "C:\\Program Files\\Nivora\\index_t.htm", ""},
        {"file in use",
         [](MachineBuilder& b) {
             b.machine().faults().fail(FaultInjector::Op::DeleteFile, u8("c:\\DEL\\*.TXT"),
                                       ERROR_SHARING_VIOLATION);
         },
         "C:\\del\\plain.txt", false, ERROR_SHARING_VIOLATION, "C:\\del\\plain.txt", ""},
    };
    runDeleteCases(cases, [](Machine& m, const QString& p) { return DeleteFile(m, p); });
}

// A name a listing found is that entry: once it has gone, its case twin is another file. The folders
// on the way still resolve in any case.
TEST(ListedNameTest, NeverTakesACaseTwin) {
    MachineBuilder b;
    b.file(u8("C:\\data\\A.BIN"), "twin");
    const QString listed = u8("C:\\DATA\\a.bin");
    FileInfo info;
    EXPECT_TRUE(FileExists(b.machine(), listed)) << "the twin is what a typed path finds";
    EXPECT_FALSE(FileExists(b.machine(), listed, LastName::AsListed));
    EXPECT_FALSE(GetFileInfo(b.machine(), listed, info, LastName::AsListed));
    EXPECT_FALSE(DeleteFile(b.machine(), listed, LastName::AsListed));
    EXPECT_EQ(b.machine().lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(shellRecycle(b.machine(), listed, {}, LastName::AsListed), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ShellExecute(b.machine(), u8("open"), listed, {}, {}, LastName::AsListed),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(b.readHost(u8("C:\\data\\A.BIN")), "twin");
    EXPECT_TRUE(b.launcher().calls().isEmpty());
    EXPECT_TRUE(DeleteFile(b.machine(), u8("C:\\DATA\\A.BIN"), LastName::AsListed));
}

TEST(DeleteFileTest, Deletions) {
    const std::vector<DeleteCase> cases = {
        {"plain", nullptr, "C:\\del\\plain.txt", true, 0, "C:\\del\\dir", "C:\\del\\plain.txt"},
        {"other spelling", nullptr, "c:\\DEL\\Plain.TXT", true, 0, "", "C:\\del\\plain.txt"},
        {"relative", [](MachineBuilder& b) { b.machine().setCurrentFolderRaw(u8("C:\\del\\")); }, "plain.txt",
         true, 0, "", "C:\\del\\plain.txt"},
        {"hidden and system",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\hs.txt"));
             b.attributes(u8("C:\\del\\hs.txt"), faHidden | faSysFile);
         },
         "C:\\del\\hs.txt", true, 0, "", "C:\\del\\hs.txt"},
        {"fault on another file",
         [](MachineBuilder& b) {
             b.machine().faults().fail(FaultInjector::Op::DeleteFile, u8("C:\\del\\other.txt"),
                                       ERROR_SHARING_VIOLATION);
         },
         "C:\\del\\plain.txt", true, 0, "", "C:\\del\\plain.txt"},
        {"link to a folder outside: the link only",
         [](MachineBuilder& b) {
             b.outsideFile("target/keep.txt", "keep");
             b.hostLink(u8("C:\\del\\lnk"), b.outside() + "/target");
         },
         "C:\\del\\lnk", true, 0, "", "C:\\del\\lnk"},
        {"link to a folder inside: the link only",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\dir\\keep.txt"), "keep");
             b.link(u8("C:\\del\\lnk"), u8("C:\\del\\dir"));
         },
         "C:\\del\\LNK", true, 0, "C:\\del\\dir\\keep.txt", "C:\\del\\lnk"},
        {"link to a file: the link only",
         [](MachineBuilder& b) { b.link(u8("C:\\del\\lnk"), u8("C:\\del\\plain.txt")); }, "C:\\del\\lnk",
         true, 0, "C:\\del\\plain.txt", "C:\\del\\lnk"},
        {"link to a read-only file: the link only",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\ro.txt"));
             b.dropWriteBits(u8("C:\\del\\ro.txt"));
             b.link(u8("C:\\del\\lnk"), u8("C:\\del\\ro.txt"));
         },
         "C:\\del\\lnk", true, 0, "C:\\del\\ro.txt", "C:\\del\\lnk"},
        {"dangling link",
         [](MachineBuilder& b) { b.hostLink(u8("C:\\del\\lnk"), "/nonexistent/nivora-test"); },
         "C:\\del\\lnk", true, 0, "", "C:\\del\\lnk"},
        {"link that leads to itself", [](MachineBuilder& b) { b.hostLink(u8("C:\\del\\lnk"), "lnk"); },
         "C:\\del\\lnk", true, 0, "", "C:\\del\\lnk"},
    };
    runDeleteCases(cases, [](Machine& m, const QString& p) { return DeleteFile(m, p); });
}

TEST(DeleteFileTest, LinkedFolderKeepsEveryFile) {
    MachineBuilder b;
    b.outsideFile("target/a.txt", "a");
    b.outsideFile("target/sub/b.txt", "b");
    b.hostLink(u8("C:\\lnk"), b.outside() + "/target");
    ASSERT_TRUE(DeleteFile(b.machine(), u8("C:\\lnk")));
    EXPECT_FALSE(b.exists(u8("C:\\lnk")));
    EXPECT_EQ(hostEntries(b.outside() + "/target"), (QStringList{u8("a.txt"), u8("sub")}));
    EXPECT_EQ(hostEntries(b.outside() + "/target/sub"), (QStringList{u8("b.txt")}));
}

// ============================================================================================
// RemoveDir, CreateDir, ForceDirectories
// ============================================================================================

TEST(RemoveDirTest, EmptyFoldersAndLinksOnly) {
    const std::vector<DeleteCase> cases = {
        {"empty", nullptr, "C:\\del\\dir", true, 0, "C:\\del\\plain.txt", "C:\\del\\dir"},
        {"empty, other spelling", nullptr, "C:\\DEL\\DIR\\", true, 0, "", "C:\\del\\dir"},
        {"not empty", [](MachineBuilder& b) { b.file(u8("C:\\del\\dir\\x.txt")); }, "C:\\del\\dir", false,
         ERROR_DIR_NOT_EMPTY, "C:\\del\\dir\\x.txt", ""},
        {"only a hidden file inside",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\dir\\h.txt"));
             b.attributes(u8("C:\\del\\dir\\h.txt"), faHidden);
         },
         "C:\\del\\dir", false, ERROR_DIR_NOT_EMPTY, "C:\\del\\dir\\h.txt", ""},
        {"a file", nullptr, "C:\\del\\plain.txt", false, kAnyError, "C:\\del\\plain.txt", ""},
        {"missing", nullptr, "C:\\del\\missing", false, ERROR_FILE_NOT_FOUND, "", ""},
        {"drive root", nullptr, "C:\\", false, ERROR_ACCESS_DENIED, "C:\\del", ""},
        {"program folder", nullptr, "C:\\Program Files\\Nivora", false, ERROR_ACCESS_DENIED, "", ""},
        {"fault",
         [](MachineBuilder& b) {
             b.machine().faults().fail(FaultInjector::Op::RemoveDir, u8("C:\\del\\dir"), ERROR_ACCESS_DENIED);
         },
         "C:\\del\\dir", false, ERROR_ACCESS_DENIED, "C:\\del\\dir", ""},
        {"link to a full folder: the link only",
         [](MachineBuilder& b) {
             b.file(u8("C:\\del\\dir\\keep.txt"), "keep");
             b.link(u8("C:\\del\\lnk"), u8("C:\\del\\dir"));
         },
         "C:\\del\\lnk", true, 0, "C:\\del\\dir\\keep.txt", "C:\\del\\lnk"},
        {"link to a file", [](MachineBuilder& b) { b.link(u8("C:\\del\\lnk"), u8("C:\\del\\plain.txt")); },
         "C:\\del\\lnk", false, kAnyError, "C:\\del\\lnk", ""},
    };
    runDeleteCases(cases, [](Machine& m, const QString& p) { return RemoveDir(m, p); });

    MachineBuilder b;
    EXPECT_TRUE(DirectoryExists(b.machine(), u8("C:\\Program Files\\Nivora")));
    EXPECT_FALSE(RemoveDir(b.machine(), u8("C:\\Program Files\\Nivora")));
    EXPECT_EQ(hostEntries(b.programFolder()), (QStringList{u8("download.htm"), u8("index_t.htm")}));
}

TEST(CreateDirTest, OneLevelOnly) {
    struct Case {
        const char* path;
        bool created;
        int lastError;
        const char* made;    // literal Windows path that now exists ("" for none)
        const char* notMade; // literal Windows path that must not exist ("" for none)
    };
    const Case cases[] = {
        {"C:\\new", true, 0, "C:\\new", ""},
        {"C:\\new\\", true, 0, "C:\\new", ""},
        {"C:\\docs\\child", true, 0, "C:\\Docs\\child", "C:\\docs"},
        {"C:\\a\\b\\c", false, ERROR_PATH_NOT_FOUND, "", "C:\\a"},
        {"C:\\Docs", false, ERROR_ALREADY_EXISTS, "", ""},
        {"C:\\DOCS", false, ERROR_ALREADY_EXISTS, "", "C:\\DOCS"},
        {"C:\\f.txt", false, ERROR_ALREADY_EXISTS, "", ""},
        {"C:\\f.txt\\sub", false, ERROR_PATH_NOT_FOUND, "", ""},
        {"C:\\Program Files\\Nivora\\sub", false, ERROR_ACCESS_DENIED, "", "C:\\Program Files\\Nivora\\sub"},
        {"Q:\\x", false, ERROR_PATH_NOT_FOUND, "", ""},
        {"C:\\", false, kAnyError, "", ""},
        {"C:\\faulty", false, ERROR_ACCESS_DENIED, "", "C:\\faulty"},
        {"rel", true, 0, "C:\\Docs\\rel", "C:\\rel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MachineBuilder b;
        b.folder(u8("C:\\Docs"));
        b.file(u8("C:\\f.txt"));
        b.machine().setCurrentFolderRaw(u8("C:\\Docs\\"));
        b.machine().faults().fail(FaultInjector::Op::CreateDir, u8("C:\\faulty"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(CreateDir(b.machine(), u8(c.path)), c.created);
        if (!c.created && c.lastError != kAnyError) {
            EXPECT_EQ(b.machine().lastError(), c.lastError);
        }
        if (*c.made) {
            EXPECT_TRUE(b.isFolder(u8(c.made)));
        }
        if (*c.notMade) {
            EXPECT_FALSE(b.exists(u8(c.notMade)));
        }
        EXPECT_EQ(hostEntries(b.programFolder()), (QStringList{u8("download.htm"), u8("index_t.htm")}));
    }
}

TEST(ForceDirectoriesTest, CreatesEveryMissingLevel) {
    struct Case {
        const char* path;
        bool ok;
        const char* made;    // literal Windows path that now exists ("" for none)
        const char* notMade; // literal Windows path that must not exist ("" for none)
    };
    const Case cases[] = {
        {"C:\\x\\y\\z", true, "C:\\x\\y\\z", ""},
        {"C:\\x\\y\\z\\", true, "C:\\x\\y\\z", ""},
        {"C:/x/y", true, "C:\\x\\y", ""},
        {"C:\\docs\\a\\b", true, "C:\\Docs\\a\\b", "C:\\docs"},
        {"C:\\Docs", true, "C:\\Docs", ""},
        {"C:\\", true, "", ""},
        {"rel\\deeper", true, "C:\\Docs\\rel\\deeper", ""},
        {"D:\\on\\d", true, "D:\\on\\d", ""},
        {"C:\\f.txt\\sub", false, "", ""},
        {"C:\\Program Files\\Nivora\\new\\deep", false, "", "C:\\Program Files\\Nivora\\new"},
        {"Q:\\x", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MachineBuilder b;
        b.folder(u8("C:\\Docs"));
        b.file(u8("C:\\f.txt"));
        b.drive('d');
        b.machine().setCurrentFolderRaw(u8("C:\\Docs\\"));
        EXPECT_EQ(ForceDirectories(b.machine(), u8(c.path)), c.ok);
        if (*c.made) {
            EXPECT_TRUE(b.isFolder(u8(c.made)));
        }
        if (*c.notMade) {
            EXPECT_FALSE(b.exists(u8(c.notMade)));
        }
    }
}

TEST(ForceDirectoriesTest, DoesNotDependOnTheCurrentFolder) {
    MachineBuilder b;
    b.folder(u8("C:\\gone"));
    ASSERT_TRUE(SetCurrentDir(b.machine(), u8("C:\\gone")));
    ASSERT_EQ(::rmdir(b.hostPath(u8("C:\\gone")).c_str()), 0);
    EXPECT_TRUE(ForceDirectories(b.machine(), u8("C:\\p\\q")));
    EXPECT_TRUE(b.isFolder(u8("C:\\p\\q")));
}

// ============================================================================================
// Short names and the current folder
// ============================================================================================

TEST(GetShortPathNameTest, ExistingPathAsGivenMissingEmpty) {
    MachineBuilder b;
    b.file(u8("C:\\Docs\\Long File Name.text"));
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Docs\\Long File Name.text", "C:\\Docs\\Long File Name.text"},
        {"c:\\docs\\long file name.TEXT", "c:\\docs\\long file name.TEXT"},
        {"C:\\Docs\\", "C:\\Docs\\"},
        {"C:\\", "C:\\"},
        {"C:\\Program Files\\Nivora\\index_t.htm", "C:\\Program Files\\Nivora\\index_t.htm"},
        {"C:\\Docs\\missing.txt", ""},
        {"C:\\Nope\\Long File Name.text", ""},
        {"Q:\\x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetShortPathName(b.machine(), u8(c.path)), u8(c.expected));
    }
}

TEST(CurrentDirTest, MachineStateNotTheProcess) {
    MachineBuilder b;
    Machine& m = b.machine();
    b.file(u8("C:\\Docs\\Report.txt"), "r");
    b.folder(u8("C:\\Docs\\Sub"));
    b.drive('d');
    b.folder(u8("D:\\data"));
    char before[PATH_MAX];
    ASSERT_TRUE(::getcwd(before, sizeof before));

    EXPECT_EQ(GetCurrentDir(m), u8("C:\\"));
    struct Step {
        const char* set;
        bool ok;
        const char* current; // GetCurrentDir afterwards
    };
    const Step steps[] = {
        {"C:\\docs", true, "C:\\docs"},
        {"Sub", true, "C:\\docs\\Sub"},
        {"..", true, "C:\\docs"},
        {"missing", false, "C:\\docs"},
        {"Report.txt", false, "C:\\docs"},
        {"Q:\\", false, "C:\\docs"},
        {"\\", true, "C:\\"},
        {"C:\\Docs\\Sub\\", true, "C:\\Docs\\Sub"},
        {"D:\\DATA", true, "D:\\DATA"},
        {"D:\\", true, "D:\\"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.set);
        EXPECT_EQ(SetCurrentDir(m, u8(s.set)), s.ok);
        if (!s.ok) {
            EXPECT_EQ(m.lastError(), ERROR_PATH_NOT_FOUND);
        }
        EXPECT_EQ(GetCurrentDir(m), u8(s.current));
    }
    char after[PATH_MAX];
    ASSERT_TRUE(::getcwd(after, sizeof after));
    EXPECT_STREQ(before, after);
}

TEST(CurrentDirTest, RelativePathsUseIt) {
    MachineBuilder b;
    Machine& m = b.machine();
    b.file(u8("C:\\Docs\\Report.txt"), "r");
    b.drive('d');
    ASSERT_TRUE(SetCurrentDir(m, u8("C:\\Docs")));
    EXPECT_TRUE(FileExists(m, u8("report.TXT")));
    EXPECT_TRUE(FileExists(m, u8("..\\Docs\\Report.txt")));
    EXPECT_TRUE(CreateDir(m, u8("made")));
    EXPECT_TRUE(b.isFolder(u8("C:\\Docs\\made")));
    EXPECT_TRUE(DeleteFile(m, u8("Report.txt")));
    EXPECT_FALSE(b.exists(u8("C:\\Docs\\Report.txt")));

    ASSERT_TRUE(SetCurrentDir(m, u8("D:\\")));
    EXPECT_TRUE(CreateDir(m, u8("\\rooted")));
    EXPECT_TRUE(b.isFolder(u8("D:\\rooted")));
    EXPECT_FALSE(b.exists(u8("C:\\rooted")));
    EXPECT_TRUE(WriteFileBytes(m, u8("C:x.txt"), "x"));
    EXPECT_EQ(b.readHost(u8("C:\\x.txt")), QByteArray("x"));
}

// ============================================================================================
// WriteFileBytes
// ============================================================================================

TEST(WriteFileBytesTest, CreatesANewFile) {
    MachineBuilder b;
    b.folder(u8("C:\\w"));
    ASSERT_TRUE(WriteFileBytes(b.machine(), u8("C:\\W\\New.txt"), "line\r\n"));
    EXPECT_EQ(b.readHost(u8("C:\\w\\New.txt")), QByteArray("line\r\n"));
    EXPECT_EQ(hostEntries(b.hostPath(u8("C:\\w"))), (QStringList{u8("New.txt")}));
}

TEST(WriteFileBytesTest, ReplacesAtomically) {
    MachineBuilder b;
    const std::string host = b.file(u8("C:\\w\\a.txt"), "old content");
    ASSERT_EQ(::chmod(host.c_str(), 0640), 0);
    const ino_t oldInode = inodeOf(host);
    // A reader that had the old file open keeps reading the old file: it was replaced, not rewritten.
    const int reader = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);

    ASSERT_TRUE(WriteFileBytes(b.machine(), u8("C:\\W\\A.TXT"), "new"));

    EXPECT_EQ(b.readHost(u8("C:\\w\\a.txt")), QByteArray("new"));
    EXPECT_NE(inodeOf(host), oldInode);
    char buf[32] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf - 1), 11);
    EXPECT_STREQ(buf, "old content");
    ::close(reader);
    struct stat st {};
    ASSERT_EQ(::stat(host.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // One file, in its own spelling, and no temporary file left behind.
    EXPECT_EQ(hostEntries(b.hostPath(u8("C:\\w"))), (QStringList{u8("a.txt")}));
}

TEST(WriteFileBytesTest, ThroughALinkTheTargetIsRewritten) {
    MachineBuilder b;
    const std::string target = b.outsideFile("cfg.ini", "old");
    b.hostLink(u8("C:\\w\\cfg.ini"), target);
    ASSERT_TRUE(WriteFileBytes(b.machine(), u8("C:\\w\\cfg.ini"), "new"));
    EXPECT_TRUE(b.isLink(u8("C:\\w\\cfg.ini")));
    EXPECT_EQ(b.readHost(u8("C:\\w\\cfg.ini")), QByteArray("new"));
}

TEST(WriteFileBytesTest, Refusals) {
    struct Case {
        const char* path;
        int lastError;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Nivora\\index_t.htm", ERROR_ACCESS_DENIED},
        {"C:\\Program Files\\Nivora\\new.txt", ERROR_ACCESS_DENIED},
        {"C:\\missing\\a.txt", ERROR_PATH_NOT_FOUND},
        {"C:\\w\\dir", ERROR_ACCESS_DENIED},
        {"C:\\", kAnyError},
        {"Q:\\a.txt", ERROR_PATH_NOT_FOUND},
        {"C:\\w\\locked.txt", ERROR_SHARING_VIOLATION},
        {"C:\\w\\ro-xattr.txt", ERROR_ACCESS_DENIED},
        {"C:\\w\\ro-mode.txt", ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MachineBuilder b;
        b.folder(u8("C:\\w\\dir"));
        b.file(u8("C:\\w\\locked.txt"), "kept");
        b.machine().faults().fail(FaultInjector::Op::Write, u8("C:\\w\\locked.txt"), ERROR_SHARING_VIOLATION);
        b.file(u8("C:\\w\\ro-xattr.txt"), "kept");
        b.attributes(u8("C:\\w\\ro-xattr.txt"), faReadOnly);
        b.file(u8("C:\\w\\ro-mode.txt"), "kept");
        b.dropWriteBits(u8("C:\\w\\ro-mode.txt"));
        EXPECT_FALSE(WriteFileBytes(b.machine(), u8(c.path), "x"));
        EXPECT_FALSE(AppendFileBytes(b.machine(), u8(c.path), "x"));
        if (c.lastError != kAnyError) {
            EXPECT_EQ(b.machine().lastError(), c.lastError);
        }
        EXPECT_FALSE(b.exists(u8("C:\\missing")));
        EXPECT_TRUE(b.isFolder(u8("C:\\w\\dir")));
        EXPECT_EQ(b.readHost(u8("C:\\w\\locked.txt")), QByteArray("kept"));
        EXPECT_EQ(b.readHost(u8("C:\\w\\ro-xattr.txt")), QByteArray("kept"));
        EXPECT_EQ(b.readHost(u8("C:\\w\\ro-mode.txt")), QByteArray("kept"));
        EXPECT_EQ(hostEntries(b.programFolder()), (QStringList{u8("download.htm"), u8("index_t.htm")}));
        EXPECT_EQ(b.readHost(u8("C:\\Program Files\\Nivora\\index_t.htm")),
                  QByteArray("<html><body>Help</body></html>\r\n"));
    }
}

// ============================================================================================
// MoveFile
// ============================================================================================

TEST(MoveFileTest, Moves) {
    struct Case {
        const char* from;
        const char* to;
        const char* landsAt; // literal Windows path of the result
        const char* gone;    // literal Windows path of the source
    };
    const Case cases[] = {
        {"C:\\src\\a.txt", "C:\\src\\b.txt", "C:\\src\\b.txt", "C:\\src\\a.txt"},
        {"c:\\SRC\\A.TXT", "C:\\DST\\b.txt", "C:\\dst\\b.txt", "C:\\src\\a.txt"},
        {"C:\\src", "C:\\dst\\moved", "C:\\dst\\moved\\a.txt", "C:\\src"},
        {"C:\\src\\a.txt", "D:\\a.txt", "D:\\a.txt", "C:\\src\\a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        MachineBuilder b;
        b.file(u8("C:\\src\\a.txt"), "a");
        b.folder(u8("C:\\dst"));
        b.drive('d');
        EXPECT_TRUE(MoveFile(b.machine(), u8(c.from), u8(c.to)));
        EXPECT_FALSE(b.exists(u8(c.gone)));
        EXPECT_EQ(b.readHost(u8(c.landsAt)), QByteArray("a"));
    }
}

TEST(MoveFileTest, Refusals) {
    struct Case {
        const char* from;
        const char* to;
        int lastError;
    };
    const Case cases[] = {
        {"C:\\src\\a.txt", "C:\\src\\b.txt", ERROR_ALREADY_EXISTS},
        {"C:\\src\\a.txt", "C:\\SRC\\B.TXT", ERROR_ALREADY_EXISTS},
        {"C:\\src\\missing.txt", "C:\\src\\c.txt", ERROR_FILE_NOT_FOUND},
        {"C:\\Program Files\\Nivora\\index_t.htm", "C:\\src\\c.txt", ERROR_ACCESS_DENIED},
        {"C:\\src\\a.txt", "C:\\Program Files\\Nivora\\a.txt", ERROR_ACCESS_DENIED},
        {"C:\\src\\a.txt", "Q:\\a.txt", ERROR_PATH_NOT_FOUND},
        {"C:\\", "C:\\src\\root", kAnyError},
        {"C:\\src\\locked.txt", "C:\\src\\c.txt", ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        MachineBuilder b;
        b.file(u8("C:\\src\\a.txt"), "a");
        b.file(u8("C:\\src\\b.txt"), "b");
        b.file(u8("C:\\src\\locked.txt"), "l");
        b.machine().faults().fail(FaultInjector::Op::Rename, u8("C:\\src\\locked.txt"),
                                  ERROR_SHARING_VIOLATION);
        EXPECT_FALSE(MoveFile(b.machine(), u8(c.from), u8(c.to)));
        if (c.lastError != kAnyError) {
            EXPECT_EQ(b.machine().lastError(), c.lastError);
        }
        EXPECT_EQ(b.readHost(u8("C:\\src\\a.txt")), QByteArray("a"));
        EXPECT_EQ(b.readHost(u8("C:\\src\\b.txt")), QByteArray("b"));
        EXPECT_EQ(b.readHost(u8("C:\\src\\locked.txt")), QByteArray("l"));
        EXPECT_FALSE(b.exists(u8("C:\\src\\c.txt")));
        EXPECT_EQ(hostEntries(b.programFolder()), (QStringList{u8("download.htm"), u8("index_t.htm")}));
    }
}

TEST(MoveFileTest, MissingTargetFolderLeavesTheSource) {
    MachineBuilder b;
    b.file(u8("C:\\src\\a.txt"), "a");
    EXPECT_FALSE(MoveFile(b.machine(), u8("C:\\src\\a.txt"), u8("C:\\nowhere\\a.txt")));
    EXPECT_EQ(b.readHost(u8("C:\\src\\a.txt")), QByteArray("a"));
    EXPECT_FALSE(b.exists(u8("C:\\nowhere")));
}

TEST(MoveFileTest, ALinkMovesAsALink) {
    MachineBuilder b;
    b.outsideFile("target/keep.txt", "keep");
    b.hostLink(u8("C:\\lnk"), b.outside() + "/target");
    ASSERT_TRUE(MoveFile(b.machine(), u8("C:\\lnk"), u8("C:\\moved")));
    EXPECT_FALSE(b.exists(u8("C:\\lnk")));
    EXPECT_TRUE(b.isLink(u8("C:\\moved")));
    EXPECT_EQ(hostEntries(b.outside() + "/target"), (QStringList{u8("keep.txt")}));
    EXPECT_EQ(b.readHost(u8("C:\\moved\\keep.txt")), QByteArray("keep"));
}

} // namespace
} // namespace niv
