#include "cleaners/uie.h"

#include "cleaners/Usavecookies.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <exception>
#include <initializer_list>

namespace niv {

namespace {

// The unit's resource strings.
const QString SHistoryIE5 = QStringLiteral("History.IE5\\");
const QString SWindowsCookies = QStringLiteral("\\cookies\\");
const std::array<QString, 4> SWindowsCacheFolders = {
    QStringLiteral("\\temporary internet files\\cache1"),
    QStringLiteral("\\temporary internet files\\cache2"),
    QStringLiteral("\\temporary internet files\\cache3"),
    QStringLiteral("\\temporary internet files\\cache4"),
};

const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
const QString kCachePathsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache\\Paths");
const QString kFixedContentIE5 = QStringLiteral("c:\\windows\\temporary internet files\\content.ie5\\");
const QString kContentIE5Marker = QStringLiteral("TEMPORARY INTERNET FILES\\CONTENT.IE5");

const QString kAllFiles = QStringLiteral("*.*");
const QString kIndexDat = QStringLiteral("index.dat");

constexpr int kMaxContentSubfolders = 400;
constexpr int kScanIndexDirs = 25;
constexpr int kMinSearchedMask = 8;

// Result lines.
const QString kCookiesAllCleaned = QStringLiteral("All files have been deleted. ALL");
const QString kCookiesWereCleaned = QStringLiteral(" were cleaned.");
const QString kCookiesSaved = QStringLiteral(
    "All files have been deleted.  Note that you may have some cookies saved, and therefore not deleted.");
const QString kCookiesLocked =
    QStringLiteral("All files have been deleted except for 1 or more COOKIE index files, which are LOCKED.");
const QString kHistoryDone = QStringLiteral("All files have been deleted.");
const QString kHistoryLocked =
    QStringLiteral("All files have been deleted except for 1 or more HISTORY index files, which are LOCKED.");
const QString kCacheDone = QStringLiteral("All files have been deleted. ");
const QString kCacheLocked =
    QStringLiteral("All files have been deleted except for 1 or more CACHE index files, which are LOCKED.");

// Upper-cased comparison that skips the case mapping when the lengths already differ.
bool upperEquals(const QString& name, const QString& upper) {
    return name.size() == upper.size() && winUpper(name) == upper;
}

// Visits the entries of one folder that a file search for `mask` with `attrFilter` lists, never
// going below, until `visit` returns false. `sorted` keeps the search's order.
template <typename Visit>
void listMask(AppContext& ctx, const QString& mask, int attrFilter, bool sorted, Visit visit) {
    // The folders below the Windows folder are the program's own names, and a folder inside a
    // Content.IE5 folder is one the discovery found: neither is a path given to it, so each is
    // taken only while it is a real folder, never through a link.
    const QString upper = winUpper(folderPart(mask));
    const QString windows = EnsureTrailingBackslash(ctx.unit<IeUnit>().IEWindowsFolder);
    const QString marker = kContentIE5Marker + u'\\';
    const qsizetype at = upper.indexOf(marker);
    QString given;
    if (windows.size() > 1 && upper.startsWith(winUpper(windows)))
        given = windows;
    else if (at >= 0)
        given = mask.left(at + marker.size());
    WalkOptions options;
    options.attrFilter = attrFilter;
    options.sorted = sorted;
    // A mask whose folder cannot be searched matches nothing.
    static_cast<void>(walkMask(
        ctx.machine, mask, options,
        [&](WalkEntry& e) { return visit(e) ? WalkStep::Continue : WalkStep::Stop; }, given));
}

// One open, one read and one close of the Shell Folders key; "" when the key does not open.
QString readShellFolder(Machine& machine, const QString& name) {
    TRegistry reg(machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey(kShellFoldersKey, false)) return {};
    const QString value = reg.ReadString(name);
    reg.CloseKey();
    return value;
}

// Counts one list into `found`, stopping at its first empty slot.
void countList(AppContext& ctx, const PathList& list, FoundCounter& found) {
    IeUnit& ie = ctx.unit<IeUnit>();
    ie.IEPassFiles = 0;
    ie.IEPassBytes = 0;
    if (!trimControls(list[1]).isEmpty()) {
        for (int slot = 1; slot <= list.count() && !list[slot].isEmpty(); ++slot)
            CountIEFiles(ctx, list[slot]);
    }
    found.FoundBytes = ie.IEPassBytes;
    found.FoundFiles = ie.IEPassFiles;
}

// Adds the index file of each history sub-folder found.
void addHistoryIndexes(GlobalVars& g, PathList& subfolders) {
    if (subfolders[1].isEmpty() || subfolders[1] == u" ") return;
    for (int slot = 1; slot <= subfolders.count(); ++slot) {
        if (subfolders[slot].isEmpty()) continue;
        subfolders[slot] = EnsureTrailingBackslash(RemoveDoubledBackslash(subfolders[slot]));
        AddIEHistoryPath(g, subfolders[slot] + kIndexDat);
    }
}

// Finds the history sub-folders whose attribute word is one of `accepted` and whose name passes
// `nameOk`, into `list` (the folder, a "\" and the name).
template <typename NameOk>
void findHistoryFolders(AppContext& ctx, const QString& folder, PathList& list,
                        std::initializer_list<int> accepted, NameOk nameOk) {
    int found = 0;
    listMask(ctx, folder + kAllFiles, faSysFile | faDirectory, true, [&](WalkEntry& e) {
        if (!nameOk(e.name()) || e.isMountPoint()) return true;
        if (std::find(accepted.begin(), accepted.end(), e.attr()) == accepted.end()) return true;
        list[++found] = folder + u'\\' + e.name();
        return found < list.count();
    });
}

void deleteList(AppContext& ctx, const PathList& list, bool spare) {
    if (trimControls(list[1]).isEmpty()) return;
    for (int slot = 1; slot <= list.count(); ++slot) {
        const QString& mask = list[slot];
        if (mask.isEmpty()) continue;
        DeleteInFolder(ctx, mask, folderPart(mask), spare);
    }
}

void startCleaner(IeUnit& ie) {
    ie.DeletedFiles = 0;
    ie.DeletedBytes = 0;
    ie.IndexFileLocked = false;
}

// Writes the result line: `done` when no index file was locked, else `locked` when the user wants
// to hear of locked files; otherwise the slot keeps its text.
void writeResult(AppContext& ctx, int slot, const QString& done, const QString& locked) {
    if (!ctx.unit<IeUnit>().IndexFileLocked)
        SetCategoryResult(ctx.g, slot, done);
    else if (ctx.unit<IeUnit>().ConfirmsCopy)
        SetCategoryResult(ctx.g, slot, locked);
}

void lowerCounters(AppContext& ctx, FoundCounter& found) {
    if (ctx.g.AutoCleanMode) return;
    found.FoundBytes -= ctx.unit<IeUnit>().DeletedBytes;
    found.FoundFiles -= static_cast<std::int64_t>(ctx.unit<IeUnit>().DeletedFiles);
    SumIETotals(ctx);
}

bool isIndexFileName(const QString& name) {
    static const QString names[] = {QStringLiteral("INDEX.DAT"), QStringLiteral("MM256.DAT"),
                                    QStringLiteral("MM2048.DAT")};
    for (const QString& n : names)
        if (upperEquals(name, n)) return true;
    return false;
}

// A command-line argument: quoted when it holds a blank.
QString argument(const QString& path) {
    return path.contains(u' ') ? u'"' + path + u'"' : path;
}

} // namespace

// --- discovery ---

TFrmie::TFrmie(AppContext& ctx) : m_ctx(ctx) {
    FormCreate();
}

void TFrmie::FormCreate() {
    try {
        discover();
    } catch (const PlatformError& e) {
        m_ctx.dialogs.messageDlg(MsgKind::Error, e.message(), MsgButtons::Ok);
    } catch (const std::exception& e) {
        m_ctx.dialogs.messageDlg(MsgKind::Error, QString::fromLocal8Bit(e.what()), MsgButtons::Ok);
    }
}

void TFrmie::discover() {
    AppContext& ctx = m_ctx;
    GlobalVars& g = ctx.g;
    IeUnit& ie = ctx.unit<IeUnit>();
    Machine& machine = ctx.machine;

    // The Windows-folder places.
    ie.IEWindowsFolder = GetWindowsFolder(machine);
    ie.IECookiesFolder = ie.IEWindowsFolder + SWindowsCookies;
    for (std::size_t i = 0; i < ie.IECacheFolders.size(); ++i)
        ie.IECacheFolders[i] = ie.IEWindowsFolder + SWindowsCacheFolders[i];

    // Start from nothing.
    g.Found[CatIECache] = {};
    g.Found[CatIECookies] = {};
    g.Found[CatIEHistory] = {};
    g.IETotalFiles = 0;
    g.IETotalBytes = 0;
    for (int slot = 1; slot <= kLockedFileSlots; ++slot)
        g.LockedFileCommands[slot].clear();
    ie.HistorySubfolders.clear();
    ie.MshistSubfolders.clear();
    g.IECachePaths.clear();
    g.IECookiePaths.clear();
    g.IEHistoryPaths.clear();
    ie.ShellCacheFolder.clear();
    ie.ShellCookiesFolder.clear();
    ie.ShellHistoryFolder.clear();
    ie.SpecialCookiesPath.clear();

    // The shell's special folders.
    g.SystemFolder = GetSystemFolder(machine);
    ie.SpecialCookiesPath = SHGetSpecialFolderPath(machine, CSIDL_COOKIES);
    const QString internetCache = SHGetSpecialFolderPath(machine, CSIDL_INTERNET_CACHE);
    FindContentIE5Subfolders(ctx, internetCache);
    FindContentIE5Subfolders(ctx, internetCache + QStringLiteral("\\content.ie5"));

    // The user's Shell Folders. A blank value counts as empty: a mask built on it would name
    // the root of a drive.
    ie.ShellCacheFolder = readShellFolder(machine, QStringLiteral("Cache"));
    if (!trimControls(ie.ShellCacheFolder).isEmpty()) {
        ie.ShellCacheFolder = EnsureTrailingBackslash(ie.ShellCacheFolder);
        const QString content = QStringLiteral("content.ie5\\");
        if (DirectoryExists(machine, ie.ShellCacheFolder + content)) ie.ShellCacheFolder += content;
        FindContentIE5Subfolders(ctx, ie.ShellCacheFolder);
        AddIECachePath(g, ie.ShellCacheFolder + kIndexDat);
    }
    const QString cookies = readShellFolder(machine, QStringLiteral("Cookies"));
    if (!trimControls(cookies).isEmpty()) ie.ShellCookiesFolder = EnsureTrailingBackslash(cookies);
    const QString history = readShellFolder(machine, QStringLiteral("History"));
    if (!trimControls(history).isEmpty()) ie.ShellHistoryFolder = EnsureTrailingBackslash(history);

    // The machine-wide cache folder.
    {
        TRegistry reg(machine);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ie.ShellCacheFolder.clear();
        if (reg.OpenKey(kCachePathsKey, false)) {
            const QString directory = reg.ReadString(QStringLiteral("Directory"));
            if (!trimControls(directory).isEmpty()) {
                ie.ShellCacheFolder = EnsureTrailingBackslash(directory);
                FindContentIE5Subfolders(ctx, ie.ShellCacheFolder);
                AddIECachePath(g, ie.ShellCacheFolder + kIndexDat);
            }
            reg.CloseKey();
        }
    }

    // The caches of older systems in the Windows folder.
    if (DirectoryExists(machine, kFixedContentIE5)) {
        FindContentIE5Subfolders(ctx, kFixedContentIE5);
        AddIECachePath(g, kFixedContentIE5 + kIndexDat);
    }
    const QString tempContent =
        ie.IEWindowsFolder + QStringLiteral("\\temp\\temporary internet files\\content.ie5\\");
    if (DirectoryExists(machine, tempContent)) {
        FindContentIE5Subfolders(ctx, tempContent);
        AddIECachePath(g, tempContent + kIndexDat);
    }

    // The Windows folder's fixed caches and the scan log's index folders.
    for (const QString& folder : ie.IECacheFolders)
        AddIECachePath(g, folder + QStringLiteral("\\") + kAllFiles);
    LoadScanIndexDirs(ctx);

    countList(ctx, g.IECachePaths, g.Found[CatIECache]);

    // Cookies.
    AddIECookiePath(g, ie.IECookiesFolder + kAllFiles);
    AddIECookiePath(g, ie.IEWindowsFolder + QStringLiteral("\\temp\\cookies\\") + kAllFiles);
    if (!ie.ShellCookiesFolder.isEmpty()) AddIECookiePath(g, ie.ShellCookiesFolder + kAllFiles);
    if (!trimControls(ie.SpecialCookiesPath).isEmpty()) {
        AddIECookiePath(g, ie.SpecialCookiesPath + QStringLiteral("\\") + kAllFiles);
        AddIECookiePath(g, ie.SpecialCookiesPath + QStringLiteral("\\low\\") + kAllFiles);
    }
    countList(ctx, g.IECookiePaths, g.Found[CatIECookies]);

    // History.
    if (!ie.ShellHistoryFolder.isEmpty()) {
        ie.ShellHistoryFolder = EnsureTrailingBackslash(ie.ShellHistoryFolder);
        AddIEHistoryPath(g, ie.ShellHistoryFolder + kAllFiles);
        FindHistorySubfolders(ctx, ie.ShellHistoryFolder);
        FindMshistSubfolders(ctx, ie.ShellHistoryFolder + SHistoryIE5);
    }
    addHistoryIndexes(g, ie.HistorySubfolders);
    addHistoryIndexes(g, ie.MshistSubfolders);
    AddIEHistoryPath(g, ie.IEWindowsFolder + QStringLiteral("\\history\\") + kAllFiles);
    AddIEHistoryPath(g, ie.IEWindowsFolder + QStringLiteral("\\temp\\history\\history.ie5\\") + kIndexDat);
    countList(ctx, g.IEHistoryPaths, g.Found[CatIEHistory]);

    SumIETotals(ctx);
}

QString EnsureTrailingBackslash(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'\\')) return path;
    return path + u'\\';
}

QString RemoveDoubledBackslash(const QString& path) {
    const qsizetype at = path.indexOf(QStringLiteral("\\\\"));
    if (at < 0) return path;
    QString out = path;
    out.remove(at, 1);
    return out;
}

void FindContentIE5Subfolders(AppContext& ctx, const QString& folder) {
    if (!winUpper(folder).contains(kContentIE5Marker)) return;
    // One separator whether or not the folder ends in one, so that the same cache folder reached
    // both ways is listed (and counted) once.
    const QString base = EnsureTrailingBackslash(folder);
    const QString contentIE5 = QStringLiteral("CONTENT.IE5");
    int added = 0;
    listMask(ctx, base + kAllFiles, faAnyFile, true, [&](WalkEntry& e) {
        // A linked folder or another file system is never walked into.
        if (!e.isDirectory() || e.isMountPoint() || upperEquals(e.name(), contentIE5)) return true;
        AddIECachePath(ctx.g, base + e.name() + QStringLiteral("\\") + kAllFiles);
        return ++added < kMaxContentSubfolders;
    });
}

void FindHistorySubfolders(AppContext& ctx, const QString& folder) {
    findHistoryFolders(ctx, folder, ctx.unit<IeUnit>().HistorySubfolders, {faSysFile | faDirectory},
                       [](const QString&) { return true; });
}

void FindMshistSubfolders(AppContext& ctx, const QString& folder) {
    findHistoryFolders(ctx, folder, ctx.unit<IeUnit>().MshistSubfolders,
                       {faSysFile | faDirectory, faDirectory},
                       [](const QString& name) { return winUpper(name).contains(QStringLiteral("MSHIST")); });
}

void LoadScanIndexDirs(AppContext& ctx) {
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kScanIndexDirs; ++i) {
        const QString value = trimControls(ini.ReadString(
            QStringLiteral("HI24"), QStringLiteral("P") + QString::number(i), QStringLiteral(" ")));
        if (value.isEmpty()) return;
        AddIECachePath(ctx.g, value + QStringLiteral("INDEX.DAT"));
        FindContentIE5Subfolders(ctx, value);
    }
}

void CountIEFiles(AppContext& ctx, const QString& mask) {
    const QString desktopIni = QStringLiteral("DESKTOP.INI");
    IeUnit& ie = ctx.unit<IeUnit>();
    listMask(ctx, mask, faAnyFile, false, [&](WalkEntry& e) {
        if (upperEquals(e.name(), desktopIni) || e.isMountPoint()) return true;
        ++ie.IEPassFiles;
        ie.IEPassBytes += e.size();
        return true;
    });
}

void SumIETotals(AppContext& ctx) {
    static constexpr Category kIECategories[] = {CatIECache, CatIECookies, CatIEHistory};
    const FoundCounter total = SumFound(ctx.g, kIECategories);
    ctx.g.IETotalFiles = total.FoundFiles;
    ctx.g.IETotalBytes = total.FoundBytes;
}

void BuildCookieNameList(AppContext& ctx) {
    IeUnit& ie = ctx.unit<IeUnit>();
    ie.CookieFileTable.clear();
    ie.CookieFileCount = 0;
    const PathList& list = ctx.g.IECookiePaths;
    if (trimControls(list[1]).isEmpty()) return;
    for (int slot = 1; slot <= list.count() && !list[slot].isEmpty(); ++slot)
        CollectCookieNames(ctx, list[slot]);
}

void CollectCookieNames(AppContext& ctx, const QString& mask) {
    IeUnit& ie = ctx.unit<IeUnit>();
    if (ie.CookieFileCount >= ie.CookieFileTable.count()) return;
    const QString folder = folderPart(mask);
    listMask(ctx, mask, faAnyFile, true, [&](WalkEntry& e) {
        const QString upper = winUpper(e.name());
        if (upper != u"INDEX.DAT" && upper != u"LOW")
            ie.CookieFileTable[static_cast<int>(++ie.CookieFileCount)] = folder + e.name();
        return ie.CookieFileCount < ie.CookieFileTable.count();
    });
}

// --- cleaners ---

void DeleteIECookies(AppContext& ctx) {
    IeUnit& ie = ctx.unit<IeUnit>();
    startCleaner(ie);
    LoadKeptCookies(ctx);
    deleteList(ctx, ctx.g.IECookiePaths, true);
    FoundCounter& found = ctx.g.Found[CatIECookies];
    const QString done = static_cast<std::int64_t>(ie.DeletedFiles) == found.FoundFiles
                             ? kCookiesAllCleaned + QString::number(ie.DeletedFiles) + kCookiesWereCleaned
                             : kCookiesSaved;
    writeResult(ctx, ResultIECookies, done, kCookiesLocked);
    lowerCounters(ctx, found);
}

void DeleteIEHistory(AppContext& ctx) {
    startCleaner(ctx.unit<IeUnit>());
    deleteList(ctx, ctx.g.IEHistoryPaths, false);
    writeResult(ctx, ResultIEHistory, kHistoryDone, kHistoryLocked);
    lowerCounters(ctx, ctx.g.Found[CatIEHistory]);
}

void DeleteIECache(AppContext& ctx) {
    startCleaner(ctx.unit<IeUnit>());
    deleteList(ctx, ctx.g.IECachePaths, false);
    writeResult(ctx, ResultIECache, kCacheDone, kCacheLocked);
    lowerCounters(ctx, ctx.g.Found[CatIECache]);
}

void DeleteInFolder(AppContext& ctx, const QString& mask, const QString& folder, bool spare) {
    if (mask.size() < kMinSearchedMask) return;
    IeUnit& ie = ctx.unit<IeUnit>();
    // The search's order, which the locked-file commands keep.
    listMask(ctx, mask, faAnyFile, true, [&](WalkEntry& e) {
        if ((spare && IsKeptCookie(ctx, e.name(), true)) || e.isMountPoint()) return true;
        const std::int64_t size = e.size(); // before the entry goes
        if (ctx.g.Wipe) WipeFile(ctx, e);
        if (e.deleteFile()) {
            ++ie.DeletedFiles;
            ie.DeletedBytes += size;
        } else if (isIndexFileName(e.name())) {
            ie.IndexFileLocked = true;
            // A "Del" without a path would only make the batch report a syntax error.
            const QString shortPath = GetShortPath(ctx, folder + e.name());
            if (!shortPath.isEmpty()) AddLockedCommand(ctx, QStringLiteral("Del ") + argument(shortPath));
        }
        return true;
    });
}

bool IsKeptCookie(AppContext& ctx, const QString& name, bool asked) {
    return asked && ctx.unit<IeUnit>().KeptCookieKeys.contains(winUpper(trimControls(name)));
}

void LoadKeptCookies(AppContext& ctx) {
    IeUnit& ie = ctx.unit<IeUnit>();
    ie.KeptCookieKeys.clear();
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kKeptCookieSlots; ++i) {
        const QString value = trimControls(
            ini.ReadString(QStringLiteral("UCKK5"), QStringLiteral("CKK") + QString::number(i), QString()));
        if (value.isEmpty()) return;
        ie.KeptCookieKeys.insert(winUpper(value));
    }
}

void AddLockedCommand(AppContext& ctx, const QString& line) {
    for (int slot = 1; slot <= kLockedFileSlots; ++slot) {
        QString& entry = ctx.g.LockedFileCommands[slot];
        if (entry == line) return;
        if (entry.isEmpty()) {
            entry = line;
            return;
        }
    }
}

QString GetShortPath(AppContext& ctx, const QString& path) {
    return GetShortPathName(ctx.machine, RemoveDoubledBackslash(path));
}

} // namespace niv
