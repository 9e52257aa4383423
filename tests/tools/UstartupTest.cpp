#include "tools/Ustartup.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/IniFile.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace niv;
using namespace niv::historytest;

namespace {

const QString kRun = q(R"(Software\Microsoft\Windows\CurrentVersion\Run)");
const QString kWinlogon = q(R"(Software\Microsoft\Windows NT\CurrentVersion\Winlogon)");
const QString kServices = q(R"(SYSTEM\CurrentControlSet\Services)");
const QString kBho = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper Objects)");
const QString kIeMain = q(R"(Software\Microsoft\Internet Explorer\Main)");
const QString kShellFolders = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)");
const QString kUserShellFolders =
    q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders)");
const QString kWinIni = q(R"(C:\windows\win.ini)");
const QString kSystemIni = q(R"(C:\windows\system.ini)");
const QString kDeleted = q("This value has been successfully deleted from your startup.");
const QString kGone = q("This value does not exist! You may have already removed it.");
const QString kAuthority =
    q("You do not have authority on your system to delete this. If you are running Windows "
      "Vista, you need to right click the Nivora icon on your desktop, and choose the option "
      "that says \"Run as Admin\". Then you will have authority on your system to go in and "
      "delete this entry.");

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

struct SectionCase {
    const char* name;
    std::function<void(StartupFixture&)> build;
    QStringList log;
    QStringList startup; // the lines offered for removal
};

const SectionCase kSections[] = {
    {"run keys of both hives, trimmed; blank and non-text values skipped",
     [](StartupFixture& f) {
         f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("  a.exe \t"));
         f.b.regDword(HKEY_LOCAL_MACHINE, kRun, q("n"), 7);
         f.str(HKEY_LOCAL_MACHINE, kRun, "blank", q("   "));
         f.str(HKEY_LOCAL_MACHINE, kRun, "b", q("b.exe"));
         f.str(HKEY_CURRENT_USER, kRun, "", q("a.exe"));
         f.str(HKEY_CURRENT_USER, kRun + q(R"(Services)"), "s", q("svc.exe"));
         f.str(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\Setup)"), "x",
               q("s.exe"));
         f.str(HKEY_CURRENT_USER, q(R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run)"),
               "p", q("%TEMP%\\p.exe"));
     },
     {q("SECTION 1:  a.exe"), q("SECTION 1:  b.exe"), q("SECTION 2:  a.exe"), q("SECTION 4:  svc.exe"),
      q("SECTION 7:  s.exe"), q("SECTION 14: %TEMP%\\p.exe")},
     {q("a.exe"), q("b.exe"), q("a.exe"), q("svc.exe"), q("s.exe"), q("%TEMP%\\p.exe")}},
    {"winlogon values in their order, AppInit_DLLs and load",
     [](StartupFixture& f) {
         f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", q("explorer.exe"));
         f.str(HKEY_LOCAL_MACHINE, kWinlogon, "System", q(" "));
         f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit", q("userinit.exe,"));
         f.str(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Windows NT\CurrentVersion\Windows)"),
               "AppInit_DLLs", q("hook.dll"));
         f.str(HKEY_CURRENT_USER, q(R"(Software\Microsoft\Windows NT\CurrentVersion\Windows)"), "load",
               q("l.exe"));
     },
     {q("SECTION 15: userinit.exe,"), q("SECTION 15: explorer.exe"), q("SECTION 16: hook.dll"),
      q("SECTION 17: l.exe")},
     {q("userinit.exe,"), q("explorer.exe"), q("hook.dll"), q("l.exe")}},
    {"CLSID lists resolved through their servers, untrimmed",
     [](StartupFixture& f) {
         const QString delay = q(R"(SOFTWARE\Microsoft\Windows\CurrentVersion\ShellServiceObjectDelayLoad)");
         f.str(HKEY_LOCAL_MACHINE, delay, "Tray", q(" {A} "));
         f.str(HKEY_LOCAL_MACHINE, delay, "Missing", q("{M}"));
         f.str(HKEY_LOCAL_MACHINE, delay, "Empty", q("{E}"));
         f.str(HKEY_LOCAL_MACHINE,
               q(R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\SharedTaskScheduler)"), "{B}",
               q("ignored"));
         f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{A}\InprocServer32)"), "", q(" a.dll"));
         f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{E}\InprocServer32)"), "", q(""));
         f.str(HKEY_CLASSES_ROOT, q(R"(CLSID\{B}\InprocServer32)"), "", q("b.dll"));
     },
     {q("SECTION 18:  a.dll"), q("SECTION 19: b.dll")},
     {}},
    {"INI lines as read, each file only when it exists",
     [](StartupFixture& f) {
         f.b.file(kWinIni, "[windows]\r\nrun= r.exe \r\nload=\r\n");
         f.b.file(kSystemIni, "[boot]\r\nshell=explorer.exe\r\n");
     },
     {q("SECTION 20: r.exe"), q("SECTION 22: explorer.exe")},
     {q("r.exe"), q("explorer.exe")}},
    {"open commands naming a program or page, machine order differs",
     [](StartupFixture& f) {
         f.str(HKEY_CLASSES_ROOT, q(R"(htafile\Shell\Open\Command)"), "", q("mshta.exe \"%1\""));
         f.str(HKEY_CLASSES_ROOT, q(R"(piffile\shell\open\command)"), "", q("\"%1\" %*"));
         f.str(HKEY_LOCAL_MACHINE, q(R"(scrfile\shell\open\command)"), "", q(" start page.html "));
         f.str(HKEY_LOCAL_MACHINE, q(R"(piffile\shell\open\command)"), "", q("x.ocx"));
     },
     {q("SECTION 30: mshta.exe \"%1\""), q("SECTION 38: start page.html"), q("SECTION 40: x.ocx")},
     {}},
    {"active setup, winlogon notify and services",
     [](StartupFixture& f) {
         const QString components = q(R"(Software\Microsoft\Active Setup\Installed Components)");
         f.str(HKEY_LOCAL_MACHINE, components + q(R"(\{1})"), "StubPath", q(" stub.exe "));
         f.str(HKEY_LOCAL_MACHINE, components + q(R"(\{2})"), "KeyFileName", q("key.dll"));
         const QString notify = kWinlogon + q(R"(\Notify)");
         f.str(HKEY_LOCAL_MACHINE, notify + q(R"(\a)"), "DLLName", q("a.dll"));
         f.str(HKEY_LOCAL_MACHINE, notify + q(R"(\a)"), "Unlock", q("U"));
         f.str(HKEY_LOCAL_MACHINE, notify + q(R"(\a)"), "Lock", q("L"));
         f.str(HKEY_LOCAL_MACHINE, notify + q(R"(\b)"), "Lock", q("no dll"));
         f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\one)"), "ImagePath", q("one.sys"));
         f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\two)"), "ImagePath", q(""));
         f.b.regKey(HKEY_LOCAL_MACHINE, kServices + q(R"(\three)"));
     },
     {q("SECTION 41:  stub.exe "), q("SECTION 42: key.dll"), q("SECTION 50: DLL: a.dll Lock: L Unlock: U "),
      q("SECTION 51 - Service Running: one.sys")},
     {}},
};

TEST(StartupScanTest, SectionsInOrderWithTheirLabels) {
    for (const SectionCase& c : kSections) {
        SCOPED_TRACE(c.name);
        StartupFixture f;
        c.build(f);
        ScanStartupPoints(f.ctx);
        EXPECT_EQ(f.unit().ListLog, c.log);
        EXPECT_EQ(f.unit().ListStartup, c.startup);
        ASSERT_EQ(f.unit().StartupEntries.size(), std::size_t(f.unit().ListStartup.size()));
        EXPECT_EQ(f.pump.count(), 1);
    }
}

TEST(StartupScanTest, StartupFolders) {
    StartupFixture f;
    const QString folder = q(R"(C:\users\tester\Start Menu\Programs\Startup)");
    f.b.file(folder + q(R"(\desktop.ini)"));
    f.b.file(folder + q(R"(\app.lnk)"));
    f.b.file(folder + q(R"(\hidden.lnk)"));
    f.b.attributes(folder + q(R"(\hidden.lnk)"), faHidden | faSysFile);
    f.b.file(folder + q(R"(\sub\deeper.lnk)"));
    f.str(HKEY_CURRENT_USER, kShellFolders, "Startup", folder);
    f.str(HKEY_CURRENT_USER, kUserShellFolders, "Startup", folder);
    f.str(HKEY_CURRENT_USER, kShellFolders, "Common Startup",
          q(R"(\users\tester\Start Menu\Programs\Startup)"));
    f.str(HKEY_CURRENT_USER, kUserShellFolders, "Common Startup", q("%USERPROFILE%\\Startup"), REG_EXPAND_SZ);
    f.b.file(q(R"(C:\Common\x.lnk)"));
    f.str(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", q(R"(Common)"));
    ScanStartupPoints(f.ctx);
    const QString app = folder + q(R"(\app.lnk)");
    const QString hidden = folder + q(R"(\hidden.lnk)");
    // Both keys name the folder literally: listed twice.
    EXPECT_EQ(f.unit().ListStartup, QStringList({app, hidden, app, hidden}));
    EXPECT_EQ(f.unit().ListLog.first(), q("SECTION 23: ") + app);
    EXPECT_EQ(f.unit().StartupEntries[2].action, StartupAction::DelFile);
}

TEST(StartupScanTest, ASecondScanGivesTheSameLines) {
    StartupFixture f;
    f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("a.exe"));
    f.str(HKEY_LOCAL_MACHINE, kServices + q(R"(\one)"), "ImagePath", q("one.sys"));
    ScanStartupPoints(f.ctx);
    const StartupUnit first = f.unit();
    FilterServices(f.ctx, q("zzz"));
    ScanStartupPoints(f.ctx);
    EXPECT_EQ(f.unit().ListLog, first.ListLog);
    EXPECT_EQ(f.unit().ListStartup, first.ListStartup);
    EXPECT_EQ(f.unit().ListServices, first.ListServices);
    EXPECT_EQ(f.unit().Services.size(), 1u);
}

// ---- removal ----

TEST(StartupRemovalTest, EachKindActsOnItsOwnEntry) {
    StartupFixture f;
    f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("a.exe"));
    f.str(HKEY_CURRENT_USER, kRun, "a", q("a.exe"));
    f.str(HKEY_CURRENT_USER, kRun, "b", q("C:\\a.exe /b"));
    f.b.file(kWinIni, "[windows]\r\nrun=a.exe\r\nload=a.exe\r\n");
    f.b.file(kSystemIni, "[boot]\r\nshell=a.exe\r\n");
    const QString folder = q(R"(C:\Startup)");
    f.b.file(folder + q(R"(\a.exe)"));
    f.str(HKEY_CURRENT_USER, kShellFolders, "Startup", folder);
    ScanStartupPoints(f.ctx);
    ASSERT_EQ(f.unit().ListStartup, QStringList({q("a.exe"), q("a.exe"), q("C:\\a.exe /b"), q("a.exe"),
                                                 q("a.exe"), q("a.exe"), q("C:\\Startup\\a.exe")}));

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
    RemoveStartupEntry(f.ctx, 5);
    RemoveStartupEntry(f.ctx, 6);
    EXPECT_FALSE(f.b.exists(q(R"(C:\Startup\a.exe)")));
    RemoveStartupEntry(f.ctx, 6);
    RemoveStartupEntry(f.ctx, 7); // beyond the list: nothing

    EXPECT_EQ(
        f.dialogs.messageTexts(),
        QStringList({kDeleted, kDeleted, kGone, kDeleted, kDeleted, kDeleted,
                     q("This value does not exist! It could not be found in any of your INI files, you may "
                       "have already removed it."),
                     kDeleted,
                     q("This value could not be deleted! You may have already removed it or you may not have "
                       "authority on your system to delete this.")}));
    EXPECT_EQ(f.unit().ListStartup.size(), 7); // the lines stay until the next scan
}

TEST(StartupRemovalTest, RefusedOrUnopenableKeys) {
    StartupFixture f;
    f.str(HKEY_LOCAL_MACHINE, kRun, "a", q("a.exe"));
    f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", q("explorer.exe"));
    ScanStartupPoints(f.ctx);
    f.b.machine().faults().fail(FaultInjector::Op::RegDelete, q("HKEY_LOCAL_MACHINE\\") + kRun, 5);
    f.b.machine().faults().fail(FaultInjector::Op::RegWrite, q("HKEY_LOCAL_MACHINE\\") + kWinlogon, 5);
    f.oks(2);
    f.dialogs.answerInput(q("cmd.exe"));
    f.oks(1);
    RemoveStartupEntry(f.ctx, 0);
    RemoveStartupEntry(f.ctx, 1);
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kRun, "a"), q("a.exe"));
    EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"), q("explorer.exe"));
    const QStringList texts = f.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], kAuthority);
    EXPECT_EQ(texts[2], kAuthority);

    // Without administrator rights the machine's keys do not open: nothing is said.
    f.b.machine().setAdministrator(false);
    RemoveStartupEntry(f.ctx, 0);
    EXPECT_EQ(f.dialogs.messageTexts().size(), 3);
}

struct EditCase {
    const char* name;
    std::optional<QString> answer;
    QString after;
    int messages; // the warning, then the outcome when there is one
};

TEST(StartupRemovalTest, ValuesThatMustBeEditedGoThroughTheInputBox) {
    const EditCase cases[] = {
        {"cancel", std::nullopt, q("explorer.exe"), 1},
        {"blank answer counts as cancel", q("  "), q("explorer.exe"), 1},
        {"ok writes the text trimmed as a plain string", q("  my shell.exe "), q("my shell.exe"), 2},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartupFixture f;
        f.str(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", q("explorer.exe"), REG_EXPAND_SZ);
        ScanStartupPoints(f.ctx);
        f.dialogs.answerOk();
        f.dialogs.answerInput(c.answer);
        f.oks(c.messages - 1);
        RemoveStartupEntry(f.ctx, 0);
        EXPECT_EQ(f.text(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"), c.after);
        const QList<ShownBox> boxes = f.dialogs.shown();
        ASSERT_EQ(boxes.size(), c.messages + 1);
        EXPECT_TRUE(boxes[0].text.startsWith(q("This value must be edited rather then deleted.")));
        EXPECT_EQ(boxes[1].caption, q("Input Box"));
        EXPECT_EQ(boxes[1].text, q("Prompt"));
        EXPECT_EQ(boxes[1].initial, q("explorer.exe"));
        if (c.messages == 2) {
            EXPECT_EQ(boxes[2].text, q("This value has been successfully edited in your startup."));
            TRegistry reg(f.b.machine());
            reg.SetRootKey(HKEY_LOCAL_MACHINE);
            ASSERT_TRUE(reg.OpenKey(kWinlogon, false));
            EXPECT_EQ(reg.GetDataType(q("Shell")), int(REG_SZ));
        }
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
    EXPECT_EQ(
        f.dialogs.messageTexts(),
        QStringList({q("You must choose a service to remove from your listbox first"), kDeleted, kGone}));
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
    const QString notFound = q("NOT FOUND : Entry was found, but file is missing (this is ok)");
    EXPECT_EQ(f.unit().ListBHO, QStringList({q("a.dll"), notFound, q("c.dll")}));
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

    const QStringList texts = f.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 6);
    EXPECT_EQ(texts[0], q("Are you sure you want to remove this BHO entry (") + notFound + q(")?"));
    EXPECT_EQ(texts[1], q("You chose cancel, nothing was removed."));
    EXPECT_TRUE(texts[3].startsWith(q("This BHO entry could not be removed.")));
    EXPECT_EQ(texts[5], q("This BHO entry was successfully removed. It will no longer run in your browser."));

    ScanBHOs(f.ctx);
    EXPECT_EQ(f.unit().ListBHO.size(), 2); // nothing accumulates
}

TEST(StartupBhoTest, ExtensionsSwitch) {
    const struct {
        const char* stored; // nullptr: no value
        bool on;
    } states[] = {{"Yes", true}, {"no", false}, {"", false}, {nullptr, false}};
    for (const auto& s : states) {
        StartupFixture f;
        f.b.regKey(HKEY_CURRENT_USER, kIeMain);
        if (s.stored) f.str(HKEY_CURRENT_USER, kIeMain, "Enable Browser Extensions", q(s.stored));
        EXPECT_EQ(BrowserExtensionsEnabled(f.ctx), std::optional<bool>(s.on))
            << (s.stored ? s.stored : "none");
    }

    StartupFixture f;
    f.oks(3);
    EXPECT_EQ(BrowserExtensionsEnabled(f.ctx), std::nullopt);
    EXPECT_EQ(SwitchBrowserExtensions(f.ctx, false), std::nullopt);
    EXPECT_EQ(
        f.dialogs.messageTexts(),
        QStringList(
            {q("There are no browser helper objects identified on your pc. You may ignore this option.")}));
    EXPECT_TRUE(keyValueNames(f.b.machine(), HKEY_CURRENT_USER, kIeMain).isEmpty());
    f.b.regKey(HKEY_CURRENT_USER, kIeMain);
    EXPECT_EQ(SwitchBrowserExtensions(f.ctx, false), std::optional<bool>(false));
    EXPECT_EQ(f.text(HKEY_CURRENT_USER, kIeMain, "Enable Browser Extensions"), q("no"));
    EXPECT_EQ(SwitchBrowserExtensions(f.ctx, true), std::optional<bool>(true));
    EXPECT_EQ(f.text(HKEY_CURRENT_USER, kIeMain, "Enable Browser Extensions"), q("yes"));
    EXPECT_TRUE(
        f.dialogs.messageTexts()[1].endsWith(q("now disabled, and you can re-enable at any time again by "
                                               "clicking this same button.")));
}

// ---- browser pages and running tasks ----

QByteArray utf16(const QString& text) {
    QByteArray out;
    for (QChar c : text)
        out += char(c.unicode() & 0xFF), out += char(c.unicode() >> 8);
    return out;
}

TEST(StartupBrowserPagesTest, ValueLinesAndLastSession) {
    const QByteArray nul(2, '\0');
    const QByteArray two = utf16(q("http://a/")) + nul + utf16(q("http://b/")) + nul;
    const struct {
        const char* name;
        QByteArray data;
        std::uint32_t type;
        QStringList pages;
    } sessions[] = {
        {"ended by a further NUL", two + nul, REG_BINARY, {q("http://a/"), q("http://b/")}},
        {"without the final NUL", two, REG_BINARY, {q("http://a/"), q("http://b/")}},
        {"text after the last NUL is left out",
         two + utf16(q("tail")),
         REG_NONE,
         {q("http://a/"), q("http://b/")}},
        {"no NUL at all", utf16(q("http://a/")), REG_BINARY, {}},
        {"a string value adds nothing", utf16(q("http://a/")) + nul + nul, REG_SZ, {}},
    };
    for (const auto& s : sessions) {
        SCOPED_TRACE(s.name);
        StartupFixture f;
        f.str(HKEY_CURRENT_USER, kIeMain, "Local Page", q("C:\\x.htm"));
        f.b.regValue(HKEY_CURRENT_USER, q(R"(Software\Microsoft\Internet Explorer\TabbedBrowsing)"),
                     q("LastSession"), s.type, s.data);
        f.str(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Internet Explorer\SearchUrl)"), "", q("http://s/"));
        f.b.regDword(HKEY_LOCAL_MACHINE, q(R"(Software\Microsoft\Internet Explorer\TabbedBrowsing)"),
                     q("LastSession"), 1);
        ListBrowserPages(f.ctx);
        QStringList expected = {
            q("HKCU Local Page            : C:\\x.htm"), q("HKCU Default_Search_URL    : "),
            q("HKCU Default_Page_URL      : "),          q("HKCU Search Bar            : "),
            q("HKCU Search Page           : "),          q("HKCU Security Risk Page    : "),
            q("HKCU Start Page            : ")};
        expected << s.pages << q("HKLM SearchUrl             : http://s/")
                 << q("HKLM TabbedBrowsing        : ");
        EXPECT_EQ(f.unit().ListBrowserIE, expected);
    }
}

TEST(StartupRunningTasksTest, TaskListOnWindows7Only) {
    const QString file = q(R"(C:\Nivfold\taskl.txt)");
    const struct {
        const char* name;
        bool windows7;
        bool present;
        bool unreadable;
        QStringList lines;
    } cases[] = {
        {"Windows XP", false, true, false, {}},
        {"no file yet", true, false, false, {}},
        {"every line, blank ones too",
         true,
         true,
         false,
         {q(" "), q("Full Tasklist:"), q(""), q("Image Name   PID"), q("===="), q("nivora.exe   12")}},
        {"unreadable file", true, true, true, {q(" "), q("Full Tasklist:")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartupFixture f;
        f.ctx.g.TaskListPath = file;
        f.ctx.g.IsWindows7 = c.windows7;
        if (c.present) f.b.file(file, "\r\nImage Name   PID\r\n====\r\nnivora.exe   12\r\n");
        if (c.unreadable) f.b.machine().faults().fail(FaultInjector::Op::Open, file, 5);
        f.unit().ListRunningTasks = QStringList({q("kept")});
        Load_Running_Tasks(f.ctx);
        EXPECT_EQ(f.unit().ListRunningTasks, QStringList({q("kept")}) + c.lines);
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

} // namespace
