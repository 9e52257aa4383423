#include "cleaners/unet.h"

#include "core/AppContext.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

namespace niv {

namespace {

const QString kAllFiles = QStringLiteral("*.*");
const QString kCacheMarker = QStringLiteral("\\CACHE");
const QString kHexFolders = QStringLiteral("0123456789ABCDEF");

NetUnit& net(AppContext& ctx) {
    return ctx.unit<NetUnit>();
}

// A plain folder is passed over; a folder with any further attribute bit counts like a file, as
// does a link (its size is 0 and deleting it removes only the link).
bool isPlainFolder(const WalkEntry& e) {
    return e.isDirectory() && (e.attr() & faAnyFile) == faDirectory;
}

// The folder holding `folder`: what a scan-log path names is followed as given up to there, and
// `folder`'s own name is then taken only as a real folder, never through a link.
QString above(const QString& folder) {
    return folderPart(excludeTrailingBackslash(folder));
}

// A folder a walk goes on into: one that a search asking for directories lists, so neither hidden
// nor system. The walk itself never enters a link or a mount point.
bool walksInto(const WalkEntry& e) {
    return e.isDirectory() && (e.attr() & (faHidden | faSysFile)) == 0;
}

enum class Act { Count, Delete };

// Counts or deletes one entry that passes the category's rule.
void actOn(AppContext& ctx, WalkEntry& e, Act act) {
    if (!IsCleanableName(e.name()) || isPlainFolder(e) || e.isMountPoint()) return;
    NetUnit& unit = net(ctx);
    const std::int64_t size = e.size(); // before the entry goes
    if (act == Act::Count) {
        ++unit.NetPassFiles;
        unit.NetPassBytes += size;
        return;
    }
    if (ctx.g.Wipe) WipeFile(ctx, e);
    if (e.deleteFile()) {
        ++unit.DeletedFiles;
        unit.DeletedBytes += size;
    }
}

// The entries of one mask; the folders after `given` are the program's own names, never taken
// through a link.
void maskEntries(AppContext& ctx, const QString& mask, const QString& given, Act act) {
    WalkOptions options;
    options.sorted = true;
    // A mask whose folder cannot be searched matches nothing.
    static_cast<void>(walkMask(
        ctx.machine, mask, options,
        [&](WalkEntry& e) {
            actOn(ctx, e, act);
            return WalkStep::Continue;
        },
        given));
}

// Everything below the folders of `start` (+ `below`), not the entries lying directly in it. The
// error that ended the walk in a folder it entered; 0 when none did.
int walkBelow(AppContext& ctx, const QString& start, const QString& below, Act act) {
    WalkOptions options;
    options.below = below;
    const WalkResult walked = walkTree(ctx.machine, start, options, [&](WalkEntry& e) {
        if (e.depth() > 0) actOn(ctx, e, act);
        return walksInto(e) ? WalkStep::Continue : WalkStep::SkipFolder;
    });
    // Only running out of handles ends a search; a folder that cannot be entered is passed over
    // without a word.
    return walked.error == ERROR_TOO_MANY_OPEN_FILES ? walked.error : ERROR_SUCCESS;
}

// Chrome's folders below the local application data are the program's own names, never links.
const QString kChromeProfileTail = QStringLiteral("\\Google\\Chrome\\User Data\\Default");

void chromeMask(AppContext& ctx, const QString& mask, Act act) {
    const qsizetype tail = winUpper(folderPart(mask)).lastIndexOf(winUpper(kChromeProfileTail));
    maskEntries(ctx, mask, tail < 0 ? QString() : mask.left(tail + 1), act);
}

// One mask of a category: counted or deleted.
void visitMask(AppContext& ctx, const QString& mask, const QString& folder, WalkMode mode) {
    if (trimControls(mask).isEmpty()) return;
    if (mode == WalkMode::CountUp)
        CountFiles(ctx, mask);
    else
        DeleteFilesInMask(ctx, mask, folder);
}

// Each set slot of a file list, then the database mask.
void visitFileList(AppContext& ctx, const PathList& files, const QString& databaseMask, WalkMode mode) {
    for (int slot = 1; slot <= files.count(); ++slot) {
        const QString& file = files[slot];
        if (!file.isEmpty() && file != u" ") visitMask(ctx, file, folderPart(file), mode);
    }
    visitMask(ctx, databaseMask, folderPart(databaseMask), mode);
}

// Chrome's masks stand on its profile folder; with no profile folder there is nothing to search.
void visitChrome(AppContext& ctx, const QString& folder, std::initializer_list<const char*> names,
                 WalkMode mode) {
    if (folder.isEmpty()) return;
    for (const char* name : names) {
        chromeMask(ctx, folder + QString::fromLatin1(name),
                   mode == WalkMode::CountUp ? Act::Count : Act::Delete);
    }
}

// Everything a category's count or cleaner searches, in order.
void visitCategory(AppContext& ctx, Category category, WalkMode mode) {
    const GlobalVars& g = ctx.g;
    switch (category) {
    case CatNSCache: {
        bool searchErrorShown = false;
        for (int slot = 1; slot <= g.FirefoxCacheDirs.count(); ++slot) {
            const QString& folder = g.FirefoxCacheDirs[slot];
            if (trimControls(folder).isEmpty()) continue;
            visitMask(ctx, folder + kAllFiles, folder, mode);
            if (!winUpper(folder).contains(kCacheMarker)) continue;
            for (QChar hex : kHexFolders) {
                const int error =
                    WalkSubfolders(ctx, includeTrailingBackslash(folder) + hex + u'\\', mode, above(folder));
                // Once per pass: the next folders would only fail the same way.
                if (error != ERROR_SUCCESS && !searchErrorShown) {
                    searchErrorShown = true;
                    ctx.dialogs.showMessage(
                        QString::number(error) +
                        QStringLiteral(
                            " error occurred searching for Firefox files.  Please report this error "
                            "code message."));
                }
            }
        }
        break;
    }
    case CatNSHistory:
        visitFileList(ctx, g.FirefoxHistoryFiles, g.FirefoxFormHistoryMask, mode);
        break;
    case CatNSCookies:
        visitFileList(ctx, g.FirefoxCookieFiles, g.FirefoxCookieDbMask, mode);
        break;
    case CatGHistory:
        visitChrome(ctx, g.ChromeProfileFolder, {"\\History*.*", "\\Visited Links", "\\Archived History"},
                    mode);
        break;
    case CatGCache:
        visitChrome(ctx, g.ChromeCacheFolder, {"\\*.*"}, mode);
        break;
    case CatGCookies:
        visitChrome(ctx, g.ChromeProfileFolder, {"\\Cookies"}, mode);
        break;
    default:
        break;
    }
}

// The browser categories, in the order the scanner counts them.
constexpr Category kBrowserCategories[] = {CatNSCache,  CatNSHistory, CatNSCookies,
                                           CatGHistory, CatGCache,    CatGCookies};

// One cleaner: what it deletes, its result line, and its counters lowered.
void cleanCategory(AppContext& ctx, Category category, const char* lineText) {
    NetUnit& unit = net(ctx);
    unit.DeletedFiles = 0;
    unit.DeletedBytes = 0;
    visitCategory(ctx, category, WalkMode::Delete);

    FoundCounter& found = ctx.g.Found[category];
    const QString line = unit.DeletedFiles == found.FoundFiles
                             ? QStringLiteral("All files have been deleted.")
                             : QString::number(unit.DeletedFiles) + QStringLiteral(" out of ") +
                                   QString::number(found.FoundFiles) + QStringLiteral(" total ") +
                                   QString::fromLatin1(lineText);
    SetCategoryResult(ctx.g, categoryInfo(category).slot, line);
    if (ctx.g.AutoCleanMode) return;
    found.FoundBytes -= unit.DeletedBytes;
    found.FoundFiles -= unit.DeletedFiles;
    SumBrowserTotals(ctx);
}

} // namespace

TFrmnet::TFrmnet(AppContext& ctx) : m_ctx(ctx) {
    FormCreate();
}

void TFrmnet::FormCreate() {
    AppContext& ctx = m_ctx;
    GlobalVars& g = ctx.g;
    for (Category c : kBrowserCategories)
        g.Found[c] = {};
    g.BrowserTotalFiles = 0;
    g.BrowserTotalBytes = 0;

    LoadNetCookieFiles(ctx);
    LoadNetCacheDirs(ctx);
    LoadNetHistoryFiles(ctx);
    g.FirefoxCacheDirs.clear();
    for (int slot = 1; slot <= g.FirefoxCacheScanDirs.count(); ++slot) {
        const QString& folder = g.FirefoxCacheScanDirs[slot];
        if (!trimControls(folder).isEmpty()) AddUniqueCacheDir(g, folder + u'\\');
    }

    NetUnit& unit = net(ctx);
    for (Category c : kBrowserCategories) {
        unit.NetPassFiles = 0;
        unit.NetPassBytes = 0;
        visitCategory(ctx, c, WalkMode::CountUp);
        g.Found[c] = {unit.NetPassFiles, unit.NetPassBytes};
    }
    SumBrowserTotals(ctx);
}

void SumBrowserTotals(AppContext& ctx) {
    const FoundCounter total = SumFound(ctx.g, kBrowserCategories);
    ctx.g.BrowserTotalFiles = total.FoundFiles;
    ctx.g.BrowserTotalBytes = total.FoundBytes;
}

bool IsCleanableName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return true;
    const QStringView extension = QStringView(name).mid(dot);
    return extension != u"." && extension != u"..";
}

void CountFiles(AppContext& ctx, const QString& mask) {
    maskEntries(ctx, mask, above(folderPart(mask)), Act::Count);
}

void DeleteFilesInMask(AppContext& ctx, const QString& mask, const QString& folder) {
    maskEntries(ctx, mask, above(folder), Act::Delete);
}

int WalkSubfolders(AppContext& ctx, const QString& folder, WalkMode mode, const QString& given) {
    const QString path = excludeTrailingBackslash(folder);
    const QString start = given.isEmpty() ? folderPart(path) : includeTrailingBackslash(given);
    return walkBelow(ctx, start, path.mid(start.size()),
                     mode == WalkMode::CountUp ? Act::Count : Act::Delete);
}

void DeleteFirefoxCache(AppContext& ctx) {
    cleanCategory(ctx, CatNSCache, "Mozilla Firefox cache files have been deleted. ");
}

void DeleteFirefoxHistory(AppContext& ctx) {
    cleanCategory(ctx, CatNSHistory, "Mozilla Firefox history files have been deleted. ");
}

void DeleteFirefoxCookies(AppContext& ctx) {
    cleanCategory(ctx, CatNSCookies, "Mozilla Firefox cookie files have been deleted. ");
}

void DeleteChromeHistory(AppContext& ctx) {
    cleanCategory(ctx, CatGHistory, "Google Chrome history files have been deleted. ");
}

void DeleteChromeCache(AppContext& ctx) {
    cleanCategory(ctx, CatGCache, "Google Chrome cache files have been deleted. ");
}

void DeleteChromeCookies(AppContext& ctx) {
    cleanCategory(ctx, CatGCookies, "Google Chrome cookie files have been deleted. ");
}

} // namespace niv
