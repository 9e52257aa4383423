#include "core/Uglobalvars.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"
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

QString GetWindowsFolder(Machine& machine) {
    const QString folder = GetWindowsDirectory(machine);
    return folder.isEmpty() ? QStringLiteral("c:\\windows") : folder;
}

QString GetSystemFolder(Machine& machine) {
    const QString folder = GetSystemDirectory(machine);
    return folder.isEmpty() ? QStringLiteral("c:\\windows\\system\\") : folder;
}

namespace {

void addUnique(PathList& list, const QString& path) {
    if (path.trimmed().isEmpty()) return;
    const QString upper = winUpper(path);
    for (int slot = 1; slot <= list.count(); ++slot) {
        if (list[slot].isEmpty()) {
            list[slot] = upper;
            return;
        }
        if (winUpper(list[slot]) == upper) return;
    }
}

} // namespace

void AddIECachePath(GlobalVars& g, const QString& path) {
    addUnique(g.IECachePaths, path);
}

void AddIEHistoryPath(GlobalVars& g, const QString& path) {
    addUnique(g.IEHistoryPaths, path);
}

void AddIECookiePath(GlobalVars& g, const QString& path) {
    addUnique(g.IECookiePaths, path);
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

bool RecycleFile(AppContext& ctx, const QString& path, bool /*ask*/) {
    try {
        return shellRecycle(ctx.machine, path, ctx.recycleClock) == 0;
    } catch (const PlatformError& e) {
        throw PlatformError(QStringLiteral("Tried to recycle file: ") + path + QStringLiteral("\r\n") +
                            e.message());
    }
}

void WipeFile(AppContext& ctx, const QString& path) {
    OverwriteFileContents(ctx.machine, path);
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
