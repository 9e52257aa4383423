#include "cleaners/UVideoCookies.h"

#include "core/AppContext.h"
#include "core/Uglobalvars.h"
#include "platform/FileSys.h"
#include "platform/MessagePump.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

namespace niv {

bool FlashCookieLocationExists(AppContext& ctx) {
    const QString& folder = ctx.g.FlashCookieFolder;
    return !trimControls(folder).isEmpty() && DirectoryExists(ctx.machine, folder);
}

void ScanFlashCookieFolders(AppContext& ctx, const QString& folder, FlashSites& sites) {
    // Every real folder below, in the search's order; a link is neither listed nor entered (its
    // target is not the site's own), and messages go through after every entry.
    WalkOptions options;
    options.sorted = true;
    options.pacing = ctx.pacing(0);
    // A folder that cannot be searched is passed over, as one without rights is, and the user told.
    options.passOverUnopenable = true;
    // Each path is spelt as the walk found it, so a site is recycled as listed or not at all.
    const WalkResult walked = walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
        if (e.isDirectory() && e.name().contains(u'.')) {
            sites.names.append(e.name());
            sites.paths.append(e.path());
            sites.ids.push_back(e.fileId());
        }
        return WalkStep::Continue;
    });
    if (walked.passedOver > 0)
        ctx.dialogs.showMessage(FoldersPassedOverText(
            walked.passedOver, QStringLiteral("Video cookies in them are not listed.")));
}

void RemoveFlashSites(AppContext& ctx, FlashSites& sites, const std::vector<bool>& selected) {
    FlashSites kept;
    for (qsizetype i = 0; i < sites.names.size(); ++i) {
        const QString& path = sites.paths[i];
        const bool chosen =
            static_cast<std::size_t>(i) < selected.size() && selected[static_cast<std::size_t>(i)];
        const FileId id = sites.ids.at(static_cast<std::size_t>(i));
        if (chosen) {
            if (RecycleListedEntry(ctx, path, id)) continue;
            // Gone, or no longer the folder found (it went inside a site recycled before it, or
            // another entry took its place): the line goes.
            const HostPath now = resolve(ctx.machine, path, Spelling::Exact);
            if (!now.exists || now.id != id) continue;
        }
        kept.names.append(sites.names[i]);
        kept.paths.append(path);
        kept.ids.push_back(id);
    }
    sites = std::move(kept);
}

QString NoFlashLocationText() {
    return QStringLiteral("No video cookie location exists on your system");
}

} // namespace niv
