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
    const HostPath file = resolve(ctx.machine, path, Spelling::Exact);
    if (!FileExists(ctx.machine, file) || !GetFileInfo(ctx.machine, file, info)) return out;
    out.size = info.size;
    out.creation = info.creationTime;
    out.lastWrite = info.lastWriteTime;
    out.lastAccess = info.lastAccessTime;
    return out;
}

bool isListedFile(const HostPath& found, FileId id) {
    return found.exists && S_ISREG(found.mode) && found.id == id;
}

bool viewFinderFile(AppContext& ctx, const QString& path) {
    // Judged and opened as one entry: nothing put in its place after the check is handed over. The
    // finders list regular files only: a link, folder or FIFO in the listed file's place is not it.
    const HostPath file = resolve(ctx.machine, path, Spelling::Exact);
    if (!file.exists || !S_ISREG(file.mode) || opensByRunning(ctx.machine, file)) return false;
    return ShellExecute(ctx.machine, file) >= 32;
}

} // namespace niv
