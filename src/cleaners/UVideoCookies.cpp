#include "cleaners/UVideoCookies.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/MessagePump.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"

namespace niv {

bool FlashCookieLocationExists(AppContext& ctx) {
    const QString& folder = ctx.g.FlashCookieFolder;
    return !trimControls(folder).isEmpty() && DirectoryExists(ctx.machine, folder);
}

void ScanFlashCookieFolders(AppContext& ctx, const QString& folder, FlashSites& sites) {
    SearchRec rec;
    if (FindFirst(ctx.machine, folder + QStringLiteral("\\*.*"), faAnyFile, rec) != 0) return;
    do {
        const QString name = rec.Name;
        // A link to a folder is neither listed nor entered: its target is not the site's own.
        if (rec.isDirectory() && !rec.isReparsePoint() && !isDotName(name)) {
            const QString path = folder + u'\\' + name;
            if (name.contains(u'.')) {
                sites.names.append(name);
                sites.paths.append(path);
            }
            ScanFlashCookieFolders(ctx, path, sites);
        }
        ctx.pump.processMessages();
    } while (FindNext(rec) == 0);
    FindClose(rec);
}

bool RecycleFlashFolder(AppContext& ctx, const QString& path) {
    // A link is never recycled, lest the bin copy what it points at.
    const int attr = FileGetAttr(ctx.machine, path);
    if (attr != -1 && (attr & faReparsePoint)) return false;
    return shellRecycle(ctx.machine, path, ctx.recycleClock) == 0;
}

void RemoveFlashSites(AppContext& ctx, FlashSites& sites, const std::vector<bool>& selected) {
    FlashSites kept;
    for (qsizetype i = 0; i < sites.names.size(); ++i) {
        const QString& path = sites.paths[i];
        const bool chosen =
            static_cast<std::size_t>(i) < selected.size() && selected[static_cast<std::size_t>(i)];
        if (chosen && (RecycleFlashFolder(ctx, path) || !DirectoryExists(ctx.machine, path))) continue;
        kept.names.append(sites.names[i]);
        kept.paths.append(path);
    }
    sites = std::move(kept);
}

QString NoFlashLocationText() {
    return QStringLiteral("No video cookie location exists on your system");
}

} // namespace niv
