// The own list: its file, its entries and its clean.
#include "cleaners/udir.h"

#include "cleaners/OwnListTestSupport.h"
#include "core/AppContext.h"
#include "platform/IniFile.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const QString kList = q(R"(C:\Nivfold\nvscanyo.ini)");

struct OwnListFixture : AppFixture {
    OwnListFixture() {
        b.folder(q(R"(C:\Nivfold)"));
        ctx.g.OwnListPath = kList;
    }
    // A list file whose slots hold `values` from Name1 on, the rest "Null".
    void list(const QStringList& values) { b.file(kList, ownlisttest::ownListText(values)); }
    QString slot(int i) {
        return GetPrivateProfileString(b.machine(), q("Dirs"), q("Name") + QString::number(i), q("<missing>"),
                                       kList);
    }
};

} // namespace

TEST(OwnListTest, AMissingFileIsCreatedWithFiftyFreeSlots) {
    OwnListFixture f;
    EXPECT_TRUE(LoadOwnList(f.ctx).isEmpty());
    EXPECT_EQ(f.b.readHost(kList), ownlisttest::ownListText({}));
}

TEST(OwnListTest, OnlyNullIsFreeAndEmptySlotsAreEntries) {
    OwnListFixture f;
    f.b.file(kList, "[Dirs]\r\nName1=C:\\a\\*.txt\r\nName2=Null\r\nName3=\r\nName4=null\r\nName51=C:\\x\r\n");
    // Name3 empty and Name5..Name50 missing read as empty entries; "null" is an entry too.
    QStringList expected{q(R"(C:\a\*.txt)"), q(""), q("null")};
    for (int i = 5; i <= 50; ++i)
        expected << q("");
    EXPECT_EQ(LoadOwnList(f.ctx), expected);

    EXPECT_TRUE(AddOwnListEntry(f.ctx, q(R"(C:\b\*.*)")));
    EXPECT_EQ(f.slot(2), q(R"(C:\b\*.*)"));
    EXPECT_FALSE(AddOwnListEntry(f.ctx, q(R"(C:\c\*.*)"))); // empty slots are never reused
    // Removing the empty line frees the first empty slot.
    EXPECT_TRUE(RemoveOwnListEntry(f.ctx, q("")));
    EXPECT_EQ(f.slot(3), q("Null"));
}

TEST(OwnListTest, AddingAndRemovingByExactText) {
    OwnListFixture f;
    f.list({q(R"(C:\Temp\*.txt)"), q(R"(C:\\*.txt)"), q(R"(C:\Temp\*.txt)")});
    EXPECT_FALSE(RemoveOwnListEntry(f.ctx, q(R"(c:\temp\*.txt)"))); // case-sensitive
    EXPECT_TRUE(RemoveOwnListEntry(f.ctx, q(R"(C:\Temp\*.txt)")));  // the first equal slot
    EXPECT_EQ(f.slot(1), q("Null"));
    EXPECT_EQ(f.slot(3), q(R"(C:\Temp\*.txt)"));
    EXPECT_TRUE(AddOwnListEntry(f.ctx, q(R"(C:\file.doc)")));
    EXPECT_EQ(f.slot(1), q(R"(C:\file.doc)"));
}

TEST(OwnListTest, CleaningCountsAsksAndDeletesVisibleFilesOnly) {
    struct Case {
        const char* name;
        int answer;
        QStringList boxes;
        bool deleted;
    };
    const QString question =
        q("\"Your Own Files\" cleanup confirmation: 3 total files have been found matching "
          "your entries.  This totals 30 bytes. Would you like me to clean these?");
    const Case cases[] = {
        {"yes",
         mrYes,
         {question,
          q("\"Your Own Files\" cleanup confirmed: 1 files out of 2 files have been deleted. (If all "
            "files were not deleted, it is due to the files being hidden files, system files, or in "
            "use at the time by another application.).")},
         true},
        {"no", mrNo, {question, q("No files deleted in the \"Your Own Files\" section.")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnListFixture f;
        f.b.sizedFile(q(R"(C:\x\a.txt)"), 10);
        f.b.sizedFile(q(R"(C:\x\b.log)"), 7);
        f.b.sizedFile(q(R"(C:\x\locked.txt)"), 10);
        f.b.sizedFile(q(R"(C:\x\hidden.txt)"), 1);
        f.b.attributes(q(R"(C:\x\hidden.txt)"), faHidden);
        f.b.sizedFile(q(R"(C:\x\sys.txt)"), 1);
        f.b.attributes(q(R"(C:\x\sys.txt)"), faSysFile);
        f.b.folder(q(R"(C:\x\dir.txt)"));
        f.b.sizedFile(q(R"(C:\x\sub\deep.txt)"), 1);
        f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(R"(C:\x\locked.txt)"), 32);
        // a.txt is counted twice while asking, once when deleting: the first entry took it.
        f.list({q(R"(C:\x\*.txt)"), q(R"(C:\missing\*.*)"), q(""), q(R"(C:\x)"), q(R"(C:\x\a.txt)")});
        f.dialogs.answerMessage(c.answer);
        f.dialogs.answerOk();
        CleanOwnList(f.ctx);
        EXPECT_EQ(f.dialogs.messageTexts(), c.boxes);
        EXPECT_EQ(f.b.exists(q(R"(C:\x\a.txt)")), !c.deleted);
        for (const char* kept : {R"(C:\x\b.log)", R"(C:\x\locked.txt)", R"(C:\x\hidden.txt)",
                                 R"(C:\x\sys.txt)", R"(C:\x\dir.txt)", R"(C:\x\sub\deep.txt)"})
            EXPECT_TRUE(f.b.exists(q(kept))) << kept;
    }
}

TEST(OwnListTest, NothingMatchedShowsNothing) {
    OwnListFixture f;
    f.list({q(R"(C:\none\*.*)")});
    CleanOwnList(f.ctx);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(OwnListTest, AnEntryNamingOneFileTakesThatCaseNotItsTwins) {
    struct Case {
        const char* entry;
        QStringList onDisk;
        QStringList kept;
    };
    const Case cases[] = {
        {R"(C:\data\a.txt)", {q("a.txt"), q("A.TXT")}, {q("A.TXT")}},
        {R"(C:\data\A.TXT)", {q("a.txt"), q("A.TXT")}, {q("a.txt")}},
        {R"(C:\data\A.txt)", {q("a.txt"), q("A.TXT")}, {q("a.txt")}}, // no exact name: the first of any case
        {R"(C:\data\a.txt.)", {q("a.txt"), q("A.TXT")}, {q("A.TXT")}},
        {R"(C:\data\*.txt)", {q("a.txt"), q("A.TXT")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        OwnListFixture f;
        for (const QString& name : c.onDisk)
            f.b.file(q(R"(C:\data\)") + name, "x");
        f.list({q(c.entry)});
        f.dialogs.answerMessage(mrYes);
        f.dialogs.answerOk();
        CleanOwnList(f.ctx);
        QStringList kept;
        for (const QString& name : c.onDisk)
            if (f.b.exists(q(R"(C:\data\)") + name)) kept << name;
        EXPECT_EQ(kept, c.kept);
    }
}
