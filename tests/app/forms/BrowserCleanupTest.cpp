// The Firefox and Chrome categories through the main window: counted at start-up, shown on the
// panel, cleaned by "Cleanup All !" and by their buttons.
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "core/SettingsStore.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const QString kData = q(R"(C:\users\tester\AppData\Roaming\Nivfold)");
const QString kChrome = q(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default)");
const char* const kBrowserBoxes[] = {"ChkNSCookies", "ChkNSHistory", "ChkNSCache",
                                     "ChkGCookies",  "ChkGHistory",  "ChkGCache"};

// The main window started on an XP machine with, when asked, one Firefox profile in the scan log
// and a Chrome profile; every box unticked.
struct BrowserFixture : AppFixture {
    std::unique_ptr<TFrminit> window;
    std::unique_ptr<TFrmstats> stats;

    explicit BrowserFixture(bool traces) {
        windowsVersion(q("5.1"));
        b.regString(HKEY_CURRENT_USER, settingsKeyPath(), q("Skin"), q("skinnone"));
        b.file(kData + q("\\nvscan7.ini"),
               "[Frminit]\r\n[K17]\r\nP1=C:\\FF\\p\\\r\n[H53]\r\nP1=C:\\FF\\p\\\r\n"
               "[P45]\r\nP1=C:\\FF\\p\\CACHE\r\n");
        if (traces) {
            for (const char* file : {R"(C:\FF\p\cookies.sqlite)", R"(C:\FF\p\history.dat)",
                                     R"(C:\FF\p\CACHE\index)", R"(C:\FF\p\CACHE\3\0A\entry)"})
                b.sizedFile(q(file), 100);
            for (const char* name : {"\\Cookies", "\\History", "\\Cache\\f_1", "\\Cache\\f_2"})
                b.sizedFile(kChrome + q(name), 10);
        }
        modal.onShow(q("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(q("TFrmstats"), [](QDialog&) { return int(mrOk); });
        window = std::make_unique<TFrminit>(ctx);
        stats = std::make_unique<TFrmstats>(ctx, window.get());
        window->setWindows({.Frmstats = stats.get()});
        for (QCheckBox* box : window->categoryBoxes())
            box->setChecked(false);
    }
    QString panel(const char* label) { return ctl<QLabel>(*window, label)->text(); }
};

} // namespace

TEST(BrowserCleanupTest, CountedAtStartAndShownOnThePanel) {
    BrowserFixture f(true);
    EXPECT_EQ(f.panel("Label4"), q("Firefox / Chrome  COOKIES -> FOUND 2 files, consuming 110 bytes."));
    EXPECT_EQ(f.panel("Label5"), q("Firefox / Chrome  CACHE   -> FOUND 4 files, consuming 220 bytes."));
    EXPECT_EQ(f.panel("Label6"), q("Firefox / Chrome  HISTORY -> FOUND 2 files, consuming 110 bytes."));
    EXPECT_EQ(f.panel("Label10"), q("TOTAL FILES FOUND = 8    TOTAL BYTES WASTED = 440"));
}

TEST(BrowserCleanupTest, CleanupAllWithTheSixBoxes) {
    struct Case {
        bool traces;
        const char* nsLine; // the Firefox result lines
        const char* gLine;
    };
    const Case cases[] = {
        {true, "All files have been deleted.", "All files have been deleted."},
        {false, "There were no FireFox", "There were no Google Chrome"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.traces ? "traces" : "none");
        BrowserFixture f(c.traces);
        f.ctx.settings.Confirms = true;
        for (const char* box : kBrowserBoxes)
            ctl<QCheckBox>(*f.window, box)->setChecked(true);
        QStringList greyed;
        f.pump.onProcess = [&] {
            for (const char* label : {"Label4", "Label5", "Label6"})
                if (panelLineColor(ctl<QLabel>(*f.window, label)) == kGreyedLineColor) greyed << q(label);
        };
        f.dialogs.answerYes();
        ctl<QPushButton>(*f.window, "cmdnv")->click();

        for (Category cat : {CatNSCookies, CatNSHistory, CatNSCache})
            EXPECT_TRUE(f.ctx.g.CategoryResults[categoryInfo(cat).slot].startsWith(q(c.nsLine))) << cat;
        for (Category cat : {CatGCookies, CatGHistory, CatGCache})
            EXPECT_TRUE(f.ctx.g.CategoryResults[categoryInfo(cat).slot].startsWith(q(c.gLine))) << cat;
        EXPECT_EQ(greyed, c.traces ? (QStringList{"Label4", "Label6", "Label5", "Label4", "Label6", "Label5"})
                                   : QStringList{});
        EXPECT_EQ(f.panel("Label5"), q("Firefox / Chrome  CACHE   -> None found on your system."));
        EXPECT_EQ(f.ctx.g.BrowserTotalFiles, 0);
        EXPECT_FALSE(f.b.exists(q(R"(C:\FF\p\CACHE\3\0A\entry)")));
        EXPECT_FALSE(f.b.exists(kChrome + q("\\Cache\\f_2")));
    }
}

TEST(BrowserCleanupTest, AButtonAsksWithTheCountsThenCleans) {
    BrowserFixture f(true);
    f.dialogs.answerYes();
    ctl<QPushButton>(*f.window, "btnnsch")->click();
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(
        f.dialogs.messages()[0].text,
        q("2 FireFox cache files were found on your system. This consumes 200 bytes of your hard drive. "
          "Would you like me to remove these files for you?"));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultNSCache], q("All files have been deleted."));
    EXPECT_FALSE(f.b.exists(q(R"(C:\FF\p\CACHE\index)")));
    EXPECT_TRUE(f.b.exists(kChrome + q("\\Cache\\f_1"))); // Chrome's cache has its own button
    EXPECT_EQ(f.panel("Label5"), q("Firefox / Chrome  CACHE   -> FOUND 2 files, consuming 20 bytes."));
}
