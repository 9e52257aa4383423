// The Junk Files window and the AOL tracks window.
#include "cleaners/forms/TFrmnon.h"
#include "cleaners/forms/TFrmaol.h"
#include "cleaners/forms/TFrmdir.h"
#include "cleaners/forms/TFrmurls.h"
#include "cleaners/unon.h"
#include "core/AppContext.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

const QString kNothingDeleted = q("Nothing deleted from your system.");
const QString kAolCleaned =
    q("All tracks have been successfully cleaned. (To be sure all are cleaned, in the future make sure your "
      "AOL software is closed by clicking the X in the upper right hand corner of the AOL software before "
      "running this cleanup).");

struct WindowFixture : AppFixture {
    std::unique_ptr<TFrmaol> aol;
    std::unique_ptr<TFrmnon> window;

    WindowFixture() {
        ctx.g.WindowsFolder = q(R"(C:\windows)");
        ctx.g.RecentFolder = q(R"(C:\users\tester\Recent)");
        ctx.g.ScanLogPath = q(R"(C:\Nivfold\nvscan7.ini)");
        ctx.unit<NonUnit>().ConfirmsCopy = true;
    }
    void create() {
        aol = std::make_unique<TFrmaol>(ctx);
        window = std::make_unique<TFrmnon>(ctx);
        window->setAolWindow(aol.get());
    }
    QString label(const char* name) const { return ctl<QLabel>(*window, name)->text(); }
    void click(const char* button) { ctl<QPushButton>(*window, button)->click(); }
};

} // namespace

TEST(TFrmnonTest, CleanupButtonsStoreTheNoFilesLineOrAskFirst) {
    struct Case {
        const char* button;
        int slot;
        const char* noFiles;
        const char* file; // one file of the row's category, 4 bytes
    };
    const Case cases[] = {
        {"CmdActivex", ResultActiveX, "ACTIVEX/JAVA APPLETS -> There were no files found on your system.",
         nullptr},
        {"cmdindex", ResultDump, "DUMP FILES -> There were no files found on your system.",
         R"(C:\windows\memory.dmp)"},
        {"cmdtemp", ResultTemp, "TEMP FILES -> There were no files found on your system.",
         R"(C:\users\tester\AppData\Local\Temp\a.tmp)"},
        {"cmdstart", ResultRecent, "RECENT DOC FILES -> There were no files found on your system.",
         R"(C:\users\tester\Recent\a.lnk)"},
        {"CmdMCache", ResultMedia, "MEDIA CACHE -> There were no files found on your system.", nullptr},
        {"Cmdother", ResultAdditional, "There were no files found on your system.", R"(C:\FILE0000.CHK)"},
    };
    for (const Case& c : cases) {
        for (int answer : {mrNone, mrNo, mrYes}) { // mrNone: nothing found
            if (answer != mrNone && !c.file) continue;
            SCOPED_TRACE(std::string(c.button) + " " + std::to_string(answer));
            WindowFixture f;
            if (answer != mrNone) f.b.sizedFile(q(c.file), 4);
            f.create();
            f.ctx.unit<NonUnit>().ConfirmsCopy = false; // the no-files line does not ask it
            if (answer != mrNone) f.dialogs.answerMessage(answer);
            if (answer == mrNo) f.dialogs.answerOk();
            f.click(c.button);

            const QStringList texts = f.dialogs.messageTexts();
            if (answer == mrNone) {
                EXPECT_TRUE(texts.isEmpty());
                EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], q(c.noFiles));
                continue;
            }
            ASSERT_GE(texts.size(), 1);
            EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Confirmation);
            EXPECT_EQ(texts[0], q("1 files were found on your system.  This consumes 4 bytes on your hard "
                                  "drive.  Would you like me to remove these files for you?"));
            EXPECT_EQ(texts.size() == 2 && texts[1] == kNothingDeleted, answer == mrNo);
            EXPECT_EQ(f.b.exists(q(c.file)), answer == mrNo);
            EXPECT_EQ(f.label("Label7").endsWith(q("TOTAL BYTES WASTED = 0")), answer == mrYes);
        }
    }
}

TEST(TFrmnonTest, CleanupAllRunsTheRowsInItsOrderAndEndsWithTheAolDelete) {
    WindowFixture f;
    f.b.sizedFile(q(R"(C:\windows\memory.dmp)"), 10);
    f.b.sizedFile(q(R"(C:\users\tester\AppData\Local\Temp\a.tmp)"), 20);
    f.b.sizedFile(q(R"(C:\FILE0000.CHK)"), 30);
    f.b.file(f.ctx.g.ScanLogPath, "[AL13]\r\nP1=C:\\aol\\\r\n");
    f.b.file(q(R"(C:\aol\a.arl)"), "http://a/ AOL:b" + QByteArray(80, ' ') + "AOL:c");
    f.create();
    EXPECT_EQ(items(ctl<QListWidget>(*f.aol, "ListAOLURLs")).size(), 2);
    EXPECT_EQ(ctl<QLabel>(*f.aol, "LblAOLurls")->text(), q("Count = 2"));
    for (int i = 0; i < 3; ++i)
        f.dialogs.answerYes();
    f.dialogs.answerOk(); // the AOL window's message
    f.click("CmdCleanAll");

    EXPECT_EQ(
        f.dialogs.messageTexts(),
        (QStringList{q("1 files were found on your system.  This consumes 10 bytes on your hard drive.  "
                       "Would you like me to remove these files for you?"),
                     q("1 files were found on your system.  This consumes 20 bytes on your hard drive.  "
                       "Would you like me to remove these files for you?"),
                     q("1 files were found on your system.  This consumes 30 bytes on your hard drive.  "
                       "Would you like me to remove these files for you?"),
                     kAolCleaned}));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultActiveX],
              q("ACTIVEX/JAVA APPLETS -> There were no files found on your system."));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultRecycle], q("Recycle Bin has been cleaned."));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultTemp], q("1 files out of 1 files have been deleted."));
    EXPECT_FALSE(f.b.exists(q(R"(C:\aol\a.arl)")));
    EXPECT_EQ(ctl<QLabel>(*f.aol, "LblAOLurls")->text(), q("Count = 0"));
    EXPECT_TRUE(f.modal.shown().isEmpty()); // the AOL window is not shown

    // A second run: no questions, and the AOL delete has nothing left to say.
    f.click("CmdCleanAll");
    EXPECT_EQ(f.dialogs.messageTexts().size(), 4);
}

TEST(TFrmnonTest, SummaryLinesAndTheTempView) {
    WindowFixture f;
    f.b.sizedFile(q(R"(C:\users\tester\AppData\Local\Temp\a.tmp)"), 5);
    f.b.sizedFile(q(R"(C:\windows\temp\b.tmp)"), 6);
    f.create();
    EXPECT_EQ(f.label("Label5"),
              q("TEMP FILES           -> 2 files consuming 11 bytes of storage were FOUND."));
    EXPECT_EQ(f.label("Label9"), q("RECYCLE BIN FILES    -> Waiting to be cleaned."));
    EXPECT_EQ(f.label("Label7"), q("TOTAL FILES FOUND = 2  TOTAL BYTES WASTED = 11"));

    QListWidget* list = ctl<QListWidget>(*f.window, "ListBox1");
    EXPECT_TRUE(list->isHidden());
    f.click("BitBtn1");
    EXPECT_FALSE(list->isHidden());
    const QString head =
        q("(Your temp files are shown below. Click your view button again to toggle back to your "
          "previous view)");
    EXPECT_EQ(items(list), (QStringList{head, q("  "), q(R"(C:\users\tester\AppData\Local\Temp\a.tmp)"),
                                        q(R"(C:\windows\temp\b.tmp)")}));
    f.click("BitBtn1");
    EXPECT_TRUE(list->isHidden());
}

TEST(TFrmaolTest, NothingFoundShowsTheCleanLineAndDeletesNothing) {
    WindowFixture f;
    f.create();
    EXPECT_EQ(items(ctl<QListWidget>(*f.aol, "ListAOLURLs")),
              QStringList{q("None Found. This area is already clean.")});
    EXPECT_EQ(ctl<QLabel>(*f.aol, "LblAOLurls")->text(), q("Count = 0"));
    ctl<QPushButton>(*f.aol, "BitBtn2")->click();
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(TFrmaolTest, AnUnreadableTrackFileShowsTheErrorAndLeavesTheCountEmpty) {
    WindowFixture f;
    f.b.file(f.ctx.g.ScanLogPath, "[AL13]\r\nP1=C:\\aol\\\r\n");
    f.b.file(q(R"(C:\aol\a.arl)"), "http://a/ AOL:b");
    f.b.file(q(R"(C:\aol\b.arl)"), "http://c/");
    f.b.machine().faults().fail(FaultInjector::Op::Open, q(R"(C:\aol\b.arl)"), ERROR_ACCESS_DENIED);
    f.dialogs.answerOk();
    f.create();
    EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.messageTexts()[0], q(R"(Cannot open file "C:\aol\b.arl". Access was refused.)"));
    EXPECT_EQ(items(ctl<QListWidget>(*f.aol, "ListAOLURLs")), QStringList{q("http://a/ AOL:b...")});
    EXPECT_EQ(ctl<QLabel>(*f.aol, "LblAOLurls")->text(), q("Count = "));
}

TEST(TFrmnonTest, CentredWindowsShowInTheCentreOfTheScreenAtTheirSize) {
    WindowFixture f;
    f.create();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (QDialog* window : {static_cast<QDialog*>(f.window.get()), static_cast<QDialog*>(f.aol.get())}) {
        SCOPED_TRACE(window->metaObject()->className());
        window->resize(300, 200); // a saved size, applied after creation
        window->move(0, 0);
        window->show();
        EXPECT_EQ(window->frameGeometry().center(), screen.center());
        window->hide();
    }
    // Windows that restore a saved size are centred at it.
    f.b.file(f.ctx.g.ScanLogPath, "[Frmdir]\r\nW=640\r\nH=420\r\n[Frmurls]\r\nW=640\r\nH=420\r\n");
    f.ctx.g.OwnListPath = q(R"(C:\Nivfold\nvscanyo.ini)");
    TFrmdir dir(f.ctx);
    TFrmurls urls(f.ctx);
    for (QDialog* window : {static_cast<QDialog*>(&dir), static_cast<QDialog*>(&urls)}) {
        SCOPED_TRACE(window->metaObject()->className());
        window->show();
        EXPECT_EQ(window->size(), QSize(640, 420));
        EXPECT_EQ(window->frameGeometry().center(), screen.center());
        window->hide();
    }
}
