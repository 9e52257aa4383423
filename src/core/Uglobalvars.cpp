#include "core/Uglobalvars.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

namespace niv {

void SetCategoryResult(GlobalVars& g, int slot, const QString& line) {
    QString cut;
    int characters = 0;
    for (qsizetype i = 0; i < line.size() && characters < kCategoryResultLength; ++i, ++characters) {
        cut.append(line.at(i));
        if (line.at(i).isHighSurrogate() && i + 1 < line.size()) cut.append(line.at(++i));
    }
    g.CategoryResults.at(static_cast<std::size_t>(slot)) = cut;
}

FoundCounter SumFound(const GlobalVars& g, std::span<const Category> categories) {
    FoundCounter sum;
    for (Category c : categories) {
        sum.FoundFiles += g.Found[c].FoundFiles;
        sum.FoundBytes += g.Found[c].FoundBytes;
    }
    return sum;
}

QString GetWindowsFolder(Machine& machine) {
    const QString folder = GetWindowsDirectory(machine);
    return folder.isEmpty() ? QStringLiteral("c:\\windows") : folder;
}

QString GetSystemFolder(Machine& machine) {
    const QString folder = GetSystemDirectory(machine);
    return folder.isEmpty() ? QStringLiteral("c:\\windows\\system\\") : folder;
}

namespace {

// A blank path is ignored; the path goes into the first free slot unless an entry equal to it but
// for case comes first; a full list drops it.
void addUnique(PathList& list, const QString& path, bool storeUpperCased) {
    if (trimControls(path).isEmpty()) return;
    const QString upper = winUpper(path);
    for (int slot = 1; slot <= list.count(); ++slot) {
        if (list[slot].isEmpty()) {
            list[slot] = storeUpperCased ? upper : path;
            return;
        }
        if (winUpper(list[slot]) == upper) return;
    }
}

} // namespace

void AddIECachePath(GlobalVars& g, const QString& path) {
    addUnique(g.IECachePaths, path, true);
}

void AddIEHistoryPath(GlobalVars& g, const QString& path) {
    addUnique(g.IEHistoryPaths, path, true);
}

void AddIECookiePath(GlobalVars& g, const QString& path) {
    addUnique(g.IECookiePaths, path, true);
}

void LoadNetCookieFiles(AppContext& ctx) {
    GlobalVars& g = ctx.g;
    g.WindowsFolder = GetWindowsFolder(ctx.machine);
    const TIniFile ini(ctx.machine, g.ScanLogPath);
    const QString p0 = QStringLiteral("P0");
    g.FirefoxFormHistoryMask = ini.ReadString(QStringLiteral("FFFH"), p0, QString());
    g.FirefoxCookieDbMask = ini.ReadString(QStringLiteral("FFCK"), p0, QString());
    g.FirefoxPlacesFile = ini.ReadString(QStringLiteral("FFPL"), p0, QString());
    g.FirefoxPlacesJournalFile = ini.ReadString(QStringLiteral("FFPL2"), p0, QString());
    g.FirefoxWebStoreFile = ini.ReadString(QStringLiteral("FFPL3"), p0, QString());
    for (int slot = 1; slot <= g.FirefoxCookieFiles.count(); ++slot) {
        const QString folder =
            ini.ReadString(QStringLiteral("K17"), ScanLogSlotKey(slot), QStringLiteral(" "));
        QString& file = g.FirefoxCookieFiles[slot];
        file.clear();
        if (folder.isEmpty()) continue;
        for (const char* name : {"cookies.txt", "cookies.sqlite"}) {
            if (FileExists(ctx.machine, folder + QLatin1String(name))) {
                file = folder + QLatin1String(name);
                break;
            }
        }
    }
}

void LoadNetCacheDirs(AppContext& ctx) {
    GlobalVars& g = ctx.g;
    const TIniFile ini(ctx.machine, g.ScanLogPath);
    for (int slot = 1; slot <= g.FirefoxCacheScanDirs.count(); ++slot) {
        const QString folder =
            trimControls(ini.ReadString(QStringLiteral("P45"), ScanLogSlotKey(slot), QStringLiteral(" ")));
        QString& entry = g.FirefoxCacheScanDirs[slot];
        entry.clear();
        if (folder.isEmpty()) continue;
        // Glued on as the drive scan records the folder: with its trailing "".
        const QString newCache = folder + QStringLiteral("newcache");
        if (DirectoryExists(ctx.machine, newCache))
            entry = newCache;
        else if (DirectoryExists(ctx.machine, folder))
            entry = folder;
    }
}

void LoadNetHistoryFiles(AppContext& ctx) {
    GlobalVars& g = ctx.g;
    PathList& files = g.FirefoxHistoryFiles;
    files.clear();
    const TIniFile ini(ctx.machine, g.ScanLogPath);
    int taken = 0;
    for (int slot = 1; slot <= files.count(); ++slot) {
        const QString folder =
            trimControls(ini.ReadString(QStringLiteral("H53"), ScanLogSlotKey(slot), QString()));
        if (folder.isEmpty()) continue;
        for (const char* name : {"netscape.hst", "history.dat", "formhistory.dat"}) {
            const QString file = folder + QLatin1String(name);
            if (taken < files.count() && FileExists(ctx.machine, file)) files[++taken] = file;
        }
    }
}

void AddUniqueCacheDir(GlobalVars& g, const QString& folder) {
    addUnique(g.FirefoxCacheDirs, folder, false);
}

QString ScanLogSlotKey(int slot) {
    return QStringLiteral("P") + QString::number(slot);
}

int ReadFormWidth(AppContext& ctx, const QString& section) {
    return TIniFile(ctx.machine, ctx.g.ScanLogPath).ReadInteger(section, QStringLiteral("W"), 0);
}

int ReadFormHeight(AppContext& ctx, const QString& section) {
    return TIniFile(ctx.machine, ctx.g.ScanLogPath).ReadInteger(section, QStringLiteral("H"), 0);
}

void SaveFormSize(AppContext& ctx, const QString& section, int width, int height) {
    TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    try {
        ini.WriteInteger(section, QStringLiteral("W"), width);
        ini.WriteInteger(section, QStringLiteral("H"), height);
    } catch (const PlatformError&) {
        // A size that cannot be kept only costs the designed size next time.
    }
}

namespace {

template <class Item> bool recycleItem(AppContext& ctx, const Item& item, const QString& path) {
    try {
        return shellRecycle(ctx.machine, item, ctx.recycleClock) == 0;
    } catch (const PlatformError& e) {
        throw PlatformError(QStringLiteral("Tried to recycle file: ") + path + QStringLiteral("\r\n") +
                            e.message());
    }
}

} // namespace

bool RecycleFile(AppContext& ctx, const QString& path, bool /*ask*/) {
    return recycleItem(ctx, path, path);
}

bool RecycleFile(AppContext& ctx, const HostPath& item, bool /*ask*/) {
    return recycleItem(ctx, item, item.winPath);
}

bool RecycleListedEntry(AppContext& ctx, const QString& path, FileId id) {
    const HostPath found = resolve(ctx.machine, path, Spelling::Exact);
    return found.exists && found.id == id && shellRecycle(ctx.machine, found, ctx.recycleClock) == 0;
}

QString FoldersPassedOverText(std::int64_t folders, const QString& left) {
    return QStringLiteral("Folders left unsearched because too many files are open: %1. ").arg(folders) +
           left;
}

void WipeFile(AppContext&, WalkEntry& entry) {
    entry.overwriteContents();
}

std::uint8_t ClassifyWindowsVersion(Machine& machine) {
    OsVersionInfo v;
    if (!GetVersionEx(machine, v)) return 0;
    if (v.platformId == 1) {
        if (v.majorVersion == 4 && v.minorVersion == 0) return 1;
        if (v.majorVersion == 4 && v.minorVersion == 10)
            return v.csdVersion.size() >= 2 && v.csdVersion.at(1) == u'A' ? 3 : 2;
        if (v.majorVersion == 4 && v.minorVersion == 90) return 5;
        return 0;
    }
    if (v.platformId == 2) {
        if (v.majorVersion <= 4) return 4;
        if (v.majorVersion == 5 && v.minorVersion == 0) return 6;
        if (v.majorVersion == 5 && v.minorVersion == 1) return 7;
        if (v.majorVersion == 6 && v.minorVersion == 1) return 9;
        if (v.majorVersion == 6) return 8;
        return 10;
    }
    return 0;
}

} // namespace niv
