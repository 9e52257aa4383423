// The own-list window and its wildcard chooser.
#include "cleaners/forms/TFrmdir.h"
#include "cleaners/forms/TFrmExtension.h"

#include "cleaners/HistoryTestSupport.h"
#include "cleaners/OwnListTestSupport.h"
#include "cleaners/udir.h"
#include "platform/IniFile.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kList = q(R"(C:\Nivfold\nvscanyo.ini)");

struct DirWindowFixture : AppFixture {
    std::unique_ptr<TFrmdir> window;
    explicit DirWindowFixture(const QStringList& entries = {}, bool withFile = false) {
        b.folder(q(R"(C:\Nivfold)"));
        ctx.g.OwnListPath = kList;
        if (withFile || !entries.isEmpty()) b.file(kList, ownlisttest::ownListText(entries));
    }
    void open() { window = std::make_unique<TFrmdir>(ctx); }
    QListWidget* list() { return ctl<QListWidget>(*window, "ListBox1"); }
    void click(const char* name) { ctl<QPushButton>(*window, name)->click(); }
    QString slot(int i) {
        return GetPrivateProfileString(b.machine(), q("Dirs"), q("Name") + QString::number(i), q("?"), kList);
    }
    // The chooser: ticks the radio button (0 for none), types over it when asked, then "Return"
    // or the close box.
    void chooser(int radio, std::optional<QString> typed, bool viaReturn) {
        modal.onShow(q("TFrmExtension"), [=](QDialog& d) {
            if (radio) ctl<QRadioButton>(d, ("RadioButton" + std::to_string(radio)).c_str())->click();
            if (typed) ctl<QLineEdit>(d, "Edit1")->setText(*typed);
            if (viaReturn) ctl<QPushButton>(d, "BitBtn1")->click();
            return int(viaReturn ? mrOk : mrCancel);
        });
    }
};

} // namespace

TEST(OwnListWindowTest, FirstStartCreatesTheFileAndHasNothingToRemove) {
    DirWindowFixture f;
    f.open();
    EXPECT_EQ(f.window->windowTitle(), q("Nivora - Create your own cleanups list"));
    EXPECT_EQ(f.list()->count(), 0);
    EXPECT_EQ(f.slot(50), q("Null"));
    f.dialogs.answerOk();
    f.click("cmddel");
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{q("You must first add some directory paths.")});
}

TEST(OwnListWindowTest, AddingAFolderWithAWildcard) {
    const QString noWildcard = ownListNoWildcardText();
    struct Case {
        const char* name;
        QString folder;
        int radio;
        std::optional<QString> typed;
        bool viaReturn;
        QString entry; // "" when nothing is stored
        QStringList boxes;
    };
    const Case cases[] = {
        {"Txt preset", q(R"(C:\Temp)"), 7, {}, true, q(R"(C:\Temp\*.txt)"), {}},
        {"drive root doubles the separator", q("C:\\"), 7, {}, true, q(R"(C:\\*.txt)"), {}},
        {"all files warns", q(R"(C:\Temp)"), 3, {}, true, q(R"(C:\Temp\*.*)"), {ownListStarWarningText()}},
        {"Return trims", q(R"(C:\Temp)"), 0, q(" f*.txt "), true, q(R"(C:\Temp\f*.txt)"), {}},
        {"close box keeps blanks", q(R"(C:\Temp)"), 0, q(" a"), false, q(R"(C:\Temp\ a)"), {}},
        {"no wildcard", q(R"(C:\Temp)"), 0, {}, true, q(""), {noWildcard}},
        {"no folder", q(""), 0, {}, true, q(""), {ownListNoFolderText()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirWindowFixture f;
        f.open();
        f.dialogs.answerFolder(c.folder);
        for (qsizetype i = 0; i < c.boxes.size(); ++i)
            f.dialogs.answerOk();
        f.chooser(c.radio, c.typed, c.viaReturn);
        f.click("cmdadd");
        EXPECT_EQ(f.dialogs.messageTexts(), c.boxes);
        EXPECT_EQ(f.slot(1), c.entry.isEmpty() ? q("Null") : c.entry);
        EXPECT_EQ(listLines(*f.list()), c.entry.isEmpty() ? QStringList{} : QStringList{c.entry});
    }
}

TEST(OwnListWindowTest, AddingOneFile) {
    DirWindowFixture f;
    f.open();
    f.dialogs.answerOpenFile(std::nullopt);
    f.click("BitBtn1");
    f.dialogs.answerOpenFile(q(""));
    f.dialogs.answerOk();
    f.click("BitBtn1");
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{ownListNoFileText()});
    f.dialogs.answerOpenFile(q(R"(C:\docs\a.doc)"));
    f.click("BitBtn1");
    EXPECT_EQ(listLines(*f.list()), QStringList{q(R"(C:\docs\a.doc)")});
    EXPECT_EQ(f.slot(1), q(R"(C:\docs\a.doc)"));
}

TEST(OwnListWindowTest, RemovingFreesTheSlotAndTheNextEntryTakesItAtTheBottom) {
    DirWindowFixture f({q("a"), q("b"), q("c")});
    f.open();
    f.list()->setCurrentRow(1);
    f.dialogs.answerNo();
    f.dialogs.answerOk();
    f.click("cmddel");
    EXPECT_EQ(f.dialogs.messageTexts().last(), q("Delete canceled."));
    f.list()->setCurrentRow(1);
    f.dialogs.answerYes();
    f.click("cmddel");
    EXPECT_EQ(f.slot(2), q("Null"));
    f.dialogs.answerOpenFile(q("d"));
    f.click("BitBtn1");
    EXPECT_EQ(f.slot(2), q("d"));
    EXPECT_EQ(listLines(*f.list()), (QStringList{q("a"), q("c"), q("d")}));
    EXPECT_EQ(f.list()->currentRow(), 0);
}

TEST(OwnListWindowTest, AFullListSaysSoOnceAndAMissingEntryIsReported) {
    QStringList fifty;
    for (int i = 1; i <= 50; ++i)
        fifty << q("e") + QString::number(i);
    DirWindowFixture f(fifty);
    f.open();
    const QByteArray before = f.b.readHost(kList);
    f.dialogs.answerOpenFile(q("more"));
    f.dialogs.answerOk();
    f.click("BitBtn1");
    EXPECT_EQ(f.b.readHost(kList), before);
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{ownListFullText()});
    EXPECT_EQ(f.list()->count(), 50);
    // Changed from outside since the list was read: the line is not found.
    f.b.file(kList, "[Dirs]\r\nName1=Null\r\n");
    f.dialogs.answerYes();
    f.dialogs.answerOk();
    f.click("cmddel");
    EXPECT_EQ(f.dialogs.messageTexts().last(), ownListNotFoundText());
    EXPECT_EQ(f.list()->count(), 50);
}

TEST(OwnListWindowTest, AListFileThatCannotBeWrittenIsNamedAndTheListStaysAsItWas) {
    DirWindowFixture f({}, true);
    f.b.machine().faults().fail(FaultInjector::Op::Rename, q(R"(C:\Nivfold\*)"), 5);
    f.b.machine().faults().fail(FaultInjector::Op::Write, q(R"(C:\Nivfold\*)"), 5);
    f.open();
    f.dialogs.answerOpenFile(q("x"));
    f.dialogs.answerOk();
    f.click("BitBtn1");
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{q("Unable to write to ") + kList});
    EXPECT_EQ(f.list()->count(), 0);
}

TEST(OwnListWindowTest, AClickOnTheChosenPresetKeepsWhatWasTyped) {
    AppFixture f;
    TFrmExtension chooser(f.ctx);
    auto* edit = ctl<QLineEdit>(chooser, "Edit1");
    auto* all = ctl<QRadioButton>(chooser, "RadioButton3");
    f.dialogs.answerOk();
    all->click();
    EXPECT_EQ(edit->text(), q("*.*"));
    edit->setText(q("f*.*"));
    all->click();
    EXPECT_EQ(edit->text(), q("f*.*"));
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{ownListStarWarningText()});
    ctl<QRadioButton>(chooser, "RadioButton7")->click();
    EXPECT_EQ(edit->text(), q("*.txt"));
}
