#include "cleaners/unet.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/WinPath.h"

#include <vector>

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
bool isPlainFolder(const SearchRec& rec) {
    return rec.isDirectory() && (rec.attr() & faAnyFile) == faDirectory;
}

// True when the folder a mask searches is itself a link: nothing is counted or deleted through it.
bool isLinkedFolder(AppContext& ctx, const QString& folder) {
    QString path = folder;
    while (path.endsWith(u'\\'))
        path.chop(1);
    const int attr = FileGetAttr(ctx.machine, path);
    return attr >= 0 && (attr & faReparsePoint);
}

// A folder a walk goes on into: a real folder (not a link) that a search asking for directories
// lists, so neither hidden nor system.
bool walksInto(const SearchRec& rec) {
    return !rec.Name.isEmpty() && !isDotName(rec.Name) && rec.isDirectory() && !rec.isReparsePoint() &&
           (rec.attr() & (faHidden | faSysFile)) == 0;
}

enum class Act { Nothing, Count, Delete };

// One search of a mask: counts or deletes its entries that are not plain folders and collects, when
// asked, the folders below it that a walk goes on into, so a walk lists each folder once. A
// folder that cannot be searched is passed over; an error while advancing the search is returned.
int searchEntries(AppContext& ctx, const QString& mask, const QString& folder, Act act,
                  std::vector<QString>* subfolders) {
    SearchRec rec;
    if (FindFirst(ctx.machine, mask, act == Act::Nothing ? faDirectory : faAnyFile, rec) != ERROR_SUCCESS)
        return ERROR_SUCCESS;
    NetUnit& unit = net(ctx);
    int result;
    do {
        if (act != Act::Nothing && IsCleanableName(rec.Name) && !isPlainFolder(rec)) {
            const std::int64_t size = rec.Size(); // as the search reported it, before the entry goes
            if (act == Act::Count) {
                ++unit.NetPassFiles;
                unit.NetPassBytes += size;
            } else {
                const QString path = folder + rec.Name;
                if (ctx.g.Wipe) WipeFile(ctx, path);
                if (DeleteFile(ctx.machine, path)) {
                    ++unit.DeletedFiles;
                    unit.DeletedBytes += size;
                }
            }
        }
        if (subfolders && walksInto(rec)) subfolders->push_back(folder + rec.Name + u'\\');
    } while ((result = FindNext(rec)) == ERROR_SUCCESS);
    return result == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : result;
}

// One mask of a category: counted or deleted.
void visitMask(AppContext& ctx, const QString& mask, const QString& folder, WalkMode mode) {
    if (trimControls(mask).isEmpty() || isLinkedFolder(ctx, folder)) return;
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
        const QString mask = folder + QString::fromLatin1(name);
        visitMask(ctx, mask, folderPart(mask), mode);
    }
}

// Everything a category's count or cleaner searches, in order.
void visitCategory(AppContext& ctx, Category category, WalkMode mode) {
    const GlobalVars& g = ctx.g;
    switch (category) {
    case CatNSCache:
        for (int slot = 1; slot <= g.FirefoxCacheDirs.count(); ++slot) {
            const QString& folder = g.FirefoxCacheDirs[slot];
            if (trimControls(folder).isEmpty()) continue;
            visitMask(ctx, folder + kAllFiles, folder, mode);
            if (!winUpper(folder).contains(kCacheMarker)) continue;
            for (QChar hex : kHexFolders)
                WalkSubfolders(ctx, folder + hex + u'\\', mode);
        }
        break;
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
    searchEntries(ctx, mask, folderPart(mask), Act::Count, nullptr);
}

void DeleteFilesInMask(AppContext& ctx, const QString& mask, const QString& folder) {
    searchEntries(ctx, mask, folder, Act::Delete, nullptr);
}

void WalkSubfolders(AppContext& ctx, const QString& folder, WalkMode mode) {
    if (isLinkedFolder(ctx, folder)) return;
    const Act act = mode == WalkMode::CountUp ? Act::Count : Act::Delete;
    // Depth first, in the order the searches give, without recursion: a deep tree costs no stack.
    std::vector<QString> pending, found;
    auto descend = [&] { pending.insert(pending.end(), found.rbegin(), found.rend()); };
    int error = searchEntries(ctx, folder + kAllFiles, folder, Act::Nothing, &found);
    descend();
    while (error == ERROR_SUCCESS && !pending.empty()) {
        const QString sub = pending.back();
        pending.pop_back();
        found.clear();
        error = searchEntries(ctx, sub + kAllFiles, sub, act, &found);
        descend();
    }
    // Once per walk: a search that keeps failing would otherwise say so without end.
    if (error != ERROR_SUCCESS)
        ctx.dialogs.showMessage(QString::number(error) +
                                QStringLiteral(" error occurred searching for Firefox files.  Please report "
                                               "this error code message."));
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
