#include "cleaners/forms/TFrmIM.h"

#include "cleaners/HistoryTestSupport.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

TEST(InstantMessagesWindowTest, RemoveKeepsTheLineOfALogThatCannotGo) {
    AppFixture f;
    f.ctx.g.ScanLogPath = q("C:\\nv.ini");
    f.b.file(q("C:\\nv.ini"), "[APRO25]\r\nP1=C:\\ap\\\r\n");
    f.b.file(q("C:\\ap\\a.HTM"));
    f.b.file(q("C:\\ap\\b.HTM"));
    TFrmIM window(f.ctx);
    window.FillInstantMessageList();
    QListWidget* list = ctl<QListWidget>(window, "ListBox1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(window.windowTitle(), q("Instant Messages Sent or Received"));

    list->setCurrentRow(1);
    window.ListBox1Click();
    EXPECT_EQ(ctl<QLabel>(window, "LblName")->text(), q("b.HTM"));
    f.b.dropWriteBits(q("C:\\ap\\b.HTM"));
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "CmdDel")->click();
    EXPECT_EQ(list->count(), 2);
    EXPECT_TRUE(f.dialogs.messageTexts().value(0).startsWith(q("Instant Message C:\\ap\\b.HTM could not")));

    list->setCurrentRow(0);
    ctl<QPushButton>(window, "CmdDel")->click();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), q("AIMPRO :C:\\ap\\b.HTM"));
    EXPECT_FALSE(f.b.exists(q("C:\\ap\\a.HTM")));

    ctl<QPushButton>(window, "CmdView")->click();
    EXPECT_EQ(f.b.launcher().calls().size(), 1);
}

TEST(InstantMessagesWindowTest, AnEmptyListAnswersViewAndRemove) {
    AppFixture f;
    TFrmIM window(f.ctx);
    window.FillInstantMessageList();
    f.dialogs.answerOk();
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "CmdView")->click();
    ctl<QPushButton>(window, "CmdDel")->click();
    const QString none = q("There are no instant messages or old instant messages found in your list.");
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList({none, none}));
}

TEST(InstantMessagesWindowTest, TheNameFollowsTheArrowKeys) {
    AppFixture f;
    f.ctx.g.ScanLogPath = q("C:\\nv.ini");
    f.b.file(q("C:\\nv.ini"), "[APRO25]\r\nP1=C:\\ap\\\r\n");
    f.b.file(q("C:\\ap\\a.HTM"));
    f.b.file(q("C:\\ap\\b.HTM"));
    TFrmIM window(f.ctx);
    window.FillInstantMessageList();
    window.show();
    QListWidget* list = ctl<QListWidget>(window, "ListBox1");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(ctl<QLabel>(window, "LblName")->text(), q("b.HTM"));
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(ctl<QLabel>(window, "LblName")->text(), q("a.HTM"));
}
