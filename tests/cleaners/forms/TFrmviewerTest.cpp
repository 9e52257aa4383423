#include "cleaners/forms/TFrmviewer.h"

#include "cleaners/HistoryTestSupport.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

TEST(CacheViewerWindowTest, ViewableFirstThenReloadWithAllAndTheFilterHolds) {
    AppFixture f;
    f.b.file(q("C:\\ff\\A.JPG"));
    f.b.file(q("C:\\ff\\index.dat"));
    f.ctx.g.FirefoxCacheDirs[1] = q("C:\\ff\\");
    TFrmviewer window(f.ctx);
    QListWidget* list = ctl<QListWidget>(window, "Listbshow");
    EXPECT_EQ(window.windowTitle(), q("View Your Cache ! "));
    EXPECT_TRUE(ctl<QRadioButton>(window, "RadViewable")->isChecked());

    int count = -1;
    f.modal.onShow(q("TFrmviewer"), [&](QDialog&) {
        count = list->count();
        return int(mrOk);
    });
    window.ShowCacheViewer();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(list->currentRow(), 0);

    ctl<QRadioButton>(window, "RadAll")->setChecked(true);
    ctl<QPushButton>(window, "CmdReload")->click();
    ASSERT_EQ(list->count(), 2);
    list->setCurrentRow(1);
    window.ListbshowClick();
    EXPECT_EQ(ctl<QLabel>(window, "LblFilename")->text(), q("Name: index.dat"));
    f.dialogs.answerOk();
    window.ListbshowDblClick();
    EXPECT_TRUE(f.dialogs.messageTexts().value(0).startsWith(q("The index.dat files are part")));
    EXPECT_EQ(f.b.launcher().calls().size(), 1);

    // The next opening keeps "Show all cache files".
    window.ShowCacheViewer();
    EXPECT_EQ(count, 2);
}

TEST(CacheViewerWindowTest, AnEmptyListSaysSoThenShowsTheWindow) {
    AppFixture f;
    TFrmviewer window(f.ctx);
    f.modal.onShow(q("TFrmviewer"), [](QDialog&) { return int(mrOk); });
    f.dialogs.answerOk();
    window.ShowCacheViewer();
    EXPECT_TRUE(f.dialogs.messageTexts().value(0).startsWith(q("Your viewable cache list is empty")));
    EXPECT_EQ(f.modal.shown(), QStringList({q("TFrmviewer")}));
}

TEST(CacheViewerWindowTest, TheNameFollowsTheArrowKeys) {
    AppFixture f;
    f.b.file(q("C:\\ff\\A.JPG"));
    f.b.file(q("C:\\ff\\B.GIF"));
    f.ctx.g.FirefoxCacheDirs[1] = q("C:\\ff\\");
    TFrmviewer window(f.ctx);
    QListWidget* list = ctl<QListWidget>(window, "Listbshow");
    f.modal.onShow(q("TFrmviewer"), [&](QDialog& shown) {
        shown.show();
        QTest::keyClick(list, Qt::Key_Down);
        return int(mrOk);
    });
    window.ShowCacheViewer();
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(ctl<QLabel>(window, "LblFilename")->text(), q("Name: b.gif"));
}
