// The junk categories on the main window: "Cleanup All !" over a machine with every kind of junk,
// their no-files lines, and the "Junk Files" button.
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "cleaners/uie.h"
#include "cleaners/unon.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const char* const kJunkFiles[] = {
    R"(C:\windows\minidump\mini1.dmp)",
    R"(C:\users\tester\AppData\Roaming\Microsoft\Windows\Recent\doc.lnk)",
    R"(C:\users\tester\AppData\Local\Temp\a.tmp)",
    R"(C:\windows\Downloaded Program Files\x.ocx)",
    R"(C:\wmp\cache.bin)",
    R"(C:\FILE0000.CHK)",
};

// The main window on an XP machine holding one file of each counted junk category, with the
// given Confirms setting.
struct JunkWindowFixture : AppFixture {
    std::unique_ptr<TFrminit> window;
    std::unique_ptr<TFrmstats> stats;

    explicit JunkWindowFixture(bool confirms, bool withJunk = true) {
        windowsVersion(q("5.1"));
        b.file(q(R"(C:\users\tester\AppData\Roaming\Nivfold\nvscan7.ini)"),
               "[Frminit]\r\n[MM20]\r\nP1=C:\\wmp\\*.*\r\n");
        b.regString(HKEY_CURRENT_USER, settingsKeyPath(), q("Skin"), q("skinnone"));
        b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), q("Confirms"), confirms ? 1 : 0);
        b.regString(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)"),
                    q("ActiveXCache"), q(R"(C:\windows\Downloaded Program Files)"));
        if (withJunk)
            for (const char* path : kJunkFiles)
                b.sizedFile(q(path), 10);
        modal.onShow(q("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(q("TFrmstats"), [](QDialog&) { return int(mrOk); });
        window = std::make_unique<TFrminit>(ctx);
        stats = std::make_unique<TFrmstats>(ctx, window.get());
        window->setWindows({.Frmstats = stats.get()});
        for (QCheckBox* box : window->categoryBoxes())
            box->setChecked(true);
    }
    QString panel(const char* label) const { return ctl<QLabel>(*window, label)->text(); }
    QStringList bin() const {
        return QDir(QString::fromStdString(b.hostPath(recycleBinFolder())))
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

} // namespace

TEST(JunkCleanupAllTest, EveryBoxTickedCleansEveryJunkCategoryAndEmptiesTheBinTwice) {
    JunkWindowFixture f(true);
    EXPECT_EQ(f.panel("Label7"), q("Other GARBAGE DATA        -> FOUND 6 files, consuming 60 bytes."));
    f.b.sizedFile(q(R"(C:\IE\Cache\page.htm)"), 100);
    f.ctx.g.IECachePaths[1] = q(R"(C:\IE\CACHE\*.*)");
    f.ctx.g.Found[CatIECache] = {1, 100};
    f.b.sizedFile(q(R"(C:\users\tester\AppData\Local\Temp\late.tmp)"), 1); // counted by no one

    f.dialogs.answerYes();
    ctl<QPushButton>(*f.window, "cmdnv")->click();

    EXPECT_EQ(f.dialogs.shown().size(), 1);
    for (const char* path : kJunkFiles)
        EXPECT_FALSE(f.b.exists(q(path))) << path;
    EXPECT_FALSE(f.b.exists(q(R"(C:\IE\Cache\page.htm)")));
    EXPECT_TRUE(f.bin().isEmpty()); // the temp files went there and left with the second emptying
    const QString one = q("1 files out of 1 files have been deleted.");
    const QString two = q("2 files out of 1 files have been deleted.");
    for (int slot : {ResultDump, ResultRecent, ResultActiveX, ResultAdditional, ResultMedia})
        EXPECT_EQ(f.ctx.g.CategoryResults[slot], one) << slot;
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultTemp], two);
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultRecycle], q("Recycle Bin has been cleaned."));
    EXPECT_EQ(f.panel("Label7"), q("Other GARBAGE DATA        -> None found on your system."));
    EXPECT_EQ(f.modal.shown().count(q("TFrmstats")), 1);
}

TEST(JunkCleanupAllTest, JunkNoFilesLinesFollowTheJunkUnitsConfirmsCopy) {
    for (bool junkConfirms : {false, true}) {
        SCOPED_TRACE(junkConfirms ? "junk copy on" : "junk copy off");
        JunkWindowFixture f(false, false);
        f.ctx.unit<NonUnit>().ConfirmsCopy = junkConfirms;
        f.ctx.g.Found[CatIECache] = {};
        f.dialogs.answerYes();
        ctl<QPushButton>(*f.window, "cmdnv")->click();

        EXPECT_EQ(f.ctx.g.CategoryResults[ResultDump],
                  junkConfirms ? q("There were no dump files found on your system.") : QString());
        EXPECT_EQ(f.ctx.g.CategoryResults[ResultTemp],
                  junkConfirms ? q("There were no temp files found on your system.") : QString());
        EXPECT_EQ(f.ctx.g.CategoryResults[ResultMedia],
                  junkConfirms ? q("There were no media cache files found on your system.") : QString());
        EXPECT_TRUE(f.ctx.g.CategoryResults[ResultIECache].isEmpty()); // the setting is off
    }
}

TEST(JunkCleanupAllTest, JunkFilesButtonShowsTheWindowThenRefreshesThePanel) {
    JunkWindowFixture f(true);
    f.modal.onShow(q("TFrmnon"), [&](QDialog& window) {
        EXPECT_EQ(ctl<QLabel>(window, "Label4")->text(),
                  q("DUMP FILES           -> 1 files consuming 10 bytes of storage were FOUND."));
        f.dialogs.answerYes();
        ctl<QPushButton>(window, "cmdindex")->click();
        return int(mrOk);
    });
    ctl<QPushButton>(*f.window, "Cmdnon")->click();
    EXPECT_EQ(f.modal.shown().count(q("TFrmnon")), 1);
    EXPECT_EQ(f.panel("Label7"), q("Other GARBAGE DATA        -> FOUND 5 files, consuming 50 bytes."));
}
