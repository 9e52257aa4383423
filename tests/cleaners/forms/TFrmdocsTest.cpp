#include "cleaners/forms/TFrmdocs.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString& kDocs = kDocumentKey;
const QString kNoNames = q("No viewed names are found. Your system is clean.");
const QString kCleaned = q("The trail was succesfully cleaned.");

struct DocsWindowFixture : AppFixture {
    TFrmdocs window{ctx};
    QListWidget* list() { return ctl<QListWidget>(window, "ListBox1"); }
    QString label(const char* name) { return ctl<QLabel>(window, name)->text(); }
    void click(const char* name) { ctl<QPushButton>(window, name)->click(); }
    void documents(std::initializer_list<const char*> texts) {
        int n = 0;
        for (const char* text : texts)
            b.regString(HKEY_CURRENT_USER, kDocs, QStringLiteral("Document%1").arg(++n), q(text));
    }
    QStringList documentNames() { return keyValueNames(b.machine(), HKEY_CURRENT_USER, kDocs); }
    QStringList lines() { return listLines(*list()); }
};

} // namespace

TEST(ViewedTrailsWindowTest, NothingFoundAndAClipboardOfBlanksIsTheCleanState) {
    DocsWindowFixture f;
    f.clipboard.setText(q(" \t "));
    f.window.LoadViewedTrails();
    EXPECT_EQ(f.window.windowTitle(), q("What You Viewed On Your Computer"));
    EXPECT_EQ(f.window.size(), QSize(548, 530));
    EXPECT_EQ(f.label("Lblcount"), q("Total Tracks Found = 0"));
    EXPECT_EQ(f.label("Lblinfo"), kNoNames);
    EXPECT_FALSE(f.list()->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(f.window, "Cmdhighlight")->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(f.window, "Cmdall")->isEnabled());
    EXPECT_EQ(ctl<QPlainTextEdit>(f.window, "Memo1")->toPlainText(),
              q("This track already clean. This is good!"));
    EXPECT_FALSE(ctl<QPushButton>(f.window, "BitBtn2")->isEnabled());
}

TEST(ViewedTrailsWindowTest, RemoveHighlightedUntilTheListIsEmpty) {
    DocsWindowFixture f;
    f.documents({"a.doc", "b.doc"});
    f.window.LoadViewedTrails();
    EXPECT_EQ(f.label("Lblcount"), q("Total Tracks Found = 2"));
    f.list()->setCurrentRow(1);
    f.click("Cmdhighlight");
    EXPECT_EQ(f.lines(), QStringList({q("a.doc")}));
    EXPECT_EQ(f.documentNames(), QStringList({q("Document1")}));
    EXPECT_EQ(f.label("Lblinfo"), kCleaned);
    EXPECT_EQ(f.label("Lblcount"), q("Total Tracks Found = 1"));
    EXPECT_EQ(f.list()->currentRow(), 0);

    // No line selected: nothing happens.
    f.list()->clearSelection();
    f.click("Cmdhighlight");
    EXPECT_EQ(f.lines(), QStringList({q("a.doc")}));

    f.list()->setCurrentRow(0);
    f.click("Cmdhighlight");
    EXPECT_TRUE(f.documentNames().isEmpty());
    EXPECT_EQ(f.label("Lblinfo"), kNoNames);
    EXPECT_FALSE(f.list()->isEnabled());
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(ViewedTrailsWindowTest, RemoveAllAsksThenEmptiesTheListFromTheTop) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        DocsWindowFixture f;
        f.documents({"a.doc", "b.doc", "a.doc"});
        f.window.LoadViewedTrails();
        f.dialogs.answerMessage(yes ? mrYes : mrNo);
        f.click("Cmdall");
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Information);
        EXPECT_TRUE(f.dialogs.messages()[0].text.startsWith(q("You are about to remove all the trails")));
        EXPECT_EQ(f.lines().size(), yes ? 0 : 3);
        EXPECT_EQ(f.documentNames().size(), yes ? 0 : 3);
    }
}

TEST(ViewedTrailsWindowTest, RemoveAllWithNoLineHighlightedStartsAtTheFirst) {
    DocsWindowFixture f;
    f.documents({"a.doc", "b.doc"});
    f.window.LoadViewedTrails();
    f.list()->clearSelection();
    f.dialogs.answerMessage(mrYes);
    f.click("Cmdall");
    EXPECT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_TRUE(f.lines().isEmpty());
    EXPECT_TRUE(f.documentNames().isEmpty());
}

TEST(ViewedTrailsWindowTest, ArrowKeysClearTheMessageAsAClickDoes) {
    DocsWindowFixture f;
    f.documents({"a.doc", "b.doc", "c.doc"});
    f.window.LoadViewedTrails();
    f.window.show();
    f.list()->setCurrentRow(2);
    f.click("Cmdhighlight");
    // The window's own move to the first line keeps its message.
    EXPECT_EQ(f.label("Lblinfo"), kCleaned);
    QTest::keyClick(f.list(), Qt::Key_Down);
    EXPECT_EQ(f.list()->currentRow(), 1);
    EXPECT_EQ(f.label("Lblinfo"), QString());
}

TEST(ViewedTrailsWindowTest, ClearThisTrack) {
    DocsWindowFixture f;
    f.clipboard.setText(q("\r\n secret text "));
    f.window.LoadViewedTrails();
    auto* memo = ctl<QPlainTextEdit>(f.window, "Memo1");
    EXPECT_EQ(memo->toPlainText(), q("secret text"));
    f.click("BitBtn2");
    EXPECT_TRUE(f.clipboard.hasText());
    EXPECT_EQ(f.clipboard.text(), QString());
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_EQ(f.label("Lblinfo"), kCleaned);
    EXPECT_FALSE(ctl<QPushButton>(f.window, "BitBtn2")->isEnabled());
}

TEST(ViewedTrailsWindowTest, ViewingOpensDocumentsOnly) {
    struct Case {
        const char* line;
        bool opens; // the launcher's answer
        std::optional<MsgKind> box;
        int launched;
    };
    const Case cases[] = {
        {R"(C:\docs\a.txt)", true, std::nullopt, 1},
        {R"(C:\docs\a.txt)", false, MsgKind::Warning, 1},
        {R"(C:\docs\setup.EXE)", true, MsgKind::Warning, 0},
        {R"(C:\docs\run.vbs)", true, MsgKind::Warning, 0},
        {R"(C:\docs\missing.txt)", true, MsgKind::Plain, 0},
        {R"(Real Player URL : C:\docs\a.txt)", true, MsgKind::Plain, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        DocsWindowFixture f;
        for (const char* name : {"a.txt", "setup.EXE", "run.vbs"})
            f.b.file(q(R"(C:\docs\)") + q(name), "x");
        f.b.launcher().setResult(c.opens);
        f.list()->addItem(q(c.line));
        f.list()->setCurrentRow(0);
        if (c.box) f.dialogs.answerOk();
        emit f.list()->doubleClicked(f.list()->currentIndex());
        EXPECT_EQ(f.b.launcher().calls().size(), c.launched);
        QList<MsgKind> kinds;
        for (const ShownBox& box : f.dialogs.messages())
            kinds << box.kind;
        EXPECT_EQ(kinds, c.box ? QList<MsgKind>{*c.box} : QList<MsgKind>{});
    }
}
