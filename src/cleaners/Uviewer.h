#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace niv {

struct AppContext;

// The extensions the viewer counts as viewable, upper-cased with their dot.
const QStringList& ViewableExtensions();

// The cache viewer's list, built from the cache path lists the start-up scans filled.
struct ViewerList {
    QStringList lines;       // lower-cased full paths, in the order found
    bool anyMatched = false; // some mask matched: the list's scroll extent is to be set again
};

// Lists the Internet Explorer masks (only when the first slot is set) and every Firefox cache
// folder; with `viewableOnly`, only entries with a viewable extension.
ViewerList FillViewerList(AppContext& ctx, bool viewableOnly);
// Adds the entries of one mask, files and folders alike but never "desktop.ini"; false when the
// mask matched nothing.
bool AddFolderFiles(AppContext& ctx, const QString& mask, bool viewableOnly, QStringList& lines);
// Adds the path in lower case when it passes the filter.
void AddViewerItem(const QString& path, bool viewableOnly, QStringList& lines);

// A box the viewer shows.
struct ViewerBox {
    MsgKind kind = MsgKind::Plain;
    QString text;
};

// Opens a listed entry with its default program; gives the boxes to show, in order: the note on
// index files first, then the refusal when nothing opened it. Programs and scripts a cache holds
// are refused, never run.
std::vector<ViewerBox> OpenCacheEntry(AppContext& ctx, const QString& line);

QString EmptyViewerListText();

} // namespace niv
