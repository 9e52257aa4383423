#include "cleaners/Uaol.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Walk.h"

namespace niv {

namespace {

constexpr int kAolFolders = 25;
constexpr int kAddressLength = 70;

} // namespace

void LoadAolTrackFiles(AppContext& ctx) {
    ctx.unit<AolUnit>().AolTrackFiles.clear();
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kAolFolders; ++i) {
        const QString folder =
            ini.ReadString(QStringLiteral("AL13"), QStringLiteral("P") + QString::number(i), QString())
                .trimmed();
        if (folder.isEmpty()) return;
        FindAolTrackFiles(ctx, folder);
    }
}

void FindAolTrackFiles(AppContext& ctx, const QString& folder) {
    PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    int slot = 1;
    while (slot <= files.count() && !files[slot].isEmpty())
        ++slot;
    if (slot > files.count()) return;
    WalkOptions options;
    options.maxDepth = 0;
    options.sorted = true;
    options.mask = QStringLiteral("*.arl");
    options.maskFolders = true;
    walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
        files[slot++] = folder + e.name();
        return slot <= files.count() ? WalkStep::Continue : WalkStep::Stop;
    });
}

void ReadAolTrackFiles(AppContext& ctx, QStringList& lines) {
    const PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    for (int slot = 1; slot <= files.count() && !files[slot].isEmpty(); ++slot) {
        QString line;
        if (!ReadFirstLine(ctx.machine, files[slot], line))
            throw PlatformError(QStringLiteral("Cannot open file \"%1\". %2")
                                    .arg(files[slot], SysErrorMessage(ctx.machine.lastError())));
        // Checked once per file, so one line's entries may pass the limit.
        if (lines.size() >= kAolListLimit) continue;
        lines += AolAddressesOf(line);
    }
}

QStringList AolAddressesOf(const QString& line) {
    const QString http = QStringLiteral("http://");
    const QString aol = QStringLiteral("AOL:");
    QStringList out;
    QString rest = line;
    // Every "http://" entry first: an "AOL:" entry's removal could join a new one.
    for (;;) {
        qsizetype at = rest.indexOf(http);
        if (at < 0) at = rest.indexOf(aol);
        if (at < 0) return out;
        // Text after an address within its 70 characters goes with it.
        out << rest.mid(at, kAddressLength) + QStringLiteral("...");
        rest.remove(at, kAddressLength);
    }
}

void DeleteAolTrackFiles(AppContext& ctx) {
    const PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    for (int slot = 1; slot <= files.count() && !files[slot].isEmpty(); ++slot)
        DeleteFile(ctx.machine, files[slot]);
}

QString AolCountText(int lines) {
    return QStringLiteral("Count = ") + QString::number(lines < 2 ? 0 : lines);
}

} // namespace niv
