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

enum Action { Details, View, Recycle };

// What each finder does with a file it listed in C:\d: its details give the "Last updated" label,
// a view or recycle that went ahead gives "done"; nothing done gives an empty text.
QString duplicates(AppFixture& f, Action a, const char* name) {
    const QString line = DupLine(q("C:\\d"), q(name));
    DupTimeLabels labels;
    if (a == Details)
        return ShowDupFileTimes(f.ctx, DupLineToPath(line), labels) >= 0 ? labels.written : QString();
    const DupAction done = a == View ? ViewDupLine(f.ctx, line) : RecycleDupLine(f.ctx, line);
    return done == DupAction::Done ? q("done") : QString();
}

QString media(AppFixture& f, Action a, const char* name) {
    const QString path = q("C:\\d\\") + q(name);
    MediaFileLabels labels;
    if (a == Details) return ReadMediaFileInfo(f.ctx, path, true, labels) >= 0 ? labels.updated : QString();
    return (a == View ? ViewMediaFile(f.ctx, path) : RecycleMediaFile(f.ctx, path)) ? q("done") : QString();
}

// The listed a.jpg went: A.JPG beside it is another file and is never reached in its place.
TEST(FinderFilesTest, AListedFileThatWentIsGoneNotItsCaseTwin) {
    for (auto act : {duplicates, media}) {
        SCOPED_TRACE(act == duplicates ? "duplicates" : "media");
        AppFixture f;
        f.b.file(q("C:\\d\\A.JPG"), "twin");
        for (Action a : {Details, View, Recycle})
            EXPECT_EQ(act(f, a, "a.jpg"), QString()) << a;
    }
}

// Files the host's opener would run, whatever their names say.
TEST(FinderFilesTest, ViewNeverHandsOverWhatTheOpenerWouldRun) {
    QFile program(q("/bin/true"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray script = "#!/bin/sh\nrm -rf \"$HOME\"\n";
    const struct {
        const char* name;
        QByteArray content;
        mode_t mode;
    } runnable[] = {{"cleanup", script, 0755},
                    {"notes.txt", script, 0644},
                    {"photo.jpg", program.readAll(), 0644},
                    {"viewer.desktop", "[Desktop Entry]\nType=Application\nName=x\nExec=rm -rf /\n", 0644}};
    for (auto act : {duplicates, media}) {
        SCOPED_TRACE(act == duplicates ? "duplicates" : "media");
        AppFixture f;
        for (const auto& c : runnable) {
            ASSERT_EQ(::chmod(f.b.file(q("C:\\d\\") + q(c.name), c.content).c_str(), c.mode), 0);
            EXPECT_EQ(act(f, View, c.name), QString()) << c.name;
        }
        EXPECT_TRUE(f.b.launcher().calls().isEmpty());
    }
}

// The machine's pictures, not the host's locale.
TEST(FinderFilesTest, TimesAreWrittenInTheMachinesShortDateAndLongTime) {
    AppFixture f;
    const QString key = q("Control Panel\\International");
    f.b.regString(HKEY_CURRENT_USER, key, q("sShortDate"), q("dd.MM.yyyy"));
    f.b.regString(HKEY_CURRENT_USER, key, q("sTimeFormat"), q("HH-mm-ss"));
    f.b.file(q("C:\\d\\a.jpg"), "1");
    f.b.times(q("C:\\d\\a.jpg"), MachineBuilder::fileTime(2021, 6, 15, 12, 34, 56),
              MachineBuilder::fileTime(2022, 1, 2));
    const QDateTime written(QDate(2021, 6, 15), QTime(12, 34, 56), Qt::UTC);
    const QString text = q("Last updated : ") + written.toLocalTime().toString(q("dd.MM.yyyy HH-mm-ss"));
    for (auto act : {duplicates, media})
        EXPECT_EQ(act(f, Details, "a.jpg"), text) << (act == duplicates ? "duplicates" : "media");
}

} // namespace
