#include "cleaners/unon.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

#include <algorithm>

namespace niv {

namespace {

const QString kAolCacheTail = QStringLiteral("\\Organize\\Cache");
const QString kAllFiles = QStringLiteral("\\*.*");
constexpr int kMediaMasks = 25;

void zeroPass(NonUnit& non) {
    non.PassFiles = 0;
    non.PassBytes = 0;
}

// `base`: the part of the mask named by the user or the system, followed as given; what the
// cleaner adds below it is never taken through a link.
void scanMask(AppContext& ctx, const QString& mask, bool deleteFlag, const QString& base = {}) {
    NonUnit& non = ctx.unit<NonUnit>();
    non.JunkMask = mask;
    non.JunkMaskBase = base;
    ScanJunkMask(ctx, deleteFlag);
    non.JunkMaskBase.clear();
}

void takePass(AppContext& ctx, Category c) {
    const NonUnit& non = ctx.unit<NonUnit>();
    ctx.g.Found[c] = {non.PassFiles, non.PassBytes};
}

// The second temp folder, walked when the system's temp path is another folder.
QString windowsTemp(const NonUnit& non) {
    return non.ProgramDrive + QStringLiteral("\\windows\\temp\\");
}

void walkTempFolders(AppContext& ctx, bool recycle) {
    NonUnit& non = ctx.unit<NonUnit>();
    const QString mask = ctx.g.Tempall ? QStringLiteral("*.*") : QStringLiteral("*.tmp");
    ScanTempFolder(ctx, mask, non.TempFolder, recycle);
    // The same folder reached through another drive or a link is walked once; a temp folder
    // inside the Windows one leaves the rest of it to walk.
    FileId temp, windows;
    const bool same = winUpper(non.TempFolder) == winUpper(windowsTemp(non)) ||
                      (folderId(ctx.machine, non.TempFolder, temp) &&
                       folderId(ctx.machine, windowsTemp(non), windows) && temp == windows);
    if (!same) ScanTempFolder(ctx, mask, windowsTemp(non), recycle);
}

// A local-machine key's string value; false when the key does not open (as without full rights).
// A value that holds no text reads as "", so one odd value cannot stop the whole count.
bool readMachineValue(Machine& machine, const QString& key, const QString& name, QString& value) {
    TRegistry reg(machine);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(key, false)) return false;
    value = ReadStringIfText(reg, name).value_or(QString());
    return true;
}

bool usableAolCache(const QString& folder) {
    const QString trimmed = trimControls(folder);
    return !trimmed.isEmpty() && trimmed != kAolCacheTail;
}

bool secondAolCacheDiffers(const NonUnit& non) {
    return winUpper(non.AolCacheFolder2) != winUpper(non.AolCacheFolder) &&
           usableAolCache(non.AolCacheFolder2);
}

void forEachMediaMask(AppContext& ctx, bool deleteFlag) {
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kMediaMasks; ++i) {
        const QString mask = trimControls(
            ini.ReadString(QStringLiteral("MM20"), QStringLiteral("P") + QString::number(i), QString()));
        if (mask.isEmpty()) return;
        scanMask(ctx, mask, deleteFlag);
    }
}

void scanAdditionalGarbage(AppContext& ctx, bool deleteFlag) {
    NonUnit& non = ctx.unit<NonUnit>();
    if (usableAolCache(non.AolCacheFolder))
        scanMask(ctx, non.AolCacheFolder + kAllFiles, deleteFlag,
                 non.AolCacheFolder.chopped(kAolCacheTail.size()));
    if (secondAolCacheDiffers(non))
        scanMask(ctx, non.AolCacheFolder2 + kAllFiles, deleteFlag,
                 non.AolCacheFolder2.chopped(kAolCacheTail.size()));
    // The check-disk fragments in the root of the Windows drive.
    scanMask(ctx, folderPart(ctx.g.WindowsFolder) + QStringLiteral("FI*.CHK"), deleteFlag);
}

void scanDumpFiles(AppContext& ctx, bool deleteFlag) {
    scanMask(ctx, ctx.g.WindowsFolder + QStringLiteral("\\minidump\\m*.dmp"), deleteFlag,
             ctx.g.WindowsFolder);
    scanMask(ctx, ctx.g.WindowsFolder + QStringLiteral("\\memory.dmp"), deleteFlag);
}

void scanRecentDocs(AppContext& ctx, bool deleteFlag) {
    const NonUnit& non = ctx.unit<NonUnit>();
    // Without a Recent folder the masks stay empty: they would name the root of a drive.
    for (const QString& mask :
         {non.RecentLinkMask, non.CustomDestinationsMask, non.AutomaticDestinationsMask})
        if (!mask.isEmpty()) scanMask(ctx, mask, deleteFlag, ctx.g.RecentFolder);
}

void scanActiveX(AppContext& ctx, bool deleteFlag) {
    const NonUnit& non = ctx.unit<NonUnit>();
    if (!trimControls(non.ActiveXFolder).isEmpty()) scanMask(ctx, non.ActiveXFolder + kAllFiles, deleteFlag);
}

// The frame every counting cleaner shares: `clean` deletes, then the result line and the counters.
template <class Clean> void runCleaner(AppContext& ctx, Category c, int slot, Clean clean) {
    NonUnit& non = ctx.unit<NonUnit>();
    non.DeletedFiles = non.DeletedBytes = 0;
    zeroPass(non);
    clean();
    FoundCounter& found = ctx.g.Found[c];
    if (non.ConfirmsCopy)
        SetCategoryResult(ctx.g, slot,
                          QString::number(non.DeletedFiles) + QStringLiteral(" files out of ") +
                              QString::number(found.FoundFiles) +
                              QStringLiteral(" files have been deleted."));
    if (ctx.g.AutoCleanMode) return;
    if (c == CatTempc) {
        found = {};
    } else {
        found.FoundBytes -= non.DeletedBytes;
        found.FoundFiles -= non.DeletedFiles;
    }
    ShowJunkSummary(ctx);
}

QString summaryLine(const char* name, const FoundCounter& found) {
    const QString head = QString::fromLatin1(name).leftJustified(21) + QStringLiteral("-> ");
    if (found.FoundFiles <= 0) return head + QStringLiteral("None found on your system.");
    return head + QString::number(found.FoundFiles) + QStringLiteral(" files consuming ") +
           QString::number(found.FoundBytes) + QStringLiteral(" bytes of storage were FOUND.");
}

} // namespace

bool IsJunkCategory(Category c) {
    return std::find(kJunkCategories.begin(), kJunkCategories.end(), c) != kJunkCategories.end();
}

void ScanJunkMask(AppContext& ctx, bool deleteFlag) {
    NonUnit& non = ctx.unit<NonUnit>();
    WalkOptions options;
    options.sorted = true;
    // A mask whose folder cannot be searched matches nothing.
    static_cast<void>(walkMask(
        ctx.machine, non.JunkMask, options,
        [&](WalkEntry& e) {
            if (e.isMountPoint()) return WalkStep::Continue; // another file system's entry
            const std::int64_t size = e.size();
            ++non.PassFiles;
            non.PassBytes += size;
            if (deleteFlag && e.deleteFile()) {
                ++non.DeletedFiles;
                non.DeletedBytes += size;
            }
            return WalkStep::Continue;
        },
        non.JunkMaskBase));
}

bool IsRefusedTempFolder(AppContext& ctx, const QString& folder) {
    const QString full = fullPath(ctx.machine, folder);
    if (full.isEmpty() || excludeTrailingBackslash(full).size() <= 2) return true; // a drive root
    for (const QString& kept :
         {GetWindowsDirectory(ctx.machine),
          ExpandEnvironmentStrings(ctx.machine, QStringLiteral("%USERPROFILE%")), exeFolderPath()})
        if (isSameOrAbove(ctx.machine, folder, kept)) return true;
    // Nothing in the program folder is ever written, whatever name reaches it.
    return isSameOrAbove(ctx.machine, exeFolderPath(), folder);
}

void ScanTempFolder(AppContext& ctx, const QString& mask, const QString& folder, bool recycle) {
    if (IsRefusedTempFolder(ctx, folder)) return;
    NonUnit& non = ctx.unit<NonUnit>();
    WalkOptions options;
    options.sorted = true;
    // A folder the host has no handle left for finds nothing, like one that cannot be searched, and
    // the user is told.
    options.passOverUnopenable = true;
    const WalkResult walked = walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
        // Subfolders are reached only through the mask; another file system's entry is not junk.
        if (!matchesMask(e.name(), mask) || e.isMountPoint()) return WalkStep::SkipFolder;
        // The whole path, whatever its length: a cut one could name another entry.
        const QString path = e.path();
        const std::int64_t size = e.size();
        ++non.PassFiles;
        non.PassBytes += size;
        if (non.PassFiles <= kTempFileListSlots) non.TempFileList[static_cast<int>(non.PassFiles)] = path;
        if (!recycle) return WalkStep::Continue;
        try {
            // A folder goes whole, so there is nothing left to walk inside it.
            if (RecycleListedEntry(ctx, path, e.fileId())) {
                ++non.DeletedFiles;
                non.DeletedBytes += size;
            }
        } catch (const std::exception&) {
            // One entry that cannot be recycled does not stop the walk.
        }
        return WalkStep::SkipFolder;
    });
    if (walked.passedOver > 0)
        ctx.dialogs.showMessage(FoldersPassedOverText(
            walked.passedOver, QStringLiteral("Temporary files in them are neither counted nor cleaned.")));
}

void CountJunkFiles(AppContext& ctx) {
    GlobalVars& g = ctx.g;
    NonUnit& non = ctx.unit<NonUnit>();
    for (Category c : kJunkCategories)
        g.Found[c] = {};
    non.RecycleBinEmptied = false;

    // Recent documents.
    non.RecentLinkMask.clear();
    non.CustomDestinationsMask.clear();
    non.AutomaticDestinationsMask.clear();
    if (!trimControls(g.RecentFolder).isEmpty()) {
        non.RecentLinkMask = g.RecentFolder + QStringLiteral("\\*.lnk");
        non.CustomDestinationsMask = g.RecentFolder + QStringLiteral("\\CustomDestinations\\*-ms");
        non.AutomaticDestinationsMask = g.RecentFolder + QStringLiteral("\\AutomaticDestinations\\*-ms");
    }
    zeroPass(non);
    scanRecentDocs(ctx, false);
    takePass(ctx, CatRecentc);

    // Media cache: the masks the drive scan stored.
    zeroPass(non);
    forEachMediaMask(ctx, false);
    takePass(ctx, CatMediac);

    // The recycle folder of the Windows drive.
    non.RecycleMask = folderPart(g.WindowsFolder) + QStringLiteral("recycled\\*.*");
    zeroPass(non);
    scanMask(ctx, non.RecycleMask, false, folderPart(g.WindowsFolder));
    takePass(ctx, CatRecyclec);

    zeroPass(non);
    scanDumpFiles(ctx, false);
    takePass(ctx, CatOtherc);

    // Temp files: the system's temp path, then the Windows drive's own temp folder.
    non.ProgramDrive = exeFolderPath().left(2);
    non.TempFolder = GetTempPath(ctx.machine);
    if (non.TempFolder.isEmpty()) non.TempFolder = windowsTemp(non);
    zeroPass(non);
    walkTempFolders(ctx, false);
    takePass(ctx, CatTempc);

    // Additional garbage: the AOL caches and the check-disk fragments.
    zeroPass(non);
    non.AolCacheFolder.clear();
    non.AolCacheFolder2.clear();
    QString appPath;
    if (readMachineValue(ctx.machine, QStringLiteral("Software\\America Online\\AOL\\CurrentVersion"),
                         QStringLiteral("AppPath"), appPath))
        non.AolCacheFolder = appPath + kAolCacheTail;
    if (readMachineValue(ctx.machine,
                         QStringLiteral("Software\\America Online\\America Online\\CurrentVersion"),
                         QStringLiteral("AppPath"), appPath))
        non.AolCacheFolder2 = appPath + kAolCacheTail;
    // Counted as the cleaner will delete: the cache folders below AppPath never through a link.
    scanAdditionalGarbage(ctx, false);
    takePass(ctx, CatOtherj);

    // The ActiveX and applet cache.
    zeroPass(non);
    non.JunkMask.clear();
    non.ActiveXFolder.clear();
    QString activeX;
    if (readMachineValue(ctx.machine,
                         QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"),
                         QStringLiteral("ActiveXCache"), activeX) &&
        !trimControls(activeX).isEmpty()) {
        non.ActiveXFolder = activeX;
        scanActiveX(ctx, false);
    }
    takePass(ctx, CatActiveX);

    ShowJunkSummary(ctx, true);
}

void SumJunkTotals(AppContext& ctx) {
    const FoundCounter total = SumFound(ctx.g, kJunkCategories);
    ctx.g.JunkTotalFiles = total.FoundFiles;
    ctx.g.JunkTotalBytes = total.FoundBytes;
}

void ShowJunkSummary(AppContext& ctx, bool startup) {
    SumJunkTotals(ctx);
    const GlobalVars& g = ctx.g;
    NonUnit& non = ctx.unit<NonUnit>();
    non.Summary = {
        summaryLine("ACTIVEX / APPLETS", g.Found[CatActiveX]),
        summaryLine("DUMP FILES", g.Found[CatOtherc]),
        summaryLine("TEMP FILES", g.Found[CatTempc]),
        summaryLine("RECENT DOCS TRACKS", g.Found[CatRecentc]),
        // The bin's own count is never shown, though it is part of the totals.
        non.RecycleBinEmptied
            ? QStringLiteral("RECYCLE BIN FILES    -> 0 files consuming 0 bytes of storage were FOUND.")
            : QStringLiteral("RECYCLE BIN FILES    -> Waiting to be cleaned."),
        summaryLine("ADDITIONAL GARBAGE", g.Found[CatOtherj]),
        summaryLine("MEDIA CACHE", g.Found[CatMediac]),
        QStringLiteral("TOTAL FILES FOUND = ") + QString::number(g.JunkTotalFiles) +
            (startup ? QStringLiteral("  ") : QStringLiteral("   ")) +
            QStringLiteral("TOTAL BYTES WASTED = ") + QString::number(g.JunkTotalBytes),
    };
}

void CleanDumpFiles(AppContext& ctx) {
    runCleaner(ctx, CatOtherc, ResultDump, [&] { scanDumpFiles(ctx, true); });
}

void CleanTempFiles(AppContext& ctx) {
    // "Tempall" as it is now: the settings dialog may have changed it since the count.
    runCleaner(ctx, CatTempc, ResultTemp, [&] { walkTempFolders(ctx, true); });
}

void CleanRecentDocs(AppContext& ctx) {
    runCleaner(ctx, CatRecentc, ResultRecent, [&] { scanRecentDocs(ctx, true); });
}

void CleanActiveXCache(AppContext& ctx) {
    runCleaner(ctx, CatActiveX, ResultActiveX, [&] { scanActiveX(ctx, true); });
}

void CleanAdditionalGarbage(AppContext& ctx) {
    runCleaner(ctx, CatOtherj, ResultAdditional, [&] { scanAdditionalGarbage(ctx, true); });
}

void CleanMediaCache(AppContext& ctx) {
    runCleaner(ctx, CatMediac, ResultMedia, [&] {
        forEachMediaMask(ctx, true);
        // What the masks match now, deleted or not, is the count the line reports against.
        takePass(ctx, CatMediac);
    });
}

namespace {

// Cleaned only when nothing stayed; otherwise what stayed.
QString recycleBinLine(std::int64_t itemsLeft) {
    if (itemsLeft == 0) return QStringLiteral("Recycle Bin has been cleaned.");
    if (itemsLeft < 0) return QStringLiteral("The Recycle Bin could not be read: its items stayed.");
    if (itemsLeft == 1) return QStringLiteral("1 item stayed in the Recycle Bin: it could not be deleted.");
    return QStringLiteral("%1 items stayed in the Recycle Bin: they could not be deleted.").arg(itemsLeft);
}

} // namespace

void EmptyRecycleBin(AppContext& ctx) {
    NonUnit& non = ctx.unit<NonUnit>();
    non.RecycleBinEmptied = true;
    non.DeletedFiles = non.DeletedBytes = 0;
    zeroPass(non);
    SetCategoryResult(ctx.g, ResultRecycle, recycleBinLine(emptyRecycleBin(ctx.machine)));
}

} // namespace niv
