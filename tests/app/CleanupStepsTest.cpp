// "Cleanup All !" without a window: the steps tell a recording panel what they grey and show.
#include "app/CleanupSteps.h"
#include "platform/WinTypes.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace niv;

namespace {

// The boxes and panel of a main window, as a log of what the run showed.
struct RecordingPanel : CleanupProgress {
    std::set<Category> boxes;
    QStringList log;
    std::set<QString> greyed;

    bool ticked(Category c) const override { return boxes.count(c) != 0; }
    void greyLine(const char* panelLine, bool grey) override {
        const QString line = QString::fromLatin1(panelLine);
        log << (grey ? QStringLiteral("grey ") : QStringLiteral("back ")) + line;
        if (grey)
            greyed.insert(line);
        else
            greyed.erase(line);
    }
    void refreshPanel() override { log << QStringLiteral("panel"); }
    void showResults() override { log << QStringLiteral("results"); }
};

struct RunFixture : AppFixture {
    RecordingPanel panel;
    const QString cacheFile = QStringLiteral(R"(C:\IE\Cache\page.htm)");

    RunFixture() {
        b.sizedFile(cacheFile, 100);
        ctx.g.IECachePaths.clear();
        ctx.g.IECachePaths[1] = QStringLiteral(R"(C:\IE\CACHE\*.*)");
        ctx.g.Found[CatIECache] = {1, 100};
    }
};

} // namespace

TEST(CleanupStepsTest, TheRunGreysAroundEachCleanerThenRefreshesAndShows) {
    struct Case {
        const char* name;
        std::set<Category> boxes;
        bool confirms;
        QStringList log;
        bool cacheLeft;
    };
    const Case cases[] = {
        {"nothing ticked", {}, false, {"panel"}, true},
        {"IE cache, Confirms on",
         {CatIECache},
         true,
         {"grey Label2", "back Label2", "panel", "results"},
         false},
        {"ActiveX with nothing found greys the junk line alone",
         {CatActiveX},
         false,
         {"grey Label7", "back Label7", "panel"},
         true},
        {"both",
         {CatIECache, CatMediac},
         false,
         {"grey Label2", "back Label2", "grey Label7", "back Label7", "panel"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        f.ctx.settings.Confirms = c.confirms;
        f.panel.boxes = c.boxes;
        RunCleanupAll(f.ctx, f.panel);
        EXPECT_EQ(f.panel.log, c.log);
        EXPECT_EQ(f.b.exists(f.cacheFile), c.cacheLeft);
        EXPECT_EQ(f.pump.count(), f.panel.log.size() - (c.confirms ? 2 : 1)); // one per greying
    }
}

TEST(CleanupStepsTest, AnErrorLeavesNoLineGreyedAndReachesTheCaller) {
    RunFixture f;
    f.ctx.settings.Confirms = true;
    f.panel.boxes = {CatIECache, CatActiveX};
    f.pump.onProcess = [] { throw PlatformError(QStringLiteral("Unable to write to C:\\x.ini")); };
    EXPECT_THROW(RunCleanupAll(f.ctx, f.panel), PlatformError);
    EXPECT_TRUE(f.panel.greyed.empty());
    EXPECT_FALSE(f.panel.log.contains(QStringLiteral("panel")));
    EXPECT_TRUE(f.b.exists(f.cacheFile)); // ended before its cleaner
}
