#include "platform/WinPath.h"

#include "platform/Machine.h"
#include "support/MachineBuilder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {
namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// A host path with every existing leading part made canonical, so paths reached through
// dosdevices links compare equal to the ones the builder made. The tail that does not exist
// (and a link as the last component) is kept as written.
std::string canon(const std::string& path) {
    std::string head = path;
    std::string tail;
    for (;;) {
        struct stat st {};
        if (::lstat(head.c_str(), &st) == 0 && (tail.empty() ? !S_ISLNK(st.st_mode) : true)) break;
        const auto slash = head.rfind('/');
        if (slash == std::string::npos || slash == 0) return path;
        tail = head.substr(slash) + tail;
        head = head.substr(0, slash);
    }
    char buf[PATH_MAX];
    if (!::realpath(head.c_str(), buf)) return path;
    return std::string(buf) + tail;
}

// The host file a path leads to, links followed all the way.
std::string real(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : "<missing " + path + ">";
}

// --- fullPath ---

struct FullPathCase {
    const char* current; // the machine's current folder
    const char* input;
    const char* expected; // "" when the path is refused
};

void expectFullPaths(std::initializer_list<FullPathCase> cases) {
    MachineBuilder b;
    for (const FullPathCase& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " in " + c.current);
        b.machine().setCurrentFolderRaw(u8(c.current));
        EXPECT_EQ(fullPath(b.machine(), u8(c.input)), u8(c.expected));
    }
}

TEST(FullPathTest, Absolute) {
    expectFullPaths({
        {"C:\\", "C:\\a\\b", "C:\\a\\b"},
        {"C:\\", "c:\\a", "C:\\a"},
        {"C:\\", "d:\\x", "D:\\x"},
        {"C:\\", "C:\\", "C:\\"},
        {"C:\\", "C:\\a\\", "C:\\a\\"},
        {"C:\\", "C:\\Mixed Case\\File.TXT", "C:\\Mixed Case\\File.TXT"},
    });
}

TEST(FullPathTest, DotsAndDotDots) {
    expectFullPaths({
        {"C:\\", "C:\\a\\..\\b", "C:\\b"},
        {"C:\\", "C:\\a\\.\\b", "C:\\a\\b"},
        {"C:\\", "C:\\a\\b\\..", "C:\\a"},
        {"C:\\", "C:\\a\\b\\.", "C:\\a\\b"},
        {"C:\\", "C:\\a\\b\\..\\..\\c", "C:\\c"},
        {"C:\\", "C:\\..\\..\\a", "C:\\a"},
        {"C:\\", "C:\\a\\..", "C:\\"},
        {"C:\\", "C:\\a\\.\\", "C:\\a\\"},
        {"C:\\", "C:\\a\\.b", "C:\\a\\.b"},
        {"C:\\", "C:\\a\\..b", "C:\\a\\..b"},
    });
}

TEST(FullPathTest, Separators) {
    expectFullPaths({
        {"C:\\", "C:/a/b", "C:\\a\\b"},
        {"C:\\", "C:\\a\\\\\\b", "C:\\a\\b"},
        {"C:\\", "C:\\\\a", "C:\\a"},
        {"C:\\", "C:\\a/\\/b\\\\", "C:\\a\\b\\"},
        {"C:\\", "C:/", "C:\\"},
    });
}

TEST(FullPathTest, TrailingDotsAndBlanksOfLastComponent) {
    expectFullPaths({
        {"C:\\", "C:\\a\\b.", "C:\\a\\b"},
        {"C:\\", "C:\\a\\b ", "C:\\a\\b"},
        {"C:\\", "C:\\a\\b. . .", "C:\\a\\b"},
        {"C:\\", "C:\\a\\b.txt.", "C:\\a\\b.txt"},
        {"C:\\", "C:\\a\\ b", "C:\\a\\ b"},
        {"C:\\", "C:\\a. \\b", "C:\\a. \\b"},
        {"C:\\", "C:\\a.\\b.", "C:\\a.\\b"},
        {"C:\\", "C:\\a\\b.\\", "C:\\a\\b.\\"},
    });
}

TEST(FullPathTest, RelativeToCurrentFolder) {
    expectFullPaths({
        {"C:\\Work\\Sub\\", "x.txt", "C:\\Work\\Sub\\x.txt"},
        {"C:\\Work\\Sub\\", "dir\\x.txt", "C:\\Work\\Sub\\dir\\x.txt"},
        {"C:\\Work\\Sub\\", "..\\x", "C:\\Work\\x"},
        {"C:\\Work\\Sub\\", ".", "C:\\Work\\Sub"},
        {"C:\\Work\\Sub\\", "..", "C:\\Work"},
        {"C:\\Work\\Sub\\", "\\x", "C:\\x"},
        {"C:\\Work\\Sub\\", "/x/y", "C:\\x\\y"},
        {"D:\\Data\\", "\\x", "D:\\x"},
        {"D:\\Data\\", "x", "D:\\Data\\x"},
        {"C:\\Work\\Sub\\", "C:name", "C:\\Work\\Sub\\name"},
        {"C:\\Work\\Sub\\", "c:..\\name", "C:\\Work\\name"},
        {"C:\\Work\\Sub\\", "D:name", "D:\\name"},
        {"C:\\", "name", "C:\\name"},
    });
}

TEST(FullPathTest, Refused) {
    expectFullPaths({
        {"C:\\", "", ""},
        {"C:\\", "\\\\server\\share\\x", ""},
        {"C:\\", "//server/share/x", ""},
        {"C:\\", "\\\\?\\C:\\x", ""},
        {"C:\\", "\\\\.\\C:", ""},
        {"C:\\", "C:\\a:b", ""},
        {"C:\\", "C:\\file.txt:stream", ""},
        {"C:\\", "1:\\x", ""},
    });
}

// --- case ---

struct UpperCase {
    QString input;
    QString expected;
};

TEST(WinUpperTest, SimpleUnicodeUpperCasing) {
    const UpperCase cases[] = {
        {u8("abc xyz"), u8("ABC XYZ")},
        {u8("ABC123_-.~"), u8("ABC123_-.~")},
        {u8("éàçñøå"), u8("ÉÀÇÑØÅ")},
        {u8("ÿ"), u8("Ÿ")}, // Latin-1 letter whose capital lies outside Latin-1
        {u8("привет"), u8("ПРИВЕТ")},
        {u8("αβγς"), u8("ΑΒΓΣ")}, // final sigma goes to capital sigma
        {u8("ǆ"), u8("Ǆ")},
        {u8("straße"), u8("STRAßE")}, // simple mapping: ß has no one-letter capital
        {u8("ﬀ"), u8("ﬀ")},           // ligatures stay
        {u8("𐐨"), u8("𐐀")},           // non-BMP: DESERET SMALL LONG I
        {u8("a𐐨b"), u8("A𐐀B")},
        {u8("😀x"), u8("😀X")},
        {QString(QChar(0xD801)) + u8("a"), QString(QChar(0xD801)) + u8("A")}, // lone surrogate kept
        {QString(), QString()},
    };
    for (const UpperCase& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        EXPECT_EQ(winUpper(c.input), c.expected);
    }
}

TEST(WinUpperTest, AsciiUpperTouchesOnlyAToZ) {
    EXPECT_EQ(asciiUpper(u8("abz éß𐐨 {}")), u8("ABZ éß𐐨 {}"));
}

TEST(WinUpperTest, SameTextComparesUnderSimpleUpperCasing) {
    EXPECT_TRUE(sameText(u8("Été.TXT"), u8("éTÉ.txt")));
    EXPECT_TRUE(sameText(u8("𐐨"), u8("𐐀")));
    EXPECT_FALSE(sameText(u8("straße"), u8("STRASSE")));
    EXPECT_FALSE(sameText(u8("abc"), u8("abd")));
    EXPECT_FALSE(sameText(u8("abc"), u8("abc ")));
}

TEST(TrimControlsTest, TakesEverythingUpToBlankAtBothEndsOnly) {
    EXPECT_EQ(trimControls(u8("\x01\t\r\n a b \x1f\x7f")), u8("a b \x1f\x7f"));
    EXPECT_EQ(trimControls(u8("\u00a0x\u2003")), u8("\u00a0x\u2003")); // not Unicode spaces
    EXPECT_EQ(trimControls(u8(" \x02 ")), QString());
    EXPECT_TRUE(sameTrimmedText(u8(" c:\\Été.txt\t"), u8("C:\\éTÉ.TXT")));
    EXPECT_FALSE(sameTrimmedText(u8("a.txt"), u8("b.txt")));
    EXPECT_FALSE(sameTrimmedText(u8(" "), QString())); // a blank entry equals nothing
}

// --- host names ---

struct NameCase {
    std::string bytes;
    bool windows;
};

TEST(IsWindowsNameTest, ValidUtf8WithoutForbiddenCharacters) {
    using namespace std::string_literals;
    const NameCase cases[] = {
        {"plain.txt", true},
        {".bashrc", true},
        {"with blank", true},
        {"\xC3\xA9t\xC3\xA9", true}, // été
        {"\xF0\x9F\x98\x80", true},  // U+1F600
        {"\xEF\xBF\xBF", true},      // U+FFFF
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF, the last code point
        {"\xE2\x82\xAC", true},      // U+20AC
        // not UTF-8
        {"\xFF", false},
        {"ab\xFE"
         "cd",
         false},
        {"\x80", false}, // lone continuation byte
        {"\xC3", false}, // cut short
        {"\xE2\x82", false},
        {"\xC3(", false},    // continuation missing
        {"\xC0\xAF", false}, // overlong "/"
        {"\xC1\xBF", false},
        {"\xE0\x80\xAF", false},
        {"\xF0\x80\x80\xAF", false},
        {"\xED\xA0\x80", false},         // U+D800, a surrogate
        {"\xED\xBF\xBF", false},         // U+DFFF
        {"\xF4\x90\x80\x80", false},     // past U+10FFFF
        {"\xF8\x88\x80\x80\x80", false}, // five-byte form
        // forbidden by Windows
        {"a:b", false},
        {"x*y", false},
        {"q?", false},
        {"a<b", false},
        {"a>b", false},
        {"a\"b", false},
        {"a|b", false},
        {"a\\b", false},
        {"a\tb", false},
        {"a\x01", false},
        {"a\x1F", false},
        {"a\0b"s, false},
        // Windows drops trailing dots and blanks, so such a name would reach another entry
        {"keep.", false},
        {"a ", false},
        {"...", false},
        {". ", false},
        {".", true},
        {"..", true},
        {".a", true},
        {"a.b", true},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(isWindowsName(c.bytes.data(), c.bytes.size()), c.windows);
    }
}

// --- resolve ---

class ResolveTest : public ::testing::Test {
protected:
    MachineBuilder b;
    Machine& m = b.machine();
};

TEST_F(ResolveTest, CaseInsensitiveMatchTakesTheSpellingOnDisk) {
    b.file(u8("C:\\Docs\\Report.TXT"), "r");
    b.file(u8("C:\\Été\\Œuvre.txt"), "o");
    b.file(u8("C:\\𐐨\\x"), "d");
    struct Case {
        const char* ask;
        const char* onDisk;
    };
    const Case cases[] = {
        {"C:\\Docs\\Report.TXT", "C:\\Docs\\Report.TXT"},
        {"c:\\docs\\report.txt", "C:\\Docs\\Report.TXT"},
        {"C:\\DOCS\\REPORT.TXT", "C:\\Docs\\Report.TXT"},
        {"C:/dOcS//rEpOrT.tXt", "C:\\Docs\\Report.TXT"},
        {"C:\\docs", "C:\\Docs"},
        {"C:\\éTÉ\\œUVRE.TXT", "C:\\Été\\Œuvre.txt"},
        {"C:\\𐐀\\X", "C:\\𐐨\\x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        const HostPath r = resolve(m, u8(c.ask));
        EXPECT_TRUE(r.exists);
        EXPECT_FALSE(inProgramFolder(m, r));
        EXPECT_EQ(canon(r.path), canon(b.hostPath(u8(c.onDisk))));
    }
    EXPECT_TRUE(S_ISREG(resolve(m, u8("c:\\docs\\report.txt")).mode));
    EXPECT_TRUE(S_ISDIR(resolve(m, u8("c:\\docs")).mode));
    // The Windows side keeps the caller's spelling.
    EXPECT_EQ(resolve(m, u8("c:\\docs\\report.txt")).winPath, u8("C:\\docs\\report.txt"));
}

TEST_F(ResolveTest, FolderFoundBeforeIsCheckedToBeThereStill) {
    b.file(u8("C:\\Data\\Sub\\a.txt"), "first");
    EXPECT_TRUE(resolve(m, u8("C:\\DATA\\SUB\\A.TXT")).exists);
    EXPECT_FALSE(resolve(m, u8("C:\\DATA\\SUB\\b.txt")).exists);
    // The folder goes, behind the machine's back, and another spelling of it comes.
    ASSERT_EQ(std::system(("rm -rf '" + b.hostPath(u8("C:\\Data\\Sub")) + "'").c_str()), 0);
    EXPECT_FALSE(resolve(m, u8("C:\\DATA\\SUB\\A.TXT")).exists);
    b.file(u8("C:\\Data\\sUB\\a.txt"), "second");
    const HostPath again = resolve(m, u8("C:\\DATA\\SUB\\A.TXT"));
    EXPECT_TRUE(again.exists);
    EXPECT_EQ(canon(again.path), canon(b.hostPath(u8("C:\\Data\\sUB\\a.txt"))));
    // The same folder names on another drive are another folder.
    b.drive('d');
    EXPECT_FALSE(resolve(m, u8("D:\\DATA\\SUB\\A.TXT")).exists);
}

TEST_F(ResolveTest, ExactSpellingWinsWhenTwoSpellingsExist) {
    b.file(u8("C:\\two\\File.txt"), "upper");
    b.file(u8("C:\\two\\file.txt"), "lower");
    b.file(u8("C:\\Dir\\x.txt"), "Dir");
    b.file(u8("C:\\dir\\x.txt"), "dir");
    struct Case {
        const char* ask;
        const char* onDisk;
    };
    const Case cases[] = {
        {"C:\\two\\File.txt", "C:\\two\\File.txt"},
        {"C:\\two\\file.txt", "C:\\two\\file.txt"},
        {"C:\\Dir\\x.txt", "C:\\Dir\\x.txt"},
        {"C:\\dir\\x.txt", "C:\\dir\\x.txt"},
        {"C:\\Dir", "C:\\Dir"},
        {"C:\\dir", "C:\\dir"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        const HostPath r = resolve(m, u8(c.ask));
        EXPECT_TRUE(r.exists);
        EXPECT_EQ(canon(r.path), canon(b.hostPath(u8(c.onDisk))));
    }
    // A third spelling still finds one of the two.
    const HostPath r = resolve(m, u8("C:\\TWO\\FILE.TXT"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(canon(r.path) == canon(b.hostPath(u8("C:\\two\\File.txt"))) ||
                canon(r.path) == canon(b.hostPath(u8("C:\\two\\file.txt"))));
}

TEST_F(ResolveTest, UnresolvedTailKeepsItsSpelling) {
    b.folder(u8("C:\\Docs"));
    struct Case {
        const char* ask;
        std::string expected; // relative to drive_c
    };
    const Case cases[] = {
        {"C:\\DOCS\\New Folder\\Sub.TXT", "/Docs/New Folder/Sub.TXT"},
        {"c:\\docs\\Missing", "/Docs/Missing"},
        {"C:\\Nope\\DOCS", "/Nope/DOCS"},
        {"C:\\Docs\\a\\..\\B.txt", "/Docs/B.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        const HostPath r = resolve(m, u8(c.ask));
        EXPECT_TRUE(r.valid());
        EXPECT_FALSE(r.exists);
        EXPECT_EQ(r.mode, 0u);
        EXPECT_EQ(canon(r.path), canon(b.driveC()) + c.expected);
    }
}

TEST_F(ResolveTest, ExeFolderMapsReadOnlyOntoTheProgramFolder) {
    struct Case {
        const char* ask;
        std::string hostTail; // under the program folder; "" for the folder itself
        bool exists;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Nivora\\index_t.htm", "/index_t.htm", true},
        {"c:\\PROGRAM FILES\\nivora\\INDEX_T.HTM", "/index_t.htm", true},
        {"C:/Program Files/Nivora/download.htm", "/download.htm", true},
        {"C:\\Program Files\\Nivora\\", "", true},
        {"C:\\Program Files\\Nivora", "", true},
        {"C:\\Program Files\\Nivora\\new.txt", "/new.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        const HostPath r = resolve(m, u8(c.ask));
        EXPECT_TRUE(inProgramFolder(m, r));
        EXPECT_FALSE(r.isRoot);
        EXPECT_EQ(r.exists, c.exists);
        EXPECT_EQ(canon(r.path), canon(b.programFolder()) + c.hostTail);
    }
    // Only the folder itself and what lies below it.
    for (const char* other : {"C:\\Program Files\\NivoraOld\\x", "C:\\Program Files\\x",
                              "C:\\Program Files\\Nivora\\..\\x", "C:\\Program Files"}) {
        SCOPED_TRACE(other);
        const HostPath r = resolve(m, u8(other));
        EXPECT_FALSE(inProgramFolder(m, r));
        EXPECT_EQ(canon(r.path).rfind(canon(b.driveC()), 0), 0u);
    }
}

TEST_F(ResolveTest, DrivesComeFromDosdevices) {
    const std::string d = b.drive('d');
    b.file(u8("D:\\Data\\f.txt"), "on d");

    HostPath r = resolve(m, u8("d:\\DATA\\F.TXT"));
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(canon(r.path), canon(d + "/Data/f.txt"));

    r = resolve(m, u8("D:\\"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(r.isRoot);
    EXPECT_EQ(real(r.path), real(d));

    r = resolve(m, u8("C:\\"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(r.isRoot);
    EXPECT_EQ(real(r.path), real(b.driveC()));

    EXPECT_FALSE(resolve(m, u8("C:\\x")).isRoot);
}

TEST_F(ResolveTest, MissingDriveHasNoHostPlace) {
    b.file(u8("C:\\x.txt"));
    // A drive link to a file is no drive either.
    b.file(u8("C:\\notadrive"));
    ASSERT_EQ(::symlink(b.hostPath(u8("C:\\notadrive")).c_str(), (b.root() + "/dosdevices/e:").c_str()), 0);
    for (const char* path : {"Q:\\x.txt", "Q:\\", "q:", "E:\\x.txt"}) {
        SCOPED_TRACE(path);
        const HostPath r = resolve(m, u8(path));
        EXPECT_FALSE(r.valid());
        EXPECT_FALSE(r.exists);
    }
}

TEST_F(ResolveTest, DriveCWithoutItsDosdevicesLinkIsDriveC) {
    b.file(u8("C:\\x.txt"), "x");
    ASSERT_EQ(::unlink((b.root() + "/dosdevices/c:").c_str()), 0);
    const HostPath r = resolve(m, u8("C:\\X.TXT"));
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(canon(r.path), canon(b.hostPath(u8("C:\\x.txt"))));
}

TEST_F(ResolveTest, ComponentsWithForbiddenCharactersHaveNoHostPlace) {
    for (const char* path : {"C:\\a*b", "C:\\a?b", "C:\\dir\\a<b", "C:\\a>b\\c", "C:\\a|b", "C:\\a\"b",
                             "C:\\a\x01"
                             "b",
                             "C:\\*"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(resolve(m, u8(path)).valid());
    }
}

TEST_F(ResolveTest, LinksAreFollowedOnTheWayAndReportedAtTheEnd) {
    const std::string docs = b.outsideFolder("home/Documents");
    b.outsideFile("home/Documents/Letter.TXT", "letter");
    b.hostLink(u8("C:\\users\\tester\\Documents"), docs);
    b.hostLink(u8("C:\\dangling"), b.outside() + "/missing");

    HostPath r = resolve(m, u8("C:\\USERS\\TESTER\\documents\\letter.txt"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(S_ISREG(r.mode));
    EXPECT_EQ(canon(r.path), canon(docs + "/Letter.TXT"));

    r = resolve(m, u8("C:\\users\\tester\\documents"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(S_ISLNK(r.mode));

    r = resolve(m, u8("C:\\DANGLING"));
    EXPECT_TRUE(r.exists);
    EXPECT_TRUE(S_ISLNK(r.mode));
}

TEST_F(ResolveTest, HostNamesWindowsCannotHoldNeverMatch) {
    // Read leniently, these names would become U+FFFD; the machine must not see them at all.
    b.rawFile(u8("C:\\mix"), "\xFF");
    b.rawFile(u8("C:\\mix"), "good.txt\xFE");
    b.file(u8("C:\\mix\\Good.txt"), "good");
    const QString replacement(QChar(0xFFFD));
    for (const QString& ask : {u8("C:\\mix\\") + replacement, u8("C:\\MIX\\GOOD.TXT") + replacement}) {
        SCOPED_TRACE(ask.toStdString());
        EXPECT_FALSE(resolve(m, ask).exists);
    }
    const HostPath r = resolve(m, u8("C:\\MIX\\good.TXT"));
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(canon(r.path), canon(b.hostPath(u8("C:\\mix\\Good.txt"))));
}

TEST_F(ResolveTest, HostPathsWithNamesWindowsCannotHoldHaveNoWindowsPath) {
    // A picked folder named so would reach an INI file as two lines, or as another folder.
    const std::string good = b.rawFolder(u8("C:\\"), "good");
    struct Case {
        QByteArray name;
        bool windows;
    };
    const Case cases[] = {
        {"x\nName2=C:", false}, {"x\rName2", false}, {"tab\there", false}, {"dot.", false},
        {"blank ", false},      {"a|b", false},      {"plain name", true}, {".hidden", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const std::string folder = b.rawFolder(u8("C:\\good"), c.name);
        const QString win = windowsPathOf(m, folder);
        EXPECT_EQ(win.isEmpty(), !c.windows);
        EXPECT_EQ(isWindowsHostPath(folder), c.windows);
    }
    EXPECT_EQ(windowsPathOf(m, good), u8("C:\\good"));
}

} // namespace
} // namespace niv
