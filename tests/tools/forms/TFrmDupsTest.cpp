#include "tools/forms/TFrmDups.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(TFrmDupsTest, PatternsListCopiesThatCanBeInspectedAndRecycled) {
    AppFixture f;
    f.b.file(q("C:\\a\\photo.jpg"), "same bytes");
    f.b.file(q("C:\\b\\copy of photo.jpg"), "same bytes");
    f.b.file(q("C:\\b\\other.jpg"), "other byte");
    f.b.times(q("C:\\b\\copy of photo.jpg"), MachineBuilder::fileTime(2024, 1, 1),
              MachineBuilder::fileTime(2024, 1, 1));
    TFrmDups window(f.ctx);
    window.show();
    QListWidget* list = ctl<QListWidget>(window, "ListBox1");

    ctl<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), q("photo.jpg   Path:C:\\a"));

    window.ListBox1Click();
    EXPECT_EQ(ctl<QLabel>(window, "LblSize")->text(), q("Byte Size: 10"));
    const QString first = ctl<QLabel>(window, "LblWrite")->text();

    // The details follow the arrow keys too.
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentRow(), 1);
    EXPECT_NE(ctl<QLabel>(window, "LblWrite")->text(), first);

    ctl<QPushButton>(window, "CmdDel")->click();
    EXPECT_FALSE(f.b.exists(q("C:\\b\\copy of photo.jpg")));
    EXPECT_EQ(list->count(), 1);
}

TEST(TFrmDupsTest, OneScanAtATimeAndReturnStopsItThenCloses) {
    AppFixture f;
    f.b.file(q("C:\\a\\x.txt"), "1");
    f.b.file(q("C:\\b\\X.TXT"), "2");
    TFrmDups window(f.ctx);
    window.show();
    QPushButton* names = ctl<QPushButton>(window, "CmdDupScan");
    int during = 0;
    f.pump.onProcess = [&] {
        if (during++ > 0) return;
        EXPECT_TRUE(window.scanning());
        EXPECT_FALSE(names->isEnabled());
        window.BitBtn1Click(); // ignored while the scan runs
        ctl<QPushButton>(window, "BitBtn4")->click();
    };
    names->click();
    EXPECT_GT(during, 0);
    EXPECT_EQ(ctl<QListWidget>(window, "ListBox1")->count(), 0);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
