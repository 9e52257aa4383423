// The Flash cookie unit: the walk over site folders and their recycling.
#include "cleaners/UVideoCookies.h"

#include "cleaners/HistoryTestSupport.h"
#include "core/AppContext.h"
#include "platform/FaultInjector.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <gtest/gtest.h>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

namespace {

const QString kFlash = q("C:\\fl\\#SharedObjects");

struct FlashFixture : AppFixture {
    FlashFixture() {
        ctx.g.FlashCookieFolder = kFlash;
        for (const char* path :
             {"C:\\fl\\#SharedObjects\\loose.sol", "C:\\fl\\#SharedObjects\\AB12\\site.com\\s.sol",
              "C:\\fl\\#SharedObjects\\AB12\\site.com\\inner.net\\i.sol",
              "C:\\fl\\#SharedObjects\\AB12\\nodot\\n.sol", "C:\\fl\\#SharedObjects\\z.org\\z.sol"})
            b.file(q(path));
        b.outsideFolder("elsewhere.com/keep");
        b.hostLink(q("C:\\fl\\#SharedObjects\\AB12\\link.com"), b.outside() + "/elsewhere.com");
    }
    FlashSites scan() {
        FlashSites sites;
        ScanFlashCookieFolders(ctx, kFlash, sites);
        return sites;
    }
};

} // namespace

TEST(FlashCookiesTest, WalkListsNestedSiteFoldersNeverFilesNorLinks) {
    FlashFixture f;
    const FlashSites sites = f.scan();
    EXPECT_EQ(sites.names, QStringList({q("site.com"), q("inner.net"), q("z.org")}));
    EXPECT_EQ(sites.paths, QStringList({kFlash + q("\\AB12\\site.com"),
                                        kFlash + q("\\AB12\\site.com\\inner.net"), kFlash + q("\\z.org")}));
    EXPECT_GT(f.pump.count(), 5); // after every entry
}

TEST(FlashCookiesTest, AFolderTooDeepForTheHostsHandlesIsPassedOverAndCounted) {
    FlashFixture f;
    f.b.folder(kFlash + q("\\a") + q("\\d").repeated(80));
    const FewHandles few(20);
    f.dialogs.answerOk();
    EXPECT_EQ(f.scan().names, QStringList({q("site.com"), q("inner.net"), q("z.org")}));
    ASSERT_EQ(f.dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(f.dialogs.messageTexts().front().contains(u": 1."))
        << f.dialogs.messageTexts().front().toStdString();
}

TEST(FlashCookiesTest, SelectedSitesGoToTheBinAndFailuresKeepTheirLine) {
    const struct {
        const char* name;
        std::vector<bool> selected;
        bool lockZ;
        QStringList kept;
    } cases[] = {
        {"none selected", {false, false, false}, false, {q("site.com"), q("inner.net"), q("z.org")}},
        // The inner one went with the outer one: its line goes too.
        {"all", {true, true, true}, false, {}},
        {"locked stays", {false, false, true}, true, {q("site.com"), q("inner.net"), q("z.org")}},
        {"inner only", {false, true, false}, false, {q("site.com"), q("z.org")}},
    };
    for (const auto& c : cases) {
        FlashFixture f;
        if (c.lockZ) f.b.machine().faults().fail(FaultInjector::Op::Recycle, kFlash + q("\\z.org"), 32);
        FlashSites sites = f.scan();
        RemoveFlashSites(f.ctx, sites, c.selected);
        EXPECT_EQ(sites.names, c.kept) << c.name;
        EXPECT_EQ(sites.paths.size(), sites.names.size()) << c.name;
        for (qsizetype i = 0; i < sites.paths.size(); ++i)
            EXPECT_TRUE(f.b.isFolder(sites.paths[i])) << c.name;
        EXPECT_EQ(f.b.isFolder(q("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000")), c.kept.size() < 3) << c.name;
    }
}
