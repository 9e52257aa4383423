#include "cleaners/Uviewer.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

#include <algorithm>

namespace niv {

const QStringList& ViewableExtensions() {
    static const QStringList kinds = {
        QStringLiteral(".JPG"), QStringLiteral(".GIF"),  QStringLiteral(".JPEG"), QStringLiteral(".BMP"),
        QStringLiteral(".ICO"), QStringLiteral(".TIF"),  QStringLiteral(".WMF"),  QStringLiteral(".ART"),
        QStringLiteral(".PNG"), QStringLiteral(".JSP"),  QStringLiteral(".XML"),  QStringLiteral(".WAV"),
        QStringLiteral(".MID"), QStringLiteral(".MP3"),  QStringLiteral(".WMA"),  QStringLiteral(".AVI"),
        QStringLiteral(".MPG"), QStringLiteral(".MOV"),  QStringLiteral(".WMV"),  QStringLiteral(".MPE"),
        QStringLiteral(".ASF"), QStringLiteral(".MPEG"), QStringLiteral(".HTM"),  QStringLiteral(".HTML"),
        QStringLiteral(".TXT"), QStringLiteral(".PDF"),  QStringLiteral(".DOC"),  QStringLiteral(".WRI"),
        QStringLiteral(".RTF"), QStringLiteral(".SWF"),
    };
    return kinds;
}

ViewerList FillViewerList(AppContext& ctx, bool viewableOnly) {
    ViewerList list;
    const PathList& ie = ctx.g.IECachePaths;
    if (!trimControls(ie[1]).isEmpty())
        for (int slot = 1; slot <= ie.count(); ++slot)
            if (!trimControls(ie[slot]).isEmpty())
                list.anyMatched |= AddFolderFiles(ctx, ie[slot], viewableOnly, list.lines);
    const PathList& firefox = ctx.g.FirefoxCacheDirs;
    for (int slot = 1; slot <= firefox.count(); ++slot)
        if (!trimControls(firefox[slot]).isEmpty())
            list.anyMatched |=
                AddFolderFiles(ctx, firefox[slot] + QStringLiteral("*.*"), viewableOnly, list.lines);
    return list;
}

namespace {

bool isDesktopIni(const QString& name) {
    static const QString desktopIni = QStringLiteral("DESKTOP.INI");
    return name.size() == desktopIni.size() && winUpper(name) == desktopIni;
}

// folder + name in lower case, `folder` already lower: one allocation for the usual ASCII name.
QString lowerJoin(const QString& folder, const QString& name) {
    QString out(folder.size() + name.size(), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    std::copy_n(reinterpret_cast<const char16_t*>(folder.constData()), folder.size(), d);
    d += folder.size();
    for (const QChar c : name) {
        if (c.unicode() >= 0x80) return folder + name.toLower();
        *d++ = c.unicode() >= u'A' && c.unicode() <= u'Z' ? char16_t(c.unicode() + 32) : c.unicode();
    }
    return out;
}

// Adds one lower-cased path when it passes the filter.
void addLowerPath(QString lower, bool viewableOnly, QStringList& lines) {
    if (viewableOnly && !ViewableExtensions().contains(winUpper(extractFileExt(lower)))) return;
    lines.append(std::move(lower));
}

} // namespace

bool AddFolderFiles(AppContext& ctx, const QString& mask, bool viewableOnly, QStringList& lines) {
    // Lower-cased once for the whole folder; each entry adds only its own name.
    const QString folder = extractFilePath(mask);
    const QString lowerFolder = folder.toLower();
    WalkOptions options;
    options.sorted = true;
    bool any = false;
    const WalkResult walked = walkMask(ctx.machine, mask, options, [&](WalkEntry& e) {
        any = true;
        if (!isDesktopIni(e.name())) addLowerPath(lowerJoin(lowerFolder, e.name()), viewableOnly, lines);
        return WalkStep::Continue;
    });
    // A search of "*" or "*.*" finds "." and ".." in any folder but a drive's root.
    const QString nameMask = mask.mid(folder.size());
    const bool dots = (nameMask == u"*" || nameMask == u"*.*") &&
                      excludeTrailingBackslash(fullPath(ctx.machine, folder)).size() > 2;
    return walked.error == ERROR_SUCCESS && (any || dots);
}

void AddViewerItem(const QString& path, bool viewableOnly, QStringList& lines) {
    addLowerPath(path.toLower(), viewableOnly, lines);
}

std::vector<ViewerBox> OpenCacheEntry(AppContext& ctx, const QString& line) {
    std::vector<ViewerBox> boxes;
    if (winUpper(line).contains(u"INDEX.DAT"))
        boxes.push_back(
            {MsgKind::Plain,
             QStringLiteral(
                 "The index.dat files are part of your locked files. Note that these files will always "
                 "exist which is normal, but will still be listed and shown to you here. In order to "
                 "clean up the data in your locked files (the files will still exist but the data in "
                 "them will be cleared), simply use the locked file cleanup option on this software. "
                 "These files can occasionally grow large, and contain the names of the files that you "
                 "can see in explorer (basically just pointers to the actual files), but using the "
                 "locked file cleanup on the previous window will safely clean these out.")});
    // The path goes whole, however long; a downloaded program in the cache is never started.
    if (opensByRunning(ctx.machine, line) || ShellExecute(ctx.machine, QStringLiteral("open"), line) <= 32)
        boxes.push_back(
            {MsgKind::Information,
             QStringLiteral(
                 "You cannot view this file as it is not a viewable file type. Some cache files are not "
                 "viewable as they contain data for your system to use, and there is no viewer on your "
                 "system (which is normal). You may want to use the reload button below to load only the "
                 "viewable cache files. ")});
    return boxes;
}

QString EmptyViewerListText() {
    return QStringLiteral(
        "Your viewable cache list is empty, since your cache files do not currently contain any which "
        "are viewable. This simply means your cache files were saved without a file extension by your "
        "browser, so it will not be listed as a viewable cache file on the next window. Note that your "
        "counts may have many stored files which are not viewable, as this next window will only show you "
        "the cache files that can be viewed.");
}

} // namespace niv
