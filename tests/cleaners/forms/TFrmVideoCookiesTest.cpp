#include "cleaners/forms/TFrmVideoCookies.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QStringList lines(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.item(i)->text());
    return out;
}

} // namespace

TEST(VideoCookiesWindowTest, HighlightAllThenDeleteEmptiesTheListIntoTheBin) {
    AppFixture f;
    f.ctx.g.FlashCookieFolder = q("C:\\so");
    f.b.file(q("C:\\so\\a.com\\x.sol"));
    f.b.file(q("C:\\so\\b.net\\y.sol"));
    TFrmVideoCookies window(f.ctx);
    ASSERT_TRUE(window.LoadFlashCookies());
    QListWidget* names = ctl<QListWidget>(window, "ListNameOnly");
    EXPECT_EQ(lines(*names), QStringList({q("a.com"), q("b.net")}));
    EXPECT_EQ(lines(*ctl<QListWidget>(window, "ListEntireFolderPath")),
              QStringList({q("C:\\so\\a.com"), q("C:\\so\\b.net")}));

    // Nothing selected: every line stays, the first current.
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(lines(*names), QStringList({q("a.com"), q("b.net")}));
    EXPECT_EQ(names->currentRow(), 0);

    names->item(1)->setSelected(true);
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(lines(*names), QStringList({q("a.com")}));
    EXPECT_FALSE(f.b.exists(q("C:\\so\\b.net")));
    ctl<QPushButton>(window, "CmdDeleteAll")->click();
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(names->count(), 0);
    EXPECT_EQ(ctl<QListWidget>(window, "ListEntireFolderPath")->count(), 0);
    EXPECT_FALSE(f.b.exists(q("C:\\so\\a.com")));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(VideoCookiesWindowTest, AnEmptyFolderListsNothingAndAMissingOneSaysSo) {
    AppFixture f;
    f.ctx.g.FlashCookieFolder = q("C:\\so");
    f.b.folder(q("C:\\so"));
    TFrmVideoCookies window(f.ctx);
    EXPECT_TRUE(window.LoadFlashCookies());
    EXPECT_EQ(ctl<QListWidget>(window, "ListNameOnly")->count(), 0);
    f.ctx.g.FlashCookieFolder.clear();
    f.dialogs.answerOk();
    EXPECT_FALSE(window.LoadFlashCookies());
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList({q("No video cookie location exists on your system")}));
}
