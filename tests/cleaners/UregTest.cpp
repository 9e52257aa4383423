#include "cleaners/Ureg.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kAssistant = q(R"(SOFTWARE\Microsoft\Search Assistant\ACMRu\)");

struct MruFixture : AppFixture {
    explicit MruFixture(bool xp = true) { ctx.g.IsWindowsXP = xp; }
    void text(const QString& key, const char* name, const char* value) {
        b.regString(HKEY_CURRENT_USER, key, q(name), q(value));
    }
    MruLines load() {
        QStringList assistant;
        ReadMruHistory(ctx, assistant);
        return ListedMruLines(ctx, assistant);
    }
    QStringList names(const QString& key) { return keyValueNames(b.machine(), HKEY_CURRENT_USER, key); }
};

} // namespace

TEST(SearchHistoryTest, ListsRunThenAssistantThenFindAsRead) {
    MruFixture f;
    f.text(kRunKey, "MRUList", "ba");
    f.text(kRunKey, "b", " notepad\\1 ");
    f.text(kRunKey, "a", "cmd\\1");
    f.text(kRunKey, "z", "calc");
    f.text(kFindKey, "a", "*.doc");
    f.text(kAssistant + q("5603"), "000", " Holiday \t");
    f.text(kAssistant + q("5603"), "001", "  ");
    const MruLines lines = f.load();
    EXPECT_EQ(lines.run, QStringList({q("cmd\\1"), q(" notepad\\1 "), q("calc")}));
    EXPECT_EQ(lines.find, QStringList({q("Holiday"), q("*.doc")}));
    EXPECT_EQ(f.ctx.unit<RegUnit>().MruSlots[2], q(" notepad\\1 "));
}

TEST(SearchHistoryTest, AssistantOnlyOnWindowsXpAndOnlyItsFirst26Subkeys) {
    for (const bool xp : {true, false}) {
        SCOPED_TRACE(xp);
        MruFixture f(xp);
        for (int n = 1; n <= 27; ++n)
            f.b.regString(HKEY_CURRENT_USER, kAssistant + QStringLiteral("k%1").arg(n, 2, 10, QChar(u'0')),
                          QStringLiteral("v"), QStringLiteral("s%1").arg(n));
        const QStringList find = f.load().find;
        EXPECT_EQ(find.size(), xp ? 26 : 0);
        EXPECT_FALSE(find.contains(q("s27")));
        // Removal searches no further than the listing.
        EXPECT_FALSE(RemoveMruEntry(f.ctx, MruList::Find, q("s27")));
        EXPECT_EQ(RemoveMruEntry(f.ctx, MruList::Find, q("S26 ")), xp);
    }
}

TEST(SearchHistoryTest, RemovalDeletesOneEqualValue) {
    struct Case {
        MruList list;
        const char* line;
        bool deleted;
        const char* left; // value names of Run, Find and the first Search Assistant subkey
    };
    const Case cases[] = {
        {MruList::Run, "x", true, "MRUList b c|a b|1 2"},     // the first of two letters; MRUList untouched
        {MruList::Run, "X", false, "MRUList a b c|a b|1 2"},  // exact
        {MruList::Run, "Y ", false, "MRUList a b c|a b|1 2"}, // never in the Search Assistant
        {MruList::Find, "q", true, "MRUList a b c|b|1 2"},    // the Find list comes first
        {MruList::Find, " Y", true, "MRUList a b c|a b|"},    // case and blanks aside, every equal value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        MruFixture f;
        f.text(kRunKey, "MRUList", "abc");
        f.text(kRunKey, "a", "x");
        f.text(kRunKey, "b", "x");
        f.text(kRunKey, "c", "y");
        f.text(kFindKey, "a", "q");
        f.text(kFindKey, "b", "*.doc");
        f.text(kAssistant + q("first"), "1", "y");
        f.text(kAssistant + q("first"), "2", "Y ");
        f.text(kAssistant + q("second"), "1", "q");
        f.text(kAssistant + q("second"), "2", "y");
        f.load();
        EXPECT_EQ(RemoveMruEntry(f.ctx, c.list, q(c.line)), c.deleted);
        const QStringList left = {f.names(kRunKey).join(u' '), f.names(kFindKey).join(u' '),
                                  f.names(kAssistant + q("first")).join(u' ')};
        EXPECT_EQ(left.join(u'|'), q(c.left));
        // The walk ends after the first subkey with a deletion.
        EXPECT_EQ(f.names(kAssistant + q("second")), QStringList({q("1"), q("2")}));
    }
}
