#include "tools/Ustartup.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/IniFile.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kRun = q(R"(Software\Microsoft\Windows\CurrentVersion\Run)");
const QString kWinlogon = q(R"(Software\Microsoft\Windows NT\CurrentVersion\Winlogon)");
const QString kServices = q(R"(SYSTEM\CurrentControlSet\Services)");
const QString kBho = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper Objects)");
const QString kShellFolders = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)");
const QString kWinIni = q(R"(C:\windows\win.ini)");
const QString kSystemIni = q(R"(C:\windows\system.ini)");
const QString kDeleted = q("This value has been successfully deleted from your startup.");
const QString kGone = q("This value does not exist! You may have already removed it.");

struct StartupFixture : AppFixture {
    StartupFixture() {
        b.folder(q(R"(C:\windows)"));
        ctx.g.WindowsFolder = q(R"(C:\windows)");
    }
    StartupUnit& unit() { return ctx.unit<StartupUnit>(); }
    void str(RegRoot root, const QString& key, const char* name, const QString& value,
             std::uint32_t type = REG_SZ) {
        b.regString(root, key, q(name), value, type);
    }
    QString text(RegRoot root, const QString& key, const char* name) {
        TRegistry reg(b.machine());
        reg.SetRootKey(root);
        if (!reg.OpenKey(key, false) || !reg.ValueExists(q(name))) return q("<none>");
        return ReadStringIfText(reg, q(name)).value_or(q("<not text>"));
    }
    void oks(int count) {
        for (int i = 0; i < count; ++i)
            dialogs.answerOk();
    }
    QString ini(const QString& file, const char* section, const char* key) {
        return GetPrivateProfileString(b.machine(), q(section), q(key), q("<none>"), file);
    }
};

// ---- the scan ----

TEST(StartupScanTest, EveryPointInSectionOrder) {
    StartupFixture f;
    // Run keys of both hives, trimmed; blank and non-text values skipped.
    f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("  a.exe \t"));
    f.b.regDword(HKEY_LOCAL_MACHINE, kRun, q("n"), 7);
    f.str(HKEY_LOCAL_MACHINE, kRun, "blank", q("   "));
    f.str(HKEY_CURRENT_USER, kRun, "", q("a.exe"));
    f.str(HKEY_CURRENT_USER, q(R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run)"), "p",
          q("%TEMP%\\p.exe"));
    f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", q("explorer.exe"));
    f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit", q("userinit.exe,"));
    // CLSID lists go through their servers, untrimmed; a CLSID without one is left out.
    const QString delay = q(R"(SOFTWARE\Microsoft\Windows\CurrentVersion\ShellServiceObjectDelayLoad)");
    f.str(HKEY_LOCAL_MACHINE, delay, "Tray", q(" {A} "));
    f.str(HKEY_LOCAL_MACHINE, delay, "Missing", q("{M}"));
    f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{A}\InprocServer32)"), "", q(" a.dll"));
    f.b.file(kWinIni, "[windows]\r\nrun= r.exe \r\nload=\r\n");
    f.b.file(q(R"(C:\Startup\desktop.ini)"));
    f.b.file(q(R"(C:\Startup\app.lnk)"));
    f.b.file(q(R"(C:\Startup\sub\deeper.lnk)"));
    f.str(HKEY_CURRENT_USER, kShellFolders, "Startup", q(R"(C:\Startup)"));
    // Without its drive a folder would be taken relative to the current one.
    f.b.file(q(R"(C:\Common\x.lnk)"));
    f.str(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", q("Common"));
    // Open commands count when they name a program or a page; the machine's keys come in another order.
    f.str(HKEY_CLASSES_ROOT, q(R"(htafile\Shell\Open\Command)"), "", q("mshta.exe \"%1\""));
    f.str(HKEY_CLASSES_ROOT, q(R"(piffile\shell\open\command)"), "", q("\"%1\" %*"));
    f.str(HKEY_LOCAL_MACHINE, q(R"(scrfile\shell\open\command)"), "", q(" start page.html "));
    f.str(HKEY_LOCAL_MACHINE, q(R"(piffile\shell\open\command)"), "", q("x.ocx"));
    const QStringList startup = {q("a.exe"),        q("a.exe"), q("%TEMP%\\p.exe"),       q("userinit.exe,"),
                                 q("explorer.exe"), q("r.exe"), q("C:\\Startup\\app.lnk")};
    // A second scan refills the lists rather than adding to them.
    for (int scan = 0; scan < 2; ++scan) {
        ScanStartupPoints(f.ctx);
        EXPECT_EQ(f.unit().ListLog,
                  QStringList({q("SECTION 1:  a.exe"), q("SECTION 2:  a.exe"), q("SECTION 14: %TEMP%\\p.exe"),
                               q("SECTION 15: userinit.exe,"), q("SECTION 15: explorer.exe"),
                               q("SECTION 18:  a.dll"), q("SECTION 20: r.exe"),
                               q("SECTION 23: C:\\Startup\\app.lnk"), q("SECTION 30: mshta.exe \"%1\""),
                               q("SECTION 38: start page.html"), q("SECTION 40: x.ocx")}));
        EXPECT_EQ(f.unit().ListStartup, startup);
        ASSERT_EQ(f.unit().StartupEntries.size(), std::size_t(startup.size()));
    }
}

// ---- removal ----

TEST(StartupRemovalTest, EachLineActsOnItsOwnEntry) {
    StartupFixture f;
    f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("a.exe"));
    f.str(HKEY_CURRENT_USER, kRun, "a", q("a.exe"));
    f.str(HKEY_CURRENT_USER, kRun, "b", q("C:\\a.exe /b"));
    f.b.file(kWinIni, "[windows]\r\nrun=a.exe\r\nload=a.exe\r\n");
    f.b.file(kSystemIni, "[boot]\r\nshell=a.exe\r\n");
    f.b.file(q(R"(C:\Startup\a.exe)"));
    f.str(HKEY_CURRENT_USER, kShellFolders, "Startup", q(R"(C:\Startup)"));
    ScanStartupPoints(f.ctx);
    ASSERT_EQ(f.unit().ListStartup.size(), 7); // HKLM, HKCU a and b, win.ini twice, system.ini, the file

    f.oks(9);
    // The user's value, not the machine's one listed first with the same text.
    RemoveStartupEntry(f.ctx, 1);
    EXPECT_EQ(f.text(HKEY_CURRENT_USER, kRun, "a"), q("<none>"));
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kRun, "a"), q("a.exe"));
    // A line holding another entry's text removes its own value.
    RemoveStartupEntry(f.ctx, 2);
    EXPECT_EQ(keyValueNames(f.b.machine(), HKEY_CURRENT_USER, kRun), QStringList());
    RemoveStartupEntry(f.ctx, 2);
    // Both win.ini keys equal the text: both are blanked, system.ini is left alone.
    RemoveStartupEntry(f.ctx, 3);
    EXPECT_EQ(f.ini(kWinIni, "windows", "run"), q(""));
    EXPECT_EQ(f.ini(kWinIni, "windows", "load"), q(""));
    EXPECT_EQ(f.ini(kSystemIni, "boot", "shell"), q("a.exe"));
    RemoveStartupEntry(f.ctx, 5);
    EXPECT_EQ(f.ini(kSystemIni, "boot", "shell"), q(""));
    RemoveStartupEntry(f.ctx, 6);
    EXPECT_FALSE(f.b.exists(q(R"(C:\Startup\a.exe)")));
    RemoveStartupEntry(f.ctx, 6);
    RemoveStartupEntry(f.ctx, 7); // beyond the list: nothing

    // A refused delete keeps the value and says why.
    f.b.machine().faults().fail(FaultInjector::Op::RegDelete, q("HKEY_LOCAL_MACHINE\\") + kRun, 5);
    RemoveStartupEntry(f.ctx, 0);
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kRun, "a"), q("a.exe"));
    // Without administrator rights the machine's keys do not open: nothing is said.
    f.b.machine().setAdministrator(false);
    RemoveStartupEntry(f.ctx, 0);

    const QStringList texts = f.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 9);
    EXPECT_EQ(texts.mid(0, 3), QStringList({kDeleted, kDeleted, kGone}));
    EXPECT_TRUE(texts[7].startsWith(q("This value could not be deleted!")));
    EXPECT_TRUE(texts[8].startsWith(q("You do not have authority")));
}

TEST(StartupRemovalTest, AnIniLineIsBlankedInTheFileItCameFromOnly) {
    StartupFixture f;
    f.b.file(kWinIni, "[windows]\r\nrun=a.exe\r\n");
    f.b.file(kSystemIni, "[boot]\r\nshell=a.exe\r\n");
    ScanStartupPoints(f.ctx);
    f.oks(1);
    RemoveStartupEntry(f.ctx, 1);
    EXPECT_EQ(f.ini(kSystemIni, "boot", "shell"), q(""));
    EXPECT_EQ(f.ini(kWinIni, "windows", "run"), q("a.exe"));
}

TEST(StartupRemovalTest, AFileGoneSinceTheScanNeverTakesItsCaseTwin) {
    StartupFixture f;
    const std::string listed = f.b.file(q(R"(C:\Startup\tool.lnk)"));
    f.str(HKEY_CURRENT_USER, kShellFolders, "Startup", q(R"(C:\Startup)"));
    ScanStartupPoints(f.ctx);
    ASSERT_EQ(f.unit().ListStartup, QStringList({q(R"(C:\Startup\tool.lnk)")}));
    ASSERT_EQ(std::rename(listed.c_str(), f.b.hostPath(q(R"(C:\Startup\TOOL.LNK)")).c_str()), 0);
    f.oks(1);
    RemoveStartupEntry(f.ctx, 0);
    EXPECT_TRUE(f.b.exists(q(R"(C:\Startup\TOOL.LNK)")));
}

TEST(StartupRemovalTest, ValuesThatMustBeEditedGoThroughTheInputBox) {
    const struct {
        const char* name;
        std::optional<QString> answer;
        bool refused; // the hive file cannot be written
        QString after;
        int messages; // the warning, then the outcome when there is one
    } cases[] = {
        {"cancel", std::nullopt, false, q("explorer.exe"), 1},
        {"blank answer counts as cancel", q("  "), false, q("explorer.exe"), 1},
        {"ok writes the text trimmed as a plain string", q("  my shell.exe "), false, q("my shell.exe"), 2},
        {"refused write", q("cmd.exe"), true, q("explorer.exe"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartupFixture f;
        f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", q("explorer.exe"), REG_EXPAND_SZ);
        ScanStartupPoints(f.ctx);
        if (c.refused) f.b.machine().faults().fail(FaultInjector::Op::RegWrite, q("*Winlogon"), 5);
        f.oks(1);
        f.dialogs.answerInput(c.answer);
        f.oks(c.messages - 1);
        RemoveStartupEntry(f.ctx, 0);
        EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"), c.after);
        ASSERT_EQ(f.dialogs.shown().size(), c.messages + 1);
        if (c.refused) {
            EXPECT_TRUE(f.dialogs.messageTexts()[1].startsWith(q("You do not have authority")));
        }
        TRegistry reg(f.b.machine());
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(kWinlogon, false));
        EXPECT_EQ(reg.GetDataType(q("Shell")), int(c.after == q("my shell.exe") ? REG_SZ : REG_EXPAND_SZ));
    }
}

// ---- services ----

TEST(StartupServicesTest, FilterNarrowsAndRemovalFollowsTheHighlightedService) {
    StartupFixture f;
    f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\a)"), "ImagePath", q("svchost.exe -k net"));
    f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\b)"), "ImagePath", q("beep.sys"));
    f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\c)"), "ImagePath", q("svchost.exe -k net"));
    ScanStartupPoints(f.ctx);
    f.oks(3);
    EXPECT_FALSE(FilterServices(f.ctx, q("  ")));
    EXPECT_TRUE(FilterServices(f.ctx, q("SVC")));
    EXPECT_TRUE(FilterServices(f.ctx, q("SV")));
    EXPECT_EQ(f.unit().ListServices, QStringList({q("svchost.exe -k net"), q("svchost.exe -k net")}));

    RemoveService(f.ctx, -1);
    RemoveService(f.ctx, 1);
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kServices + q(R"(\a)"), "ImagePath"), q("svchost.exe -k net"));
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kServices + q(R"(\c)"), "ImagePath"), q("<none>"));
    RemoveService(f.ctx, 1);
    EXPECT_EQ(f.dialogs.messageTexts().mid(1), QStringList({kDeleted, kGone}));
}

// ---- browser helper objects ----

TEST(StartupBhoTest, ListedByServerAndRemovedByTheirOwnSubkey) {
    StartupFixture f;
    f.b.regKey(HKEY_LOCAL_MACHINE, kBho + q(R"(\{aa})"));
    f.b.regKey(HKEY_LOCAL_MACHINE, kBho + q(R"(\{bb} )")); // removed by this very name
    f.b.regKey(HKEY_LOCAL_MACHINE, kBho + q(R"(\{cc})"));
    f.b.regKey(HKEY_LOCAL_MACHINE, kBho + q(R"(\{dd})"));
    f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{AA}\InprocServer32)"), "", q("a.dll"));
    f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{cc}\InprocServer32)"), "", q("c.dll"));
    f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{DD}\InprocServer32)"), "", q("")); // not listed
    ScanBHOs(f.ctx);
    EXPECT_EQ(f.unit().ListBHOHidden, QStringList({q("{AA}"), q("{BB}"), q("{CC}")}));

    f.dialogs.answerNo();
    f.oks(1);
    EXPECT_FALSE(RemoveBHO(f.ctx, 1));
    f.b.machine().faults().fail(FaultInjector::Op::RegDelete, q("*{bb}*"), 5);
    f.dialogs.answerYes();
    f.oks(1);
    EXPECT_FALSE(RemoveBHO(f.ctx, 1));
    EXPECT_EQ(f.unit().ListBHO.size(), 3);
    f.b.machine().faults().clear();
    f.dialogs.answerYes();
    f.oks(1);
    EXPECT_TRUE(RemoveBHO(f.ctx, 1));
    EXPECT_EQ(f.unit().ListBHO, QStringList({q("a.dll"), q("c.dll")}));
    EXPECT_EQ(f.unit().ListBHOHidden, QStringList({q("{AA}"), q("{CC}")}));
    TRegistry reg(f.b.machine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kBho, false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({q("{aa}"), q("{cc}"), q("{dd}")}));
}

// ---- browser pages and running tasks ----

// Little-endian 16-bit text, as the registry stores it.
QByteArray utf16(const QString& text) {
    QByteArray out;
    for (QChar c : text)
        out += char(c.unicode() & 0xFF), out += char(c.unicode() >> 8);
    return out;
}

TEST(StartupBrowserPagesTest, LastSessionAddresses) {
    const QByteArray nul(2, '\0');
    const QByteArray two = utf16(q("http://a/")) + nul + utf16(q("http://b/")) + nul;
    const QStringList both = {q("http://a/"), q("http://b/")};
    const struct {
        const char* name;
        QByteArray data;
        std::uint32_t type;
        QStringList pages;
    } sessions[] = {
        {"ended by a further NUL", two + nul, REG_BINARY, both},
        {"text after the last NUL is left out", two + utf16(q("tail")), REG_NONE, both},
        {"no NUL at all", utf16(q("http://a/")), REG_BINARY, {}},
        {"a string value adds nothing", utf16(q("http://a/")) + nul + nul, REG_SZ, {}},
    };
    for (const auto& s : sessions) {
        SCOPED_TRACE(s.name);
        StartupFixture f;
        f.b.regValue(HKEY_CURRENT_USER, q(R"(Software\Microsoft\Internet Explorer\TabbedBrowsing)"),
                     q("LastSession"), s.type, s.data);
        ListBrowserPages(f.ctx);
        EXPECT_EQ(f.unit().ListBrowserIE.filter(q("http://")), s.pages);
    }
}

TEST(StartupRunningTasksTest, TaskListOnWindows7Only) {
    const QString file = q(R"(C:\Nivfold\taskl.txt)");
    const struct {
        const char* name;
        bool windows7;
        bool unreadable;
        QStringList lines;
    } cases[] = {
        {"Windows XP", false, false, {}},
        {"every line, blank ones too",
         true,
         false,
         {q(" "), q("Full Tasklist:"), q(""), q("nivora.exe   12")}},
        {"unreadable file", true, true, {q(" "), q("Full Tasklist:")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartupFixture f;
        f.ctx.g.TaskListPath = file;
        f.ctx.g.IsWindows7 = c.windows7;
        f.b.file(file, "\r\nnivora.exe   12\r\n");
        if (c.unreadable) f.b.machine().faults().fail(FaultInjector::Op::Open, file, 5);
        f.unit().ListRunningTasks = QStringList({q("kept")});
        Load_Running_Tasks(f.ctx);
        EXPECT_EQ(f.unit().ListRunningTasks, QStringList({q("kept")}) + c.lines);
    }
}

} // namespace
