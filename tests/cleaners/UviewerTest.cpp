// The cache viewer's listing and opening.
#include "cleaners/Uviewer.h"

#include "cleaners/HistoryTestSupport.h"
#include "core/AppContext.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

namespace {

struct ViewerFixture : AppFixture {
    ViewerFixture() {
        for (const char* path :
             {"C:\\ie\\Pic.JPG", "C:\\ie\\noext", "C:\\ie\\Desktop.INI", "C:\\ie\\page.html",
              "C:\\ff\\Cache\\ABC.Gif", "C:\\ff\\Cache\\_CACHE_001_", "C:\\ff\\Cache\\sub\\deep.jpg",
              "C:\\ff\\Cache\\index.dat", "C:\\ff\\Cache\\x.jpe"})
            b.file(q(path));
        ctx.g.FirefoxCacheDirs[2] = q("C:\\ff\\Cache\\");
    }
};

} // namespace

TEST(CacheViewerTest, FilterExclusionsAndLowerCasedLines) {
    const struct {
        const char* name;
        const char* ieSlot1;
        bool viewableOnly;
        QStringList lines;
    } cases[] = {
        {"viewable",
         "C:\\ie\\*.*",
         true,
         {q("c:\\ie\\page.html"), q("c:\\ie\\pic.jpg"), q("c:\\ie\\pic.jpg"), q("c:\\ff\\cache\\abc.gif")}},
        {"all",
         "C:\\ie\\*.*",
         false,
         {q("c:\\ie\\noext"), q("c:\\ie\\page.html"), q("c:\\ie\\pic.jpg"), q("c:\\ie\\pic.jpg"),
          q("c:\\ff\\cache\\abc.gif"), q("c:\\ff\\cache\\index.dat"), q("c:\\ff\\cache\\sub"),
          q("c:\\ff\\cache\\x.jpe"), q("c:\\ff\\cache\\_cache_001_")}},
        // A blank first slot: no Internet Explorer slot is read.
        {"no IE", " ", true, {q("c:\\ff\\cache\\abc.gif")}},
    };
    for (const auto& c : cases) {
        ViewerFixture f;
        f.ctx.g.IECachePaths[1] = q(c.ieSlot1);
        f.ctx.g.IECachePaths[3] = q("C:\\ie\\Pic.JPG");
        const ViewerList list = FillViewerList(f.ctx, c.viewableOnly);
        EXPECT_EQ(list.lines, c.lines) << c.name;
        EXPECT_TRUE(list.anyMatched) << c.name;
    }
    ViewerFixture f;
    f.ctx.g.FirefoxCacheDirs[2] = q("C:\\missing\\");
    EXPECT_FALSE(FillViewerList(f.ctx, false).anyMatched);
    f.b.file(q("C:\\Ü\\ÄÖ.JPG"));
    QStringList lines;
    EXPECT_TRUE(AddFolderFiles(f.ctx, q("C:\\Ü\\*.*"), true, lines));
    EXPECT_EQ(lines, QStringList({q("c:\\ü\\äö.jpg")}));
}

TEST(CacheViewerTest, OpeningGivesTheIndexNoteAndRefusesWhatWouldRun) {
    ViewerFixture f;
    f.b.file(q("C:\\ff\\Cache\\setup.exe"));
    const QString note = q("The index.dat files are part of your locked files.");
    const QString cannot = q("You cannot view this file as it is not a viewable file type.");
    const struct {
        const char* line;
        bool launcherOpens;
        QStringList starts;
        int launched;
    } cases[] = {
        {"c:\\ff\\cache\\abc.gif", true, {}, 1},
        {"c:\\ff\\cache\\abc.gif", false, {cannot}, 1},
        {"c:\\ff\\cache\\index.dat", true, {note}, 1},
        {"c:\\ff\\cache\\index.dat", false, {note, cannot}, 1},
        {"c:\\ff\\cache\\setup.exe", true, {cannot}, 0},
    };
    for (const auto& c : cases) {
        f.b.launcher().clear();
        f.b.launcher().setResult(c.launcherOpens);
        const std::vector<ViewerBox> boxes = OpenCacheEntry(f.ctx, q(c.line));
        ASSERT_EQ(boxes.size(), std::size_t(c.starts.size())) << c.line;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            EXPECT_TRUE(boxes[i].text.startsWith(c.starts[qsizetype(i)])) << c.line;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            EXPECT_EQ(boxes[i].kind, boxes[i].text.startsWith(note) ? MsgKind::Plain : MsgKind::Information)
                << c.line;
        EXPECT_EQ(f.b.launcher().calls().size(), c.launched) << c.line;
    }
}
