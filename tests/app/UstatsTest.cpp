#include "app/Ustats.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace niv;

namespace {

const QString kNone = QStringLiteral("-> None found on your system.");

QString none(const char* title) {
    return QString::fromLatin1(title) + kNone;
}

QString found(const char* title, const char* files, const char* bytes) {
    return QString::fromLatin1(title) + QStringLiteral("-> FOUND ") + QString::fromLatin1(files) +
           QStringLiteral(" files, consuming ") + QString::fromLatin1(bytes) + QStringLiteral(" bytes.");
}

QString totals(const char* files, const char* bytes) {
    return QStringLiteral("TOTAL FILES FOUND = ") + QString::fromLatin1(files) +
           QStringLiteral("    TOTAL BYTES WASTED = ") + QString::fromLatin1(bytes);
}

const char* const kIECookies = "Internet Explorer COOKIES ";
const char* const kIECache = "Internet Explorer CACHE   ";
const char* const kIEHistory = "Internet Explorer HISTORY ";
const char* const kBrCookies = "Firefox / Chrome  COOKIES ";
const char* const kBrCache = "Firefox / Chrome  CACHE   ";
const char* const kBrHistory = "Firefox / Chrome  HISTORY ";
const char* const kJunk = "Other GARBAGE DATA        ";

StatisticsPanelTexts nothingFound() {
    return {none(kIECookies), none(kIECache),   none(kIEHistory), none(kBrCookies),
            none(kBrCache),   none(kBrHistory), none(kJunk),      totals("0", "0")};
}

} // namespace

TEST(StatisticsPanelTest, EveryTitleIs26CharactersAndTheArrowsLineUp) {
    AppFixture f;
    f.ctx.g.Found[CatIECookies] = {1, 2};
    f.ctx.g.Found[CatGCache] = {3, 4};
    const StatisticsPanelTexts texts = statisticsPanelTexts(f.ctx);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(texts[i].indexOf(QStringLiteral("-> ")), 26) << texts[i].toStdString();
}

TEST(StatisticsPanelTest, LinesFromTheCounters) {
    struct Case {
        const char* name;
        std::function<void(AppContext&)> set;
        std::function<void(StatisticsPanelTexts&)> expect; // changes from the nothing-found texts
    };
    const Case cases[] = {
        {"all counters 0", [](AppContext&) {}, [](StatisticsPanelTexts&) {}},
        {"Internet Explorer categories",
         [](AppContext& c) {
             c.g.Found[CatIECookies] = {3, 1024};
             c.g.Found[CatIECache] = {250, 5000000000LL};
             c.g.Found[CatIEHistory] = {1, 0};
         },
         [](StatisticsPanelTexts& t) {
             t[0] = found(kIECookies, "3", "1024");
             t[1] = found(kIECache, "250", "5000000000");
             t[2] = found(kIEHistory, "1", "0");
         }},
        {"Chrome cookies alone",
         [](AppContext& c) {
             c.g.Found[CatGCookies] = {4, 800};
         },
         [](StatisticsPanelTexts& t) { t[3] = found(kBrCookies, "4", "800"); }},
        {"Firefox cookies alone",
         [](AppContext& c) {
             c.g.Found[CatNSCookies] = {2, 90};
         },
         [](StatisticsPanelTexts& t) { t[3] = found(kBrCookies, "2", "90"); }},
        {"both browsers are summed",
         [](AppContext& c) {
             c.g.Found[CatNSCache] = {10, 4000000000LL};
             c.g.Found[CatGCache] = {5, 3000000000LL};
             c.g.Found[CatNSHistory] = {1, 10};
             c.g.Found[CatGHistory] = {2, 20};
         },
         [](StatisticsPanelTexts& t) {
             t[4] = found(kBrCache, "15", "7000000000");
             t[5] = found(kBrHistory, "3", "30");
         }},
        {"bytes without files are not found",
         [](AppContext& c) {
             c.g.Found[CatIECache] = {0, 4096};
             c.g.Found[CatNSCookies] = {0, 512};
             c.g.Found[CatGCookies] = {0, 512};
         },
         [](StatisticsPanelTexts&) {}},
        {"a negative count is not found",
         [](AppContext& c) {
             c.g.Found[CatIEHistory] = {-1, 100};
         },
         [](StatisticsPanelTexts&) {}},
        {"the other browser's negative count is summed",
         [](AppContext& c) {
             c.g.Found[CatNSCookies] = {-1, -10};
             c.g.Found[CatGCookies] = {4, 100};
         },
         [](StatisticsPanelTexts& t) { t[3] = found(kBrCookies, "3", "90"); }},
        {"junk files from the junk totals",
         [](AppContext& c) {
             c.g.JunkTotalFiles = 7;
             c.g.JunkTotalBytes = 2147483647;
         },
         [](StatisticsPanelTexts& t) {
             t[6] = found(kJunk, "7", "2147483647");
             t[7] = totals("7", "2147483647");
         }},
        {"totals are the three unit totals, not the category counters",
         [](AppContext& c) {
             c.g.Found[CatIECookies] = {3, 30};
             c.g.IETotalFiles = 100;
             c.g.IETotalBytes = 5000000000LL;
             c.g.BrowserTotalFiles = 20;
             c.g.BrowserTotalBytes = 4000000000LL;
             c.g.JunkTotalFiles = 2147483647;
             c.g.JunkTotalBytes = 2147483647;
         },
         [](StatisticsPanelTexts& t) {
             t[0] = found(kIECookies, "3", "30");
             t[6] = found(kJunk, "2147483647", "2147483647");
             t[7] = totals("2147483767", "11147483647");
         }},
        {"negative junk totals are widened with their sign",
         [](AppContext& c) {
             c.g.BrowserTotalFiles = 10;
             c.g.BrowserTotalBytes = 5000000000LL;
             c.g.JunkTotalFiles = -3;
             c.g.JunkTotalBytes = -2147483647 - 1;
         },
         [](StatisticsPanelTexts& t) { t[7] = totals("7", "2852516352"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        c.set(f.ctx);
        StatisticsPanelTexts expected = nothingFound();
        c.expect(expected);
        const StatisticsPanelTexts texts = statisticsPanelTexts(f.ctx);
        for (int i = 0; i < kStatisticsPanelLines; ++i)
            EXPECT_EQ(texts[i], expected[i]) << "line " << i;
    }
}

TEST(StatisticsPanelTest, ExampleTextsWordForWord) {
    AppFixture f;
    f.ctx.g.Found[CatIECookies] = {12, 34567};
    const StatisticsPanelTexts texts = statisticsPanelTexts(f.ctx);
    EXPECT_EQ(texts[0],
              QStringLiteral("Internet Explorer COOKIES -> FOUND 12 files, consuming 34567 bytes."));
    EXPECT_EQ(texts[4], QStringLiteral("Firefox / Chrome  CACHE   -> None found on your system."));
    EXPECT_EQ(texts[7], QStringLiteral("TOTAL FILES FOUND = 0    TOTAL BYTES WASTED = 0"));
}

TEST(StatisticsWindowTest, TopIsTheMainWindowsTopPlusItsHeightOver2Point3Rounded) {
    struct Case {
        int top, height, expected;
    };
    const Case cases[] = {
        {100, 600, 361},            // 260.87 rounds up
        {0, 0, 0},       {0, 9, 4}, // 3.91
        {0, 8, 3},                  // 3.48 rounds down
        {50, 575, 300},             // 250 exactly
        {-20, 542, 216},            // 235.65; a main window partly above the screen
        {0, 1150, 500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(statisticsWindowTop(c.top, c.height), c.expected) << c.top << " " << c.height;
}

TEST(StatisticsWindowTest, SaveConfirmsOffWritesFalseWithoutTouchingMemory) {
    AppFixture f;
    LoadSettings(f.ctx);
    ASSERT_TRUE(f.ctx.settings.Confirms);
    EXPECT_TRUE(SaveConfirmsOff(f.ctx));
    EXPECT_TRUE(f.ctx.settings.Confirms);
    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKey(settingsKeyPath(), false));
    EXPECT_EQ(reg.GetDataType(QStringLiteral("Confirms")), REG_DWORD);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Confirms")), 0);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Wipe")), 1); // the other values stay
}

TEST(StatisticsWindowTest, SaveConfirmsOffNeverCreatesTheKey) {
    AppFixture f;
    EXPECT_FALSE(SaveConfirmsOff(f.ctx));
    TRegistry reg(f.b.machine());
    EXPECT_FALSE(reg.KeyExists(settingsKeyPath()));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\Hollbrook")));
}
