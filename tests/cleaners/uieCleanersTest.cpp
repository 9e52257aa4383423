// Deleting the Internet Explorer traces: kept cookies, locked index files, result lines, counters.
#include "cleaners/IeTestSupport.h"

#include "platform/CmdInterp.h"
#include "platform/FileSys.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace niv;
using namespace niv::ietest;

namespace {

using Cleaner = void (*)(AppContext&);

const QString kPrevious = q("previous line");

void lockIndexFiles(IeFixture& f) {
    for (const char* name : {"*\\INDEX.DAT", "*\\MM256.DAT", "*\\MM2048.DAT"})
        f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(name), ERROR_SHARING_VIOLATION);
}

QStringList lockedCommands(const GlobalVars& g) {
    QStringList out;
    for (int slot = 1; slot <= kLockedFileSlots; ++slot)
        if (!g.LockedFileCommands[slot].isEmpty()) out << g.LockedFileCommands[slot];
    return out;
}

} // namespace

// --- result lines ---

TEST(IeCleanerTest, ResultLinesOfEachForm) {
    struct Case {
        const char* name;
        Cleaner cleaner;
        PathList GlobalVars::*list;
        int slot;
        std::int64_t found; // the category's FoundFiles before the cleaning
        bool lockIndex;
        bool confirms;
        const char* expected; // nullptr: the previous line stays
    };
    const char* allCookies3 = "All files have been deleted. ALL3 were cleaned.";
    const char* saved =
        "All files have been deleted.  Note that you may have some cookies saved, and therefore not deleted.";
    const char* cookieLocked =
        "All files have been deleted except for 1 or more COOKIE index files, which are LOCKED.";
    const char* historyLocked =
        "All files have been deleted except for 1 or more HISTORY index files, which are LOCKED.";
    const char* cacheLocked =
        "All files have been deleted except for 1 or more CACHE index files, which are LOCKED.";
    const Case cases[] = {
        {"cookies, all found deleted", DeleteIECookies, &GlobalVars::IECookiePaths, ResultIECookies, 3, false,
         true, allCookies3},
        {"cookies, fewer deleted than found", DeleteIECookies, &GlobalVars::IECookiePaths, ResultIECookies, 4,
         false, true, saved},
        {"cookies, more deleted than found", DeleteIECookies, &GlobalVars::IECookiePaths, ResultIECookies, 2,
         false, false, saved},
        {"cookies, index locked, confirms on", DeleteIECookies, &GlobalVars::IECookiePaths, ResultIECookies,
         3, true, true, cookieLocked},
        {"cookies, index locked, confirms off", DeleteIECookies, &GlobalVars::IECookiePaths, ResultIECookies,
         3, true, false, nullptr},
        {"history", DeleteIEHistory, &GlobalVars::IEHistoryPaths, ResultIEHistory, 99, false, true,
         "All files have been deleted."},
        {"history, index locked, confirms on", DeleteIEHistory, &GlobalVars::IEHistoryPaths, ResultIEHistory,
         3, true, true, historyLocked},
        {"history, index locked, confirms off", DeleteIEHistory, &GlobalVars::IEHistoryPaths, ResultIEHistory,
         3, true, false, nullptr},
        {"cache", DeleteIECache, &GlobalVars::IECachePaths, ResultIECache, 0, false, false,
         "All files have been deleted. "},
        {"cache, index locked, confirms on", DeleteIECache, &GlobalVars::IECachePaths, ResultIECache, 3, true,
         true, cacheLocked},
        {"cache, index locked, confirms off", DeleteIECache, &GlobalVars::IECachePaths, ResultIECache, 3,
         true, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IeFixture f;
        f.b.file(q(R"(C:\IE\a.txt)"), "a");
        f.b.file(q(R"(C:\IE\b.txt)"), "b");
        f.b.file(q(R"(C:\IE\index.dat)"), "i");
        if (c.lockIndex) lockIndexFiles(f);
        (f.ctx.g.*c.list)[1] = q(R"(C:\IE\*.*)");
        f.ctx.g.Found[CatIECookies].FoundFiles = c.found;
        f.ctx.g.Found[CatIEHistory].FoundFiles = c.found;
        f.ctx.g.Found[CatIECache].FoundFiles = c.found;
        f.ctx.unit<IeUnit>().ConfirmsCopy = c.confirms;
        SetCategoryResult(f.ctx.g, c.slot, kPrevious);

        c.cleaner(f.ctx);

        EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], c.expected ? q(c.expected) : kPrevious);
        EXPECT_EQ(f.ctx.unit<IeUnit>().IndexFileLocked, c.lockIndex);
    }
}

TEST(IeCleanerTest, CookieCleaningThatFindsNothingReportsAllZero) {
    IeFixture f;
    DeleteIECookies(f.ctx);
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECookies], q("All files have been deleted. ALL0 were cleaned."));
    EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedFiles, 0);
}

TEST(IeCleanerTest, LockedFileOtherThanAnIndexFileLeavesNoTrace) {
    IeFixture f;
    f.b.file(q(R"(C:\IE\busy.htm)"), "b");
    f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(R"(C:\IE\busy.htm)"),
                                ERROR_SHARING_VIOLATION);
    f.ctx.g.IECachePaths[1] = q(R"(C:\IE\*.*)");
    f.ctx.unit<IeUnit>().ConfirmsCopy = true;

    DeleteIECache(f.ctx);

    EXPECT_TRUE(f.exists(R"(C:\IE\busy.htm)"));
    EXPECT_FALSE(f.ctx.unit<IeUnit>().IndexFileLocked);
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache], q("All files have been deleted. "));
    EXPECT_TRUE(lockedCommands(f.ctx.g).isEmpty());
}

// --- counters ---

TEST(IeCleanerTest, CountersAreLoweredOutsideAutomaticModeOnly) {
    struct Case {
        const char* name;
        Cleaner cleaner;
        PathList GlobalVars::*list;
        Category counter;
        int slot;
        const char* line;
    };
    const Case cases[] = {
        {"cache", DeleteIECache, &GlobalVars::IECachePaths, CatIECache, ResultIECache,
         "All files have been deleted. "},
        {"cookies", DeleteIECookies, &GlobalVars::IECookiePaths, CatIECookies, ResultIECookies,
         "All files have been deleted.  Note that you may have some cookies saved, and therefore not "
         "deleted."},
        {"history", DeleteIEHistory, &GlobalVars::IEHistoryPaths, CatIEHistory, ResultIEHistory,
         "All files have been deleted."},
    };
    for (const Case& c : cases) {
        for (bool automatic : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (automatic ? ", automatic" : ", by hand"));
            IeFixture f;
            f.sized(R"(C:\IE\a.htm)", 10);
            f.sized(R"(C:\IE\b.htm)", 20);
            f.sized(R"(C:\IE\c.htm)", 30);
            (f.ctx.g.*c.list)[1] = q(R"(C:\IE\*.*)");
            f.ctx.g.Found[CatIECache] = {5, 500};
            f.ctx.g.Found[CatIECookies] = {5, 500};
            f.ctx.g.Found[CatIEHistory] = {5, 500};
            f.ctx.g.IETotalFiles = 99;
            f.ctx.g.IETotalBytes = 999;
            f.ctx.g.AutoCleanMode = automatic;

            c.cleaner(f.ctx);

            EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedFiles, 3);
            EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedBytes, 60);
            EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], q(c.line));
            const FoundCounter& counter = f.ctx.g.Found[c.counter];
            if (automatic) {
                EXPECT_EQ(counter.FoundFiles, 5);
                EXPECT_EQ(counter.FoundBytes, 500);
                EXPECT_EQ(f.ctx.g.IETotalFiles, 99);
                EXPECT_EQ(f.ctx.g.IETotalBytes, 999);
            } else {
                EXPECT_EQ(counter.FoundFiles, 2);
                EXPECT_EQ(counter.FoundBytes, 440);
                EXPECT_EQ(f.ctx.g.IETotalFiles, 12);
                EXPECT_EQ(f.ctx.g.IETotalBytes, 1440);
            }
        }
    }
}

TEST(IeCleanerTest, DeletedCountsStartAfreshForEachCleaning) {
    IeFixture f;
    f.sized(R"(C:\IE\a.htm)", 10);
    f.ctx.g.IECachePaths[1] = q(R"(C:\IE\*.*)");
    f.ctx.unit<IeUnit>().DeletedFiles = 40;
    f.ctx.unit<IeUnit>().DeletedBytes = 400;
    f.ctx.unit<IeUnit>().IndexFileLocked = true;
    DeleteIECache(f.ctx);
    EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedFiles, 1);
    EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedBytes, 10);
    EXPECT_FALSE(f.ctx.unit<IeUnit>().IndexFileLocked);
}

// --- kept cookies ---

TEST(IeKeptCookieTest, KeptCookiesAreSparedWhateverTheirCaseAndBlanks) {
    IeFixture f;
    f.scanLog("[UCKK5]\r\n"
              "CKK1=TESTER@SITE[1].TXT\r\n"
              "CKK2=   keep me.txt   \r\n"
              "CKK3=\"quoted.txt\"\r\n"
              "CKK4=\r\n"
              "CKK5=after-gap.txt\r\n");
    for (const char* name : {"tester@site[1].txt", "Keep Me.txt", "quoted.txt", "after-gap.txt", "other.txt"})
        f.b.file(q(R"(C:\Cookies\)") + q(name), "data");
    f.ctx.g.IECookiePaths[1] = q(R"(C:\COOKIES\*.*)");
    f.ctx.g.Wipe = true; // a kept cookie is not wiped either

    DeleteIECookies(f.ctx);

    EXPECT_EQ(f.ctx.unit<IeUnit>().KeptCookieKeys,
              QSet<QString>({q("TESTER@SITE[1].TXT"), q("KEEP ME.TXT"), q("QUOTED.TXT")}));
    for (const char* kept :
         {R"(C:\Cookies\tester@site[1].txt)", R"(C:\Cookies\Keep Me.txt)", R"(C:\Cookies\quoted.txt)"}) {
        SCOPED_TRACE(kept);
        EXPECT_EQ(f.b.readHost(q(kept)), QByteArray("data"));
    }
    EXPECT_FALSE(f.exists(R"(C:\Cookies\after-gap.txt)"));
    EXPECT_FALSE(f.exists(R"(C:\Cookies\other.txt)"));
    EXPECT_EQ(f.ctx.unit<IeUnit>().DeletedFiles, 2);
}

TEST(IeKeptCookieTest, OnlyTheCookieCleanerSparesKeptNames) {
    IeFixture f;
    f.scanLog("[UCKK5]\r\nCKK1=keep.txt\r\n");
    f.b.file(q(R"(C:\Cache\keep.txt)"), "c");
    f.b.file(q(R"(C:\Hist\keep.txt)"), "h");
    f.ctx.g.IECachePaths[1] = q(R"(C:\CACHE\*.*)");
    f.ctx.g.IEHistoryPaths[1] = q(R"(C:\HIST\*.*)");
    DeleteIECache(f.ctx);
    DeleteIEHistory(f.ctx);
    EXPECT_FALSE(f.exists(R"(C:\Cache\keep.txt)"));
    EXPECT_FALSE(f.exists(R"(C:\Hist\keep.txt)"));
}

TEST(IeKeptCookieTest, IsKeptCookieComparesTrimmedUpperCasedNamesUpToTheFirstEmptySlot) {
    IeFixture f;
    f.scanLog("[UCKK5]\r\nCKK1=  Site.txt \r\nCKK2=my cookie.txt\r\nCKK3=   \r\nCKK4=later.txt\r\n");
    LoadKeptCookies(f.ctx);
    struct Case {
        const char* name;
        bool asked;
        bool kept;
    };
    const Case cases[] = {
        {"site.txt", true, true},      {"  SITE.TXT", true, true}, {"MY COOKIE.TXT ", true, true},
        {"mycookie.txt", true, false}, {"later.txt", true, false}, {"site.txt", false, false},
        {"site.txt.bak", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.asked ? "" : " (not asked)"));
        EXPECT_EQ(IsKeptCookie(f.ctx, q(c.name), c.asked), c.kept);
    }
}

TEST(IeKeptCookieTest, LoadKeptCookiesReadsAtMost200Keys) {
    IeFixture f;
    QByteArray log = "[UCKK5]\r\n";
    for (int i = 1; i <= 201; ++i)
        log += "CKK" + QByteArray::number(i) + "=c" + QByteArray::number(i) + ".txt\r\n";
    f.scanLog(log.constData());
    f.ctx.unit<IeUnit>().KeptCookieKeys.insert(q("STALE"));

    LoadKeptCookies(f.ctx);

    const QSet<QString>& kept = f.ctx.unit<IeUnit>().KeptCookieKeys;
    EXPECT_EQ(kept.size(), 200);
    EXPECT_TRUE(kept.contains(q("C1.TXT")) && kept.contains(q("C200.TXT")));
    EXPECT_FALSE(kept.contains(q("C201.TXT")) || kept.contains(q("STALE")));

    // Without a scan log the list is empty.
    IeFixture none;
    none.ctx.unit<IeUnit>().KeptCookieKeys.insert(q("STALE"));
    LoadKeptCookies(none.ctx);
    EXPECT_TRUE(none.ctx.unit<IeUnit>().KeptCookieKeys.isEmpty());
}

// --- locked index files ---

TEST(IeLockedIndexTest, EachLockedIndexFileGivesOneDelCommandQuotedWhenItHasABlank) {
    IeFixture f;
    lockIndexFiles(f);
    f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(R"(C:\IECache\locked.txt)"),
                                ERROR_SHARING_VIOLATION);
    for (const char* name : {"free.htm", "index.dat", "locked.txt", "MM256.DAT", "mm2048.dat"})
        f.b.file(q(R"(C:\IECache\)") + q(name), "x");
    f.b.file(q(R"(C:\My Cache\index.dat)"), "x");
    f.ctx.g.IECachePaths[1] = q(R"(C:\IECACHE\*.*)");
    f.ctx.g.IECachePaths[2] = q(R"(C:\MY CACHE\*.*)");
    f.ctx.g.IECachePaths[3] = q(R"(C:\IECACHE\INDEX.DAT)"); // the same file through a second mask
    f.ctx.unit<IeUnit>().ConfirmsCopy = true;

    DeleteIECache(f.ctx);

    const QStringList expected = qs({R"(Del C:\IECACHE\index.dat)", R"(Del C:\IECACHE\mm2048.dat)",
                                     R"(Del C:\IECACHE\MM256.DAT)", R"(Del "C:\MY CACHE\index.dat")"});
    EXPECT_EQ(lockedCommands(f.ctx.g), expected);
    EXPECT_FALSE(f.exists(R"(C:\IECache\free.htm)"));
    EXPECT_TRUE(f.exists(R"(C:\IECache\locked.txt)"));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECache],
              q("All files have been deleted except for 1 or more CACHE index files, which are LOCKED."));

    // Met again in a later cleaning: no second command.
    DeleteIECache(f.ctx);
    EXPECT_EQ(lockedCommands(f.ctx.g), expected);
}

// The batch run at the next log-on must delete the file with blanks in its path, and nothing that a
// path split at its blanks would name.
TEST(IeLockedIndexTest, QuotedCommandDeletesThePathWithBlanksWhole) {
    IeFixture f;
    lockIndexFiles(f);
    f.b.file(q(R"(C:\My Cache\index.dat)"), "x");
    f.b.file(q(R"(C:\My)"), "decoy");
    f.b.file(q(R"(C:\Cache\index.dat)"), "decoy");
    f.ctx.g.IECachePaths[1] = q(R"(C:\MY CACHE\*.*)");
    DeleteIECache(f.ctx);
    ASSERT_EQ(lockedCommands(f.ctx.g).size(), 1);

    f.b.machine().faults().clear();
    runBatchText(f.b.machine(), lockedCommands(f.ctx.g).join(QStringLiteral("\r\n")));

    EXPECT_FALSE(f.exists(R"(C:\My Cache\index.dat)"));
    EXPECT_TRUE(f.exists(R"(C:\My)"));
    EXPECT_TRUE(f.exists(R"(C:\Cache\index.dat)"));
}

TEST(IeLockedIndexTest, FiftyOneLockedIndexFilesGiveFiftyCommands) {
    IeFixture f;
    lockIndexFiles(f);
    for (int i = 0; i < 51; ++i) {
        const QString folder = QStringLiteral("C:\\L%1\\").arg(i, 2, 10, QLatin1Char('0'));
        f.b.file(folder + QStringLiteral("index.dat"), "x");
        f.ctx.g.IEHistoryPaths[i + 1] = folder + QStringLiteral("*.*");
    }

    DeleteIEHistory(f.ctx);

    const QStringList commands = lockedCommands(f.ctx.g);
    ASSERT_EQ(commands.size(), 50);
    EXPECT_EQ(commands.first(), q(R"(Del C:\L00\index.dat)"));
    EXPECT_EQ(commands.last(), q(R"(Del C:\L49\index.dat)"));
}

TEST(IeLockedIndexTest, AddLockedCommandKeepsOneOfEachExactLine) {
    IeFixture f;
    AddLockedCommand(f.ctx, q("Del C:\\a"));
    AddLockedCommand(f.ctx, q("Del C:\\a"));
    AddLockedCommand(f.ctx, q("DEL C:\\a")); // case counts
    EXPECT_EQ(lockedCommands(f.ctx.g), qs({"Del C:\\a", "DEL C:\\a"}));

    // A free slot after a taken one still takes the line; an equal line further on is not seen.
    IeFixture g;
    g.ctx.g.LockedFileCommands[2] = q("Del C:\\b");
    AddLockedCommand(g.ctx, q("Del C:\\b"));
    EXPECT_EQ(g.ctx.g.LockedFileCommands[1], q("Del C:\\b"));
}

TEST(IeLockedIndexTest, GetShortPathGivesTheWholePathOfAnExistingFile) {
    IeFixture f;
    const QString longName = QString(200, u'n');
    f.b.file(q(R"(C:\Deep Folder\)") + longName + q(R"(\index.dat)"), "x");
    f.b.file(q(R"(C:\a\index.dat)"), "x");
    struct Case {
        QString path;
        QString expected;
    };
    const Case cases[] = {
        {q(R"(C:\a\index.dat)"), q(R"(C:\a\index.dat)")},
        {q(R"(C:\a\\index.dat)"), q(R"(C:\a\index.dat)")},
        {q(R"(C:\A\INDEX.DAT)"), q(R"(C:\A\INDEX.DAT)")},
        {q(R"(C:\Deep Folder\)") + longName + q(R"(\index.dat)"),
         q(R"(C:\Deep Folder\)") + longName + q(R"(\index.dat)")},
        {q(R"(C:\a\missing.dat)"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(GetShortPath(f.ctx, c.path), c.expected);
    }
}

TEST(IeLockedIndexTest, DoubledSeparatorIsRemovedFromTheCommand) {
    IeFixture f;
    lockIndexFiles(f);
    f.b.file(q(R"(C:\A\index.dat)"), "x");
    DeleteInFolder(f.ctx, q(R"(C:\A\\*.*)"), q(R"(C:\A\\)"), false);
    EXPECT_EQ(lockedCommands(f.ctx.g), qs({R"(Del C:\A\index.dat)"}));
    EXPECT_TRUE(f.ctx.unit<IeUnit>().IndexFileLocked);
}

// --- what is deleted ---

TEST(IeDeleteTest, WipeZeroesTheContentBeforeTheDelete) {
    for (bool wipe : {true, false}) {
        SCOPED_TRACE(wipe ? "Wipe on" : "Wipe off");
        IeFixture f;
        f.b.file(q(R"(C:\IE\stays.htm)"), "secret");
        f.b.file(q(R"(C:\IE\goes.htm)"), "secret");
        // The delete of one file fails, so its content shows what happened before the delete.
        f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(R"(C:\IE\stays.htm)"),
                                    ERROR_SHARING_VIOLATION);
        f.ctx.g.IECachePaths[1] = q(R"(C:\IE\*.*)");
        f.ctx.g.Wipe = wipe;

        DeleteIECache(f.ctx);

        EXPECT_EQ(f.b.readHost(q(R"(C:\IE\stays.htm)")), wipe ? QByteArray(6, '\0') : QByteArray("secret"));
        EXPECT_FALSE(f.exists(R"(C:\IE\goes.htm)"));
    }
}

TEST(IeDeleteTest, NeverAFolderNorWhatALinkLeadsTo) {
    IeFixture f;
    f.b.file(q(R"(C:\IE\plain.htm)"), "p");
    f.b.file(q(R"(C:\IE\sub\inner.htm)"), "inner");
    f.b.outsideFile("target.txt", "target");
    f.b.outsideFile("dir/kept.txt", "kept");
    f.b.hostLink(q(R"(C:\IE\file-link)"), f.b.outside() + "/target.txt");
    f.b.hostLink(q(R"(C:\IE\dir-link)"), f.b.outside() + "/dir");
    f.ctx.g.IECachePaths[1] = q(R"(C:\IE\*.*)");
    f.ctx.g.Wipe = true;

    DeleteIECache(f.ctx);

    EXPECT_FALSE(f.exists(R"(C:\IE\plain.htm)"));
    EXPECT_EQ(f.b.readHost(q(R"(C:\IE\sub\inner.htm)")), QByteArray("inner"));
    QFile t(QString::fromStdString(f.b.outside() + "/target.txt"));
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    EXPECT_EQ(t.readAll(), QByteArray("target"));
    QFile k(QString::fromStdString(f.b.outside() + "/dir/kept.txt"));
    ASSERT_TRUE(k.open(QIODevice::ReadOnly));
    EXPECT_EQ(k.readAll(), QByteArray("kept"));
    // The links themselves are entries of the folder and go.
    EXPECT_FALSE(f.exists(R"(C:\IE\file-link)"));
    EXPECT_FALSE(f.exists(R"(C:\IE\dir-link)"));
}

TEST(IeDeleteTest, MasksOfSevenCharactersOrFewerAreNotSearched) {
    struct Case {
        const char* mask;
        const char* file;
        bool deleted;
    };
    const Case cases[] = {
        {R"(C:\*.*)", R"(C:\a.txt)", false},
        {R"(C:\a.tx)", R"(C:\a.tx)", false},
        {R"(C:\ab.tx)", R"(C:\ab.tx)", true},
        {R"(C:\ab.txt)", R"(C:\ab.txt)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        IeFixture f;
        f.b.file(q(c.file), "x");
        DeleteInFolder(f.ctx, q(c.mask), q(R"(C:\)"), false);
        EXPECT_EQ(f.exists(c.file), !c.deleted);
    }
}

TEST(IeDeleteTest, EveryOccupiedSlotIsCleanedOnceSlotOneIsSet) {
    struct Case {
        const char* name;
        const char* slot1;
        bool cleaned;
    };
    const Case cases[] = {
        {"slot 1 set, gap at slot 2", R"(C:\A1\*.*)", true},
        {"slot 1 blank", "  ", false},
        {"slot 1 empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IeFixture f;
        f.b.file(q(R"(C:\A1\x.htm)"), "x");
        f.b.file(q(R"(C:\A3\y.htm)"), "y");
        f.ctx.g.IECachePaths[1] = q(c.slot1);
        f.ctx.g.IECachePaths[3] = q(R"(C:\A3\*.*)");
        DeleteIECache(f.ctx);
        EXPECT_EQ(f.exists(R"(C:\A3\y.htm)"), !c.cleaned);
    }
}

// --- found at start-up, then cleaned ---

TEST(IeCleanerTest, DiscoveredCookiesWithAKeptOneAndALowFolder) {
    IeFixture f;
    f.shellFolder("Cookies", R"(C:\Documents and Settings\tester\Cookies)");
    f.scanLog("[UCKK5]\r\nCKK1=keep.txt\r\n");
    f.sized(R"(C:\Documents and Settings\tester\Cookies\keep.txt)", 10);
    f.sized(R"(C:\Documents and Settings\tester\Cookies\gone.txt)", 20);
    f.sized(R"(C:\Documents and Settings\tester\Cookies\Low\low.txt)", 40);
    TFrmie frm(f.ctx);
    // The shell's cookies folder is the same one, and adds its "Low" mask: keep.txt, gone.txt, the
    // Low entry and low.txt.
    ASSERT_EQ(f.ctx.g.Found[CatIECookies].FoundFiles, 4);

    DeleteIECookies(f.ctx);

    EXPECT_EQ(f.ctx.g.CategoryResults[ResultIECookies],
              q("All files have been deleted.  Note that you may have some cookies saved, and therefore not "
                "deleted."));
    EXPECT_EQ(f.ctx.g.Found[CatIECookies].FoundFiles, 2);
    EXPECT_EQ(f.ctx.g.Found[CatIECookies].FoundBytes, 10);
    EXPECT_EQ(f.ctx.g.IETotalFiles, 2);
    EXPECT_TRUE(f.exists(R"(C:\Documents and Settings\tester\Cookies\keep.txt)"));
    EXPECT_TRUE(f.b.isFolder(q(R"(C:\Documents and Settings\tester\Cookies\Low)")));
    EXPECT_FALSE(f.exists(R"(C:\Documents and Settings\tester\Cookies\Low\low.txt)"));
    EXPECT_FALSE(f.exists(R"(C:\Documents and Settings\tester\Cookies\gone.txt)"));
}
