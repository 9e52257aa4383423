#pragma once

#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace niv {

struct AppContext;

// The Flash site folders found, as paired lists: line i of `names` is the folder whose full path is
// line i of `paths`, and which the scan found as the entry `ids[i]`.
struct FlashSites {
    QStringList names;
    QStringList paths;
    std::vector<FileId> ids;
};

// True when the Flash shared-objects folder is known and exists.
bool FlashCookieLocationExists(AppContext& ctx);
// Appends every folder below `folder` whose name holds a dot, at any depth (a site folder inside
// a site folder too); other folders are walked, files and links passed over. Lets window messages
// through after every entry. Folders the host has no handle left to open are passed over and
// counted in a message once the walk ends.
void ScanFlashCookieFolders(AppContext& ctx, const QString& folder, FlashSites& sites);
// Recycles the sites whose `selected` flag is set, silently, each only while its path still leads to
// the folder the scan found, and drops their lines. A site that could not be recycled and is still
// there keeps its line; one already gone (inside a site recycled before it, or another entry in its
// place) leaves the list.
void RemoveFlashSites(AppContext& ctx, FlashSites& sites, const std::vector<bool>& selected);

QString NoFlashLocationText();

} // namespace niv
