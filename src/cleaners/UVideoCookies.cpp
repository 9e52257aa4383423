#include "cleaners/UVideoCookies.h"

#include "core/AppContext.h"
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
        }
        return WalkStep::Continue;
    });
    if (walked.passedOver > 0)
        ctx.dialogs.showMessage(QStringLiteral("Folders left unsearched because too many files are open: %1. "
                                               "Video cookies in them are not listed.")
                                    .arg(walked.passedOver));
}

namespace {

// A link is never recycled, lest the bin copy what it points at.
bool recycleSite(AppContext& ctx, const HostPath& site) {
    return !site.isLink() && shellRecycle(ctx.machine, site, ctx.recycleClock) == 0;
}

} // namespace

bool RecycleFlashFolder(AppContext& ctx, const QString& path) {
    return recycleSite(ctx, resolve(ctx.machine, path, Spelling::Exact));
}

void RemoveFlashSites(AppContext& ctx, FlashSites& sites, const std::vector<bool>& selected) {
    FlashSites kept;
    for (qsizetype i = 0; i < sites.names.size(); ++i) {
        const QString& path = sites.paths[i];
        const bool chosen =
            static_cast<std::size_t>(i) < selected.size() && selected[static_cast<std::size_t>(i)];
        if (chosen) {
            // Checked and recycled as one entry: what was found is what goes, or nothing.
            const HostPath site = resolve(ctx.machine, path, Spelling::Exact);
            if (!site.exists || recycleSite(ctx, site)) continue;
        }
        kept.names.append(sites.names[i]);
        kept.paths.append(path);
    }
    sites = std::move(kept);
}

QString NoFlashLocationText() {
    return QStringLiteral("No video cookie location exists on your system");
}

} // namespace niv
