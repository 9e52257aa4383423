// Typed URLs: the registry list, its removals and the Firefox places files.
#include "cleaners/uurls.h"

#include "cleaners/HistoryTestSupport.h"
#include "core/AppContext.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

using historytest::q;

namespace {

const QString kKey = q(R"(Software\Microsoft\Internet Explorer\TypedURLs)");
const QString kDeleteFailed =
    q("A delete failed.  Please make sure that all applications are closed so the registry is not locked.");

struct UrlsFixture : AppFixture {
    // Sets url<n> := "u<n>" for each n.
    void urls(std::initializer_list<int> numbers) {
        for (int n : numbers)
            b.regString(HKEY_CURRENT_USER, kKey, q("url") + QString::number(n), q("u") + QString::number(n));
    }
    QString values() { return historytest::keyValues(b.machine(), HKEY_CURRENT_USER, kKey).join(u' '); }
    // Another program sets "name=text" values.
    void theirs(const char* pairs) {
        Machine other(MachineSettings{b.root(), b.programFolder(), q("t"), true});
        TRegistry reg(other);
        ASSERT_TRUE(reg.OpenKey(kKey, false));
        for (const QString& pair : q(pairs).split(u' ', Qt::SkipEmptyParts))
            reg.WriteString(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    }
};

} // namespace

TEST(TypedUrlsTest, ReadingStopsAtTheFirstGapOrNonTextValueAndAtAHundred) {
    struct Case {
        const char* name;
        std::function<void(UrlsFixture&)> setUp;
        int count;
    };
    const Case cases[] = {
        {"no key", [](UrlsFixture&) {}, 0},
        {"gap after three",
         [](UrlsFixture& f) {
             f.urls({1, 2, 3, 5});
         },
         3},
        {"a number in url2",
         [](UrlsFixture& f) {
             f.urls({1, 3});
             f.b.regDword(HKEY_CURRENT_USER, kKey, q("url2"), 7);
         },
         1},
        {"101 values",
         [](UrlsFixture& f) {
             for (int n = 1; n <= 101; ++n)
                 f.urls({n});
         },
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UrlsFixture f;
        c.setUp(f);
        const TypedUrlList list = LoadTypedUrls(f.ctx);
        EXPECT_EQ(list.TypedUrlCount, c.count);
        EXPECT_EQ(list.listEnabled, c.count > 0);
        EXPECT_EQ(list.lines.size(), c.count > 0 ? c.count : 1);
        EXPECT_EQ(list.lines.first(), c.count > 0 ? q("u1") : q("None Found"));
        EXPECT_EQ(list.highlighted, c.count > 0 ? 0 : -1);
    }
}

TEST(TypedUrlsTest, RemovingMovesLaterValuesDown) {
    struct Case {
        const char* name;
        int highlighted;
        const char* values;
        const char* lines;
        const char* theirs = ""; // what another program wrote after the list was read
    };
    const Case cases[] = {
        {"the second of three", 1, "url1=u1 url2=u3 url5=u5", "u1 u3"},
        {"the last", 2, "url1=u1 url2=u2 url5=u5", "u1 u2"},
        {"none highlighted", -1, "url1=u1 url2=u2 url3=u3 url5=u5", "u1 u2 u3"},
        {"moved by another program", 1, "url1=new url2=u1 url3=u3 url4=u5", "new u1 u3 u5",
         "url1=new url2=u1 url3=u2 url4=u3"},
        {"gone meanwhile", 1, "url1=u1 url2=x url3=u3 url5=u5", "u1 x u3", "url2=x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UrlsFixture f;
        f.urls({1, 2, 3, 5});
        TypedUrlList list = LoadTypedUrls(f.ctx);
        f.theirs(c.theirs);
        list.highlighted = c.highlighted;
        RemoveTypedUrl(f.ctx, list);
        EXPECT_EQ(f.values(), q(c.values));
        EXPECT_EQ(list.lines.join(u' '), q(c.lines));
        EXPECT_EQ(list.TypedUrlCount, list.lines.size());
        EXPECT_EQ(list.highlighted, c.highlighted < 0 ? -1 : 0); // doing nothing highlights nothing
    }
}

TEST(TypedUrlsTest, RemovingAllRemovesEachShownUrlAndNothingElse) {
    struct Case {
        const char* theirs; // what another program wrote after the list was read
        const char* values;
        const char* lines;
    };
    const Case cases[] = {
        {"", "url5=u5", "None Found"},
        // The gap filled and a URL put in front: neither was shown.
        {"url1=new url2=u1 url3=u2 url4=u3", "url1=new url2=u5", "new u5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theirs);
        UrlsFixture f;
        f.urls({1, 2, 3, 5});
        TypedUrlList list = LoadTypedUrls(f.ctx);
        f.theirs(c.theirs);
        RemoveAllTypedUrls(f.ctx, list);
        EXPECT_EQ(f.values(), q(c.values));
        EXPECT_EQ(list.lines.join(u' '), q(c.lines));
        if (list.listEnabled) continue;
        RemoveAllTypedUrls(f.ctx, list); // disabled: nothing
        EXPECT_EQ(f.values(), q(c.values));
    }
}

TEST(TypedUrlsTest, AFailedSaveLeavesTheRegistryAndTheListAsTheyWere) {
    // One removal or all of them: each saves the hive once, and that save fails.
    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "Remove All" : "one");
        UrlsFixture f;
        f.urls({1, 2, 3});
        TypedUrlList list = LoadTypedUrls(f.ctx);
        f.b.machine().faults().failNthHostWrite(1, 0);
        f.dialogs.answerOk();
        if (all)
            RemoveAllTypedUrls(f.ctx, list);
        else
            RemoveTypedUrl(f.ctx, list);
        EXPECT_EQ(f.dialogs.messageTexts(), QStringList{kDeleteFailed});
        EXPECT_EQ(f.values(), q("url1=u1 url2=u2 url3=u3"));
        EXPECT_EQ(list.lines.join(u' '), q("u1 u2 u3"));
        EXPECT_EQ(list.TypedUrlCount, 3);
    }
}

TEST(TypedUrlsTest, FirefoxFilesAreDeletedWhenPresent) {
    UrlsFixture f;
    f.ctx.g.FirefoxPlacesFile = q(R"(C:\ff\places.sqlite)");
    f.ctx.g.FirefoxPlacesJournalFile = q(R"(C:\ff\places.sqlite-journal)");
    f.ctx.g.FirefoxWebStoreFile = q(R"(C:\ff\webappsstore.sqlite)");
    EXPECT_FALSE(LoadTypedUrls(f.ctx).firefoxFound);
    DeleteFirefoxPlaces(f.ctx); // none there: nothing to say
    f.b.file(f.ctx.g.FirefoxPlacesFile);
    f.b.file(f.ctx.g.FirefoxWebStoreFile);
    EXPECT_TRUE(LoadTypedUrls(f.ctx).firefoxFound);
    f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, f.ctx.g.FirefoxPlacesFile, 32);
    f.dialogs.answerOk();
    DeleteFirefoxPlaces(f.ctx);
    EXPECT_EQ(f.dialogs.messageTexts(),
              QStringList{q("Note: The Firefox browser URL\"s cound not be deleted. Please "
                            "make sure your browser is closed first, then try again.")});
    EXPECT_TRUE(f.b.exists(f.ctx.g.FirefoxPlacesFile));
    EXPECT_FALSE(f.b.exists(f.ctx.g.FirefoxWebStoreFile));
}
