// Every cleaner that walks below a folder, run over planted hostile trees: what lies outside, the
// names Windows cannot hold and what lies behind a mount point must come out byte-identical.
#include "cleaners/UIM.h"
#include "cleaners/UVideoCookies.h"
#include "cleaners/udir.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "cleaners/uurls.h"
#include "core/AppContext.h"
#include "platform/Shell.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"
#include "support/HostileTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

namespace niv {
namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

struct HostileCase {
    const char* name;
    // Plants the tree where the cleaner looks and runs the cleaner.
    std::function<void(AppFixture&, HostileTree&)> run;
};

void junkState(AppFixture& f) {
    f.ctx.g.WindowsFolder = q("C:\\windows");
    f.ctx.g.RecentFolder = q("C:\\users\\tester\\Recent");
    f.ctx.g.ScanLogPath = q("C:\\Nivfold\\nvscan7.ini");
    f.b.folder(q("C:\\windows"));
    f.b.folder(q("C:\\users\\tester"));
}

void tempState(AppFixture& f, HostileTree& t, bool all) {
    junkState(f);
    t.plant(q("C:\\users\\tester\\Temp"), {}, q(".tmp"));
    f.ctx.g.Tempall = all;
    f.ctx.unit<NonUnit>().TempFolder = q("C:\\users\\tester\\Temp\\");
    f.ctx.unit<NonUnit>().ProgramDrive = q("C:");
}

void chromeState(AppFixture& f) {
    f.ctx.g.ChromeProfileFolder = q("C:\\Local\\Google\\Chrome\\User Data\\Default");
    f.ctx.g.ChromeCacheFolder = f.ctx.g.ChromeProfileFolder + q("\\Cache");
}

const HostileCase kCases[] = {
    {"temp files recycled, then the bin emptied",
     [](AppFixture& f, HostileTree& t) {
         tempState(f, t, true);
         CleanTempFiles(f.ctx);
         EmptyRecycleBin(f.ctx);
     }},
    {"temp files whose folder became a link leading outside while they were recycled",
     [](AppFixture& f, HostileTree& t) {
         junkState(f);
         const QString temp = q("C:\\users\\tester\\Temp");
         f.b.file(temp + q("\\a.tmp"), "first");
         f.b.file(temp + q("\\t.tmp"), "named as a file outside");
         f.ctx.g.Tempall = true;
         f.ctx.unit<NonUnit>().TempFolder = temp + u'\\';
         f.ctx.unit<NonUnit>().ProgramDrive = q("C:");
         // The first recycle moves the folder aside and leaves a link to the sentinel in its place.
         const std::string host = f.b.hostPath(temp);
         f.ctx.recycleClock = [&f, &t, host, swapped = false]() mutable {
             if (!std::exchange(swapped, true)) {
                 std::filesystem::rename(host, f.b.outside() + "/temp-aside");
                 std::filesystem::create_directory_symlink(t.sentinel() + "/sub", host);
             }
             return MachineBuilder::fileTime(2024, 1, 1);
         };
         CleanTempFiles(f.ctx);
     }},
    {"temp folders holding mount points too deep for the handles left, recycled",
     [](AppFixture& f, HostileTree& t) {
         junkState(f);
         t.plant(q("C:\\users\\tester\\Temp\\a") + q("\\d").repeated(80));
         f.ctx.g.Tempall = true;
         f.ctx.unit<NonUnit>().TempFolder = q("C:\\users\\tester\\Temp\\");
         f.ctx.unit<NonUnit>().ProgramDrive = q("C:");
         const FewHandles few(20);
         CleanTempFiles(f.ctx);
     }},
    {"the program folder reached through a drive letter, a link with \"..\" and Z:",
     [](AppFixture& f, HostileTree&) {
         junkState(f);
         f.b.drive('p', f.b.programFolder());
         f.b.drive('z', "/");
         f.b.hostLink(q("C:\\plink"), "../../program");
         const QString viaZ = q("Z:") + QString::fromStdString(f.b.programFolder()).replace(u'/', u'\\');
         for (const QString& entry : {q("P:\\*.htm"), q("C:\\PLINK\\*.htm"), viaZ + q("\\*.htm")})
             ScanOwnListEntry(f.ctx, entry, true);
         f.ctx.g.Tempall = true;
         f.ctx.unit<NonUnit>().TempFolder = q("C:\\plink\\");
         f.ctx.unit<NonUnit>().ProgramDrive = q("C:");
         CleanTempFiles(f.ctx);
     }},
    {"temp files counted with *.tmp",
     [](AppFixture& f, HostileTree& t) {
         tempState(f, t, false);
         CountJunkFiles(f.ctx);
         CleanTempFiles(f.ctx);
     }},
    {"recent documents, with linked destination folders",
     [](AppFixture& f, HostileTree& t) {
         junkState(f);
         t.plant(q("C:\\users\\tester\\Recent"), {}, q(".lnk"));
         f.b.hostLink(q("C:\\users\\tester\\Recent\\AutomaticDestinations"), t.sentinel());
         f.b.hostLink(q("C:\\users\\tester\\Recent\\CustomDestinations"), t.sentinel());
         CountJunkFiles(f.ctx);
         CleanRecentDocs(f.ctx);
     }},
    {"dump files below a linked minidump folder",
     [](AppFixture& f, HostileTree& t) {
         junkState(f);
         t.plant(q("C:\\windows\\minidump"), q("m"), q(".dmp"));
         f.b.hostLink(q("C:\\windows\\minidump\\mlinked.dmp"), t.sentinel());
         CleanDumpFiles(f.ctx);
     }},
    {"Firefox cache with wipe, a linked hex folder and hex folders full of traps",
     [](AppFixture& f, HostileTree& t) {
         f.ctx.g.Wipe = true;
         for (const char* folder : {"", "\\0", "\\0\\sub"})
             t.plant(q("C:\\FF\\Profile\\Cache") + q(folder));
         f.b.hostLink(q("C:\\FF\\Profile\\Cache\\1"), t.sentinel());
         f.ctx.g.FirefoxCacheDirs[1] = q("C:\\FF\\Profile\\Cache\\");
         DeleteFirefoxCache(f.ctx);
     }},
    {"Firefox cache folder that is itself a link",
     [](AppFixture& f, HostileTree& t) {
         f.b.hostLink(q("C:\\FF\\Profile\\Cache"), t.sentinel());
         f.ctx.g.FirefoxCacheDirs[1] = q("C:\\FF\\Profile\\Cache\\");
         DeleteFirefoxCache(f.ctx);
     }},
    {"Chrome with a linked profile folder",
     [](AppFixture& f, HostileTree& t) {
         chromeState(f);
         f.b.hostLink(f.ctx.g.ChromeProfileFolder, t.sentinel());
         DeleteChromeHistory(f.ctx);
         DeleteChromeCookies(f.ctx);
         DeleteChromeCache(f.ctx);
     }},
    {"Chrome cache full of traps, wiped",
     [](AppFixture& f, HostileTree& t) {
         chromeState(f);
         t.plant(f.ctx.g.ChromeCacheFolder);
         f.ctx.g.Wipe = true;
         DeleteChromeCache(f.ctx);
     }},
    {"the recycle bin emptied over an item full of traps",
     [](AppFixture& f, HostileTree& t) {
         t.plant(recycleBinFolder() + q("\\$RABCDEF"));
         f.b.file(recycleBinFolder() + q("\\$IABCDEF"), "record");
         f.b.hostLink(recycleBinFolder() + q("\\$RLINKED"), t.sentinel());
         f.b.file(recycleBinFolder() + q("\\$ILINKED"), "record");
         EmptyRecycleBin(f.ctx);
     }},
    {"Internet Explorer cache and cookies wiped, a content folder linked after discovery",
     [](AppFixture& f, HostileTree& t) {
         const QString cache = q("C:\\IE\\Temporary Internet Files\\Content.IE5");
         t.plant(cache);
         t.plant(cache + q("\\Q1W2E3R4"));
         f.b.folder(cache + q("\\LATER"));
         t.plant(q("C:\\windows\\cookies"), {}, q(".txt"));
         f.b.regString(HKEY_CURRENT_USER,
                       q("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"), q("Cache"),
                       q("C:\\IE\\Temporary Internet Files"));
         f.b.hostLink(q("C:\\windows\\history"), t.sentinel());
         TFrmie frm(f.ctx);
         DeleteIEHistory(f.ctx);
         std::filesystem::remove(f.b.hostPath(cache + q("\\LATER")));
         f.b.hostLink(cache + q("\\LATER"), t.sentinel());
         f.ctx.g.Wipe = true;
         DeleteIECache(f.ctx);
         DeleteIECookies(f.ctx);
     }},
    {"the messenger list over logs full of traps",
     [](AppFixture& f, HostileTree& t) {
         t.plant(q("C:\\Yahoo\\Archive"), {}, q(".dat"));
         f.b.file(q("C:\\Nivfold\\nvscan7.ini"), "[YH25]\r\nP1=C:\\Yahoo\\Archive\\\r\n");
         f.ctx.g.ScanLogPath = q("C:\\Nivfold\\nvscan7.ini");
         for (const QString& line : FillInstantMessageList(f.ctx))
             DeleteImLog(f.ctx, ImLinePath(line));
     }},
    {"listed Flash sites whose folder became a link leading outside",
     [](AppFixture& f, HostileTree& t) {
         f.b.outsideFile("sentinel/site.com/s.sol", "sentinel site");
         f.b.file(q("C:\\fl\\x\\site.com\\s.sol"), "site");
         t.plant(q("C:\\fl")); // records the sentinel as it is now
         f.ctx.g.FlashCookieFolder = q("C:\\fl");
         FlashSites sites;
         ScanFlashCookieFolders(f.ctx, f.ctx.g.FlashCookieFolder, sites);
         std::filesystem::rename(f.b.hostPath(q("C:\\fl\\x")), f.b.outside() + "/gone");
         f.b.hostLink(q("C:\\fl\\x"), t.sentinel());
         RemoveFlashSites(f.ctx, sites, std::vector<bool>(std::size_t(sites.names.size()), true));
     }},
    {"listed Flash sites and Firefox files whose folder became a case twin leading outside",
     [](AppFixture& f, HostileTree& t) {
         f.b.outsideFile("sentinel/site.com/s.sol", "sentinel site");
         f.b.file(q("C:\\fl\\x\\site.com\\s.sol"), "site");
         f.b.file(q("C:\\fl\\x\\History"), "places");
         t.plant(q("C:\\fl")); // records the sentinel as it is now
         f.ctx.g.FlashCookieFolder = q("C:\\fl");
         f.ctx.g.FirefoxPlacesFile = q("C:\\fl\\x\\History");
         FlashSites sites;
         ScanFlashCookieFolders(f.ctx, f.ctx.g.FlashCookieFolder, sites);
         std::filesystem::rename(f.b.hostPath(q("C:\\fl\\x")), f.b.outside() + "/gone");
         f.b.hostLink(q("C:\\fl\\X"), t.sentinel());
         RemoveFlashSites(f.ctx, sites, std::vector<bool>(std::size_t(sites.names.size()), true));
         DeleteFirefoxPlaces(f.ctx);
     }},
};

class HostileTreeCleanersTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileTreeCleanersTest, NothingOutsideWhatWasChosenChanges) {
    AppFixture f;
    HostileTree tree(f.b);
    tree.armSwap();
    GetParam().run(f, tree);
    EXPECT_EQ(tree.changes(), "");
}

INSTANTIATE_TEST_SUITE_P(EveryWalkingCleaner, HostileTreeCleanersTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(TempFolderRefusalTest, DriveRootsTheWindowsFolderTheProfileAndAboveAreRefused) {
    AppFixture f;
    f.b.drive('z', "/");
    f.b.hostLink(q("C:\\plink"), "../../program");
    f.b.file(q("C:\\windows\\system32\\kernel32.dll"), "k");
    f.b.file(q("C:\\users\\tester\\Documents\\mine.tmp"), "d");
    f.b.file(q("C:\\users\\tester\\AppData\\Local\\Temp\\old.tmp"), "t");
    f.b.regString(HKEY_CURRENT_USER, q("Environment"), q("SystemDrive"), q("C:"));
    const std::pair<const char*, bool> cases[] = {
        {"C:", true},
        {"Z:\\", true},
        {"c:\\WINDOWS", true},
        {"C:\\users\\", true},
        {"C:\\users\\tester\\", true},
        {"c:\\plink\\", true},
        {"C:\\users\\tester\\AppData\\Local\\Temp\\", false},
        {"C:\\windows\\temp\\", false},
    };
    for (const auto& [temp, refused] : cases)
        EXPECT_EQ(IsRefusedTempFolder(f.ctx, q(temp)), refused) << temp;
    // Refused means nothing counted and nothing recycled, with Tempall on or off.
    for (bool all : {true, false}) {
        f.ctx.g.Tempall = all;
        f.ctx.unit<NonUnit>().PassFiles = 0;
        ScanTempFolder(f.ctx, all ? q("*.*") : q("*.tmp"), q("C:\\users\\"), true);
        EXPECT_EQ(f.ctx.unit<NonUnit>().PassFiles, 0);
    }
    EXPECT_TRUE(f.b.exists(q("C:\\users\\tester\\Documents\\mine.tmp")));
    EXPECT_TRUE(f.b.exists(q("C:\\windows\\system32\\kernel32.dll")));
}

TEST(TempFolderTwiceTest, ATempFolderInsideTheWindowsTempLeavesTheRestCounted) {
    AppFixture f;
    junkState(f);
    f.b.file(q("C:\\windows\\temp\\one.tmp"), "12345");
    f.b.file(q("C:\\windows\\temp\\1\\two.tmp"), "12");
    f.b.regString(HKEY_CURRENT_USER, q("Environment"), q("TEMP"), q("C:\\windows\\temp\\1"));
    CountJunkFiles(f.ctx);
    EXPECT_EQ(f.ctx.g.Found[CatTempc].FoundFiles, 2);
}

TEST(AolCacheCountTest, ALinkedCacheIsNeitherCountedNorCleaned) {
    AppFixture f;
    junkState(f);
    HostileTree tree(f.b);
    f.b.folder(q("C:\\AOL\\Organize"));
    f.b.hostLink(q("C:\\AOL\\Organize\\Cache"), tree.sentinel());
    f.b.regString(HKEY_LOCAL_MACHINE, q("Software\\America Online\\AOL\\CurrentVersion"), q("AppPath"),
                  q("C:\\AOL"));
    CountJunkFiles(f.ctx);
    EXPECT_EQ(f.ctx.g.Found[CatOtherj].FoundFiles, 0);
}

TEST(TempFolderTwiceTest, TheWindowsTempReachedThroughAnotherDriveCountsOnce) {
    AppFixture f;
    junkState(f);
    f.b.drive('z', "/");
    f.b.file(q("C:\\windows\\temp\\one.tmp"), "12345");
    const QString viaZ =
        q("Z:") + QString::fromStdString(f.b.hostPath(q("C:\\windows\\temp"))).replace(u'/', u'\\');
    f.b.regString(HKEY_CURRENT_USER, q("Environment"), q("TEMP"), viaZ);
    CountJunkFiles(f.ctx);
    EXPECT_EQ(f.ctx.g.Found[CatTempc].FoundFiles, 1);
    EXPECT_EQ(f.ctx.g.Found[CatTempc].FoundBytes, 5);
}

} // namespace
} // namespace niv
