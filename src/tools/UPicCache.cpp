#include "tools/UPicCache.h"

#include "core/AppContext.h"
#include "core/Uglobalvars.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"
#include "tools/FinderFiles.h"

#include <QScopeGuard>

#include <algorithm>
#include <vector>

namespace niv {

namespace {

// The folder label and the Stop button stay live without the messages costing the search its speed.
constexpr int kPumpIntervalMs = 50;

bool extensionIn(const QString& name, std::initializer_list<QStringView> extensions) {
    const QString ext = winUpper(extractFileExt(name));
    if (ext.isEmpty()) return false;
    for (QStringView e : extensions)
        if (ext == e) return true;
    return false;
}

} // namespace

bool MediaFileMatches(MediaClass cls, const QString& name) {
    switch (cls) {
    case MediaClass::Photo:
        return extensionIn(
            name, {u".JPG", u".JPEG", u".GIF", u".BMP", u".PCX", u".PNG", u".TIF", u".TIFF", u".ART"});
    case MediaClass::Video:
        return extensionIn(name, {u".WMV", u".AVI", u".MPG", u".MPEG", u".MPE", u".SWF", u".ASF", u".ASX",
                                  u".MP4", u".FLV", u".MOV", u".DIVX"});
    case MediaClass::Misc:
        return extensionIn(name, {u".EXE", u".ZIP", u".RAR", u".MP3", u".WMA", u".AAC", u".PDF", u".TXT",
                                  u".RTF", u".HTML", u".HTM"});
    case MediaClass::PicCache:
        return name.size() == 9 && winUpper(name) == u"THUMBS.DB";
    }
    return false;
}

std::int64_t SearchMediaFolder(AppContext& ctx, const QString& folder, MediaClass cls,
                               const MediaSearchHooks& hooks) {
    auto display = [&](const QString& text) {
        if (hooks.display) hooks.display(text);
    };
    // However the search ends, no folder stays on show.
    const auto blank = qScopeGuard([&] { display(QString()); });
    WalkOptions options;
    options.stop = hooks.stop;
    options.pacing = ctx.pacing(kPumpIntervalMs);
    options.foldersAfterContents = true;
    options.passOverUnopenable = true;
    // The walk's start folder is spelt as found; the folder label keeps the folder as it was given.
    qsizetype startLength = -1;
    const QString prefix = folder + u'\\';
    // While a subfolder is searched, the folder holding it shows; blank again once it is done.
    options.progress = [&](const WalkProgress& p) {
        if (startLength < 0) {
            startLength = p.folder.size();
            return;
        }
        const QString above = extractFilePath(excludeTrailingBackslash(p.folder));
        display(above.size() == startLength ? folder
                                            : prefix + excludeTrailingBackslash(above.mid(startLength)));
    };
    // A line keeps the drive letter as given; the names below it are spelt as the walk found them,
    // so that each file is acted on as listed.
    const bool givenDrive = folder.size() >= 2 && folder.at(1) == u':';
    auto listedPath = [&](const WalkEntry& e) {
        const QString path = e.path();
        return givenDrive ? folder.left(2) + path.mid(2) : path;
    };
    const RecycleBins bin(ctx.machine);
    const WalkResult walked = walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
        if (e.afterContents()) {
            display(QString());
        } else if (e.isDirectory()) {
            if (bin.is(e)) return WalkStep::SkipFolder;
        } else if (MediaFileMatches(cls, e.name()) && e.isRegularFile()) { // the name first: it needs no stat
            if (hooks.found) hooks.found(listedPath(e), e.size(), e.fileId());
        }
        return WalkStep::Continue;
    });
    return walked.passedOver;
}

QStringList MediaSearchFolders(AppContext& ctx, MediaClass cls, QChar drive) {
    if (cls == MediaClass::PicCache) return {QString(drive) + u':'};
    QStringList folders;
    std::vector<FileId> searched;
    for (const QString* folder :
         {&ctx.g.DocumentsFolder, &ctx.g.PicturesFolder, &ctx.g.DownloadsFolder, &ctx.g.VideosFolder}) {
        if (folder->isEmpty()) continue;
        // The user folders are often links to one home folder: search it once.
        FileId id;
        if (folderId(ctx.machine, *folder, id)) {
            if (std::find(searched.begin(), searched.end(), id) != searched.end()) continue;
            searched.push_back(id);
        }
        folders.append(*folder);
    }
    return folders;
}

std::int64_t ReadMediaFileInfo(AppContext& ctx, const QString& path, bool withTimes,
                               MediaFileLabels& labels) {
    const FinderFileInfo info = readFinderFileInfo(ctx, path);
    if (info.size >= 0 && withTimes) {
        labels.created = QStringLiteral("Created on   : ") + localFileTimeText(ctx.machine, info.creation);
        labels.updated = QStringLiteral("Last updated : ") + localFileTimeText(ctx.machine, info.lastWrite);
    }
    return info.size;
}

QString MediaTotalsText(int files, std::int64_t bytes) {
    return QStringLiteral("Total Files = %1  Total Bytes Wasted = %2").arg(files).arg(bytes);
}

QString MediaSizeText(std::int64_t size) {
    return size < 0 ? QString() : QStringLiteral("File Size    : %1 bytes").arg(size);
}

QString MediaFileNumberText(int row) {
    return QStringLiteral("File Number: %1").arg(row + 1);
}

QString MediaDeletedText(int deleted) {
    return QStringLiteral("Deleted: %1").arg(deleted);
}

QString MediaNoViewerText() {
    return QStringLiteral("You cannot view this file type as your system has no way of viewing it.");
}

QString MediaPassedOverText(std::int64_t folders) {
    return FoldersPassedOverText(folders, QStringLiteral("Files in them are not listed."));
}

QString MediaRecycleRefusedText(const QString& path) {
    return QStringLiteral("Windows will not allow this file (") + path +
           QStringLiteral(") to be added to your recycle bin. The most ") +
           QStringLiteral("likely cause is because the file or program is probably in use right now. ") +
           QStringLiteral("Since the file is in use, it is ok to leave this file.");
}

QString MediaHelpText() {
    return QStringLiteral("This will find lost or forgotten photos and videos. It will search through your "
                          "\"My Documents\" folder "
                          "and all internal folders. This is the location where most media files are stored "
                          "and most often lost or "
                          "forgotten about. (Note also that you can view your found videos or photos by "
                          "simply double-clicking them "
                          "in your list.) This will also search for cache thumbnails. These are files used "
                          "only by your system, and "
                          "they can be safely cleaned up using the delete button.");
}

bool ViewMediaFile(AppContext& ctx, const QString& path) {
    return viewFinderFile(ctx, path);
}

bool RecycleMediaFile(AppContext& ctx, const QString& path, FileId id) {
    const HostPath found = resolve(ctx.machine, path, Spelling::Exact);
    return isListedFile(found, id) && RecycleFile(ctx, found, false);
}

} // namespace niv
