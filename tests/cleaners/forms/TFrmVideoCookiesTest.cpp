#include "cleaners/forms/TFrmVideoCookies.h"

#include "cleaners/HistoryTestSupport.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

TEST(VideoCookiesWindowTest, HighlightAllThenDeleteEmptiesTheListIntoTheBin) {
    AppFixture f;
    f.ctx.g.FlashCookieFolder = q("C:\\so");
    f.b.file(q("C:\\so\\a.com\\x.sol"));
    f.b.file(q("C:\\so\\b.net\\y.sol"));
    TFrmVideoCookies window(f.ctx);
    ASSERT_TRUE(window.LoadFlashCookies());
    QListWidget* names = ctl<QListWidget>(window, "ListNameOnly");
    EXPECT_EQ(listLines(*names), QStringList({q("a.com"), q("b.net")}));
    EXPECT_EQ(listLines(*ctl<QListWidget>(window, "ListEntireFolderPath")),
              QStringList({q("C:\\so\\a.com"), q("C:\\so\\b.net")}));

    // Nothing selected: every line stays, the first current.
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(listLines(*names), QStringList({q("a.com"), q("b.net")}));
    EXPECT_EQ(names->currentRow(), 0);

    names->item(1)->setSelected(true);
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(listLines(*names), QStringList({q("a.com")}));
    EXPECT_FALSE(f.b.exists(q("C:\\so\\b.net")));
    ctl<QPushButton>(window, "CmdDeleteAll")->click();
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(names->count(), 0);
    EXPECT_EQ(ctl<QListWidget>(window, "ListEntireFolderPath")->count(), 0);
    EXPECT_FALSE(f.b.exists(q("C:\\so\\a.com")));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}
