#include "tools/forms/TFrmDups.h"

#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(TFrmDupsTest, PatternsListCopiesThatCanBeInspectedViewedAndRecycled) {
    AppFixture f;
    f.b.file(q("C:\\a\\photo.jpg"), "same bytes");
    f.b.file(q("C:\\b\\copy of photo.jpg"), "same bytes");
    f.b.file(q("C:\\b\\other.jpg"), "other byte");
    f.b.file(q("C:\\c\\run.bat"), "same bytes");
    TFrmDups window(f.ctx);
    window.show();
    QListWidget* list = ctl<QListWidget>(window, "ListBox1");

    ctl<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), q("photo.jpg   Path:C:\\a"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(ctl<QLabel>(window, "Label3")->text().isEmpty());

    window.ListBox1Click();
    EXPECT_EQ(ctl<QLabel>(window, "LblSize")->text(), q("Byte Size: 10"));
    EXPECT_TRUE(ctl<QLabel>(window, "LblAccess")->text().startsWith(q("Last accessed: ")));

    list->setCurrentRow(2);
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "BitBtn2")->click();
    EXPECT_EQ(f.dialogs.messageTexts(),
              QStringList({q("You do not have a default viewer on your system to view this file type.")}));
    EXPECT_TRUE(f.b.launcher().calls().isEmpty());

    list->setCurrentRow(1);
    ctl<QPushButton>(window, "CmdDel")->click();
    EXPECT_FALSE(f.b.exists(q("C:\\b\\copy of photo.jpg")));
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);

    ctl<QPushButton>(window, "CmdDupScan")->click();
    EXPECT_EQ(list->count(), 0);
    f.dialogs.answerOk();
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "CmdDel")->click();
    ctl<QPushButton>(window, "BitBtn2")->click();
    EXPECT_EQ(
        f.dialogs.messageTexts().mid(1),
        QStringList({q("Please use the find button to find duplicate files on your system first."),
                     q("Your list is empty. Use the Duplicates button to find duplicate files first.")}));
}

TEST(TFrmDupsTest, OneScanAtATimeAndReturnStopsItThenCloses) {
    AppFixture f;
    f.b.file(q("C:\\a\\x.txt"), "1");
    f.b.file(q("C:\\b\\X.TXT"), "2");
    TFrmDups window(f.ctx);
    window.show();
    QPushButton* names = ctl<QPushButton>(window, "CmdDupScan");
    QPushButton* patterns = ctl<QPushButton>(window, "BitBtn1");
    int during = 0;
    f.pump.onProcess = [&] {
        if (during++ > 0) return;
        EXPECT_TRUE(window.scanning());
        EXPECT_FALSE(names->isEnabled());
        EXPECT_FALSE(patterns->isEnabled());
        window.BitBtn1Click(); // ignored while the scan runs
        ctl<QPushButton>(window, "BitBtn4")->click();
        EXPECT_TRUE(window.isVisible());
    };
    names->click();
    EXPECT_GT(during, 0);
    EXPECT_FALSE(window.scanning());
    EXPECT_TRUE(names->isEnabled());
    EXPECT_EQ(ctl<QListWidget>(window, "ListBox1")->count(), 0);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
