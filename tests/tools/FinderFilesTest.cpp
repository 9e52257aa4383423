#include "tools/UPicCache.h"
#include "tools/Udups.h"

#include "platform/WinPath.h"
#include "support/AppFixture.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

// What each finder does with a path its listing gave: details, view, recycle.
struct FinderActions {
    const char* finder;
    std::function<bool(AppFixture&, const QString&)> details, view, recycle; // true when it acted
};

const FinderActions kFinders[] = {
    {"duplicates",
     [](AppFixture& f, const QString& path) {
         DupTimeLabels labels;
         return ShowDupFileTimes(f.ctx, path, labels) >= 0;
     },
     [](AppFixture& f, const QString& path) {
         return ViewDupLine(f.ctx, DupLine(extractFilePath(path).chopped(1), extractFileName(path))) ==
                DupAction::Done;
     },
     [](AppFixture& f, const QString& path) {
         return RecycleDupLine(f.ctx, DupLine(extractFilePath(path).chopped(1), extractFileName(path))) ==
                DupAction::Done;
     }},
    {"media",
     [](AppFixture& f, const QString& path) {
         MediaFileLabels labels;
         return ReadMediaFileInfo(f.ctx, path, true, labels) >= 0;
     },
     [](AppFixture& f, const QString& path) { return ViewMediaFile(f.ctx, path); },
     [](AppFixture& f, const QString& path) { return RecycleMediaFile(f.ctx, path); }},
};

// The listed a.jpg went; A.JPG beside it is another file and is never reached in its place.
TEST(FinderFilesTest, AListedFileThatWentIsGoneNotItsCaseTwin) {
    for (const FinderActions& finder : kFinders) {
        AppFixture f;
        f.b.file(q("C:\\d\\A.JPG"), "twin");
        const QString listed = q("C:\\d\\a.jpg");
        EXPECT_FALSE(finder.details(f, listed)) << finder.finder;
        EXPECT_FALSE(finder.view(f, listed)) << finder.finder;
        EXPECT_FALSE(finder.recycle(f, listed)) << finder.finder;
        EXPECT_TRUE(f.b.launcher().calls().isEmpty()) << finder.finder;
        EXPECT_EQ(f.b.readHost(q("C:\\d\\A.JPG")), QByteArray("twin")) << finder.finder;
    }
}

// Files the host's opener would run, whatever their names say.
TEST(FinderFilesTest, ViewNeverHandsOverWhatTheOpenerWouldRun) {
    QFile program(q("/bin/true"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray elf = program.readAll();
    struct Case {
        const char* name;
        QByteArray content;
        mode_t mode;
    } cases[] = {
        {"cleanup", "#!/bin/sh\nrm -rf \"$HOME\"\n", 0755},
        {"notes.txt", "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644},
        {"photo.jpg", elf, 0644},
        {"viewer.desktop", "[Desktop Entry]\nType=Application\nName=x\nExec=rm -rf /\n", 0644},
    };
    for (const FinderActions& finder : kFinders) {
        AppFixture f;
        for (const Case& c : cases) {
            const QString path = q("C:\\d\\") + q(c.name);
            ASSERT_EQ(::chmod(f.b.file(path, c.content).c_str(), c.mode), 0);
            EXPECT_FALSE(finder.view(f, path)) << finder.finder << " " << c.name;
        }
        EXPECT_TRUE(f.b.launcher().calls().isEmpty()) << finder.finder;
    }
}

// The machine's pictures, not the host's locale.
TEST(FinderFilesTest, TimesAreWrittenInTheMachinesShortDateAndLongTime) {
    AppFixture f;
    const QString key = q("Control Panel\\International");
    f.b.regString(HKEY_CURRENT_USER, key, q("sShortDate"), q("dd.MM.yyyy"));
    f.b.regString(HKEY_CURRENT_USER, key, q("sTimeFormat"), q("HH-mm-ss"));
    f.b.file(q("C:\\d\\a.jpg"), "1");
    const FileTime written = MachineBuilder::fileTime(2021, 6, 15, 12, 34, 56);
    const FileTime read = MachineBuilder::fileTime(2022, 1, 2, 3, 4, 5);
    f.b.times(q("C:\\d\\a.jpg"), written, read);
    auto text = [](int year, int month, int day, int hour, int minute, int second) {
        const QDateTime local =
            QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC).toLocalTime();
        return QString::asprintf("%02d.%02d.%04d %02d-%02d-%02d", local.date().day(), local.date().month(),
                                 local.date().year(), local.time().hour(), local.time().minute(),
                                 local.time().second());
    };

    DupTimeLabels dup;
    ASSERT_EQ(ShowDupFileTimes(f.ctx, q("C:\\d\\a.jpg"), dup), 1);
    EXPECT_EQ(dup.written, q("Last updated : ") + text(2021, 6, 15, 12, 34, 56));
    EXPECT_EQ(dup.accessed, q("Last accessed: ") + text(2022, 1, 2, 3, 4, 5));
    MediaFileLabels media;
    ASSERT_EQ(ReadMediaFileInfo(f.ctx, q("C:\\d\\a.jpg"), true, media), 1);
    EXPECT_EQ(media.updated, q("Last updated : ") + text(2021, 6, 15, 12, 34, 56));
}

} // namespace
