// The junk unit: what its start-up count finds, its summary, and its cleaners.
#include "cleaners/unon.h"

#include "core/AppContext.h"
#include "platform/Shell.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const char* const kRecent = R"(C:\users\tester\Recent)";
const char* const kTemp = R"(C:\users\tester\AppData\Local\Temp)";
const char* const kAolKey1 = R"(Software\America Online\AOL\CurrentVersion)";
const char* const kAolKey2 = R"(Software\America Online\America Online\CurrentVersion)";

struct JunkFixture : AppFixture {
    JunkFixture() {
        ctx.g.WindowsFolder = q(R"(C:\windows)");
        ctx.g.RecentFolder = q(kRecent);
        ctx.g.ScanLogPath = q(R"(C:\Nivfold\nvscan7.ini)");
        ctx.unit<NonUnit>().ConfirmsCopy = true;
    }
    void sized(const QString& path, std::int64_t size) { b.sizedFile(path, size); }
    void machineString(const char* key, const char* name, const char* value) {
        b.regString(HKEY_LOCAL_MACHINE, q(key), q(name), q(value));
    }
    // The recycle bin's entries, by name.
    QStringList bin() const {
        return QDir(QString::fromStdString(b.hostPath(recycleBinFolder())))
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

using BuildMachine = std::function<void(JunkFixture&)>;

} // namespace

TEST(JunkCountTest, SourcesOfEachCategory) {
    struct Case {
        const char* name;
        BuildMachine setup;
        Category category;
        FoundCounter expected;
    };
    const auto files = [](std::vector<std::pair<const char*, int>> list) {
        return [list](JunkFixture& f) {
            for (const auto& [path, size] : list)
                f.sized(q(path), size);
        };
    };
    const Case cases[] = {
        {"Recent: links only, no jump-list folders",
         files({{R"(C:\users\tester\Recent\a.lnk)", 10}, {R"(C:\users\tester\Recent\b.txt)", 99}}),
         CatRecentc,
         {1, 10}},
        {"Recent: links and both jump-list folders",
         files({{R"(C:\users\tester\Recent\a.lnk)", 10},
                {R"(C:\users\tester\Recent\CustomDestinations\x.customDestinations-ms)", 20},
                {R"(C:\users\tester\Recent\AutomaticDestinations\y.automaticDestinations-ms)", 30},
                {R"(C:\users\tester\Recent\AutomaticDestinations\z.dat)", 40}}),
         CatRecentc,
         {3, 60}},
        {"media: masks up to the first blank key",
         [](JunkFixture& f) {
             f.b.file(q(R"(C:\Nivfold\nvscan7.ini)"),
                      "[MM20]\r\nP1=C:\\wmp\\*.wmdb\r\nP2=C:\\wmp\\cache\\*.*\r\nP4=C:\\x\\*.*\r\n");
             f.sized(q(R"(C:\wmp\a.wmdb)"), 5);
             f.sized(q(R"(C:\wmp\cache\b.bin)"), 6);
             f.sized(q(R"(C:\x\c.bin)"), 7);
         },
         CatMediac,
         {2, 11}},
        {"media: a blank first key counts nothing",
         [](JunkFixture& f) {
             f.b.file(q(R"(C:\Nivfold\nvscan7.ini)"), "[MM20]\r\nP1=  \r\nP2=C:\\wmp\\*.*\r\n");
             f.sized(q(R"(C:\wmp\a.wmdb)"), 5);
         },
         CatMediac,
         {0, 0}},
        {"recycled folder of the Windows drive",
         files({{R"(C:\recycled\dc1.txt)", 8}, {R"(C:\recycled\dc2.txt)", 9}}),
         CatRecyclec,
         {2, 17}},
        {"minidumps and the memory dump",
         files({{R"(C:\windows\minidump\mini1.dmp)", 100},
                {R"(C:\windows\minidump\other.dmp)", 1},
                {R"(C:\windows\memory.dmp)", 1000}}),
         CatOtherc,
         {2, 1100}},
        {"temp, Tempall off: *.tmp entries and folders named *.tmp, both temp folders",
         files({{R"(C:\users\tester\AppData\Local\Temp\a.tmp)", 1},
                {R"(C:\users\tester\AppData\Local\Temp\keep.log)", 2},
                {R"(C:\users\tester\AppData\Local\Temp\sub\b.tmp)", 4},
                {R"(C:\users\tester\AppData\Local\Temp\dir.tmp\c.tmp)", 8},
                {R"(C:\users\tester\AppData\Local\Temp\dir.tmp\d.log)", 16},
                {R"(C:\windows\temp\e.tmp)", 32}}),
         CatTempc,
         {4, 41}},
        {"temp, Tempall on: every entry, folders as entries of size 0",
         [](JunkFixture& f) {
             f.ctx.g.Tempall = true;
             f.sized(q(R"(C:\users\tester\AppData\Local\Temp\keep.log)"), 2);
             f.sized(q(R"(C:\users\tester\AppData\Local\Temp\sub\b.tmp)"), 4);
             f.sized(q(R"(C:\windows\temp\e.dat)"), 32);
         },
         CatTempc,
         {4, 38}},
        {"temp, Tempall on: a linked folder counts but is not entered",
         [](JunkFixture& f) {
             f.ctx.g.Tempall = true;
             f.sized(q(R"(C:\elsewhere\big.bin)"), 500);
             f.b.link(q(R"(C:\users\tester\AppData\Local\Temp\link)"), q(R"(C:\elsewhere)"));
         },
         CatTempc,
         {1, 0}},
        {"additional garbage: two AOL paths differing in case are scanned once, and FI*.CHK",
         [](JunkFixture& f) {
             f.machineString(kAolKey1, "AppPath", R"(C:\AOL)");
             f.machineString(kAolKey2, "AppPath", R"(c:\aol)");
             f.sized(q(R"(C:\AOL\Organize\Cache\a.art)"), 3);
             f.sized(q(R"(C:\FILE0001.CHK)"), 4);
         },
         CatOtherj,
         {2, 7}},
        {"additional garbage: a blank AppPath is skipped, the second one scanned",
         [](JunkFixture& f) {
             f.machineString(kAolKey1, "AppPath", "  ");
             f.machineString(kAolKey2, "AppPath", R"(C:\AOL9)");
             f.sized(q(R"(C:\AOL9\Organize\Cache\a.art)"), 3);
         },
         CatOtherj,
         {1, 3}},
        {"ActiveX cache: files and its folders as entries",
         [](JunkFixture& f) {
             f.machineString(R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)", "ActiveXCache",
                             R"(C:\windows\Downloaded Program Files)");
             f.sized(q(R"(C:\windows\Downloaded Program Files\a.ocx)"), 50);
             f.sized(q(R"(C:\windows\Downloaded Program Files\sub\b.ocx)"), 60);
         },
         CatActiveX,
         {2, 50}},
        {"ActiveX cache of blanks",
         [](JunkFixture& f) {
             f.machineString(R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)", "ActiveXCache",
                             "   ");
         },
         CatActiveX,
         {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JunkFixture f;
        c.setup(f);
        CountJunkFiles(f.ctx);
        EXPECT_EQ(f.ctx.g.Found[c.category].FoundFiles, c.expected.FoundFiles);
        EXPECT_EQ(f.ctx.g.Found[c.category].FoundBytes, c.expected.FoundBytes);
        EXPECT_EQ(f.ctx.g.JunkTotalFiles, c.expected.FoundFiles);
    }
}

TEST(JunkCountTest, SummaryTotalsAre64BitAndTheFirstTotalLineHasTwoBlanks) {
    JunkFixture f;
    f.sized(q(R"(C:\windows\memory.dmp)"), 3'000'000'000);
    f.sized(q(R"(C:\recycled\x)"), 2'000'000'000);
    CountJunkFiles(f.ctx);
    const JunkSummaryTexts& s = f.ctx.unit<NonUnit>().Summary;
    EXPECT_EQ(s[1], q("DUMP FILES           -> 1 files consuming 3000000000 bytes of storage were FOUND."));
    EXPECT_EQ(s[2], q("TEMP FILES           -> None found on your system."));
    EXPECT_EQ(s[4], q("RECYCLE BIN FILES    -> Waiting to be cleaned."));
    EXPECT_EQ(s[7], q("TOTAL FILES FOUND = 2  TOTAL BYTES WASTED = 5000000000"));

    EmptyRecycleBin(f.ctx);
    EXPECT_EQ(s[4], q("RECYCLE BIN FILES    -> Waiting to be cleaned.")); // not redrawn by the bin
    CleanDumpFiles(f.ctx);
    EXPECT_EQ(s[4], q("RECYCLE BIN FILES    -> 0 files consuming 0 bytes of storage were FOUND."));
    EXPECT_EQ(s[7], q("TOTAL FILES FOUND = 1   TOTAL BYTES WASTED = 2000000000"));
}

TEST(JunkCleanerTest, LinesAndCountersOfTheCountingCleaners) {
    struct Case {
        const char* name;
        void (*cleaner)(AppContext&);
        Category category;
        int slot;
        bool confirms, automatic;
        const char* line; // nullptr: the slot keeps its text
        FoundCounter after;
    };
    const Case cases[] = {
        {"dump",
         CleanDumpFiles,
         CatOtherc,
         ResultDump,
         true,
         false,
         "1 files out of 2 files have been deleted.",
         {1, 10}},
        {"dump, confirms off", CleanDumpFiles, CatOtherc, ResultDump, false, false, nullptr, {1, 10}},
        {"dump, automatic",
         CleanDumpFiles,
         CatOtherc,
         ResultDump,
         true,
         true,
         "1 files out of 2 files have been deleted.",
         {2, 30}},
        {"recent: links go, other folders stay",
         CleanRecentDocs,
         CatRecentc,
         ResultRecent,
         true,
         false,
         "1 files out of 1 files have been deleted.",
         {0, 0}},
        {"media is counted again",
         CleanMediaCache,
         CatMediac,
         ResultMedia,
         true,
         false,
         "2 files out of 2 files have been deleted.",
         {0, 0}},
        {"media, automatic: the new count stays",
         CleanMediaCache,
         CatMediac,
         ResultMedia,
         true,
         true,
         "2 files out of 2 files have been deleted.",
         {2, 12}},
        {"temp: set to 0 though one stays",
         CleanTempFiles,
         CatTempc,
         ResultTemp,
         true,
         false,
         "1 files out of 2 files have been deleted.",
         {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JunkFixture f;
        f.sized(q(R"(C:\windows\minidump\mini1.dmp)"), 20);
        f.sized(q(R"(C:\windows\memory.dmp)"), 10);
        f.b.machine().faults().fail(FaultInjector::Op::DeleteFile, q(R"(C:\windows\memory.dmp)"),
                                    ERROR_SHARING_VIOLATION);
        f.sized(q(R"(C:\users\tester\Recent\a.lnk)"), 1);
        f.b.folder(q(R"(C:\users\tester\Recent\Other)"));
        f.b.file(q(R"(C:\Nivfold\nvscan7.ini)"), "[MM20]\r\nP1=C:\\wmp\\*.*\r\n");
        f.sized(q(R"(C:\users\tester\AppData\Local\Temp\a.tmp)"), 7);
        f.sized(q(R"(C:\users\tester\AppData\Local\Temp\b.tmp)"), 8);
        f.b.machine().faults().fail(FaultInjector::Op::Recycle,
                                    q(R"(C:\users\tester\AppData\Local\Temp\b.tmp)"),
                                    ERROR_SHARING_VIOLATION);
        CountJunkFiles(f.ctx);
        // More media at clean time than at start-up.
        f.sized(q(R"(C:\wmp\a.bin)"), 5);
        f.sized(q(R"(C:\wmp\b.bin)"), 7);
        f.ctx.unit<NonUnit>().ConfirmsCopy = c.confirms;
        f.ctx.g.AutoCleanMode = c.automatic;
        SetCategoryResult(f.ctx.g, c.slot, q("before"));
        const JunkSummaryTexts summary = f.ctx.unit<NonUnit>().Summary;

        c.cleaner(f.ctx);

        EXPECT_EQ(f.ctx.g.CategoryResults[c.slot], q(c.line ? c.line : "before"));
        EXPECT_EQ(f.ctx.g.Found[c.category].FoundFiles, c.after.FoundFiles);
        EXPECT_EQ(f.ctx.g.Found[c.category].FoundBytes, c.after.FoundBytes);
        EXPECT_EQ(f.ctx.unit<NonUnit>().Summary == summary, c.automatic);
        EXPECT_TRUE(f.b.exists(q(R"(C:\users\tester\Recent\Other)")));
    }
}

TEST(JunkCleanerTest, TempFilesGoToTheRecycleBinWhichEmptyingClears) {
    JunkFixture f;
    f.ctx.g.Tempall = true;
    f.sized(q(R"(C:\users\tester\AppData\Local\Temp\a.log)"), 7);
    f.sized(q(R"(C:\users\tester\AppData\Local\Temp\dir\b.tmp)"), 8);
    f.sized(q(R"(C:\windows\temp\c.tmp)"), 9);
    f.sized(q(R"(C:\elsewhere\keep.bin)"), 5);
    f.b.link(q(R"(C:\windows\temp\link)"), q(R"(C:\elsewhere)"));
    f.b.folder(recycleBinFolder());
    f.b.file(recycleBinFolder() + q(R"(\desktop.ini)"), "x"); // not a pair: emptying leaves it
    CountJunkFiles(f.ctx);
    ASSERT_EQ(f.ctx.g.Found[CatTempc].FoundFiles, 5);

    CleanTempFiles(f.ctx);
    EXPECT_EQ(f.ctx.unit<NonUnit>().DeletedFiles, 4);
    EXPECT_FALSE(f.b.exists(q(R"(C:\users\tester\AppData\Local\Temp\dir)")));
    EXPECT_FALSE(f.b.exists(q(R"(C:\windows\temp\link)")));
    EXPECT_TRUE(f.b.exists(q(R"(C:\elsewhere\keep.bin)")));
    EXPECT_EQ(f.bin().size(), 9); // four pairs beside desktop.ini

    EmptyRecycleBin(f.ctx);
    EXPECT_EQ(f.bin(), QStringList{q("desktop.ini")});
    EXPECT_EQ(f.ctx.g.CategoryResults[ResultRecycle], q("Recycle Bin has been cleaned."));
    EXPECT_TRUE(f.b.exists(q(R"(C:\elsewhere\keep.bin)")));
}

TEST(JunkCleanerTest, RecyclingUsesWholeLongPaths) {
    JunkFixture f;
    const QString deep = q(kTemp) + u'\\' + QString(120, u'd') + u'\\' + QString(120, u'e');
    f.b.folder(deep);
    f.sized(deep + u'\\' + QString(60, u'f') + q(".tmp"), 3);
    f.sized(deep + q(R"(\short.tmp)"), 4);
    f.ctx.g.Tempall = true;
    f.ctx.unit<NonUnit>().TempFolder = deep + u'\\';
    f.ctx.unit<NonUnit>().ProgramDrive = q("C:");
    CleanTempFiles(f.ctx);
    EXPECT_EQ(f.ctx.unit<NonUnit>().DeletedFiles, 2);
    EXPECT_EQ(f.ctx.unit<NonUnit>().TempFileList[1].size(), deep.size() + 65);
}

TEST(JunkCleanerTest, TheBinIsCalledCleanedOnlyWhenNoItemStayed) {
    JunkFixture f;
    f.b.folder(recycleBinFolder() + q("\\$RDEEP01") + q("\\d").repeated(80));
    f.b.file(recycleBinFolder() + q("\\$IDEEP01"), "record");
    f.b.file(recycleBinFolder() + q("\\$RFLAT01.txt"), "item");
    f.b.file(recycleBinFolder() + q("\\$IFLAT01.txt"), "record");
    {
        const FewHandles few(20);
        EmptyRecycleBin(f.ctx);
    }
    // The flat pair went; the deep one stayed, and the line counts it.
    EXPECT_EQ(f.bin(), (QStringList{q("$IDEEP01"), q("$RDEEP01")}));
    const QString line = f.ctx.g.CategoryResults[ResultRecycle];
    EXPECT_TRUE(line.startsWith(u'1')) << line.toStdString();
}

TEST(JunkCountTest, ATempFolderTooDeepForTheHostsHandlesIsPassedOverTheWalkGoesOnAndTheUserIsTold) {
    JunkFixture f;
    f.b.folder(q(kTemp) + q("\\a") + q("\\d").repeated(80));
    f.sized(q(kTemp) + q("\\z.tmp"), 3);
    const FewHandles few(20);
    f.dialogs.answerOk();
    ScanTempFolder(f.ctx, q("*.*"), q(kTemp) + u'\\', false);
    const NonUnit& non = f.ctx.unit<NonUnit>();
    EXPECT_EQ(non.TempFileList[static_cast<int>(non.PassFiles)], q(kTemp) + q("\\z.tmp"));
    ASSERT_EQ(f.dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(f.dialogs.messageTexts().front().contains(u": 1."))
        << f.dialogs.messageTexts().front().toStdString();
}

TEST(JunkCountTest, ValuesHoldingNoTextReadAsEmptyAndTheCountGoesOn) {
    JunkFixture f;
    f.b.regDword(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)"),
                 q("ActiveXCache"), 7);
    f.b.regValue(HKEY_LOCAL_MACHINE, q(kAolKey1), q("AppPath"), REG_BINARY, QByteArray("\x01\x02", 2));
    f.machineString(kAolKey2, "AppPath", R"(C:\AOL9)");
    f.sized(q(R"(C:\AOL9\Organize\Cache\a.art)"), 3);
    CountJunkFiles(f.ctx);
    EXPECT_EQ(f.ctx.g.Found[CatOtherj].FoundFiles, 1);
    EXPECT_EQ(f.ctx.g.Found[CatActiveX].FoundFiles, 0);
    EXPECT_TRUE(f.ctx.unit<NonUnit>().ActiveXFolder.isEmpty());
    for (const QString& line : f.ctx.unit<NonUnit>().Summary)
        EXPECT_FALSE(line.isEmpty());
}
