#pragma once

#include "core/Uglobalvars.h"

#include <QString>

#include <array>
#include <cstdint>

namespace niv {

struct AppContext;

constexpr int kTempFileListSlots = 50000;
constexpr int kJunkSummaryLines = 8;
using JunkSummaryTexts = std::array<QString, kJunkSummaryLines>;

// The junk unit's state, kept for the whole run and reached as ctx.unit<NonUnit>(). Its seven
// categories' found counters live with every other category's in the shared state, 64-bit like
// them, so byte sums of large folders neither wrap nor turn negative.
struct NonUnit {
    bool ConfirmsCopy = false;

    // What the running count pass has seen, and what the running cleaner deleted.
    std::int64_t PassFiles = 0, PassBytes = 0;
    std::int64_t DeletedFiles = 0, DeletedBytes = 0;

    // The mask ScanJunkMask works on; every caller sets it first. When the mask's folder lies below
    // JunkMaskBase (a folder the user or the system named), the folders in between are the
    // cleaner's own names and are never taken through a link.
    QString JunkMask;
    QString JunkMaskBase;
    // Set by the start-up count and reused by the cleaners.
    QString RecentLinkMask, CustomDestinationsMask, AutomaticDestinationsMask, RecycleMask;
    QString ProgramDrive, TempFolder, AolCacheFolder, AolCacheFolder2, ActiveXFolder;
    bool RecycleBinEmptied = false;

    // The entries of the latest temp walk, slot n the n-th entry; entries past the last slot are
    // counted but not listed.
    PathList TempFileList{kTempFileListSlots};

    // The Junk Files window's summary, top to bottom (`Label12`, `Label4`, `Label5`, `Label6`,
    // `Label9`, `Label11`, `LblMCache`, `Label7`), as last drawn; the window shows these texts.
    JunkSummaryTexts Summary;
};

// The seven junk categories, in the order of the start-up count.
constexpr std::array<Category, 7> kJunkCategories{CatRecentc, CatMediac, CatRecyclec, CatOtherc,
                                                  CatTempc,   CatOtherj, CatActiveX};
bool IsJunkCategory(Category c);

// Counts, and with `deleteFlag` deletes outright, the entries matching JunkMask in its one folder.
// Folders are counted; their delete fails, so they stay and are not counted as deleted.
void ScanJunkMask(AppContext& ctx, bool deleteFlag);

// Counts and lists the entries matching `mask` in `folder` (ending in "\"), and with `recycle`
// sends each to the recycle bin, silently, the entry the walk found and nothing a link leads to in
// its place. Without recycling, folders that the mask matches are walked too; a linked folder never
// is. Errors while recycling one entry are swallowed. Folders the host has no handle left to open
// are passed over and counted in a message once the walk ends. A folder
// that is a drive root, the Windows folder, the user's profile or above one of them is refused, as
// is the program folder, anything inside it and anything above it.
bool IsRefusedTempFolder(AppContext& ctx, const QString& folder);
void ScanTempFolder(AppContext& ctx, const QString& mask, const QString& folder, bool recycle);

// The start-up count of the seven categories, then the totals and the summary.
void CountJunkFiles(AppContext& ctx);

// JunkTotalFiles/JunkTotalBytes := the sums of the seven categories.
void SumJunkTotals(AppContext& ctx);
// Recomputes the totals and redraws the summary texts. The start-up summary has two blanks before
// "TOTAL BYTES WASTED", every later one three.
void ShowJunkSummary(AppContext& ctx, bool startup = false);

// The cleaners. They ask nothing, write their result lines and, outside automatic mode, lower the
// found counters and redraw the summary.
void CleanDumpFiles(AppContext& ctx);
void CleanTempFiles(AppContext& ctx);
void CleanRecentDocs(AppContext& ctx);
void EmptyRecycleBin(AppContext& ctx);
void CleanActiveXCache(AppContext& ctx);
void CleanAdditionalGarbage(AppContext& ctx);
void CleanMediaCache(AppContext& ctx);

} // namespace niv
