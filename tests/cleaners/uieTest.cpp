// Finding and counting the Internet Explorer traces at start-up.
#include "cleaners/IeTestSupport.h"

#include "platform/FileSys.h"

#include <gtest/gtest.h>

#include <functional>

using namespace niv;
using namespace niv::ietest;

namespace {

struct Counts {
    std::int64_t files, bytes;
};

void expectCounts(const FoundCounter& found, Counts expected) {
    EXPECT_EQ(found.FoundFiles, expected.files);
    EXPECT_EQ(found.FoundBytes, expected.bytes);
}

} // namespace

// --- a machine without traces ---

TEST(IeDiscoveryTest, BareMachineHoldsTheWindowsFolderMasksAndNothingElse) {
    IeFixture f;
    // Left-overs that the discovery must clear.
    f.ctx.g.LockedFileCommands[1] = q("Del C:\\old");
    f.ctx.g.LockedFileCommands[50] = q("Del C:\\older");
    f.ctx.g.IECachePaths[7] = q("OLD");
    f.ctx.unit<IeUnit>().HistorySubfolders[3] = q("old");
    f.ctx.unit<IeUnit>().MshistSubfolders[25] = q("old");
    f.ctx.g.Found[CatIECache] = {9, 9};
    f.ctx.g.IETotalFiles = 9;
    f.ctx.g.IETotalBytes = 9;

    TFrmie frm(f.ctx);

    EXPECT_EQ(filled(f.ctx.g.IECachePaths), kWindowsCacheMasks);
    EXPECT_EQ(filled(f.ctx.g.IECookiePaths), kWindowsCookieMasks + kDefaultCookieMasks);
    EXPECT_EQ(filled(f.ctx.g.IEHistoryPaths), kWindowsHistoryMasks);
    for (int slot = 1; slot <= kLockedFileSlots; ++slot)
        EXPECT_TRUE(f.ctx.g.LockedFileCommands[slot].isEmpty());
    EXPECT_TRUE(filled(f.ctx.unit<IeUnit>().HistorySubfolders).isEmpty());
    EXPECT_TRUE(filled(f.ctx.unit<IeUnit>().MshistSubfolders).isEmpty());
    expectCounts(f.ctx.g.Found[CatIECache], {0, 0});
    expectCounts(f.ctx.g.Found[CatIECookies], {0, 0});
    expectCounts(f.ctx.g.Found[CatIEHistory], {0, 0});
    EXPECT_EQ(f.ctx.g.IETotalFiles, 0);
    EXPECT_EQ(f.ctx.g.IETotalBytes, 0);

    EXPECT_EQ(f.ctx.unit<IeUnit>().IEWindowsFolder, q(R"(C:\windows)"));
    EXPECT_EQ(f.ctx.unit<IeUnit>().IECookiesFolder, q(R"(C:\windows\cookies\)"));
    EXPECT_EQ(f.ctx.unit<IeUnit>().IECacheFolders[0], q(R"(C:\windows\temporary internet files\cache1)"));
    EXPECT_EQ(f.ctx.unit<IeUnit>().IECacheFolders[3], q(R"(C:\windows\temporary internet files\cache4)"));
    EXPECT_EQ(f.ctx.g.SystemFolder, q(R"(C:\windows\system32)"));
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

// --- counting what the Windows-folder masks cover ---

TEST(IeDiscoveryTest, WindowsFolderPlacesAreCountedWithoutDesktopIniButWithSubfolderEntries) {
    IeFixture f;
    f.sized(R"(C:\windows\temporary internet files\cache1\x.htm)", 100);
    f.sized(R"(C:\windows\temporary internet files\cache2\desktop.ini)", 50);
    f.sized(R"(C:\windows\temporary internet files\cache4\y.gif)", 200);
    f.sized(R"(C:\windows\cookies\a.txt)", 10);
    f.sized(R"(C:\windows\cookies\DeskTop.INI)", 5);
    f.sized(R"(C:\windows\cookies\Low\b.txt)", 1000); // the folder is one entry; its file is not reached
    f.sized(R"(C:\windows\temp\cookies\c.txt)", 7);
    f.sized(R"(C:\windows\history\h.dat)", 30);
    f.sized(R"(C:\windows\temp\history\history.ie5\index.dat)", 40);
    f.sized(R"(C:\windows\temp\history\history.ie5\other.dat)", 4000);

    TFrmie frm(f.ctx);

    expectCounts(f.ctx.g.Found[CatIECache], {2, 300});
    expectCounts(f.ctx.g.Found[CatIECookies], {3, 17});
    expectCounts(f.ctx.g.Found[CatIEHistory], {2, 70});
    EXPECT_EQ(f.ctx.g.IETotalFiles, 7);
    EXPECT_EQ(f.ctx.g.IETotalBytes, 387);
}

// --- every place the cache is looked for ---

TEST(IeDiscoveryTest, CachePlacesGiveTheirMasksAndCounts) {
    struct Case {
        const char* name;
        std::function<void(IeFixture&)> setup;
        QStringList expected;
        Counts counts;
    };
    const Case cases[] = {
        {"special folder 32 through User Shell Folders",
         [](IeFixture& f) {
             f.userShellFolder("Cache", R"(%USERPROFILE%\Local Settings\Temporary Internet Files)");
             const char* base = R"(C:\users\tester\Local Settings\Temporary Internet Files\Content.IE5\)";
             f.sized((std::string(base) + "index.dat").c_str(), 64);
             f.sized((std::string(base) + R"(AAA111\a.htm)").c_str(), 10);
             f.sized((std::string(base) + R"(BBB222\b.gif)").c_str(), 20);
             f.sized((std::string(base) + R"(BBB222\desktop.ini)").c_str(), 1);
             f.sized((std::string(base) + R"(Content.IE5\nested.htm)").c_str(), 1);
             f.sized((std::string(base) + R"(notes.txt)").c_str(), 1);
             // A linked folder is never walked into.
             f.b.outsideFolder("elsewhere");
             f.b.outsideFile("elsewhere/private.txt", "x");
             f.b.hostLink(q((std::string(base) + "LINKED").c_str()), f.b.outside() + "/elsewhere");
         },
         qs({R"(C:\USERS\TESTER\LOCAL SETTINGS\TEMPORARY INTERNET FILES\CONTENT.IE5\AAA111\*.*)",
             R"(C:\USERS\TESTER\LOCAL SETTINGS\TEMPORARY INTERNET FILES\CONTENT.IE5\BBB222\*.*)"}) +
             kWindowsCacheMasks,
         {2, 30}},
        {"Shell Folders Cache holding Content.IE5, the same folder as special folder 32",
         [](IeFixture& f) {
             f.shellFolder("Cache",
                           R"(C:\Documents and Settings\tester\Local Settings\Temporary Internet Files)");
             f.sized(
                 R"(C:\Documents and Settings\tester\Local Settings\Temporary Internet Files\Content.IE5\index.dat)",
                 64);
             f.sized(
                 R"(C:\Documents and Settings\tester\Local Settings\Temporary Internet Files\Content.IE5\X1\a)",
                 10);
         },
         qs({R"(C:\DOCUMENTS AND SETTINGS\TESTER\LOCAL SETTINGS\TEMPORARY INTERNET FILES\CONTENT.IE5\X1\*.*)",
             R"(C:\DOCUMENTS AND SETTINGS\TESTER\LOCAL SETTINGS\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)"}) +
             kWindowsCacheMasks,
         {2, 74}},
        {"Shell Folders Cache without Content.IE5",
         [](IeFixture& f) {
             f.shellFolder("Cache", R"(C:\IECache)");
             f.sized(R"(C:\IECache\index.dat)", 5);
             f.sized(R"(C:\IECache\sub\f.htm)", 9);
         },
         qs({R"(C:\IECACHE\INDEX.DAT)"}) + kWindowsCacheMasks,
         {1, 5}},
        {"Shell Folders Cache naming Content.IE5 itself",
         [](IeFixture& f) {
             f.shellFolder("Cache", R"(C:\Old\Temporary Internet Files\Content.IE5)");
             f.sized(R"(C:\Old\Temporary Internet Files\Content.IE5\S1\f.htm)", 3);
             f.sized(R"(C:\Old\Temporary Internet Files\Content.IE5\index.dat)", 4);
         },
         qs({R"(C:\OLD\TEMPORARY INTERNET FILES\CONTENT.IE5\S1\*.*)",
             R"(C:\OLD\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)"}) +
             kWindowsCacheMasks,
         {2, 7}},
        {"machine-wide cache folder",
         [](IeFixture& f) {
             f.b.regString(HKEY_LOCAL_MACHINE, kCachePaths, q("Directory"),
                           q(R"(C:\ProgramData\Temporary Internet Files\Content.IE5)"));
             f.sized(R"(C:\ProgramData\Temporary Internet Files\Content.IE5\M1\f.htm)", 11);
             f.sized(R"(C:\ProgramData\Temporary Internet Files\Content.IE5\index.dat)", 12);
         },
         qs({R"(C:\PROGRAMDATA\TEMPORARY INTERNET FILES\CONTENT.IE5\M1\*.*)",
             R"(C:\PROGRAMDATA\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)"}) +
             kWindowsCacheMasks,
         {2, 23}},
        {"machine-wide cache folder without administrator rights",
         [](IeFixture& f) {
             f.b.regString(HKEY_LOCAL_MACHINE, kCachePaths, q("Directory"),
                           q(R"(C:\ProgramData\Temporary Internet Files\Content.IE5)"));
             f.sized(R"(C:\ProgramData\Temporary Internet Files\Content.IE5\M1\f.htm)", 11);
             f.b.machine().setAdministrator(false);
         },
         kWindowsCacheMasks,
         {0, 0}},
        {"fixed Windows-folder cache",
         [](IeFixture& f) {
             f.sized(R"(C:\windows\Temporary Internet Files\Content.IE5\W1\f.htm)", 1);
             f.sized(R"(C:\windows\Temporary Internet Files\Content.IE5\index.dat)", 2);
         },
         qs({R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CONTENT.IE5\W1\*.*)",
             R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)"}) +
             kWindowsCacheMasks,
         {2, 3}},
        {"cache in the Windows temp folder",
         [](IeFixture& f) {
             f.sized(R"(C:\windows\temp\Temporary Internet Files\Content.IE5\T1\f.htm)", 5);
             f.sized(R"(C:\windows\temp\Temporary Internet Files\Content.IE5\index.dat)", 6);
         },
         qs({R"(C:\WINDOWS\TEMP\TEMPORARY INTERNET FILES\CONTENT.IE5\T1\*.*)",
             R"(C:\WINDOWS\TEMP\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)"}) +
             kWindowsCacheMasks,
         {2, 11}},
        {"index folders of the scan log, up to the first empty key",
         [](IeFixture& f) {
             f.scanLog("[HI24]\r\n"
                       "P1=C:\\Backup\\Temporary Internet Files\\Content.IE5\\\r\n"
                       "P2=  C:\\Elsewhere\\  \r\n"
                       "P3=\r\n"
                       "P4=C:\\NotRead\\\r\n");
             f.sized(R"(C:\Backup\Temporary Internet Files\Content.IE5\index.dat)", 8);
             f.sized(R"(C:\Backup\Temporary Internet Files\Content.IE5\B1\f.htm)", 7);
             f.sized(R"(C:\Elsewhere\index.dat)", 9);
             f.sized(R"(C:\NotRead\index.dat)", 1000);
         },
         kWindowsCacheMasks +
             qs({R"(C:\BACKUP\TEMPORARY INTERNET FILES\CONTENT.IE5\INDEX.DAT)",
                 R"(C:\BACKUP\TEMPORARY INTERNET FILES\CONTENT.IE5\B1\*.*)", R"(C:\ELSEWHERE\INDEX.DAT)"}),
         {3, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IeFixture f;
        c.setup(f);
        TFrmie frm(f.ctx);
        EXPECT_EQ(filled(f.ctx.g.IECachePaths), c.expected);
        expectCounts(f.ctx.g.Found[CatIECache], c.counts);
        EXPECT_EQ(f.ctx.g.IETotalFiles, c.counts.files);
    }
}

TEST(IeDiscoveryTest, ContentIE5SubfoldersStopAt400AndAFullListDropsTheRest) {
    IeFixture f;
    const QString base =
        q(R"(C:\users\tester\AppData\Local\Microsoft\Windows\Temporary Internet Files\Content.IE5\)");
    for (int i = 0; i < 450; ++i)
        f.b.folder(base + QStringLiteral("D%1").arg(i, 3, 10, QLatin1Char('0')));
    f.sized(
        R"(C:\users\tester\AppData\Local\Microsoft\Windows\Temporary Internet Files\Content.IE5\D000\a.htm)",
        5);

    TFrmie frm(f.ctx);

    const QString upper =
        q(R"(C:\USERS\TESTER\APPDATA\LOCAL\MICROSOFT\WINDOWS\TEMPORARY INTERNET FILES\CONTENT.IE5\)");
    const QStringList list = filled(f.ctx.g.IECachePaths);
    ASSERT_EQ(list.size(), 400);
    EXPECT_EQ(list.first(), upper + q(R"(D000\*.*)"));
    EXPECT_EQ(list.last(), upper + q(R"(D399\*.*)"));
    // The Windows-folder masks found the list full.
    EXPECT_FALSE(list.contains(kWindowsCacheMasks.first()));
    expectCounts(f.ctx.g.Found[CatIECache], {1, 5});
}

// --- cookies ---

TEST(IeDiscoveryTest, CookieFoldersOfEveryPlaceAreListedAndCounted) {
    IeFixture f;
    f.shellFolder("Cookies", R"(C:\Documents and Settings\tester\Cookies)");
    f.userShellFolder("Cookies", R"(%APPDATA%\Microsoft\Windows\Cookies)");
    f.sized(R"(C:\Documents and Settings\tester\Cookies\tester@site[1].txt)", 50);
    f.sized(R"(C:\Documents and Settings\tester\Cookies\index.dat)", 100);
    f.sized(R"(C:\Documents and Settings\tester\Cookies\desktop.ini)", 3);
    f.sized(R"(C:\Documents and Settings\tester\Cookies\Low\x.txt)", 70);
    f.sized(R"(C:\users\tester\AppData\Roaming\Microsoft\Windows\Cookies\a.txt)", 5);
    f.sized(R"(C:\users\tester\AppData\Roaming\Microsoft\Windows\Cookies\Low\b.txt)", 6);

    TFrmie frm(f.ctx);

    EXPECT_EQ(filled(f.ctx.g.IECookiePaths), kWindowsCookieMasks +
                                                 qs({R"(C:\DOCUMENTS AND SETTINGS\TESTER\COOKIES\*.*)"}) +
                                                 kDefaultCookieMasks);
    EXPECT_EQ(f.ctx.unit<IeUnit>().ShellCookiesFolder, q(R"(C:\Documents and Settings\tester\Cookies\)"));
    // tester@site[1].txt, index.dat and Low; a.txt and Low; b.txt.
    expectCounts(f.ctx.g.Found[CatIECookies], {6, 161});
}

// A value of only blanks names no folder; a mask built on it would reach the root of a drive.
TEST(IeDiscoveryTest, BlankShellFolderValuesAreIgnored) {
    IeFixture f;
    f.shellFolder("Cache", "   ");
    f.shellFolder("Cookies", "  ");
    f.shellFolder("History", " ");
    f.b.regString(HKEY_LOCAL_MACHINE, kCachePaths, q("Directory"), q("  "));
    f.sized(R"(C:\rootfile.txt)", 1);

    TFrmie frm(f.ctx);

    EXPECT_EQ(filled(f.ctx.g.IECachePaths), kWindowsCacheMasks);
    // The shell's cookies folder is the same blank value.
    EXPECT_EQ(filled(f.ctx.g.IECookiePaths), kWindowsCookieMasks);
    EXPECT_EQ(filled(f.ctx.g.IEHistoryPaths), kWindowsHistoryMasks);
    EXPECT_EQ(f.ctx.g.IETotalFiles, 0);
}

// --- history ---

TEST(IeDiscoveryTest, HistoryFolderWithItsIndexAndMshistSubfolders) {
    IeFixture f;
    f.shellFolder("History", R"(C:\Documents and Settings\tester\Local Settings\History)");
    const std::string h = R"(C:\Documents and Settings\tester\Local Settings\History\)";
    auto at = [&](const char* rest) { return q((h + rest).c_str()); };
    f.b.sizedFile(at("desktop.ini"), 9);
    f.b.sizedFile(at(R"(History.IE5\index.dat)"), 100);
    f.b.attributes(at("History.IE5"), 0x14);
    f.b.sizedFile(at(R"(History.IE5\MSHist012024010120240108\index.dat)"), 50);
    f.b.attributes(at(R"(History.IE5\MSHist012024010120240108)"), 0x14);
    f.b.sizedFile(at(R"(History.IE5\mshist022024\index.dat)"), 25);
    f.b.sizedFile(at(R"(History.IE5\MSHistHidden\index.dat)"), 13);
    f.b.attributes(at(R"(History.IE5\MSHistHidden)"), 0x16);
    f.b.folder(at(R"(History.IE5\Other)"));
    f.b.attributes(at(R"(History.IE5\Other)"), 0x14);
    f.b.sizedFile(at(R"(History.IE5\MSHist.dat)"), 1);

    TFrmie frm(f.ctx);

    const char* H = R"(C:\DOCUMENTS AND SETTINGS\TESTER\LOCAL SETTINGS\HISTORY\)";
    auto up = [&](const char* rest) { return q(H) + q(rest); };
    EXPECT_EQ(filled(f.ctx.g.IEHistoryPaths),
              QStringList({up("*.*"), up(R"(HISTORY.IE5\INDEX.DAT)"),
                           up(R"(HISTORY.IE5\MSHIST012024010120240108\INDEX.DAT)"),
                           up(R"(HISTORY.IE5\MSHIST022024\INDEX.DAT)")}) +
                  kWindowsHistoryMasks);
    // The doubled separator of the search is gone and each slot ends in "\".
    EXPECT_EQ(filled(f.ctx.unit<IeUnit>().HistorySubfolders), QStringList({at(R"(History.IE5\)")}));
    EXPECT_EQ(
        filled(f.ctx.unit<IeUnit>().MshistSubfolders),
        QStringList({at(R"(History.IE5\MSHist012024010120240108\)"), at(R"(History.IE5\mshist022024\)")}));
    // The History.IE5 entry of "*.*" and the three index files.
    expectCounts(f.ctx.g.Found[CatIEHistory], {4, 175});
}

TEST(IeDiscoveryTest, HistorySubfoldersAreTakenByTheirExactAttributeWord) {
    struct Case {
        const char* name;
        int attr;          // stored in user.DOSATTRIB; the folder adds 0x10
        bool historyTaken; // as a sub-folder of the history folder
        bool mshistTaken;  // as an MSHist sub-folder of History.IE5
    };
    const Case cases[] = {
        {"system + directory (0x14)", 0x04, true, true},
        {"system + directory + hidden (0x16)", 0x06, false, false},
        {"directory only (0x10)", 0x00, false, true},
        {"system + directory + read-only (0x15)", 0x05, false, false},
        {"hidden + directory (0x12)", 0x02, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IeFixture f;
        f.shellFolder("History", R"(C:\Hist)");
        f.b.folder(q(R"(C:\Hist\Sub)"));
        f.b.attributes(q(R"(C:\Hist\Sub)"), c.attr);
        f.b.folder(q(R"(C:\Hist\History.IE5\MSHist01)"));
        f.b.attributes(q(R"(C:\Hist\History.IE5\MSHist01)"), c.attr);
        f.b.attributes(q(R"(C:\Hist\History.IE5)"), 0x02); // hidden: never a history sub-folder

        TFrmie frm(f.ctx);

        EXPECT_EQ(filled(f.ctx.unit<IeUnit>().HistorySubfolders),
                  c.historyTaken ? QStringList({q(R"(C:\Hist\Sub\)")}) : QStringList());
        EXPECT_EQ(filled(f.ctx.unit<IeUnit>().MshistSubfolders),
                  c.mshistTaken ? QStringList({q(R"(C:\Hist\History.IE5\MSHist01\)")}) : QStringList());
        EXPECT_EQ(f.ctx.g.IEHistoryPaths[1], q(R"(C:\HIST\*.*)"));
    }
}

TEST(IeDiscoveryTest, AtMost25MshistSubfolders) {
    IeFixture f;
    f.shellFolder("History", R"(C:\Hist\)");
    for (int i = 10; i < 37; ++i)
        f.b.folder(QStringLiteral("C:\\Hist\\History.IE5\\MSHist%1").arg(i));

    TFrmie frm(f.ctx);

    const QStringList mshist = filled(f.ctx.unit<IeUnit>().MshistSubfolders);
    ASSERT_EQ(mshist.size(), 25);
    EXPECT_EQ(mshist.last(), q(R"(C:\Hist\History.IE5\MSHist34\)"));
    EXPECT_EQ(filled(f.ctx.g.IEHistoryPaths).size(), 1 + 25 + 2);
}

// --- a registry value of the wrong type ---

TEST(IeDiscoveryTest, ValueOfWrongTypeEndsTheDiscoveryWithTheErrorBox) {
    struct Case {
        const char* name;
        RegRoot root;
        const QString& key;
        const char* value;
    };
    const Case cases[] = {
        {"Shell Folders Cache", HKEY_CURRENT_USER, kShellFolders, "Cache"},
        {"Shell Folders Cookies", HKEY_CURRENT_USER, kShellFolders, "Cookies"},
        {"Shell Folders History", HKEY_CURRENT_USER, kShellFolders, "History"},
        {"machine-wide cache Directory", HKEY_LOCAL_MACHINE, kCachePaths, "Directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IeFixture f;
        const char* content =
            R"(C:\users\tester\AppData\Local\Microsoft\Windows\Temporary Internet Files\Content.IE5\)";
        f.sized((std::string(content) + R"(K1\a.htm)").c_str(), 10);
        f.sized(R"(C:\windows\cookies\a.txt)", 10);
        f.b.regDword(c.root, c.key, q(c.value), 1);
        f.ctx.g.LockedFileCommands[1] = q("Del C:\\old");
        f.dialogs.answerOk();

        TFrmie frm(f.ctx);

        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().at(0).kind, MsgKind::Error);
        EXPECT_EQ(f.dialogs.messages().at(0).buttons, MsgButtons::Ok);
        EXPECT_EQ(f.dialogs.messages().at(0).text,
                  QStringLiteral("Invalid data type for '%1'").arg(q(c.value)));
        // What the special folders gave stays; nothing after the failing read happened.
        EXPECT_EQ(
            filled(f.ctx.g.IECachePaths),
            qs({R"(C:\USERS\TESTER\APPDATA\LOCAL\MICROSOFT\WINDOWS\TEMPORARY INTERNET FILES\CONTENT.IE5\K1\*.*)"}));
        EXPECT_TRUE(filled(f.ctx.g.IECookiePaths).isEmpty());
        EXPECT_TRUE(filled(f.ctx.g.IEHistoryPaths).isEmpty());
        EXPECT_TRUE(f.ctx.g.LockedFileCommands[1].isEmpty());
        expectCounts(f.ctx.g.Found[CatIECache], {0, 0});
        expectCounts(f.ctx.g.Found[CatIECookies], {0, 0});
        EXPECT_EQ(f.ctx.g.IETotalFiles, 0);
    }
}

// --- totals, helpers and the cookie table ---

TEST(IeDiscoveryTest, SumIETotalsAddsTheThreeCategories) {
    IeFixture f;
    f.ctx.g.Found[CatIECache] = {3, 5'000'000'000};
    f.ctx.g.Found[CatIECookies] = {4, 7};
    f.ctx.g.Found[CatIEHistory] = {5, 11};
    SumIETotals(f.ctx);
    EXPECT_EQ(f.ctx.g.IETotalFiles, 12);
    EXPECT_EQ(f.ctx.g.IETotalBytes, 5'000'000'018);
}

TEST(IeDiscoveryTest, SeparatorHelpers) {
    struct Case {
        const char* in;
        const char* ensured;
        const char* undoubled;
    };
    const Case cases[] = {
        {"", "", ""},
        {R"(C:\a)", R"(C:\a\)", R"(C:\a)"},
        {R"(C:\a\)", R"(C:\a\)", R"(C:\a\)"},
        {R"(C:\a\\b\\c)", R"(C:\a\\b\\c\)", R"(C:\a\b\\c)"},
        {R"(C:\a\\)", R"(C:\a\\)", R"(C:\a\)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(EnsureTrailingBackslash(q(c.in)), q(c.ensured));
        EXPECT_EQ(RemoveDoubledBackslash(q(c.in)), q(c.undoubled));
    }
}

TEST(IeCookieTableTest, ListsCookieFilesButNotIndexLowOrDots) {
    IeFixture f;
    f.sized(R"(C:\Cook\tester@a[1].txt)", 1);
    f.sized(R"(C:\Cook\INDEX.dat)", 1);
    f.sized(R"(C:\Cook\low\x.txt)", 1);
    f.sized(R"(C:\Cook\lower.txt)", 1);
    f.sized(R"(C:\Gap\after-gap.txt)", 1);
    f.ctx.g.IECookiePaths[1] = q(R"(C:\COOK\*.*)");
    f.ctx.g.IECookiePaths[2] = q(R"(C:\NOWHERE\*.*)");
    f.ctx.g.IECookiePaths[4] = q(R"(C:\GAP\*.*)"); // after an empty slot: not read
    f.ctx.unit<IeUnit>().CookieFileTable[7] = q("stale");

    BuildCookieNameList(f.ctx);

    EXPECT_EQ(filled(f.ctx.unit<IeUnit>().CookieFileTable),
              qs({R"(C:\COOK\lower.txt)", R"(C:\COOK\tester@a[1].txt)"}));
    EXPECT_EQ(f.ctx.unit<IeUnit>().CookieFileCount, 2);
}

TEST(IeCookieTableTest, TakesAt200NamesAcrossMasks) {
    IeFixture f;
    for (int i = 0; i < 150; ++i)
        f.b.file(QStringLiteral("C:\\A\\c%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    for (int i = 0; i < 60; ++i)
        f.b.file(QStringLiteral("C:\\B\\c%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    f.ctx.g.IECookiePaths[1] = q(R"(C:\A\*.*)");
    f.ctx.g.IECookiePaths[2] = q(R"(C:\B\*.*)");

    BuildCookieNameList(f.ctx);

    EXPECT_EQ(f.ctx.unit<IeUnit>().CookieFileCount, 200);
    EXPECT_EQ(f.ctx.unit<IeUnit>().CookieFileTable[150], q(R"(C:\A\c149.txt)"));
    EXPECT_EQ(f.ctx.unit<IeUnit>().CookieFileTable[200], q(R"(C:\B\c049.txt)"));
    // Built again from the same list: the same table.
    BuildCookieNameList(f.ctx);
    EXPECT_EQ(f.ctx.unit<IeUnit>().CookieFileCount, 200);
}
