#include "core/Uglobalvars.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

using Fixture = AppFixture;

TEST(AddUniqueTest, StoresUpperCasedOnceAndDropsWhenFull) {
    GlobalVars g;
    AddIECachePath(g, QStringLiteral("c:\\Temp\\Cache\\"));
    AddIECachePath(g, QStringLiteral("C:\\TEMP\\cache\\"));
    AddIECachePath(g, QStringLiteral("   "));
    AddIECachePath(g, QStringLiteral(" c:\\lead"));
    EXPECT_EQ(g.IECachePaths[1], QStringLiteral("C:\\TEMP\\CACHE\\"));
    EXPECT_EQ(g.IECachePaths[2], QStringLiteral(" C:\\LEAD"));
    EXPECT_TRUE(g.IECachePaths[3].isEmpty());

    GlobalVars full;
    for (int i = 1; i <= 401; ++i)
        AddIECookiePath(full, QStringLiteral("c:\\p%1").arg(i));
    EXPECT_EQ(full.IECookiePaths[1], QStringLiteral("C:\\P1"));
    EXPECT_EQ(full.IECookiePaths[400], QStringLiteral("C:\\P400"));
    AddIEHistoryPath(full, QStringLiteral("x"));
    EXPECT_EQ(full.IEHistoryPaths[1], QStringLiteral("X"));
}

TEST(CategoryResultTest, CutAfter125CharactersNeverInsideOne) {
    GlobalVars g;
    SetCategoryResult(g, ResultIECache, QString(130, u'a'));
    EXPECT_EQ(g.CategoryResults[ResultIECache], QString(125, u'a'));

    // 124 plain characters then one outside the basic plane: the pair stays whole.
    const QString smile = QString::fromUcs4(U"\U0001F600");
    SetCategoryResult(g, ResultTemp, QString(124, u'b') + smile + QStringLiteral("tail"));
    EXPECT_EQ(g.CategoryResults[ResultTemp], QString(124, u'b') + smile);

    SetCategoryResult(g, ResultDump, QStringLiteral("short"));
    EXPECT_EQ(g.CategoryResults[ResultDump], QStringLiteral("short"));
}

TEST(ClassifyWindowsVersionTest, VersionRecordsGiveTheirClass) {
    struct Case {
        const char* name;
        bool nt;
        const char* version; // CurrentVersion or VersionNumber
        const char* sp;      // CSDVersion or SubVersionNumber
        int expected;
    };
    const Case cases[] = {
        {"95", false, "4.00.950", "", 1},
        {"98", false, "4.10.1998", "", 2},
        {"98 SE", false, "4.10.2222", " A ", 3},
        {"98 with B", false, "4.10.2222", " B ", 2},
        {"Me", false, "4.90.3000", "", 5},
        {"9x other", false, "4.20.1", "", 0},
        {"NT 3.51", true, "3.51", "", 4},
        {"NT 4", true, "4.0", "Service Pack 6", 4},
        {"2000", true, "5.0", "", 6},
        {"XP", true, "5.1", "Service Pack 3", 7},
        {"2003", true, "5.2", "", 10},
        {"Vista", true, "6.0", "", 8},
        {"7", true, "6.1", "Service Pack 1", 9},
        {"8", true, "6.2", "", 8},
        {"8.1", true, "6.3", "", 8},
        {"10 style", true, "10.0", "", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MachineBuilder b;
        if (c.nt) {
            const QString key = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
            b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("CurrentVersion"),
                        QString::fromLatin1(c.version));
            b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("CurrentBuildNumber"), QStringLiteral("1"));
            b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("CSDVersion"), QString::fromLatin1(c.sp));
        } else {
            const QString key = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
            b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("VersionNumber"),
                        QString::fromLatin1(c.version));
            b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("SubVersionNumber"),
                        QString::fromLatin1(c.sp));
        }
        EXPECT_EQ(ClassifyWindowsVersion(b.machine()), c.expected);
    }
    MachineBuilder none;
    EXPECT_EQ(ClassifyWindowsVersion(none.machine()), 0);
}

TEST(WindowSizeRecordTest, ReadsZeroWhenMissingAndWritesBoth) {
    Fixture f;
    f.b.folder(QStringLiteral("C:\\data"));
    f.ctx.g.ScanLogPath = QStringLiteral("C:\\data\\nvscan7.ini");
    EXPECT_EQ(ReadFormWidth(f.ctx, QStringLiteral("Frminit")), 0);

    f.b.file(QStringLiteral("C:\\data\\nvscan7.ini"), "[Frmnon]\r\nW=0\r\nH=500\r\n[Bad]\r\nW=abc\r\n");
    EXPECT_EQ(ReadFormWidth(f.ctx, QStringLiteral("Frmnon")), 0);
    EXPECT_EQ(ReadFormHeight(f.ctx, QStringLiteral("frmnon")), 500);
    EXPECT_EQ(ReadFormWidth(f.ctx, QStringLiteral("Bad")), 0);

    SaveFormSize(f.ctx, QStringLiteral("Frminit"), 640, 480);
    EXPECT_EQ(ReadFormWidth(f.ctx, QStringLiteral("Frminit")), 640);
    EXPECT_EQ(ReadFormHeight(f.ctx, QStringLiteral("Frminit")), 480);

    // A refused write is not reported.
    f.b.machine().faults().fail(FaultInjector::Op::Write, QStringLiteral("C:\\data\\*"), ERROR_ACCESS_DENIED);
    EXPECT_NO_THROW(SaveFormSize(f.ctx, QStringLiteral("Frminit"), 1, 1));
    EXPECT_EQ(ReadFormWidth(f.ctx, QStringLiteral("Frminit")), 640);
}

TEST(RecycleFileTest, MovesToTheBinOrReportsFalse) {
    Fixture f;
    f.b.file(QStringLiteral("C:\\docs\\a.txt"), "a");
    EXPECT_TRUE(RecycleFile(f.ctx, QStringLiteral("C:\\docs\\a.txt"), false));
    EXPECT_FALSE(f.b.exists(QStringLiteral("C:\\docs\\a.txt")));
    EXPECT_FALSE(RecycleFile(f.ctx, QStringLiteral("C:\\docs\\missing.txt"), false));
}

TEST(SystemFoldersTest, WindowsAndSystemFolders) {
    MachineBuilder b;
    EXPECT_EQ(GetWindowsFolder(b.machine()), QStringLiteral("C:\\windows"));
    EXPECT_EQ(GetSystemFolder(b.machine()), QStringLiteral("C:\\windows\\system32"));
}

TEST(AddUniqueTest, BlankMeansEveryCharacterUpToTheSpace) {
    // Control characters count as blanks; a no-break space is a character of the path.
    const struct {
        QString path;
        bool stored;
    } cases[] = {
        {QStringLiteral("\x01\x1f "), false},
        {QStringLiteral("\t\r\n"), false},
        {QString(QChar(0x00A0)), true},
        {QString(QChar(0x2003)), true},
    };
    for (const auto& c : cases) {
        GlobalVars g;
        AddIECachePath(g, c.path);
        EXPECT_EQ(!g.IECachePaths[1].isEmpty(), c.stored) << c.path.toStdString();
    }
}
