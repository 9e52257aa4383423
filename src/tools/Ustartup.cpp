#include "tools/Ustartup.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

#include <initializer_list>

namespace niv {

namespace {

const QString kHkcu = QStringLiteral("HKCU");
const QString kHklm = QStringLiteral("HKLM");
const QString kHkcr = QStringLiteral("HKCR");

const QString kRunKeyPaths[] = {
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run"),
};
const QString kWinlogonKey = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
const QString kWindowsKey = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
const QString kShellFolders =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
const QString kUserShellFolders =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
const QString kInstalledComponents =
    QStringLiteral("Software\\Microsoft\\Active Setup\\Installed Components");
const QString kServicesKey = QStringLiteral("SYSTEM\\CurrentControlSet\\Services");
const QString kBhoKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects");
const QString kIeMain = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString kIeTabbed = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TabbedBrowsing");

const QString kDeleted = QStringLiteral("This value has been successfully deleted from your startup.");
const QString kNoValue = QStringLiteral("This value does not exist! You may have already removed it.");
const QString kNoAuthority = QStringLiteral(
    "You do not have authority on your system to delete this. If you are running Windows Vista, you "
    "need to right click the Nivora icon on your desktop, and choose the option that says \"Run as "
    "Admin\". Then you will have authority on your system to go in and delete this entry.");

RegRoot rootOf(const QString& hive) {
    if (hive == kHkcu) return HKEY_CURRENT_USER;
    if (hive == kHkcr) return HKEY_CLASSES_ROOT;
    return HKEY_LOCAL_MACHINE;
}

// Opens a key with full rights, never creating it; false when it is missing or refused.
bool openKey(TRegistry& reg, const QString& hive, const QString& path) {
    reg.CloseKey();
    reg.SetRootKey(rootOf(hive));
    return reg.OpenKey(path, false);
}

// A value read as text: anything that is not a string reads as "".
QString readText(TRegistry& reg, const QString& name) {
    return ReadStringIfText(reg, name).value_or(QString());
}

class Scan {
public:
    Scan(AppContext& ctx, StartupUnit& u) : m_ctx(ctx), m_u(u), m_reg(ctx.machine) {}

    void run();

private:
    void addEntry(int section, const QString& text, const QString& hive, const QString& key,
                  const QString& value, StartupAction action) {
        m_u.ListStartup.append(text);
        m_u.StartupEntries.push_back({text, hive, key, value, action, {}});
        log(section, text);
    }
    void log(int section, const QString& text) { m_u.ListLog.append(StartupSectionLabel(section) + text); }

    QString readStartupString(const QString& hive, const QString& key, const QString& name) {
        if (!openKey(m_reg, hive, key)) return QString();
        return trimControls(readText(m_reg, name));
    }

    void listRunValues(int section, const QString& hive, const QString& key);
    void listNamedValue(int section, const QString& hive, const QString& key, const QString& name,
                        StartupAction action);
    void listClsids(int section, const QString& key, bool fromNames);
    void listIniValue(int section, const IniStartupSource& source, const QString& key);
    void listStartupFolders(int section, const QString& hive, const QString& valueName);
    void listStartupFolder(int section, const QString& folder);
    void logShellOpenCommand(int section, const QString& hive, const QString& key);
    void listSubkeyValues(int section, const QString& key, const QString& valueName);
    void listWinlogonNotify(int section);

    AppContext& m_ctx;
    StartupUnit& m_u;
    TRegistry m_reg;
};

void Scan::listRunValues(int section, const QString& hive, const QString& key) {
    if (!openKey(m_reg, hive, key)) return;
    for (const QString& name : m_reg.GetValueNames()) {
        const QString text = trimControls(readText(m_reg, name));
        if (!text.isEmpty()) addEntry(section, text, hive, key, name, StartupAction::DelReg);
    }
}

void Scan::listNamedValue(int section, const QString& hive, const QString& key, const QString& name,
                          StartupAction action) {
    const QString text = readStartupString(hive, key, name);
    if (!text.isEmpty()) addEntry(section, text, hive, key, name, action);
}

void Scan::listClsids(int section, const QString& key, bool fromNames) {
    QStringList serverKeys;
    if (openKey(m_reg, kHklm, key)) {
        for (const QString& name : m_reg.GetValueNames()) {
            const QString clsid = fromNames ? name : trimControls(readText(m_reg, name));
            if (!trimControls(clsid).isEmpty())
                serverKeys.append(QStringLiteral("CLSID\\") + clsid + QStringLiteral("\\InprocServer32"));
        }
    }
    for (const QString& serverKey : serverKeys) {
        if (!openKey(m_reg, kHkcr, serverKey)) continue;
        const QString server = readText(m_reg, QString());
        if (!server.isEmpty()) log(section, server);
    }
}

void Scan::listIniValue(int section, const IniStartupSource& source, const QString& key) {
    const QString value = GetPrivateProfileString(m_ctx.machine, source.section, key, QString(), source.file);
    if (value.isEmpty()) return;
    m_u.ListStartup.append(value);
    m_u.StartupEntries.push_back({value, QString(), QString(), QString(), StartupAction::IniLine, source});
    log(section, value);
}

void Scan::listStartupFolders(int section, const QString& hive, const QString& valueName) {
    for (const QString& key : {kShellFolders, kUserShellFolders}) {
        const QString folder = readStartupString(hive, key, valueName);
        if (!folder.isEmpty()) listStartupFolder(section, folder);
    }
}

// True for "X:\..." : a folder text without its drive would be taken relative to the current
// folder and list some other folder's files as start-up programs.
bool hasDrive(const QString& folder) {
    return folder.size() >= 3 && folder[0].isLetter() && folder[0].unicode() < 128 && folder[1] == u':' &&
           (folder[2] == u'\\' || folder[2] == u'/');
}

void Scan::listStartupFolder(int section, const QString& folder) {
    if (!hasDrive(folder)) return;
    WalkOptions options;
    options.maxDepth = 0;
    options.sorted = true;
    // A folder that cannot be listed holds no start-up programs, as a search that fails finds none.
    static_cast<void>(walkTree(m_ctx.machine, folder, options, [&](WalkEntry& e) {
        if (!e.isDirectory() && asciiUpper(e.name()) != u"DESKTOP.INI")
            addEntry(section, folder + QLatin1Char('\\') + e.name(), QString(), QString(), QString(),
                     StartupAction::DelFile);
        return WalkStep::Continue;
    }));
}

void Scan::logShellOpenCommand(int section, const QString& hive, const QString& key) {
    if (!openKey(m_reg, hive, key)) return;
    const QString command = trimControls(readText(m_reg, QString()));
    const QString upper = asciiUpper(command);
    // ".HTM" also finds ".HTML".
    for (const char* ext : {".EXE", ".DLL", ".BAT", ".OCX", ".HTM"}) {
        if (upper.contains(QLatin1String(ext))) {
            log(section, command);
            return;
        }
    }
}

void Scan::listSubkeyValues(int section, const QString& key, const QString& valueName) {
    if (!openKey(m_reg, kHklm, key)) return;
    const QStringList names = m_reg.GetKeyNames();
    const bool services = section == 51;
    for (const QString& name : names) {
        const QString subkey = key + QLatin1Char('\\') + name;
        if (!openKey(m_reg, kHklm, subkey)) continue;
        const QString value = readText(m_reg, valueName);
        if (value.isEmpty()) continue;
        log(section, value);
        if (services) {
            m_u.ServiceRows.push_back(int(m_u.Services.size()));
            m_u.Services.push_back({subkey, value});
            m_u.ListServices.append(value);
        }
    }
}

void Scan::listWinlogonNotify(int section) {
    const QString key = kWinlogonKey + QStringLiteral("\\Notify");
    if (!openKey(m_reg, kHklm, key)) return;
    static const char* const events[] = {
        "Lock",        "Unlock",           "Logon",           "Logoff",    "Startup",    "Shutdown",
        "Screensaver", "StartScreenSaver", "StopScreenSaver", "Reconnect", "Disconnect", "StartShell",
        "PostShell"};
    for (const QString& name : m_reg.GetKeyNames()) {
        if (!openKey(m_reg, kHklm, key + QLatin1Char('\\') + name)) continue;
        const QString dll = readText(m_reg, QStringLiteral("DLLName"));
        if (dll.isEmpty()) continue;
        QString text = QStringLiteral("DLL: ") + dll + QLatin1Char(' ');
        for (const char* event : events) {
            const QString value = readText(m_reg, QLatin1String(event));
            if (!value.isEmpty())
                text += QLatin1String(event) + QStringLiteral(": ") + value + QLatin1Char(' ');
        }
        log(section, text);
    }
}

void Scan::run() {
    int section = 1;
    for (const QString& key : kRunKeyPaths) {
        listRunValues(section++, kHklm, key);
        listRunValues(section++, kHkcu, key);
    }
    listNamedValue(15, kHklm, kWinlogonKey, QStringLiteral("Userinit"), StartupAction::EditReg);
    listNamedValue(15, kHklm, kWinlogonKey, QStringLiteral("System"), StartupAction::DelReg);
    listNamedValue(15, kHklm, kWinlogonKey, QStringLiteral("Shell"), StartupAction::EditReg);
    listNamedValue(16, kHklm, kWindowsKey, QStringLiteral("AppInit_DLLs"), StartupAction::EditReg);
    listNamedValue(17, kHkcu, kWindowsKey, QStringLiteral("load"), StartupAction::DelReg);
    listClsids(18,
               QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad"),
               false);
    listClsids(19,
               QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler"),
               true);

    const IniStartupSource winIni{m_ctx.g.WindowsFolder + QStringLiteral("\\win.ini"),
                                  QStringLiteral("windows"),
                                  {QStringLiteral("run"), QStringLiteral("load")}};
    if (FileExists(m_ctx.machine, winIni.file)) {
        listIniValue(20, winIni, QStringLiteral("run"));
        listIniValue(21, winIni, QStringLiteral("load"));
    }
    const IniStartupSource systemIni{m_ctx.g.WindowsFolder + QStringLiteral("\\system.ini"),
                                     QStringLiteral("boot"),
                                     {QStringLiteral("shell")}};
    if (FileExists(m_ctx.machine, systemIni.file)) listIniValue(22, systemIni, QStringLiteral("shell"));

    listStartupFolders(23, kHkcu, QStringLiteral("Startup"));
    listStartupFolders(24, kHkcu, QStringLiteral("Common Startup"));
    listStartupFolders(25, kHklm, QStringLiteral("Startup"));
    listStartupFolders(26, kHklm, QStringLiteral("Common Startup"));

    // The classes root's open commands, then the same keys straight under the machine's root, in
    // another order.
    static const char* const classesOrder[] = {"exefile", "comfile", "batfile", "htafile",
                                               "piffile", "scrfile", "dllfile"};
    static const char* const machineOrder[] = {"exefile", "comfile", "batfile", "htafile",
                                               "scrfile", "dllfile", "piffile"};
    const auto openCommand = [](const char* type) {
        const QString name = QLatin1String(type);
        return name + (name == QStringLiteral("htafile") ? QStringLiteral("\\Shell\\Open\\Command")
                                                         : QStringLiteral("\\shell\\open\\command"));
    };
    section = 27;
    for (const char* type : classesOrder)
        logShellOpenCommand(section++, kHkcr, openCommand(type));
    for (const char* type : machineOrder)
        logShellOpenCommand(section++, kHklm, openCommand(type));

    listSubkeyValues(41, kInstalledComponents, QStringLiteral("StubPath"));
    listSubkeyValues(42, kInstalledComponents, QStringLiteral("KeyFileName"));
    listWinlogonNotify(50);
    listSubkeyValues(51, kServicesKey, QStringLiteral("ImagePath"));
}

// The value lines of one Internet Explorer key for the browser list.
void addValueLines(StartupUnit& u, TRegistry& reg, const QString& hive, const QString& key,
                   std::initializer_list<const char*> names) {
    if (!openKey(reg, hive, key)) return;
    for (const char* name : names) {
        const QString shown = QLatin1String(name);
        const QString value = shown == u"SearchUrl" ? QString() : shown;
        u.ListBrowserIE.append(hive + QLatin1Char(' ') + shown.leftJustified(22, u' ') +
                               QStringLiteral(": ") + readText(reg, value));
    }
}

void addBrowserKeys(StartupUnit& u, TRegistry& reg, const QString& hive) {
    addValueLines(u, reg, hive, kIeMain,
                  {"Local Page", "Default_Search_URL", "Default_Page_URL", "Search Bar", "Search Page",
                   "Security Risk Page", "Start Page"});
    addValueLines(u, reg, hive, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Search"),
                  {"CustomizeSearch", "SearchAssistant"});
    addValueLines(u, reg, hive, QStringLiteral("Software\\Microsoft\\Internet Explorer\\SearchUrl"),
                  {"SearchUrl"});
}

// The addresses of a LastSession value: 16-bit texts, each ended by a NUL; what follows the last
// NUL, and everything after an empty text, is left out.
void addLastSessionPages(StartupUnit& u, const QByteArray& data) {
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text.append(QChar(
            char16_t(static_cast<unsigned char>(data[i]) | (static_cast<unsigned char>(data[i + 1]) << 8))));
    qsizetype from = 0;
    for (;;) {
        const qsizetype nul = text.indexOf(QChar(0), from);
        if (nul <= from) break; // none, or an empty text
        u.ListBrowserIE.append(text.mid(from, nul - from));
        from = nul + 1;
    }
}

// The lines of a text as the class library's string list reads them: CR LF, LF or CR end a line,
// and a final line break adds no line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.mid(start));
    return lines;
}

} // namespace

QString StartupSectionLabel(int section) {
    if (section == 51) return QStringLiteral("SECTION 51 - Service Running: ");
    return (QStringLiteral("SECTION %1:").arg(section)).leftJustified(12, u' ');
}

void ScanStartupPoints(AppContext& ctx) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    u.ListStartup.clear();
    u.StartupEntries.clear();
    u.ListLog.clear();
    u.Services.clear();
    u.ListServices.clear();
    u.ServiceRows.clear();
    Scan(ctx, u).run();
    ctx.pump.processMessages();
}

void ScanBHOs(AppContext& ctx) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    u.ListBHO.clear();
    u.ListBHOHidden.clear();
    u.BhoSubkeys.clear();
    TRegistry reg(ctx.machine);
    if (!openKey(reg, kHklm, kBhoKey)) return;
    const QStringList names = reg.GetKeyNames();
    for (const QString& name : names) {
        const QString clsid = trimControls(asciiUpper(name));
        const QString serverKey = QStringLiteral("CLSID\\") + clsid + QStringLiteral("\\InprocServer32");
        QString line = QStringLiteral("NOT FOUND : Entry was found, but file is missing (this is ok)");
        if (openKey(reg, kHkcr, serverKey)) {
            line = readText(reg, QString());
            if (line.isEmpty()) continue;
        }
        u.ListBHO.append(line);
        u.ListBHOHidden.append(clsid);
        u.BhoSubkeys.append(name);
    }
}

void ListBrowserPages(AppContext& ctx) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    u.ListBrowserIE.clear();
    TRegistry reg(ctx.machine);
    addBrowserKeys(u, reg, kHkcu);
    if (openKey(reg, kHkcu, kIeTabbed)) {
        const QString name = QStringLiteral("LastSession");
        const int type = reg.GetDataType(name);
        if (reg.GetDataSize(name) > 0 && (type == int(REG_BINARY) || type == int(REG_NONE)))
            addLastSessionPages(u, reg.ReadBinaryData(name));
    }
    addBrowserKeys(u, reg, kHklm);
    if (openKey(reg, kHklm, kIeTabbed))
        u.ListBrowserIE.append(QStringLiteral("HKLM TabbedBrowsing        : ") +
                               readText(reg, QStringLiteral("LastSession")));
}

void Load_Running_Tasks(AppContext& ctx) {
    const QString& file = ctx.g.TaskListPath;
    if (!ctx.g.IsWindows7 || file.isEmpty() || !FileExists(ctx.machine, file)) return;
    StartupUnit& u = ctx.unit<StartupUnit>();
    u.ListRunningTasks.append(QStringLiteral(" "));
    u.ListRunningTasks.append(QStringLiteral("Full Tasklist:"));
    QByteArray data;
    if (!ReadFileBytes(ctx.machine, file, data)) return;
    u.ListRunningTasks.append(splitLines(decodeAnsi(data)));
}

void RemoveStartupEntry(AppContext& ctx, int row) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    if (row < 0 || row >= int(u.StartupEntries.size())) return;
    const StartupEntry entry = u.StartupEntries[std::size_t(row)];
    switch (entry.action) {
    case StartupAction::IniLine:
        RemoveIniStartupEntry(ctx, entry.text, entry.ini);
        break;
    case StartupAction::DelReg:
        DeleteStartupValue(ctx, entry.hive, entry.keyPath, entry.valueName);
        break;
    case StartupAction::EditReg: {
        ctx.dialogs.showMessage(QStringLiteral(
            "This value must be edited rather then deleted. You should click cancel on the next screen if "
            "you are not sure of what you are editing. (This editing option is mostly likely used during "
            "your system review, if you are instructed to edit and change this value by Hollbrook "
            "support.)"));
        QString text = entry.text;
        // A blank Userinit or Shell would stop Windows from logging on: a blank answer is a Cancel.
        if (ctx.dialogs.inputQuery(QStringLiteral("Input Box"), QStringLiteral("Prompt"), text) &&
            !trimControls(text).isEmpty())
            EditStartupValue(ctx, entry.hive, entry.keyPath, entry.valueName, text);
        break;
    }
    case StartupAction::DelFile:
        ctx.dialogs.showMessage(
            DeleteFile(ctx.machine, entry.text, Spelling::Exact)
                ? kDeleted
                : QStringLiteral("This value could not be deleted! You may have already "
                                 "removed it or you may not have authority on your system "
                                 "to delete this."));
        break;
    }
}

void DeleteStartupValue(AppContext& ctx, const QString& hive, const QString& keyPath,
                        const QString& valueName) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, hive, keyPath)) return;
    if (!reg.ValueExists(valueName)) {
        ctx.dialogs.showMessage(kNoValue);
        return;
    }
    bool deleted = false;
    try {
        deleted = reg.DeleteValue(valueName);
    } catch (const PlatformError&) {
        deleted = false; // the hive file could not be written: the value stays
    }
    ctx.dialogs.showMessage(deleted ? kDeleted : kNoAuthority);
}

void EditStartupValue(AppContext& ctx, const QString& hive, const QString& keyPath, const QString& valueName,
                      const QString& newText) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, hive, keyPath)) return;
    if (!reg.ValueExists(valueName)) {
        ctx.dialogs.showMessage(kNoValue);
        return;
    }
    try {
        reg.WriteString(valueName, trimControls(newText));
    } catch (const PlatformError&) {
        ctx.dialogs.showMessage(kNoAuthority);
        return;
    }
    ctx.dialogs.showMessage(QStringLiteral("This value has been successfully edited in your startup."));
}

void RemoveIniStartupEntry(AppContext& ctx, const QString& text, const IniStartupSource& source) {
    bool found = false;
    if (FileExists(ctx.machine, source.file)) {
        TIniFile ini(ctx.machine, source.file);
        for (const QString& key : source.keys) {
            if (ini.ReadString(source.section, key, QString()) != text) continue;
            ini.WriteString(source.section, key, QString());
            found = true;
            ctx.dialogs.showMessage(kDeleted);
        }
    }
    if (!found)
        ctx.dialogs.showMessage(
            QStringLiteral("This value does not exist! It could not be found in any of your "
                           "INI files, you may have already removed it."));
}

bool FilterServices(AppContext& ctx, const QString& filter) {
    const QString wanted = asciiUpper(trimControls(filter));
    if (wanted.isEmpty()) return false;
    StartupUnit& u = ctx.unit<StartupUnit>();
    QStringList lines;
    std::vector<int> rows;
    for (int i = 0; i < u.ListServices.size(); ++i) {
        if (!asciiUpper(u.ListServices[i]).contains(wanted)) continue;
        lines.append(u.ListServices[i]);
        rows.push_back(u.ServiceRows[std::size_t(i)]);
    }
    u.ListServices = lines;
    u.ServiceRows = rows;
    return true;
}

void RemoveService(AppContext& ctx, int row) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    if (row < 0 || row >= int(u.ServiceRows.size())) {
        ctx.dialogs.showMessage(
            QStringLiteral("You must choose a service to remove from your listbox first"));
        return;
    }
    const ServiceEntry& service = u.Services[std::size_t(u.ServiceRows[std::size_t(row)])];
    DeleteStartupValue(ctx, kHklm, service.keyPath, QStringLiteral("ImagePath"));
}

bool RemoveBHO(AppContext& ctx, int row) {
    StartupUnit& u = ctx.unit<StartupUnit>();
    if (u.ListBHO.isEmpty()) {
        ctx.dialogs.showMessage(
            QStringLiteral("There are no BHO entries in your list above. There is nothing to remove."));
        return false;
    }
    if (row < 0 || row >= u.ListBHO.size()) return false;
    TRegistry reg(ctx.machine);
    if (!openKey(reg, kHklm, kBhoKey)) return false;
    const int answer =
        ctx.dialogs.messageDlg(MsgKind::Confirmation,
                               QStringLiteral("Are you sure you want to remove this BHO entry (") +
                                   u.ListBHO[row] + QStringLiteral(")?"),
                               MsgButtons::YesNo);
    if (answer != mrYes) {
        ctx.dialogs.showMessage(QStringLiteral("You chose cancel, nothing was removed."));
        return false;
    }
    bool removed = false;
    try {
        removed = reg.DeleteKey(u.BhoSubkeys[row]);
    } catch (const PlatformError&) {
        removed = false;
    }
    if (!removed) {
        ctx.dialogs.showMessage(QStringLiteral(
            "This BHO entry could not be removed. If you are running Windows Vista, you need to right click "
            "the Nivora icon on your desktop, and choose the option that says \"Run as Admin\". Then you "
            "will "
            "have authority on your system to go in and delete this entry.try again."));
        return false;
    }
    ctx.dialogs.showMessage(
        QStringLiteral("This BHO entry was successfully removed. It will no longer run in your browser."));
    u.ListBHO.removeAt(row);
    u.ListBHOHidden.removeAt(row);
    u.BhoSubkeys.removeAt(row);
    return true;
}

std::optional<bool> BrowserExtensionsEnabled(AppContext& ctx) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, kHkcu, kIeMain)) return std::nullopt;
    return asciiUpper(readText(reg, QStringLiteral("Enable Browser Extensions"))) == u"YES";
}

std::optional<bool> SwitchBrowserExtensions(AppContext& ctx, bool enable) {
    TRegistry reg(ctx.machine);
    if (!reg.KeyExists(QLatin1Char('\\') + kIeMain)) {
        ctx.dialogs.showMessage(QStringLiteral(
            "There are no browser helper objects identified on your pc. You may ignore this option."));
        return std::nullopt;
    }
    if (!openKey(reg, kHkcu, kIeMain)) return std::nullopt;
    reg.WriteString(QStringLiteral("Enable Browser Extensions"),
                    enable ? QStringLiteral("yes") : QStringLiteral("no"));
    ctx.dialogs.showMessage(
        enable ? QStringLiteral(
                     "BHO objects on your computer are now enabled. BHOs can be things like search boxes or "
                     "toolbars on your browser, and can also be bad things like hidden spyware or adware "
                     "which does not show on your browser. These are now enabled, and you can disable and "
                     "block them again at any time by clicking this same button.")
               : QStringLiteral(
                     "BHO objects on your computer are now disabled. BHOs can be things like search boxes "
                     "or toolbars on your browser, and can also be bad things like hidden spyware or "
                     "adware which does not show on your browser. These are now disabled, and you can "
                     "re-enable at any time again by clicking this same button."));
    return enable;
}

} // namespace niv
