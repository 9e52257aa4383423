#include "platform/FaultInjector.h"
#include "platform/IniFile.h"
#include "support/MachineBuilder.h"
#include "support/RegBytes.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

#include <dirent.h>
#include <sys/stat.h>
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

int entriesIn(const std::string& folder) {
    int n = 0;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n - 2;
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
    EXPECT_EQ(entriesIn(b.outside()), 1); // no temporary file left

    b.machine().faults().clear();
    const ino_t before = statOf(target).st_ino;
    EXPECT_TRUE(write("new"));
    EXPECT_TRUE(contentOf(target).contains(c.hive ? "\"v\"=\"new\"" : "k=new"));
    EXPECT_EQ(S_ISLNK(statOf(name).st_mode), !c.hardLink);
    EXPECT_EQ(statOf(target).st_mode & 07777, 0600u);
    // A link's target is replaced whole; a hard-linked file keeps its inode, or its other name
    // would keep the old content.
    EXPECT_EQ(statOf(target).st_ino == before, c.hardLink);
    EXPECT_EQ(contentOf(name), contentOf(target));
}

INSTANTIATE_TEST_SUITE_P(Links, LinkedOwnFile,
                         testing::Values(LinkedCase{"HiveSymlink", true, false, false},
                                         LinkedCase{"HiveHardLink", true, true, false},
                                         LinkedCase{"IniSymlink", false, false, true},
                                         LinkedCase{"IniHardLink", false, true, true}),
                         [](const testing::TestParamInfo<LinkedCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace niv
