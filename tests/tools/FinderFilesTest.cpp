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
    const bool dups = (a == View ? ViewDupLine(f.ctx, line) : RecycleDupLine(f.ctx, line)) == DupAction::Done;
    const bool media = a == View ? ViewMediaFile(f.ctx, path) : RecycleMediaFile(f.ctx, path);
    return {dups ? q("done") : QString(), media ? q("done") : QString()};
}

// The listed C:\d\a.jpg went: A.JPG beside it, or a.jpg in a folder D that replaced d, is another file
// and is never reached in its place.
TEST(FinderFilesTest, AListedFileThatWentIsGoneNotItsCaseTwin) {
    for (const char* twin : {"C:\\d\\A.JPG", "C:\\D\\a.jpg"}) {
        AppFixture f;
        f.b.file(q(twin), "twin");
        for (Action a : {Details, View, Recycle})
            EXPECT_EQ(act(f, a, "a.jpg"), nothing) << twin << ' ' << a;
    }
}

// Files the host's opener would run, whatever their names say.
TEST(FinderFilesTest, ViewNeverHandsOverWhatTheOpenerWouldRun) {
    QFile program(q("/bin/true"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const std::tuple<const char*, QByteArray, mode_t> runnable[] = {
        {"cleanup", "echo", 0755},
        {"notes.txt", "#!/bin/sh\n", 0644},
        {"photo.jpg", program.readAll(), 0644},
        {"viewer.desktop", "[Desktop Entry]\n", 0644}};
    AppFixture f;
    for (const auto& [name, content, mode] : runnable) {
        ASSERT_EQ(::chmod(f.b.file(q("C:\\d\\") + q(name), content).c_str(), mode), 0);
        EXPECT_EQ(act(f, View, name), nothing) << name;
    }
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
