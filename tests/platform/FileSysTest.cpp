#include "platform/FileSys.h"

#include "platform/FaultInjector.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"
#include "platform/WinTypes.h"
#include "support/MachineBuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
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

// A name a listing found is that entry: once it has gone, its case twin is another file.
TEST(ListedNameTest, NeverTakesACaseTwin) {
    MachineBuilder b;
    b.file(u8("C:\\data\\A.BIN"), "twin");
    const QString listed = u8("C:\\DATA\\a.bin");
    EXPECT_FALSE(FileExists(b.machine(), listed, Spelling::Exact));
    EXPECT_FALSE(DeleteFile(b.machine(), listed, Spelling::Exact));
    EXPECT_EQ(shellRecycle(b.machine(), listed, {}, Spelling::Exact), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ShellExecute(b.machine(), u8("open"), listed, {}, {}, Spelling::Exact),
              ERROR_FILE_NOT_FOUND);
    // The twin is still there, reached as spelt at every level only.
    EXPECT_FALSE(DeleteFile(b.machine(), u8("C:\\DATA\\A.BIN"), Spelling::Exact));
    EXPECT_TRUE(DeleteFile(b.machine(), u8("C:\\data\\A.BIN"), Spelling::Exact));
}

// What one resolution found is what is acted on: another file renamed into its place meanwhile stays.
TEST(ListedNameTest, ActsOnlyOnTheEntryItFound) {
    MachineBuilder b;
    b.file(u8("C:\\data\\a.bin"), "found");
    const HostPath found = resolve(b.machine(), u8("C:\\data\\a.bin"), Spelling::Exact);
    ASSERT_EQ(::rename(b.file(u8("C:\\data\\b.bin"), "other").c_str(), found.path.c_str()), 0);
    EXPECT_FALSE(DeleteFile(b.machine(), found));
    EXPECT_EQ(shellRecycle(b.machine(), found), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ShellExecute(b.machine(), found), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(b.readHost(u8("C:\\data\\a.bin")), QByteArray("other"));
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

TEST(MoveFileTest, NeverReplacesWhatAppearsAtTheTarget) {
    MachineBuilder b;
    b.file(u8("C:\\src\\a.txt"), "a");
    b.machine().faults().onCheck([&](FaultInjector::Op op, const QString&) {
        if (op == FaultInjector::Op::Rename) b.file(u8("C:\\src\\late.txt"), "late");
    });
    EXPECT_FALSE(MoveFile(b.machine(), u8("C:\\src\\a.txt"), u8("C:\\src\\late.txt")));
    EXPECT_EQ(b.machine().lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(b.readHost(u8("C:\\src\\late.txt")), QByteArray("late"));
    EXPECT_EQ(b.readHost(u8("C:\\src\\a.txt")), QByteArray("a"));
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

// ============================================================================================
// CopyFile
// ============================================================================================

TEST(CopyFileTest, ReplacesAnotherFileButNeverItsOwn) {
    const std::pair<const char*, bool> cases[] = {
        {"C:\\other.txt", true},
        {"C:\\A.TXT", false},
        {"C:\\link.txt", false}, // leads to it
        {"C:\\hard.txt", false}, // another name of it
    };
    for (const auto& [to, copies] : cases) {
        SCOPED_TRACE(to);
        MachineBuilder b;
        const std::string a = b.file(u8("C:\\a.txt"), "precious");
        b.file(u8("C:\\other.txt"), "a longer text than the source's");
        b.hostLink(u8("C:\\link.txt"), a);
        ASSERT_EQ(::link(a.c_str(), b.hostPath(u8("C:\\hard.txt")).c_str()), 0);
        EXPECT_EQ(CopyFile(b.machine(), u8("C:\\a.txt"), u8(to), false), copies);
        EXPECT_EQ(b.readHost(u8("C:\\a.txt")), QByteArray("precious"));
        EXPECT_EQ(b.readHost(u8("C:\\other.txt")),
                  QByteArray(copies ? "precious" : "a longer text than the source's"));
    }
}

} // namespace
} // namespace niv
