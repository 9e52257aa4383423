// "Cleanup All !" and the per-category buttons of the main window, over a machine whose Internet
// Explorer traces are really deleted.
#include "app/CleanupSteps.h"
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "cleaners/forms/TFrmdir.h"
#include "cleaners/uie.h"
#include "cleaners/unon.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;

namespace {

using Box = const char*;    // a check box of the main window
using Button = const char*; // a button of the main window

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const QString kCookieA = q(R"(C:\IE\Cookies\tester@site[1].txt)");
const QString kCookieB = q(R"(C:\IE\Cookies\tester@other[2].txt)");
const QString kHistory = q(R"(C:\IE\History\visited.htm)");
const QString kCacheA = q(R"(C:\IE\Cache\page.htm)");
const QString kCacheB = q(R"(C:\IE\Cache\logo.gif)");
const QString kCacheC = q(R"(C:\IE\Cache\site.css)");
const QString kPrevious = q("line of an earlier cleanup");

const QString kNoIECookies = q("There were no IE cookie files found on your system.");
const QString kNoIEHistory = q("There were no IE history files found on your system.");
const QString kNoIECache = q("There were no IE cache files found on your system.");

// The main window started on an XP machine (no notice), every category box unticked, the
// statistics window in place, and Internet Explorer traces that the path lists name and the
// counters count.
struct CleanupFixture : AppFixture {
    std::unique_ptr<TFrminit> window;
    std::unique_ptr<TFrmstats> stats;
    int statsShown = 0;

    CleanupFixture() {
        windowsVersion(q("5.1"));
        b.folder(q(R"(C:\users\tester\AppData\Roaming)"));
        b.file(q(R"(C:\users\tester\AppData\Roaming\Nivfold\nvscan7.ini)"), "[Frminit]\r\n");
        b.regString(HKEY_CURRENT_USER, settingsKeyPath(), q("Skin"), q("skinnone"));
        modal.onShow(q("TFrmenter"), [](QDialog&) { return int(mrNone); });
        window = std::make_unique<TFrminit>(ctx);
        stats = std::make_unique<TFrmstats>(ctx, window.get());
        window->setWindows({.Frmstats = stats.get()});
        modal.onShow(q("TFrmstats"), [this](QDialog&) {
            ++statsShown;
            return int(mrOk);
        });
        for (QCheckBox* box : window->categoryBoxes())
            box->setChecked(false);
        ctx.settings.Confirms = false;

        b.sizedFile(kCookieA, 10);
        b.sizedFile(kCookieB, 20);
        b.sizedFile(kHistory, 5);
        b.sizedFile(kCacheA, 100);
        b.sizedFile(kCacheB, 200);
        b.sizedFile(kCacheC, 300);
        ctx.g.IECookiePaths.clear();
        ctx.g.IEHistoryPaths.clear();
        ctx.g.IECachePaths.clear();
        ctx.g.IECookiePaths[1] = q(R"(C:\IE\COOKIES\*.*)");
        ctx.g.IEHistoryPaths[1] = q(R"(C:\IE\HISTORY\*.*)");
        ctx.g.IECachePaths[1] = q(R"(C:\IE\CACHE\*.*)");
        ctx.g.Found[CatIECookies] = {2, 30};
        ctx.g.Found[CatIEHistory] = {1, 5};
        ctx.g.Found[CatIECache] = {3, 600};
        SumIETotals(ctx);
        ctx.g.Found[CatNSCache] = ctx.g.Found[CatNSCookies] = ctx.g.Found[CatNSHistory] = {};
        ctx.g.Found[CatGCache] = ctx.g.Found[CatGCookies] = ctx.g.Found[CatGHistory] = {};
        ctx.g.CategoryResults.fill(QString());
    }

    void tick(std::initializer_list<Box> boxes) {
        for (Box box : boxes)
            ctl<QCheckBox>(*window, box)->setChecked(true);
    }
    bool anyIEFileLeft() const {
        for (const QString& path : {kCookieA, kCookieB, kHistory, kCacheA, kCacheB, kCacheC})
            if (b.exists(path)) return true;
        return false;
    }
    // Names the greyed panel lines, "-" when none is.
    QString greyedLines() {
        QStringList out;
        for (QLabel* l :
             {ctl<QLabel>(*window, "Label1"), ctl<QLabel>(*window, "Label2"), ctl<QLabel>(*window, "Label3"),
              ctl<QLabel>(*window, "Label4"), ctl<QLabel>(*window, "Label5"), ctl<QLabel>(*window, "Label6"),
              ctl<QLabel>(*window, "Label7")})
            if (panelLineColor(l) == kGreyedLineColor) out << l->objectName();
        return out.isEmpty() ? q("-") : out.join(u'+');
    }
    void cleanupAll(bool yes = true) {
        if (yes) {
            dialogs.answerYes();
        } else {
            dialogs.answerNo();
            dialogs.answerOk();
        }
        ctl<QPushButton>(*window, "cmdnv")->click();
    }
};

const Box kIEBoxes[] = {"ChkIECookies", "ChkIEHistory", "ChkIECache"};

} // namespace

// --- Cleanup All ---

TEST(CleanupAllTest, AsksFirstAndNoDeletesNothing) {
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        CleanupFixture f;
        f.tick({"ChkIECookies", "ChkIEHistory", "ChkIECache"});
        f.cleanupAll(yes);

        ASSERT_GE(f.dialogs.shown().size(), 1);
        const ShownBox& question = f.dialogs.shown().first();
        EXPECT_EQ(question.kind, MsgKind::Confirmation);
        EXPECT_EQ(question.buttons, MsgButtons::YesNo);
        EXPECT_EQ(
            question.text,
            q("You are about to remove all files that you have selected on the \"customize boxes\" below. "
              "This may include all cookie, cache, and history files for Internet Explorer, Mozilla "
              "Firefox, and AOL. Would you like me to remove these files for you?"));
        if (yes) {
            EXPECT_EQ(f.dialogs.shown().size(), 1);
            EXPECT_FALSE(f.anyIEFileLeft());
            EXPECT_EQ(f.ctx.g.IETotalFiles, 0);
            EXPECT_EQ(ctl<QLabel>(*f.window, "Label2")->text(),
                      q("Internet Explorer CACHE   -> None found on your system."));
        } else {
            ASSERT_EQ(f.dialogs.shown().size(), 2);
            EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Information);
            EXPECT_EQ(f.dialogs.shown()[1].buttons, MsgButtons::Ok);
            EXPECT_EQ(f.dialogs.shown()[1].text, q("Nothing deleted from your system."));
            EXPECT_TRUE(f.b.exists(kCookieA) && f.b.exists(kHistory) && f.b.exists(kCacheC));
            EXPECT_EQ(f.ctx.g.Found[CatIECache].FoundFiles, 3);
            EXPECT_EQ(f.pump.count(), 0);
        }
    }
}

TEST(CleanupAllTest, BrowserStepsGreyTheirLinesAroundTheirCleanerInOrder) {
    CleanupFixture f;
    f.tick({"ChkIECookies", "ChkIEHistory", "ChkIECache", "ChkMedia"});
    QStringList seen;
    f.pump.onProcess = [&] {
        // Which line is grey, and whether its files were still there at that moment.
        seen << f.greyedLines() + (f.b.exists(kCookieA) ? q(" cookies") : q("")) +
                    (f.b.exists(kHistory) ? q(" history") : q("")) +
                    (f.b.exists(kCacheA) ? q(" cache") : q(""));
    };
    f.cleanupAll();
    EXPECT_EQ(seen,
              (QStringList{q("Label1 cookies history cache"), q("- history cache"), q("Label3 history cache"),
                           q("- cache"), q("Label2 cache"), q("-"), q("Label7"), q("-")}));
    for (QLabel* l : {ctl<QLabel>(*f.window, "Label1"), ctl<QLabel>(*f.window, "Label2"),
                      ctl<QLabel>(*f.window, "Label3"), ctl<QLabel>(*f.window, "Label7")})
        EXPECT_EQ(panelLineColor(l), kPanelColor);
}

TEST(CleanupAllTest, ResultAndNoFilesLinesByCountAndConfirms) {
    struct Case {
        const char* name;
        bool confirms;
        bool empty; // the three IE counts are 0
        const char* cookies;
        const char* history;
        const char* cache;
    };
    const Case cases[] = {
        {"found, confirms on", true, false, "All files have been deleted. ALL2 were cleaned.",
         "All files have been deleted.", "All files have been deleted. "},
        {"found, confirms off", false, false, "All files have been deleted. ALL2 were cleaned.",
         "All files have been deleted.", "All files have been deleted. "},
        {"none, confirms on", true, true, "There were no IE cookie files found on your system.",
         "There were no IE history files found on your system.",
         "There were no IE cache files found on your system."},
        {"none, confirms off", false, true, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanupFixture f;
        f.ctx.settings.Confirms = c.confirms;
        if (c.empty)
            f.ctx.g.Found[CatIECookies] = f.ctx.g.Found[CatIEHistory] = f.ctx.g.Found[CatIECache] = {};
        for (int slot : {ResultIECookies, ResultIEHistory, ResultIECache})
            f.ctx.g.CategoryResults[slot] = kPrevious;
        f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
        f.cleanupAll();

        EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECookies], c.cookies ? q(c.cookies) : kPrevious);
        EXPECT_EQ(f.ctx.g.CategoryResults[ResultIEHistory], c.history ? q(c.history) : kPrevious);
        EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache], c.cache ? q(c.cache) : kPrevious);
        EXPECT_EQ(f.anyIEFileLeft(), c.empty); // a count of 0 skips the cleaner
        EXPECT_EQ(f.pump.count(), c.empty ? 0 : 6);
        EXPECT_EQ(f.statsShown, c.confirms ? 1 : 0);
    }
}

TEST(CleanupAllTest, ASecondRunWritesTheNoFilesLinesOfWhatTheFirstCleaned) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
    f.cleanupAll();
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache], q("All files have been deleted. "));
    const int repaints = f.pump.count();

    f.cleanupAll();
    EXPECT_EQ(f.pump.count(), repaints); // nothing greyed the second time
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECookies], kNoIECookies);
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIEHistory], kNoIEHistory);
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache], kNoIECache);
    EXPECT_EQ(f.statsShown, 2);
}

TEST(CleanupAllTest, CountsAreReadAtTheMomentOfTheirStepAndOnlyTickedBoxesRun) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.ctx.g.Found[CatIECache] = {};
    f.tick({"ChkIECookies", "ChkIECache"});
    // The cache count rises while the cookie step runs: the cache step sees it.
    f.pump.onProcess = [&] { f.ctx.g.Found[CatIECache] = {3, 600}; };
    f.cleanupAll();
    EXPECT_FALSE(f.b.exists(kCacheA));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache], q("All files have been deleted. "));
    EXPECT_TRUE(f.b.exists(kHistory)); // unticked
    EXPECT_TRUE(f.ctx.g.CategoryResults[ResultIEHistory].isEmpty());
}

TEST(CleanupAllTest, TheJunkLineIsGreyedOnceWhenOneOfItsBoxesIsTicked) {
    struct Case {
        const char* name;
        std::vector<Box> boxes;
        bool greyed;
    };
    const Case cases[] = {
        {"none", {}, false},
        {"ActiveX", {"ChkActiveX"}, true},
        {"media cache alone", {"ChkMedia"}, true},
        {"junk files", {"ChkOtherj"}, true},
        {"recycle bin", {"Chkrecycle"}, true},
        {"all four", {"ChkActiveX", "ChkMedia", "ChkOtherj", "Chkrecycle"}, true},
        {"outside the span", {"ChkExcess", "ChkTemp", "ChkRecent", "Chkurls", "ChkYourOwn"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanupFixture f;
        for (Box box : c.boxes)
            ctl<QCheckBox>(*f.window, box)->setChecked(true);
        QStringList seen;
        f.pump.onProcess = [&] { seen << f.greyedLines(); };
        f.cleanupAll();
        EXPECT_EQ(seen, c.greyed ? (QStringList{q("Label7"), q("-")}) : QStringList{});
    }
}

TEST(CleanupAllTest, EveryTickedStepRunsAndTheLastTwoSayNothingWhenEmpty) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.ctx.unit<NonUnit>().ConfirmsCopy = true;
    for (QCheckBox* box : f.window->categoryBoxes())
        box->setChecked(true);
    f.ctx.g.Found[CatIECookies] = f.ctx.g.Found[CatIEHistory] = f.ctx.g.Found[CatIECache] = {};
    QStringList seen;
    f.pump.onProcess = [&] {
        seen << f.greyedLines();
        // No window may open in the middle of the run.
        for (const char* opener : {"Cmdurl", "Cmddir", "Cmdnon", "CmdLock"})
            EXPECT_FALSE(ctl<QPushButton>(*f.window, opener)->isEnabled()) << opener;
    };
    f.cleanupAll();
    EXPECT_TRUE(ctl<QPushButton>(*f.window, "Cmdurl")->isEnabled());

    // Only the junk span greys; every counted step writes its line; no typed URL and no own-list
    // match: the question alone.
    EXPECT_EQ(seen, (QStringList{q("Label7"), q("-")}));
    for (const CategoryInfo& row : categoryTable()) {
        if (row.slot != ResultNone) {
            EXPECT_FALSE(f.ctx.g.CategoryResults[row.slot].isEmpty()) << row.slot;
        }
    }
    EXPECT_EQ(f.dialogs.shown().size(), 1);
    EXPECT_EQ(f.statsShown, 1);
}

TEST(CleanupAllTest, TypedUrlsGoSilentlyAndTheOwnListAsksItsOwnQuestion) {
    CleanupFixture f;
    const QString urls = q(R"(Software\Microsoft\Internet Explorer\TypedURLs)");
    f.b.regString(HKEY_CURRENT_USER, urls, q("url1"), q("http://a/"));
    f.b.regString(HKEY_CURRENT_USER, urls, q("url2"), q("http://b/"));
    f.ctx.g.FirefoxPlacesFile = q(R"(C:\ff\places.sqlite)");
    f.b.file(f.ctx.g.FirefoxPlacesFile);
    f.b.sizedFile(q(R"(C:\mine\a.tmp)"), 4);
    f.b.file(f.ctx.g.OwnListPath, "[Dirs]\r\nName1=C:\\mine\\*.tmp\r\n");
    f.tick({"Chkurls", "ChkYourOwn"});
    f.dialogs.answerYes(); // "Cleanup All !"
    f.dialogs.answerYes(); // the list's own question
    f.dialogs.answerOk();
    ctl<QPushButton>(*f.window, "cmdnv")->click();
    EXPECT_EQ(f.dialogs.messageTexts().mid(1, 1),
              QStringList{q("\"Your Own Files\" cleanup confirmation: 1 total files have been found matching "
                            "your entries.  This totals 4 bytes. Would you like me to clean these?")});
    EXPECT_EQ(f.dialogs.shown().size(), 3);
    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKeyReadOnly(urls));
    EXPECT_TRUE(reg.GetValueNames().isEmpty());
    EXPECT_FALSE(f.b.exists(f.ctx.g.FirefoxPlacesFile));
    EXPECT_FALSE(f.b.exists(q(R"(C:\mine\a.tmp)")));
}

TEST(CleanupAllTest, UrlHistoryAndYourOwnListOpenTheirWindows) {
    CleanupFixture f;
    TFrmdir own(f.ctx, f.window.get());
    f.window->setWindows({.Frmdir = &own, .Frmstats = f.stats.get()});
    for (const char* name : {"TFrmurls", "TFrmdir"})
        f.modal.onShow(q(name), [](QDialog&) { return int(mrOk); });
    ctl<QPushButton>(*f.window, "Cmdurl")->click();
    ctl<QPushButton>(*f.window, "Cmddir")->click();
    EXPECT_EQ(f.modal.shown().mid(f.modal.shown().size() - 2), (QStringList{q("TFrmurls"), q("TFrmdir")}));
}

TEST(CleanupAllTest, NoBoxTickedRefreshesThePanelAndShowsTheWindowWithConfirms) {
    for (bool confirms : {false, true}) {
        SCOPED_TRACE(confirms ? "confirms on" : "confirms off");
        CleanupFixture f;
        f.ctx.settings.Confirms = confirms;
        ctl<QLabel>(*f.window, "Label1")->setText(q("stale"));
        f.cleanupAll();
        EXPECT_EQ(ctl<QLabel>(*f.window, "Label1")->text(),
                  q("Internet Explorer COOKIES -> FOUND 2 files, consuming 30 bytes."));
        EXPECT_EQ(f.statsShown, confirms ? 1 : 0);
        EXPECT_TRUE(f.b.exists(kCookieA));
        EXPECT_EQ(f.pump.count(), 0);
    }
}

TEST(CleanupAllTest, WithoutAStatisticsWindowTheRunStillEnds) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.window->setWindows({});
    f.tick({kIEBoxes[2]});
    f.cleanupAll();
    EXPECT_FALSE(f.b.exists(kCacheA));
    EXPECT_EQ(f.statsShown, 0);
}

TEST(CleanupAllTest, TheStatisticsWindowShownAfterwardsClosesWithItsOk) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.tick({kIEBoxes[2]});
    bool okEnabled = false;
    bool closedByOk = false;
    f.modal.onExec(q("TFrmstats"), [&](QDialog& shown) {
        EXPECT_EQ(&shown, f.stats.get());
        QPushButton* ok = ctl<QPushButton>(shown, "BitBtn1");
        okEnabled = ok->isEnabled();
        QTest::mouseClick(ok, Qt::LeftButton);
        closedByOk = !shown.isVisible() && shown.result() == mrOk;
    });
    f.cleanupAll();
    EXPECT_TRUE(okEnabled);
    EXPECT_TRUE(closedByOk);
    EXPECT_TRUE(ctl<QPushButton>(*f.window, "cmdnv")->isEnabled());
}

TEST(CleanupAllTest, ButtonsAreBlockedWhileItRunsAndNoSecondCleanupStartsInside) {
    CleanupFixture f;
    f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
    ctl<QPushButton>(*f.window, "CmdGoogCache")->setEnabled(false); // a button disabled before stays so after
    const std::vector<QPushButton*> buttons{
        ctl<QPushButton>(*f.window, "cmdnv"),       ctl<QPushButton>(*f.window, "btnieck"),
        ctl<QPushButton>(*f.window, "btnieh"),      ctl<QPushButton>(*f.window, "btniech"),
        ctl<QPushButton>(*f.window, "btnnsck"),     ctl<QPushButton>(*f.window, "btnnsh"),
        ctl<QPushButton>(*f.window, "btnnsch"),     ctl<QPushButton>(*f.window, "CmdGoogCook"),
        ctl<QPushButton>(*f.window, "CmdGoogHist"), ctl<QPushButton>(*f.window, "CmdGoogCache"),
        ctl<QPushButton>(*f.window, "cmdexit")};
    int enabledDuringRun = 0;
    int closedDuringRun = 0;
    f.pump.onProcess = [&] {
        for (QPushButton* button : buttons)
            enabledDuringRun += button->isEnabled() ? 1 : 0;
        // Neither a click nor a direct call starts anything inside the run.
        ctl<QPushButton>(*f.window, "btnieh")->click();
        f.window->btniehClick();
        f.window->cmdnvClick();
        // Nor does the window close: the batch would miss this run's locked files.
        closedDuringRun += f.window->close() ? 1 : 0;
    };
    f.cleanupAll();
    EXPECT_EQ(enabledDuringRun, 0);
    EXPECT_EQ(closedDuringRun, 0);
    EXPECT_EQ(f.dialogs.shown().size(), 1);
    for (QPushButton* button : buttons)
        EXPECT_EQ(button->isEnabled(), button != ctl<QPushButton>(*f.window, "CmdGoogCache"));
}

TEST(CleanupAllTest, AnErrorEndsTheRunWithTheErrorBox) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
    f.pump.onProcess = [] { throw PlatformError(q("Unable to write to C:\\x.ini")); };
    f.dialogs.answerYes();
    f.dialogs.answerOk(); // the error box
    ctl<QPushButton>(*f.window, "cmdnv")->click();

    ASSERT_EQ(f.dialogs.shown().size(), 2);
    EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.shown()[1].text, q("Unable to write to C:\\x.ini"));
    EXPECT_TRUE(f.b.exists(kCookieA) && f.b.exists(kHistory) && f.b.exists(kCacheA)); // later steps unrun
    EXPECT_EQ(f.statsShown, 0);
    EXPECT_EQ(f.greyedLines(), q("-"));
    EXPECT_TRUE(ctl<QPushButton>(*f.window, "cmdnv")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>(*f.window, "btnieck")->isEnabled());

    f.pump.onProcess = nullptr; // the next run works again
    f.cleanupAll();
    EXPECT_FALSE(f.anyIEFileLeft());
}

TEST(CleanupAllTest, PanelLinesShowTheirColoursAsBackground) {
    CleanupFixture f;
    QLabel* line = ctl<QLabel>(*f.window, "Label5");
    line->setText(QString());
    const auto pixel = [&] {
        return QColor(line->grab().toImage().pixel(line->width() - 2, line->height() / 2));
    };
    EXPECT_EQ(panelLineColor(line), kPanelColor);
    EXPECT_EQ(pixel(), QColor(0xE6, 0xE3, 0xDF));
    setPanelLineColor(line, kGreyedLineColor);
    EXPECT_EQ(pixel(), QColor(0x80, 0x80, 0x80));
}

TEST(CleanupAllTest, StepTableOrder) {
    const char* boxes[] = {"ChkNSCookies", "ChkNSHistory", "ChkNSCache", "ChkGCookies", "ChkGHistory",
                           "ChkGCache",    "Chkrecycle",   "ChkExcess",  "ChkRecent",   "ChkTemp",
                           "ChkIECookies", "ChkIEHistory", "ChkIECache", "ChkActiveX",  "ChkMedia",
                           "ChkOtherj",    "Chkrecycle",   "Chkurls",    "ChkYourOwn"};
    const int resultSlots[] = {14, 15, 13, 11, 12, 10, 3, 0, 2, 1, 8, 9, 7, 4, 6, 5, 3, -1, -1};
    CleanupFixture f;
    for (int i = 0; i < kCleanupStepCount; ++i) {
        const CleanupStep& step = cleanupSteps()[std::size_t(i)];
        SCOPED_TRACE(boxes[i]);
        // The table's names are the window's own controls.
        EXPECT_EQ(ctl<QCheckBox>(*f.window, step.info().checkBox), f.window->categoryBoxes()[step.category]);
        EXPECT_EQ(step.info().checkBox, std::string(boxes[i]));
        EXPECT_EQ(step.info().slot, resultSlots[i]);
        EXPECT_EQ(step.junkSpan, i >= 13 && i <= 16);
        EXPECT_NE(cleanerOf(step.category), nullptr);
    }
}

// --- per-category buttons ---

TEST(CategoryButtonTest, QuestionTexts) {
    struct Case {
        Category category;
        bool cookies;
        const char* expected;
    };
    const char* track =
        "have been found on your system. Without removing these files, some websites may track "
        "which webpages and websites you have been visiting. Would you like me to remove these "
        "files for you?";
    const char* consumes =
        "files were found on your system. This consumes 4096 bytes of your hard drive. Would you "
        "like me to remove these files for you?";
    const Case cases[] = {
        {CatNSCookies, true, " bytes of FireFox cookies "},
        {CatNSHistory, false, " FireFox history "},
        {CatNSCache, false, " FireFox cache "},
        {CatGCookies, true, " bytes of Google Chrome cookies "},
        {CatGHistory, false, " Google Chrome history "},
        {CatGCache, false, " Google Chrome cache "},
        {CatIECookies, true, " bytes of IE cookies "},
        {CatIEHistory, false, " IE history "},
        {CatIECache, false, " IE cache "},
    };
    for (const Case& c : cases) {
        const QString expected =
            c.cookies ? q("4096") + q(c.expected) + q(track) : q("12") + q(c.expected) + q(consumes);
        EXPECT_EQ(categoryQuestion(c.category, {12, 4096}), expected) << c.expected;
    }
}

TEST(CategoryButtonTest, InternetExplorerButtonsAskThenClean) {
    struct Case {
        const char* name;
        Button button;
        QString question;
        std::vector<QString> files;
        int slot;
        const char* line;
        const char* panel;
        const char* panelAfter;
    };
    const Case cases[] = {
        {"cookies",
         "btnieck",
         q("30 bytes of IE cookies have been found on your system. Without removing these files, some "
           "websites "
           "may track which webpages and websites you have been visiting. Would you like me to remove these "
           "files for you?"),
         {kCookieA, kCookieB},
         ResultIECookies,
         "All files have been deleted. ALL2 were cleaned.",
         "Label1",
         "Internet Explorer COOKIES -> None found on your system."},
        {"history",
         "btnieh",
         q("1 IE history files were found on your system. This consumes 5 bytes of your hard drive. Would "
           "you "
           "like me to remove these files for you?"),
         {kHistory},
         ResultIEHistory,
         "All files have been deleted.",
         "Label3",
         "Internet Explorer HISTORY -> None found on your system."},
        {"cache",
         "btniech",
         q("3 IE cache files were found on your system. This consumes 600 bytes of your hard drive. Would "
           "you "
           "like me to remove these files for you?"),
         {kCacheA, kCacheB, kCacheC},
         ResultIECache,
         "All files have been deleted. ",
         "Label2",
         "Internet Explorer CACHE   -> None found on your system."},
    };
    for (const Case& c : cases) {
        for (bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", Yes" : ", No"));
            CleanupFixture f;
            f.ctx.settings.Confirms = true;
            if (yes) {
                f.dialogs.answerYes();
            } else {
                f.dialogs.answerNo();
                f.dialogs.answerOk(); // "Nothing removed from your system."
            }
            ctl<QPushButton>(*f.window, c.button)->click();

            ASSERT_EQ(f.dialogs.shown().size(), yes ? 1 : 2);
            EXPECT_EQ(f.dialogs.shown()[0].kind, MsgKind::Warning);
            EXPECT_EQ(f.dialogs.shown()[0].buttons, MsgButtons::YesNo);
            EXPECT_EQ(f.dialogs.shown()[0].text, c.question);
            for (const QString& file : c.files)
                EXPECT_EQ(f.b.exists(file), !yes) << file.toStdString();
            EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], yes ? q(c.line) : QString());
            if (yes) {
                EXPECT_EQ(ctl<QLabel>(*f.window, c.panel)->text(), q(c.panelAfter));
            } else {
                EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Information);
                EXPECT_EQ(f.dialogs.shown()[1].text, q("Nothing removed from your system."));
            }
            // No line greyed, no statistics window, the buttons usable again.
            EXPECT_EQ(f.pump.count(), 0);
            EXPECT_EQ(f.statsShown, 0);
            EXPECT_TRUE(ctl<QPushButton>(*f.window, c.button)->isEnabled());
        }
    }
}

TEST(CategoryButtonTest, EachButtonReachesItsOwnCategory) {
    // With every count 0 and Confirms on, a button writes its own category's no-files line only.
    int buttons = 0;
    for (const CategoryInfo& row : categoryTable()) {
        if (!row.button) continue;
        SCOPED_TRACE(row.button);
        ++buttons;
        CleanupFixture f;
        f.ctx.settings.Confirms = true;
        f.ctx.g.Found[CatIECookies] = f.ctx.g.Found[CatIEHistory] = f.ctx.g.Found[CatIECache] = {};
        f.ctx.g.CategoryResults.fill(kPrevious);
        ctl<QPushButton>(*f.window, row.button)->click();
        for (int slot = 0; slot < kCategoryResultSlots; ++slot)
            EXPECT_EQ(f.ctx.g.CategoryResults[slot] != kPrevious, slot == row.slot) << slot;
    }
    EXPECT_EQ(buttons, 9);
}

TEST(CategoryButtonTest, ACountOf0ShowsNothingAndWritesTheLineOnlyWithConfirms) {
    struct Case {
        Button button;
        int slot;
        QString line;
    };
    const Case cases[] = {{"btnieck", ResultIECookies, kNoIECookies},
                          {"btnieh", ResultIEHistory, kNoIEHistory},
                          {"btniech", ResultIECache, kNoIECache}};
    for (const Case& c : cases) {
        for (bool confirms : {false, true}) {
            SCOPED_TRACE(c.line.toStdString() + (confirms ? " on" : " off"));
            CleanupFixture f;
            f.ctx.settings.Confirms = confirms;
            f.ctx.g.Found[CatIECookies] = f.ctx.g.Found[CatIEHistory] = f.ctx.g.Found[CatIECache] = {};
            f.ctx.g.CategoryResults[c.slot] = kPrevious;
            ctl<QPushButton>(*f.window, c.button)->click();
            EXPECT_TRUE(f.dialogs.shown().isEmpty());
            EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], confirms ? c.line : kPrevious);
            EXPECT_TRUE(f.anyIEFileLeft());
        }
    }
}
