#include "tools/FinderFiles.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"
#include "platform/WinPath.h"

#include <QDateTime>

namespace niv {

QString localFileTimeText(Machine& machine, FileTime time) {
    const qint64 ticks = static_cast<qint64>(time);
    // FILETIME counts 100 ns from 1601; the host's local zone gives the wall-clock time.
    const qint64 ms = (ticks - 116444736000000000LL) / 10000;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
    return FormatShortDate(machine, local.date()) + u' ' + FormatLongTime(machine, local.time());
}

FinderFileInfo readFinderFileInfo(AppContext& ctx, const QString& path) {
    FinderFileInfo out;
    FileInfo info;
    if (!FileExists(ctx.machine, path, Spelling::Exact) ||
        !GetFileInfo(ctx.machine, path, info, Spelling::Exact))
        return out;
    out.size = info.size;
    out.creation = info.creationTime;
    out.lastWrite = info.lastWriteTime;
    out.lastAccess = info.lastAccessTime;
    return out;
}

bool viewFinderFile(AppContext& ctx, const QString& path) {
    // The finders list regular files only: a link or folder in the listed file's place is not it.
    FileInfo info;
    if (!GetFileInfo(ctx.machine, path, info, Spelling::Exact) ||
        (info.attr & (faDirectory | faReparsePoint)) || opensByRunning(ctx.machine, path, Spelling::Exact))
        return false;
    return ShellExecute(ctx.machine, QStringLiteral("open"), path, {}, {}, Spelling::Exact) >= 32;
}

} // namespace niv
