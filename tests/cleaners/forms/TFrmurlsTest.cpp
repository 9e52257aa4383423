// The typed-URL window.
#include "cleaners/forms/TFrmurls.h"

#include "cleaners/HistoryTestSupport.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kKey = q(R"(Software\Microsoft\Internet Explorer\TypedURLs)");

struct UrlsWindowFixture : AppFixture {
    std::unique_ptr<TFrmurls> window;
    void urls(int count) {
        for (int n = 1; n <= count; ++n)
            b.regString(HKEY_CURRENT_USER, kKey, q("url") + QString::number(n), q("u") + QString::number(n));
    }
    void open() { window = std::make_unique<TFrmurls>(ctx); }
    QListWidget* list() { return ctl<QListWidget>(*window, "ListBox1"); }
    QPushButton* button(const char* name) { return ctl<QPushButton>(*window, name); }
};

} // namespace

TEST(TypedUrlsWindowTest, NothingFound) {
    UrlsWindowFixture f;
    f.open();
    EXPECT_EQ(f.window->windowTitle(), q("Web Browser Locations URL's "));
    EXPECT_EQ(listLines(*f.list()), QStringList{q("None Found")});
    for (QWidget* w :
         {static_cast<QWidget*>(f.list()), static_cast<QWidget*>(f.button("cmdie2")),
          static_cast<QWidget*>(f.button("CmdIEAll")), static_cast<QWidget*>(f.button("CmdFirefox"))})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(ctl<QLabel>(*f.window, "LblFirefox")->text(), q("No Firefox browser URL\"s were found"));
}

TEST(TypedUrlsWindowTest, RemoveHighlightedAsksAndRemoveAllEmptiesTheList) {
    UrlsWindowFixture f;
    f.urls(3);
    f.ctx.g.FirefoxWebStoreFile = q(R"(C:\ff\webappsstore.sqlite)");
    f.b.file(f.ctx.g.FirefoxWebStoreFile);
    f.open();
    EXPECT_TRUE(f.button("CmdFirefox")->isEnabled());
    f.list()->setCurrentRow(1);
    f.dialogs.answerNo();
    f.dialogs.answerOk();
    f.button("cmdie2")->click();
    EXPECT_EQ(f.dialogs.messageTexts(), (QStringList{q("Do you wish to delete the IE location, u2, which is "
                                                       "highlighted?"),
                                                     q("No locations removed at this time.")}));
    f.list()->setCurrentRow(1);
    f.dialogs.answerYes();
    f.button("cmdie2")->click();
    EXPECT_EQ(listLines(*f.list()), (QStringList{q("u1"), q("u3")}));
    EXPECT_EQ(keyValues(f.b.machine(), HKEY_CURRENT_USER, kKey), (QStringList{q("url1=u1"), q("url2=u3")}));
    f.button("CmdIEAll")->click();
    EXPECT_EQ(listLines(*f.list()), QStringList{q("None Found")});
    EXPECT_FALSE(f.button("CmdIEAll")->isEnabled());
    EXPECT_TRUE(keyValues(f.b.machine(), HKEY_CURRENT_USER, kKey).isEmpty());
    f.button("CmdFirefox")->click();
    EXPECT_FALSE(f.b.exists(f.ctx.g.FirefoxWebStoreFile));
}
