#include "platform/FaultInjector.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"
#include "support/MachineBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    b.file(q("C:\\d\\elf.txt"), QByteArray("\x7f"
                                           "ELF\x02\x01\x01",
                                           7) +
                                    QByteArray(200, '\0'));
    struct Case {
        const char* path;
        bool runs;
    };
    const Case cases[] = {
        {"C:\\d\\evil.bat.", true},  {"C:\\d\\evil.bat . ", true}, {"C:\\d\\x.hta", true},
        {"C:\\d\\x.msp", true},      {"C:\\d\\x.reg", true},       {"C:\\d\\x.cpl", true},
        {"C:\\d\\x.msc", true},      {"C:\\d\\x.scf", true},       {"C:\\d\\x.sct", true},
        {"C:\\d\\x.jar", true},      {"C:\\d\\x.ps1", true},       {"C:\\d\\x.wsh", true},
        {"C:\\d\\x.inf", true},      {"C:\\d\\x.url", true},       {"C:\\d\\x.desktop", true},
        {"C:\\d\\x.sh", true},       {"C:\\d\\x.AppImage", true},  {"C:\\d\\run.txt", true},
        {"C:\\d\\script.txt", true}, {"C:\\d\\entry.txt", true},   {"C:\\d\\elf.txt", true},
        {"C:\\d\\notes.txt", false}, {"C:\\d\\notes.txt.", false}, {"C:\\d\\missing.htm", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(opensByRunning(b.machine(), q(c.path)), c.runs);
    }
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

    EXPECT_NE(shellRecycle(b.machine(), q("D:\\item")), 0);
    EXPECT_EQ(b.readHost(q("D:\\item\\sub\\b.txt")).size(), 3 << 20);
    EXPECT_TRUE(b.exists(q("D:\\item\\a.txt")));
    SearchRec rec;
    EXPECT_NE(FindFirst(b.machine(), recycleBinFolder() + q("\\$R*"), faAnyFile, rec), 0);
    EXPECT_NE(FindFirst(b.machine(), recycleBinFolder() + q("\\$I*"), faAnyFile, rec), 0);

    EXPECT_EQ(shellRecycle(b.machine(), q("D:\\whole")), 0);
    EXPECT_FALSE(b.exists(q("D:\\whole")));
    ASSERT_EQ(FindFirst(b.machine(), recycleBinFolder() + q("\\$R*"), faAnyFile, rec), 0);
    EXPECT_EQ(b.readHost(recycleBinFolder() + u'\\' + rec.Name + q("\\c.txt")), "c");
}

TEST(WipeTest, AHardLinkedFileIsNotOverwritten) {
    MachineBuilder b;
    const std::string outside = b.outsideFile("kept.txt", "outside content");
    b.folder(q("C:\\cache"));
    ASSERT_EQ(::link(outside.c_str(), b.hostPath(q("C:\\cache\\linked.txt")).c_str()), 0);
    EXPECT_FALSE(OverwriteFileContents(b.machine(), q("C:\\cache\\linked.txt")));
    EXPECT_EQ(b.readHost(q("C:\\cache\\linked.txt")), "outside content");
}

} // namespace
} // namespace niv
