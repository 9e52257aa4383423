#pragma once

#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>

namespace niv {

struct AppContext;

// The four kinds of file the media finder looks for, one per radio button.
enum class MediaClass {
    Photo,    // RadPhoto
    Video,    // RadVideo
    Misc,     // RadMisc
    PicCache, // RadPicCache: the thumbnail caches of a whole drive
};

// Whether a file name belongs to the class: by its upper-cased extension (from the last dot), or
// for the thumbnail caches by the whole name.
bool MediaFileMatches(MediaClass cls, const QString& name);

// What a search reports as it goes.
struct MediaSearchHooks {
    // The folder being searched (for `LblDisplay`); "" when a folder's search ends.
    std::function<void(const QString& folder)> display;
    // A matching file, in the order found, and which file it is.
    std::function<void(const QString& path, std::int64_t size, FileId id)> found;
    const std::atomic<bool>* stop = nullptr; // `SearchStopped`
};

// Searches one folder (no closing separator; a drive as "c:") and all its subfolders, never
// entering links, other file systems or the recycle bin, letting window messages through after every
// entry. A file's path keeps the drive letter as given; the names after it are spelt as found, so
// that each file is acted on as listed. A folder that cannot be opened is passed over and the search
// goes on; returns how many were passed over for want of a handle, which MediaPassedOverText tells
// the user.
[[nodiscard]] std::int64_t SearchMediaFolder(AppContext& ctx, const QString& folder, MediaClass cls,
                                             const MediaSearchHooks& hooks);

// The folders a search of the class walks, in order: the chosen drive for the thumbnail caches,
// else the non-empty user folders (documents, pictures, downloads, videos). A folder named a second
// time is left out; a folder inside another stays.
QStringList MediaSearchFolders(AppContext& ctx, MediaClass cls, QChar drive);

// Size and times of a listed file; size -1 when it cannot be found.
struct MediaFileLabels {
    QString created, updated;
};
std::int64_t ReadMediaFileInfo(AppContext& ctx, const QString& path, bool withTimes, MediaFileLabels& labels);

QString MediaTotalsText(int files, std::int64_t bytes);
QString MediaSizeText(std::int64_t size); // blank for -1
QString MediaFileNumberText(int row);     // 0-based row
QString MediaDeletedText(int deleted);
QString MediaNoViewerText();
QString MediaPassedOverText(std::int64_t folders);
QString MediaRecycleRefusedText(const QString& path);
QString MediaHelpText();

// Opens a listed file with its default program; false (nothing shown) for types that would run
// and when nothing can open it.
bool ViewMediaFile(AppContext& ctx, const QString& path);
// Moves a listed file to the recycle bin without asking, only while its path, as spelt, still leads
// to the regular file the search found (`id`): never a case twin, a folder or what a link leads to.
bool RecycleMediaFile(AppContext& ctx, const QString& path, FileId id);

} // namespace niv
