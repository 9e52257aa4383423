// The Firefox/Chrome unit over a machine with Firefox profiles named in the scan log and a Chrome
// profile: the lists, the six counts and the six cleaners.
#include "cleaners/unet.h"
#include "platform/FileSys.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QStringList filled(const PathList& list) {
    QStringList out;
    for (int slot = 1; slot <= list.count(); ++slot)
        if (!list[slot].isEmpty()) out << list[slot];
    return out;
}

const QString kScanLog = q(R"(C:\Nivfold\nvscan7.ini)");
const QString kChrome = q(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default)");

// Two Firefox profiles as the drive scan records them, one gone since, and a Chrome profile.
struct NetFixture : AppFixture {
    NetFixture() {
        ctx.g.ScanLogPath = kScanLog;
        ctx.g.ChromeProfileFolder = kChrome;
        ctx.g.ChromeCacheFolder = kChrome + q("\\Cache");
        b.file(kScanLog, "[K17]\r\nP1=C:\\FF\\p1\\\r\nP2=C:\\FF\\p2\\\r\nP3=C:\\FF\\gone\\\r\n"
                         "[P45]\r\nP1=C:\\FF\\p1\\CACHE\r\nP2=C:\\FF\\p2\\CACHE\r\nP3=c:\\ff\\P2\\cache\r\n"
                         "P4=C:\\FF\\gone\\CACHE\r\nP5=C:\\FF\\p2\\other\r\n"
                         "[H53]\r\nP1=C:\\FF\\p1\\\r\nP2=C:\\FF\\gone\\\r\n"
                         "[FFFH]\r\nP0=C:\\FF\\p1\\formhistory.sqlite*\r\n"
                         "[FFCK]\r\nP0=C:\\FF\\p2\\cookies.sqlite*\r\n"
                         "[FFPL]\r\nP0=C:\\FF\\p1\\places.sqlite\r\n[FFPL2]\r\nP0=j\r\n[FFPL3]\r\nP0=w\r\n");
        // Profile 1: both cookie files, all three history files, and beside its recorded cache
        // folder a "newcache" one, which is taken instead.
        sized(R"(C:\FF\p1\cookies.txt)", 100);
        sized(R"(C:\FF\p1\cookies.sqlite)", 200);
        sized(R"(C:\FF\p1\netscape.hst)", 1);
        sized(R"(C:\FF\p1\history.dat)", 2);
        sized(R"(C:\FF\p1\formhistory.dat)", 4);
        sized(R"(C:\FF\p1\formhistory.sqlite)", 8);
        sized(R"(C:\FF\p1\CACHEnewcache\index)", 1000);
        sized(R"(C:\FF\p1\CACHEnewcache\0\direct)", 7); // directly in a hex folder: left alone
        sized(R"(C:\FF\p1\CACHEnewcache\0\1A\entry)", 10);
        sized(R"(C:\FF\p1\CACHEnewcache\0\1A\2B\deeper)", 20);
        sized(R"(C:\FF\p1\CACHEnewcache\F\3C\last)", 30);
        b.sizedFile(q(R"(C:\FF\p1\CACHE\ignored.txt)"),
                    9); // in the folder given way to "newcache": not searched
        // A linked folder inside the cache is never entered.
        b.outsideFile("elsewhere/keep", "precious");
        b.hostLink(q(R"(C:\FF\p1\CACHEnewcache\0\linked)"), b.outside() + "/elsewhere");
        // Profile 2: the cookie database only; its cache without "newcache", and a folder not
        // named like a cache.
        sized(R"(C:\FF\p2\cookies.sqlite)", 300);
        sized(R"(C:\FF\p2\cookies.sqlite-wal)", 50);
        sized(R"(C:\FF\p2\CACHE\a)", 40);
        sized(R"(C:\FF\p2\other\b)", 60);
        sized(R"(C:\FF\p2\other\0\sub\c)", 70); // not a cache path: its hex folders are not walked
        // Chrome.
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\History)", 11);
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\History-journal)", 12);
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\Visited Links)", 13);
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\Archived History)", 14);
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\Cookies)", 15);
        sized(R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\Cache\f_1)", 16);
        b.folder(kChrome + q("\\Cache\\plain"));
        b.folder(kChrome + q("\\Cache\\hidden"));
        b.attributes(kChrome + q("\\Cache\\hidden"), faHidden | faDirectory);
    }
    void sized(const char* path, std::int64_t size) { b.sizedFile(q(path), size); }
    FoundCounter found(Category c) const { return ctx.g.Found[c]; }
};

} // namespace

TEST(NetScanTest, ListsFromTheScanLog) {
    NetFixture f;
    TFrmnet scanner(f.ctx);
    const GlobalVars& g = f.ctx.g;
    EXPECT_EQ(filled(g.FirefoxCookieFiles),
              (QStringList{q(R"(C:\FF\p1\cookies.txt)"), q(R"(C:\FF\p2\cookies.sqlite)")}));
    EXPECT_TRUE(g.FirefoxCookieFiles[3].isEmpty());
    EXPECT_EQ(filled(g.FirefoxHistoryFiles),
              (QStringList{q(R"(C:\FF\p1\netscape.hst)"), q(R"(C:\FF\p1\history.dat)"),
                           q(R"(C:\FF\p1\formhistory.dat)")}));
    EXPECT_EQ(g.FirefoxCacheScanDirs[1], q(R"(C:\FF\p1\CACHEnewcache)"));
    EXPECT_EQ(g.FirefoxCacheScanDirs[2], q(R"(C:\FF\p2\CACHE)"));
    EXPECT_TRUE(g.FirefoxCacheScanDirs[4].isEmpty());
    // The same folder in another case is kept once, as first given.
    EXPECT_EQ(filled(g.FirefoxCacheDirs), (QStringList{q(R"(C:\FF\p1\CACHEnewcache\)"),
                                                       q(R"(C:\FF\p2\CACHE\)"), q(R"(C:\FF\p2\other\)")}));
    EXPECT_EQ(g.FirefoxFormHistoryMask, q(R"(C:\FF\p1\formhistory.sqlite*)"));
    EXPECT_EQ(g.FirefoxCookieDbMask, q(R"(C:\FF\p2\cookies.sqlite*)"));
    EXPECT_EQ(g.FirefoxPlacesFile, q(R"(C:\FF\p1\places.sqlite)"));
    EXPECT_EQ(g.FirefoxPlacesJournalFile, q("j"));
    EXPECT_EQ(g.FirefoxWebStoreFile, q("w"));
}

TEST(NetScanTest, CountsEachCategory) {
    NetFixture f;
    TFrmnet scanner(f.ctx);
    struct Case {
        Category category;
        std::int64_t files, bytes;
    };
    const Case cases[] = {
        // index, the hex folders' sub-folder entries at every depth; p2's cache; p2/other's own b.
        {CatNSCache, 1 + 3 + 1 + 1, 1000 + 10 + 20 + 30 + 40 + 60},
        {CatNSHistory, 4, 1 + 2 + 4 + 8},
        {CatNSCookies, 4, 100 + 300 + 300 + 50}, // p2's database found by its slot and its mask
        {CatGHistory, 4, 11 + 12 + 13 + 14},
        {CatGCache, 2, 16}, // the hidden folder counts as an entry, the plain one does not
        {CatGCookies, 1, 15},
    };
    std::int64_t files = 0, bytes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(categoryValueName(c.category).toStdString());
        EXPECT_EQ(f.found(c.category).FoundFiles, c.files);
        EXPECT_EQ(f.found(c.category).FoundBytes, c.bytes);
        files += c.files;
        bytes += c.bytes;
    }
    EXPECT_EQ(f.ctx.g.BrowserTotalFiles, files);
    EXPECT_EQ(f.ctx.g.BrowserTotalBytes, bytes);
}

TEST(NetScanTest, NothingRecordedAndNoChromeProfileCountsNothing) {
    AppFixture f;
    f.ctx.g.ScanLogPath = kScanLog;
    f.ctx.g.ChromeProfileFolder = kChrome;
    f.ctx.g.ChromeCacheFolder = kChrome + q("\\Cache");
    f.ctx.g.Found[CatGCache] = {5, 5};
    TFrmnet scanner(f.ctx);
    for (Category c : {CatNSCache, CatNSHistory, CatNSCookies, CatGHistory, CatGCache, CatGCookies})
        EXPECT_EQ(f.ctx.g.Found[c].FoundFiles, 0);
    EXPECT_EQ(f.ctx.g.BrowserTotalBytes, 0);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(NetScanTest, CleanableNames) {
    const std::pair<const char*, bool> cases[] = {{".", false},  {"..", false},          {"name.", false},
                                                  {"a.b", true}, {"no-extension", true}, {".hidden", true}};
    for (const auto& [name, cleanable] : cases)
        EXPECT_EQ(IsCleanableName(q(name)), cleanable) << name;
}

TEST(NetCleanerTest, ResultLinesAndCounters) {
    struct Case {
        Category category;
        void (*cleaner)(AppContext&);
        const char* locked; // a file the cleaner cannot delete, or nullptr
        const char* line;
    };
    const Case cases[] = {
        {CatNSCache, DeleteFirefoxCache, nullptr, "All files have been deleted."},
        {CatNSCache, DeleteFirefoxCache, R"(C:\FF\p1\CACHEnewcache\0\1A\entry)",
         "5 out of 6 total Mozilla Firefox cache files have been deleted. "},
        {CatNSHistory, DeleteFirefoxHistory, R"(C:\FF\p1\history.dat)",
         "3 out of 4 total Mozilla Firefox history files have been deleted. "},
        // p2's database is found twice by the count but can go only once.
        {CatNSCookies, DeleteFirefoxCookies, nullptr,
         "3 out of 4 total Mozilla Firefox cookie files have been deleted. "},
        {CatGHistory, DeleteChromeHistory, nullptr, "All files have been deleted."},
        {CatGHistory, DeleteChromeHistory,
         R"(C:\users\tester\AppData\Local\Google\Chrome\User Data\Default\History)",
         "3 out of 4 total Google Chrome history files have been deleted. "},
        // The hidden folder was counted but is no file to delete.
        {CatGCache, DeleteChromeCache, nullptr,
         "1 out of 2 total Google Chrome cache files have been deleted. "},
        {CatGCookies, DeleteChromeCookies, nullptr, "All files have been deleted."},
    };
    for (const Case& c : cases) {
        for (bool automatic : {false, true}) {
            SCOPED_TRACE(c.line + std::string(automatic ? " (automatic)" : ""));
            NetFixture f;
            TFrmnet scanner(f.ctx);
            if (c.locked) f.b.dropWriteBits(q(c.locked));
            const FoundCounter before = f.found(c.category);
            const std::int64_t totalBefore = f.ctx.g.BrowserTotalFiles;
            f.ctx.g.AutoCleanMode = automatic;
            c.cleaner(f.ctx);

            const NetUnit& unit = f.ctx.unit<NetUnit>();
            EXPECT_EQ(f.ctx.g.CategoryResults[categoryInfo(c.category).slot], q(c.line));
            const std::int64_t lowered = automatic ? 0 : unit.DeletedFiles;
            EXPECT_EQ(f.found(c.category).FoundFiles, before.FoundFiles - lowered);
            EXPECT_EQ(f.found(c.category).FoundBytes,
                      before.FoundBytes - (automatic ? 0 : unit.DeletedBytes));
            EXPECT_EQ(f.ctx.g.BrowserTotalFiles, totalBefore - lowered);
            if (c.locked) {
                EXPECT_TRUE(f.b.exists(q(c.locked)));
            }
        }
    }
}

TEST(NetCleanerTest, WhatTheCacheCleanerLeaves) {
    NetFixture f;
    TFrmnet scanner(f.ctx);
    DeleteFirefoxCache(f.ctx);
    for (const char* gone : {R"(C:\FF\p1\CACHEnewcache\index)", R"(C:\FF\p1\CACHEnewcache\0\1A\2B\deeper)",
                             R"(C:\FF\p1\CACHEnewcache\F\3C\last)", R"(C:\FF\p2\other\b)"})
        EXPECT_FALSE(f.b.exists(q(gone))) << gone;
    for (const char* kept : {R"(C:\FF\p1\CACHEnewcache\0\direct)", R"(C:\FF\p1\CACHE\ignored.txt)",
                             R"(C:\FF\p2\other\0\sub\c)", R"(C:\FF\p1\CACHEnewcache\0\1A\2B)"})
        EXPECT_TRUE(f.b.exists(q(kept))) << kept;
    EXPECT_TRUE(f.b.isLink(q(R"(C:\FF\p1\CACHEnewcache\0\linked)")));
    EXPECT_EQ(f.b.readHost(q(R"(C:\FF\p1\CACHEnewcache\0\linked\keep)")), QByteArray("precious"));
}

TEST(NetCleanerTest, WipeOverwritesBeforeTheDelete) {
    NetFixture f;
    TFrmnet scanner(f.ctx);
    f.ctx.g.Wipe = true;
    const QString cookies = kChrome + q("\\Cookies");
    f.b.dropWriteBits(cookies); // read-only: neither wiped nor deleted
    f.b.file(kChrome + q("\\History"), "visited pages");
    DeleteChromeHistory(f.ctx);
    DeleteChromeCookies(f.ctx);
    EXPECT_FALSE(f.b.exists(kChrome + q("\\History")));
    EXPECT_TRUE(f.b.exists(cookies));
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultGCookies],
              q("0 out of 1 total Google Chrome cookie files have been deleted. "));
}

TEST(NetScanTest, ASearchThatRunsOutOfHandlesSaysSoOncePerPass) {
    AppFixture f;
    f.ctx.g.ScanLogPath = kScanLog;
    f.b.file(kScanLog, "[P45]\r\nP1=C:\\FF\\p\\Cache\r\n");
    for (const char* hex : {"\\0", "\\1"})
        f.b.folder(q(R"(C:\FF\p\Cache)") + q(hex) + q("\\d").repeated(80));
    const FewHandles few(20);
    f.dialogs.answerOk();
    TFrmnet scanner(f.ctx);
    EXPECT_EQ(f.dialogs.messageTexts().size(), 1);
}

TEST(NetCleanerTest, ACacheFolderSwappedForALinkMidCleanIsNotFollowed) {
    AppFixture f;
    f.ctx.g.ScanLogPath = kScanLog;
    f.b.file(kScanLog, "[P45]\r\nP1=C:\\FF\\p\\Cache\r\n");
    f.b.file(q(R"(C:\FF\p\Cache\0\sub\x)"));
    f.b.outsideFile("elsewhere/1/sub/victim", "precious");
    TFrmnet scanner(f.ctx);
    const std::string cache = f.b.hostPath(q(R"(C:\FF\p\Cache)"));
    f.b.machine().faults().onWalkEnter([&](const QString& folder) {
        if (!folder.endsWith(q(R"(\0\sub\)")) || std::filesystem::is_symlink(cache)) return;
        std::filesystem::rename(cache, cache + ".old");
        std::filesystem::create_directory_symlink(f.b.outside() + "/elsewhere", cache);
    });
    DeleteFirefoxCache(f.ctx);
    ASSERT_TRUE(std::filesystem::is_symlink(cache));
    EXPECT_EQ(f.b.readHost(q(R"(C:\FF\p\Cache\1\sub\victim)")), QByteArray("precious"));
}
