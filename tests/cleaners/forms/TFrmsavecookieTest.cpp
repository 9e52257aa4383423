#include "cleaners/forms/TFrmsavecookie.h"
#include "cleaners/IeTestSupport.h"
#include "cleaners/Usavecookies.h"
#include "platform/IniFile.h"
#include "support/Controls.h"

#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::ietest;

namespace {

// A cookie folder with two cookie files and the index file the list leaves out.
struct CookieFixture : IeFixture {
    CookieFixture() {
        b.file(q(R"(C:\Cookies\a@site.txt)"), "name\r\nvalue\r\nsite/\n");
        b.file(q(R"(C:\Cookies\b@other.txt)"), "x");
        b.file(q(R"(C:\Cookies\index.dat)"), "i");
        ctx.g.IECookiePaths[1] = q(R"(C:\Cookies\*.*)");
    }
    QString key(int n) {
        return TIniFile(b.machine(), kScanLog).ReadString(q("UCKK5"), q("CKK") + QString::number(n), q("-"));
    }
    static QStringList lines(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

} // namespace

TEST(KeptCookieListTest, WritingLeavesReadersExactlyTheNames) {
    struct Case {
        const char* log;
        QStringList names;
        QStringList keys; // CKK1.. as stored afterwards ("-" missing)
    };
    const Case cases[] = {
        {"CKK1=a\r\nCKK2=b\r\nCKK3=c\r\n", qs({"x"}), qs({"x", "", "", "-"})},
        {"CKK1=a\r\n", {}, qs({"", "-"})},
        // A gap ends the list: nothing past it is blanked.
        {"CKK1=a\r\nCKK2=b\r\nCKK3=\r\nCKK4=d\r\n", qs({"a"}), qs({"a", "", "", "d"})},
        {"", qs({"b", "b"}), qs({"b", "b", "-"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        IeFixture f;
        f.scanLog(QByteArray("[UCKK5]\r\n") + c.log);
        WriteKeptCookieList(f.ctx, c.names);
        for (int k = 1; k <= c.keys.size(); ++k)
            EXPECT_EQ(TIniFile(f.b.machine(), kScanLog)
                          .ReadString(q("UCKK5"), q("CKK") + QString::number(k), q("-")),
                      c.keys[k - 1]);
    }
    IeFixture f;
    f.scanLog("[UCKK5]\r\nCKK1=x\r\n");
    WriteKeptCookieList(f.ctx, qs({" a "})); // written as shown
    EXPECT_TRUE(f.b.readHost(kScanLog).contains("CKK1= a \r\n"));
    f.scanLog("[UCKK5]\r\nCKK1= a \r\nCKK2=b\r\nCKK3=  \r\nCKK4=d\r\n");
    EXPECT_EQ(ReadKeptCookieList(f.ctx), qs({"a", "b"}));
}

TEST(TFrmsavecookieTest, ListsTheCookiesTheKeptListAndTheFirstFilesText) {
    CookieFixture f;
    f.scanLog("[UCKK5]\r\nCKK1=kept.txt\r\nCKK2=\r\nCKK3=late.txt\r\n");
    TFrmsavecookie window(f.ctx);
    f.modal.onShow(q("TFrmsavecookie"), [&](QDialog&) {
        EXPECT_EQ(CookieFixture::lines(ctl<QListWidget>(window, "Listbox_Cookie")),
                  qs({"a@site.txt", "b@other.txt"}));
        EXPECT_EQ(CookieFixture::lines(ctl<QListWidget>(window, "Listbox_Paths")),
                  qs({R"(C:\Cookies\)", R"(C:\Cookies\)"}));
        EXPECT_EQ(CookieFixture::lines(ctl<QListWidget>(window, "Listbox_Saved_Cookies")), qs({"kept.txt"}));
        EXPECT_EQ(ctl<QPlainTextEdit>(window, "Memo1")->toPlainText(), q("name\nvalue\nsite/"));
        ctl<QListWidget>(window, "Listbox_Cookie")->setCurrentRow(1);
        EXPECT_EQ(ctl<QPlainTextEdit>(window, "Memo1")->toPlainText(), q("x"));
        return int(mrCancel);
    });
    window.fillAndShow();
    EXPECT_EQ(window.windowTitle(), q("Cookie Saver and Viewer"));
    EXPECT_FALSE(ctl<QListWidget>(window, "Listbox_Paths")->isVisibleTo(&window));
}

TEST(TFrmsavecookieTest, SavingAndRemovingAreStoredByReturnOnly) {
    for (bool byReturn : {true, false}) {
        SCOPED_TRACE(byReturn);
        CookieFixture f;
        f.scanLog("[UCKK5]\r\nCKK1=old.txt\r\nCKK2=gone.txt\r\n");
        TFrmsavecookie window(f.ctx);
        f.modal.onShow(q("TFrmsavecookie"), [&](QDialog&) {
            ctl<QPushButton>(window, "BitBtn3")->click(); // removes old.txt, the highlighted one
            ctl<QPushButton>(window, "BitBtn2")->click();
            ctl<QPushButton>(window, "BitBtn2")->click(); // the same name twice
            EXPECT_EQ(CookieFixture::lines(ctl<QListWidget>(window, "Listbox_Saved_Cookies")),
                      qs({"gone.txt", "a@site.txt", "a@site.txt"}));
            if (byReturn) ctl<QPushButton>(window, "BitBtn1")->click();
            return int(mrCancel);
        });
        window.fillAndShow();
        EXPECT_EQ(ReadKeptCookieList(f.ctx),
                  byReturn ? qs({"gone.txt", "a@site.txt", "a@site.txt"}) : qs({"old.txt", "gone.txt"}));
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

TEST(TFrmsavecookieTest, EmptyListsExplainThemselves) {
    IeFixture f; // no cookie files
    f.scanLog("");
    TFrmsavecookie window(f.ctx);
    f.modal.onShow(q("TFrmsavecookie"), [&](QDialog&) {
        EXPECT_TRUE(ctl<QPlainTextEdit>(window, "Memo1")->toPlainText().isEmpty());
        f.dialogs.answerOk();
        ctl<QPushButton>(window, "BitBtn2")->click();
        f.dialogs.answerOk();
        ctl<QPushButton>(window, "BitBtn3")->click();
        return int(mrCancel);
    });
    window.fillAndShow();
    ASSERT_EQ(f.dialogs.messageTexts().size(), 2);
    EXPECT_TRUE(f.dialogs.messageTexts()[0].startsWith(q("There are no cookies listed in the box.")));
    EXPECT_TRUE(f.dialogs.messageTexts()[1].startsWith(q("There are no cookies currently saved.")));
}

TEST(TFrmsavecookieTest, TheCookieCleanerSparesWhatReturnStored) {
    CookieFixture f;
    f.scanLog("");
    TFrmsavecookie window(f.ctx);
    f.modal.onShow(q("TFrmsavecookie"), [&](QDialog&) {
        ctl<QPushButton>(window, "BitBtn2")->click();
        ctl<QPushButton>(window, "BitBtn1")->click();
        return int(mrOk);
    });
    window.fillAndShow();
    DeleteIECookies(f.ctx);
    EXPECT_TRUE(f.exists(R"(C:\Cookies\a@site.txt)"));
    EXPECT_FALSE(f.exists(R"(C:\Cookies\b@other.txt)"));
}
