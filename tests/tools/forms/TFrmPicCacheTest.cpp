#include "tools/forms/TFrmPicCache.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(TFrmPicCacheTest, SearchShowsDetailsAndRecyclesOnlyTheSelected) {
    AppFixture f;
    f.ctx.g.DocumentsFolder = q("C:\\users\\tester\\Documents");
    for (const char* name : {"a.jpg", "b\\c.PNG", "setup.exe"})
        f.b.file(q("C:\\users\\tester\\Documents\\") + q(name), "123");
    TFrmPicCache window(f.ctx);
    window.show();
    QListWidget* list = ctl<QListWidget>(window, "ListBox1");

    ctl<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(ctl<QLabel>(window, "LblTotal")->text(), q("Total Files = 2  Total Bytes Wasted = 6"));

    // The details follow the arrow keys too.
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentRow(), 1);
    EXPECT_EQ(ctl<QLabel>(window, "Label2")->text(), q("File Number: 2"));

    const QString picked = list->item(1)->text();
    list->item(1)->setSelected(true);
    ctl<QPushButton>(window, "CmdRemove")->click();
    EXPECT_EQ(list->count(), 1);
    EXPECT_FALSE(f.b.exists(picked));

    // A program found among the misc items is never started.
    ctl<QRadioButton>(window, "RadMisc")->setChecked(true);
    ctl<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(list->count(), 1);
    f.dialogs.answerOk();
    window.ListBox1DblClick();
    EXPECT_EQ(f.dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(f.b.launcher().calls().isEmpty());
}

TEST(TFrmPicCacheTest, TheBusyPictureStopsTheSearchAndASecondOneWaits) {
    AppFixture f;
    f.ctx.g.DocumentsFolder = q("C:\\docs");
    for (int i = 0; i < 5; ++i)
        f.b.file(q("C:\\docs\\d%1\\p.jpg").arg(i), "1");
    TFrmPicCache window(f.ctx);
    window.show();
    int during = 0;
    f.pump.onProcess = [&] {
        // Messages go through once before the busy picture shows.
        if (!ctl<QToolButton>(window, "Image1")->isVisible() || during++ > 0) return;
        EXPECT_TRUE(window.searching());
        window.BitBtn1Click(); // no second search
        ctl<QToolButton>(window, "Image1")->click();
    };
    ctl<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(during, 1);
    EXPECT_LT(ctl<QListWidget>(window, "ListBox1")->count(), 5);
}

} // namespace
