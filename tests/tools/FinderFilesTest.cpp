#include "tools/UPicCache.h"
#include "tools/Udups.h"

#include "support/AppFixture.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

enum Action { Details, View, Recycle };
const QStringList nothing{QString(), QString()};

// C:\d\<name> through the duplicate finder, then the media finder: the details give the "Last updated"
// label, a view or recycle that went ahead gives "done"; nothing done gives an empty text.
QStringList act(AppFixture& f, Action a, const char* name) {
    const QString path = q("C:\\d\\") + q(name), line = DupLine(q("C:\\d"), q(name));
    DupTimeLabels times;
    MediaFileLabels labels;
    if (a == Details)
        return {ShowDupFileTimes(f.ctx, path, times) >= 0 ? times.written : QString(),
                ReadMediaFileInfo(f.ctx, path, true, labels) >= 0 ? labels.updated : QString()};
    const bool dups =
        (a == View ? ViewDupLine(f.ctx, line) : RecycleDupLine(f.ctx, line, {})) == DupAction::Done;
    const bool media = a == View ? ViewMediaFile(f.ctx, path) : RecycleMediaFile(f.ctx, path, {});
    return {dups ? q("done") : QString(), media ? q("done") : QString()};
}

// The listed C:\d\a.jpg went: A.JPG beside it, a.jpg in a folder D that replaced d, or a folder a.jpg
// now at its name, is another entry and is never reached in its place.
TEST(FinderFilesTest, AListedFileThatWentIsGoneNotWhatTookItsPlace) {
    for (const char* twin : {"C:\\d\\A.JPG", "C:\\D\\a.jpg", "C:\\d\\a.jpg\\holiday.png"}) {
        AppFixture f;
        f.b.file(q(twin), "twin");
        for (Action a : {Details, View, Recycle})
            EXPECT_EQ(act(f, a, "a.jpg"), nothing) << twin << ' ' << a;
        EXPECT_TRUE(f.b.exists(q(twin))) << twin;
    }
}

// Files the host's opener would run or install, whatever their names say, and a listed file that is
// now a link, a folder or a FIFO; a photo opens whatever its mode, as every file on a FAT or SMB mount is
// executable.
TEST(FinderFilesTest, ViewHandsOverWhatShowsNeverWhatTheOpenerWouldRun) {
    QFile program(q("/bin/true"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray jpeg = QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000");
    const QStringList shown{q("done"), q("done")};
    const std::tuple<const char*, QByteArray, mode_t, QStringList> files[] = {
        {"cleanup", "echo", 0755, nothing},
        {"notes.txt", "#!/bin/sh\n", 0644, nothing},
        {"photo.jpg", program.readAll(), 0644, nothing},
        {"viewer.desktop", "[Desktop Entry]\n", 0644, nothing},
        {"package.txt", "!<arch>\ndebian-binary   1700000000  0     0     100644  4         `\n", 0644,
         nothing},
        {"package.dat", QByteArray::fromHex("edabeedb030000000001"), 0644, nothing},
        {"camera.jpg", jpeg, 0755, shown}};
    AppFixture f;
    for (const auto& [name, content, mode, result] : files) {
        ASSERT_EQ(::chmod(f.b.file(q("C:\\d\\") + q(name), content).c_str(), mode), 0);
        EXPECT_EQ(act(f, View, name), result) << name;
    }
    for (const char* ext : {"deb", "rpm", "flatpakref", "flatpak", "snap", "msix", "appx", "appref-ms", "xpi",
                            "oxt", "php", "tcl", "pyc"}) {
        const QByteArray name = "setup." + QByteArray(ext);
        f.b.file(q("C:\\d\\") + q(name.constData()), "x");
        EXPECT_EQ(act(f, View, name.constData()), nothing) << ext;
    }
    f.b.folder(q("C:\\d\\album.jpg"));
    f.b.link(q("C:\\d\\link.jpg"), q("C:\\d\\camera.jpg"));
    ASSERT_EQ(::mkfifo((f.b.hostPath(q("C:\\d")) + "/clip.avi").c_str(), 0644), 0);
    for (const char* name : {"album.jpg", "link.jpg", "clip.avi"})
        EXPECT_EQ(act(f, View, name), nothing) << name;
}

// The machine's pictures, not the host's locale.
TEST(FinderFilesTest, TimesAreWrittenInTheMachinesShortDateAndLongTime) {
    AppFixture f;
    f.b.regString(HKEY_CURRENT_USER, q("Control Panel\\International"), q("sShortDate"), q("dd.MM.yyyy"));
    f.b.regString(HKEY_CURRENT_USER, q("Control Panel\\International"), q("sTimeFormat"), q("HH-mm-ss"));
    f.b.file(q("C:\\d\\a.jpg"), "1");
    f.b.times(q("C:\\d\\a.jpg"), MachineBuilder::fileTime(2021, 6, 15, 12, 34, 56), 0);
    const QDateTime written(QDate(2021, 6, 15), QTime(12, 34, 56), Qt::UTC);
    const QString text = q("Last updated : ") + written.toLocalTime().toString(q("dd.MM.yyyy HH-mm-ss"));
    EXPECT_EQ(act(f, Details, "a.jpg"), QStringList({text, text}));
}

} // namespace
