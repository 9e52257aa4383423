#include "tools/UPicCache.h"
#include "tools/Udups.h"

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

QString inD(const QString& name) {
    return q("C:\\d\\") + name;
}

// Each finder's details, view and recycle of a file it listed in C:\d; true when it acted.
using Act = bool (*)(AppFixture&, const QString& name);
const struct Finder {
    const char* name;
    Act details, view, recycle;
} kFinders[] = {
    {"duplicates",
     [](AppFixture& f, const QString& n) {
         DupTimeLabels labels;
         return ShowDupFileTimes(f.ctx, inD(n), labels) >= 0;
     },
     [](AppFixture& f, const QString& n) {
         return ViewDupLine(f.ctx, DupLine(q("C:\\d"), n)) == DupAction::Done;
     },
     [](AppFixture& f, const QString& n) {
         return RecycleDupLine(f.ctx, DupLine(q("C:\\d"), n)) == DupAction::Done;
     }},
    {"media",
     [](AppFixture& f, const QString& n) {
         MediaFileLabels labels;
         return ReadMediaFileInfo(f.ctx, inD(n), true, labels) >= 0;
     },
     [](AppFixture& f, const QString& n) { return ViewMediaFile(f.ctx, inD(n)); },
     [](AppFixture& f, const QString& n) { return RecycleMediaFile(f.ctx, inD(n)); }},
};

// The listed a.jpg went; A.JPG beside it is another file and is never reached in its place.
TEST(FinderFilesTest, AListedFileThatWentIsGoneNotItsCaseTwin) {
    for (const Finder& finder : kFinders) {
        AppFixture f;
        f.b.file(inD(q("A.JPG")), "twin");
        for (Act act : {finder.details, finder.view, finder.recycle})
            EXPECT_FALSE(act(f, q("a.jpg"))) << finder.name;
        EXPECT_TRUE(f.b.launcher().calls().isEmpty()) << finder.name;
        EXPECT_EQ(f.b.readHost(inD(q("A.JPG"))), QByteArray("twin")) << finder.name;
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
    for (const Finder& finder : kFinders) {
        AppFixture f;
        for (const Case& c : cases) {
            ASSERT_EQ(::chmod(f.b.file(inD(q(c.name)), c.content).c_str(), c.mode), 0);
            EXPECT_FALSE(finder.view(f, q(c.name))) << finder.name << " " << c.name;
        }
        EXPECT_TRUE(f.b.launcher().calls().isEmpty()) << finder.name;
    }
}

// The machine's pictures, not the host's locale.
TEST(FinderFilesTest, TimesAreWrittenInTheMachinesShortDateAndLongTime) {
    AppFixture f;
    const QString key = q("Control Panel\\International");
    f.b.regString(HKEY_CURRENT_USER, key, q("sShortDate"), q("dd.MM.yyyy"));
    f.b.regString(HKEY_CURRENT_USER, key, q("sTimeFormat"), q("HH-mm-ss"));
    f.b.file(inD(q("a.jpg")), "1");
    f.b.times(inD(q("a.jpg")), MachineBuilder::fileTime(2021, 6, 15, 12, 34, 56),
              MachineBuilder::fileTime(2022, 1, 2, 3, 4, 5));
    auto text = [](const QDateTime& utc) {
        const QDateTime t = utc.toLocalTime();
        return QString::asprintf("%02d.%02d.%04d %02d-%02d-%02d", t.date().day(), t.date().month(),
                                 t.date().year(), t.time().hour(), t.time().minute(), t.time().second());
    };
    const QString written = text(QDateTime(QDate(2021, 6, 15), QTime(12, 34, 56), Qt::UTC));

    DupTimeLabels dup;
    ASSERT_EQ(ShowDupFileTimes(f.ctx, inD(q("a.jpg")), dup), 1);
    EXPECT_EQ(dup.written, q("Last updated : ") + written);
    EXPECT_EQ(dup.accessed,
              q("Last accessed: ") + text(QDateTime(QDate(2022, 1, 2), QTime(3, 4, 5), Qt::UTC)));
    MediaFileLabels media;
    ASSERT_EQ(ReadMediaFileInfo(f.ctx, inD(q("a.jpg")), true, media), 1);
    EXPECT_EQ(media.updated, q("Last updated : ") + written);
}

} // namespace
