// "Cleanup All !" and the per-category buttons of the main window, over a machine whose Internet
// Explorer traces are really deleted.
#include "app/forms/CleanupSteps.h"
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "cleaners/uie.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "ui_TFrminit.h"

#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;

namespace {

using Box = QCheckBox* Ui::TFrminit::*;
using Button = QPushButton* Ui::TFrminit::*;

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
        ctx.Frmstats = stats.get();
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
        ctx.ie.Cookies = {2, 30};
        ctx.ie.History = {1, 5};
        ctx.ie.Cache = {3, 600};
        SumIETotals(ctx);
        ctx.net = {};
        ctx.g.ChromeCache = ctx.g.ChromeCookies = ctx.g.ChromeHistory = {};
        ctx.g.CategoryResults.fill(QString());
    }

    Ui::TFrminit& ui() { return window->ui(); }
    void tick(std::initializer_list<Box> boxes) {
        for (Box box : boxes)
            (ui().*box)->setChecked(true);
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
             {ui().Label1, ui().Label2, ui().Label3, ui().Label4, ui().Label5, ui().Label6, ui().Label7})
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
        ui().cmdnv->click();
    }
};

const Box kIEBoxes[] = {&Ui::TFrminit::ChkIECookies, &Ui::TFrminit::ChkIEHistory, &Ui::TFrminit::ChkIECache};

} // namespace

// --- Cleanup All ---

TEST(CleanupAllTest, AsksFirstAndNoDeletesNothing) {
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        CleanupFixture f;
        f.tick({&Ui::TFrminit::ChkIECookies, &Ui::TFrminit::ChkIEHistory, &Ui::TFrminit::ChkIECache});
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
            EXPECT_EQ(f.ui().Label2->text(), q("Internet Explorer CACHE   -> None found on your system."));
        } else {
            ASSERT_EQ(f.dialogs.shown().size(), 2);
            EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Information);
            EXPECT_EQ(f.dialogs.shown()[1].buttons, MsgButtons::Ok);
            EXPECT_EQ(f.dialogs.shown()[1].text, q("Nothing deleted from your system."));
            EXPECT_TRUE(f.b.exists(kCookieA) && f.b.exists(kHistory) && f.b.exists(kCacheC));
            EXPECT_EQ(f.ctx.ie.Cache.FoundFiles, 3);
            EXPECT_EQ(f.pump.count(), 0);
        }
    }
}

TEST(CleanupAllTest, BrowserStepsGreyTheirLinesAroundTheirCleanerInOrder) {
    CleanupFixture f;
    f.tick({&Ui::TFrminit::ChkIECookies, &Ui::TFrminit::ChkIEHistory, &Ui::TFrminit::ChkIECache,
            &Ui::TFrminit::ChkMedia});
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
    for (QLabel* l : {f.ui().Label1, f.ui().Label2, f.ui().Label3, f.ui().Label7})
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
        if (c.empty) f.ctx.ie.Cookies = f.ctx.ie.History = f.ctx.ie.Cache = {};
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
    f.ctx.ie.Cache = {};
    f.tick({&Ui::TFrminit::ChkIECookies, &Ui::TFrminit::ChkIECache});
    // The cache count rises while the cookie step runs: the cache step sees it.
    f.pump.onProcess = [&] { f.ctx.ie.Cache = {3, 600}; };
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
        {"ActiveX", {&Ui::TFrminit::ChkActiveX}, true},
        {"media cache alone", {&Ui::TFrminit::ChkMedia}, true},
        {"junk files", {&Ui::TFrminit::ChkOtherj}, true},
        {"recycle bin", {&Ui::TFrminit::Chkrecycle}, true},
        {"all four",
         {&Ui::TFrminit::ChkActiveX, &Ui::TFrminit::ChkMedia, &Ui::TFrminit::ChkOtherj,
          &Ui::TFrminit::Chkrecycle},
         true},
        {"outside the span",
         {&Ui::TFrminit::ChkExcess, &Ui::TFrminit::ChkTemp, &Ui::TFrminit::ChkRecent, &Ui::TFrminit::Chkurls,
          &Ui::TFrminit::ChkYourOwn},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanupFixture f;
        for (Box box : c.boxes)
            (f.ui().*box)->setChecked(true);
        QStringList seen;
        f.pump.onProcess = [&] { seen << f.greyedLines(); };
        f.cleanupAll();
        EXPECT_EQ(seen, c.greyed ? (QStringList{q("Label7"), q("-")}) : QStringList{});
    }
}

TEST(CleanupAllTest, StepsWhoseCleanersAreNotInPlaceDoNothing) {
    for (bool counted : {false, true}) {
        SCOPED_TRACE(counted ? "counts above 0" : "counts 0");
        CleanupFixture f;
        f.ctx.settings.Confirms = true;
        if (counted) {
            f.ctx.net.Cookies = f.ctx.net.History = f.ctx.net.Cache = {4, 40};
            f.ctx.g.ChromeCookies = f.ctx.g.ChromeHistory = f.ctx.g.ChromeCache = {4, 40};
        }
        for (QCheckBox* box : f.window->categoryBoxes())
            box->setChecked(true);
        for (int slot : {ResultIECookies, ResultIEHistory, ResultIECache})
            f.ctx.g.CategoryResults[slot] = kPrevious;
        f.ctx.ie.Cookies = f.ctx.ie.History = f.ctx.ie.Cache = {};
        QStringList seen;
        f.pump.onProcess = [&] { seen << f.greyedLines(); };
        f.cleanupAll();

        // Only the junk span greys; only the IE steps, whose counts were taken, write lines.
        EXPECT_EQ(seen, (QStringList{q("Label7"), q("-")}));
        for (int slot = 0; slot < kCategoryResultSlots; ++slot) {
            const bool ie = slot == ResultIECookies || slot == ResultIEHistory || slot == ResultIECache;
            EXPECT_EQ(f.ctx.g.CategoryResults[slot].isEmpty(), !ie) << slot;
        }
        EXPECT_EQ(f.ctx.net.Cache.FoundFiles, counted ? 4 : 0);
        EXPECT_EQ(f.dialogs.shown().size(), 1); // the question alone
        EXPECT_EQ(f.statsShown, 1);
    }
}

TEST(CleanupAllTest, NoBoxTickedRefreshesThePanelAndShowsTheWindowWithConfirms) {
    for (bool confirms : {false, true}) {
        SCOPED_TRACE(confirms ? "confirms on" : "confirms off");
        CleanupFixture f;
        f.ctx.settings.Confirms = confirms;
        f.ui().Label1->setText(q("stale"));
        f.cleanupAll();
        EXPECT_EQ(f.ui().Label1->text(),
                  q("Internet Explorer COOKIES -> FOUND 2 files, consuming 30 bytes."));
        EXPECT_EQ(f.statsShown, confirms ? 1 : 0);
        EXPECT_TRUE(f.b.exists(kCookieA));
        EXPECT_EQ(f.pump.count(), 0);
    }
}

TEST(CleanupAllTest, WithoutAStatisticsWindowTheRunStillEnds) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.ctx.Frmstats = nullptr;
    f.tick({kIEBoxes[2]});
    f.cleanupAll();
    EXPECT_FALSE(f.b.exists(kCacheA));
    EXPECT_EQ(f.statsShown, 0);
}

TEST(CleanupAllTest, ButtonsAreBlockedWhileItRunsAndNoSecondCleanupStartsInside) {
    CleanupFixture f;
    f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
    f.ui().CmdGoogCache->setEnabled(false); // a button disabled before stays so after
    const std::vector<QPushButton*> buttons{f.ui().cmdnv,        f.ui().btnieck,     f.ui().btnieh,
                                            f.ui().btniech,      f.ui().btnnsck,     f.ui().btnnsh,
                                            f.ui().btnnsch,      f.ui().CmdGoogCook, f.ui().CmdGoogHist,
                                            f.ui().CmdGoogCache, f.ui().cmdexit};
    int enabledDuringRun = 0;
    int closedDuringRun = 0;
    f.pump.onProcess = [&] {
        for (QPushButton* button : buttons)
            enabledDuringRun += button->isEnabled() ? 1 : 0;
        // Neither a click nor a direct call starts anything inside the run.
        f.ui().btnieh->click();
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
        EXPECT_EQ(button->isEnabled(), button != f.ui().CmdGoogCache);
}

TEST(CleanupAllTest, AnErrorEndsTheRunWithTheErrorBox) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.tick({kIEBoxes[0], kIEBoxes[1], kIEBoxes[2]});
    f.pump.onProcess = [] { throw PlatformError(q("Unable to write to C:\\x.ini")); };
    f.dialogs.answerYes();
    f.dialogs.answerOk(); // the error box
    f.ui().cmdnv->click();

    ASSERT_EQ(f.dialogs.shown().size(), 2);
    EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.shown()[1].text, q("Unable to write to C:\\x.ini"));
    EXPECT_TRUE(f.b.exists(kCookieA) && f.b.exists(kHistory) && f.b.exists(kCacheA)); // later steps unrun
    EXPECT_EQ(f.statsShown, 0);
    EXPECT_EQ(f.greyedLines(), q("-"));
    EXPECT_TRUE(f.ui().cmdnv->isEnabled());
    EXPECT_TRUE(f.ui().btnieck->isEnabled());

    f.pump.onProcess = nullptr; // the next run works again
    f.cleanupAll();
    EXPECT_FALSE(f.anyIEFileLeft());
}

TEST(CleanupAllTest, PanelLinesShowTheirColoursAsBackground) {
    CleanupFixture f;
    QLabel* line = f.ui().Label5;
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
    const int resultSlots[] = {14, 15, 13, 11, 12, 10, -1, 0, 2, 1, 8, 9, 7, 4, 6, 5, -1, -1, -1};
    CleanupFixture f;
    for (int i = 0; i < kCleanupStepCount; ++i) {
        const CleanupStep& step = cleanupSteps()[std::size_t(i)];
        SCOPED_TRACE(step.name);
        EXPECT_EQ((f.ui().*step.box)->objectName(), q(boxes[i]));
        EXPECT_EQ(step.slot, resultSlots[i]);
        EXPECT_EQ(step.junkSpan, i >= 13 && i <= 16);
        EXPECT_EQ(step.cleaner != nullptr, i >= 10 && i <= 12); // the IE steps are the live ones
    }
}

// --- per-category buttons ---

TEST(CategoryButtonTest, QuestionTexts) {
    struct Case {
        int row;
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
        {0, " bytes of FireFox cookies "},
        {1, " FireFox history "},
        {2, " FireFox cache "},
        {3, " bytes of Google Chrome cookies "},
        {4, " Google Chrome history "},
        {5, " Google Chrome cache "},
        {6, " bytes of IE cookies "},
        {7, " IE history "},
        {8, " IE cache "},
    };
    for (const Case& c : cases) {
        const CategoryButton& row = categoryButtons()[std::size_t(c.row)];
        const bool cookies = row.form == CategoryButton::Form::Cookies;
        const QString expected =
            cookies ? q("4096") + q(c.expected) + q(track) : q("12") + q(c.expected) + q(consumes);
        EXPECT_EQ(categoryQuestion(row, {12, 4096}), expected) << c.row;
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
        QLabel* Ui::TFrminit::*panel;
        const char* panelAfter;
    };
    const Case cases[] = {
        {"cookies",
         &Ui::TFrminit::btnieck,
         q("30 bytes of IE cookies have been found on your system. Without removing these files, some "
           "websites "
           "may track which webpages and websites you have been visiting. Would you like me to remove these "
           "files for you?"),
         {kCookieA, kCookieB},
         ResultIECookies,
         "All files have been deleted. ALL2 were cleaned.",
         &Ui::TFrminit::Label1,
         "Internet Explorer COOKIES -> None found on your system."},
        {"history",
         &Ui::TFrminit::btnieh,
         q("1 IE history files were found on your system. This consumes 5 bytes of your hard drive. Would "
           "you "
           "like me to remove these files for you?"),
         {kHistory},
         ResultIEHistory,
         "All files have been deleted.",
         &Ui::TFrminit::Label3,
         "Internet Explorer HISTORY -> None found on your system."},
        {"cache",
         &Ui::TFrminit::btniech,
         q("3 IE cache files were found on your system. This consumes 600 bytes of your hard drive. Would "
           "you "
           "like me to remove these files for you?"),
         {kCacheA, kCacheB, kCacheC},
         ResultIECache,
         "All files have been deleted. ",
         &Ui::TFrminit::Label2,
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
            (f.ui().*c.button)->click();

            ASSERT_EQ(f.dialogs.shown().size(), yes ? 1 : 2);
            EXPECT_EQ(f.dialogs.shown()[0].kind, MsgKind::Warning);
            EXPECT_EQ(f.dialogs.shown()[0].buttons, MsgButtons::YesNo);
            EXPECT_EQ(f.dialogs.shown()[0].text, c.question);
            for (const QString& file : c.files)
                EXPECT_EQ(f.b.exists(file), !yes) << file.toStdString();
            EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], yes ? q(c.line) : QString());
            if (yes) {
                EXPECT_EQ((f.ui().*c.panel)->text(), q(c.panelAfter));
            } else {
                EXPECT_EQ(f.dialogs.shown()[1].kind, MsgKind::Information);
                EXPECT_EQ(f.dialogs.shown()[1].text, q("Nothing removed from your system."));
            }
            // No line greyed, no statistics window, the buttons usable again.
            EXPECT_EQ(f.pump.count(), 0);
            EXPECT_EQ(f.statsShown, 0);
            EXPECT_TRUE((f.ui().*c.button)->isEnabled());
        }
    }
}

TEST(CategoryButtonTest, ACountOf0ShowsNothingAndWritesTheLineOnlyWithConfirms) {
    struct Case {
        Button button;
        int slot;
        QString line;
    };
    const Case cases[] = {{&Ui::TFrminit::btnieck, ResultIECookies, kNoIECookies},
                          {&Ui::TFrminit::btnieh, ResultIEHistory, kNoIEHistory},
                          {&Ui::TFrminit::btniech, ResultIECache, kNoIECache}};
    for (const Case& c : cases) {
        for (bool confirms : {false, true}) {
            SCOPED_TRACE(c.line.toStdString() + (confirms ? " on" : " off"));
            CleanupFixture f;
            f.ctx.settings.Confirms = confirms;
            f.ctx.ie.Cookies = f.ctx.ie.History = f.ctx.ie.Cache = {};
            f.ctx.g.CategoryResults[c.slot] = kPrevious;
            (f.ui().*c.button)->click();
            EXPECT_TRUE(f.dialogs.shown().isEmpty());
            EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], confirms ? c.line : kPrevious);
            EXPECT_TRUE(f.anyIEFileLeft());
        }
    }
}

TEST(CategoryButtonTest, FirefoxAndChromeButtonsWaitForTheirCleaners) {
    CleanupFixture f;
    f.ctx.settings.Confirms = true;
    f.ctx.net.Cookies = f.ctx.net.History = f.ctx.net.Cache = {4, 40};
    for (int row = 0; row < 6; ++row) {
        const CategoryButton& button = categoryButtons()[std::size_t(row)];
        (f.ui().*button.button)->click();
        (f.window.get()->*button.click)();
    }
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
    for (const QString& line : f.ctx.g.CategoryResults)
        EXPECT_TRUE(line.isEmpty());
}
