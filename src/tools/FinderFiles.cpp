#include "tools/FinderFiles.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

#include <QDateTime>
#include <QLocale>

namespace niv {

QString localFileTimeText(FileTime time) {
    const qint64 ticks = static_cast<qint64>(time);
    // FILETIME counts 100 ns from 1601; the host's local zone gives the wall-clock time.
    const qint64 ms = (ticks - 116444736000000000LL) / 10000;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
    const QLocale locale = QLocale::system();
    // Windows' long time has no zone name; Qt's long format adds one.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't');
    return locale.toString(local.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(local.time(), timeFormat.trimmed());
}

FinderFileInfo readFinderFileInfo(AppContext& ctx, const QString& path) {
    FinderFileInfo out;
    FileInfo info;
    if (!FileExists(ctx.machine, path) || !GetFileInfo(ctx.machine, path, info)) return out;
    out.size = info.size;
    out.creation = info.creationTime;
    out.lastWrite = info.lastWriteTime;
    out.lastAccess = info.lastAccessTime;
    return out;
}

bool viewFinderFile(AppContext& ctx, const QString& path) {
    if (opensByRunning(path)) return false;
    return ShellExecute(ctx.machine, QStringLiteral("open"), path) >= 32;
}

} // namespace niv
