#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <cstdint>

namespace niv {

struct AppContext;

// A file time in local time, in the user's short date and long time format.
QString localFileTimeText(FileTime time);

// The times and size of one file, as the finders' detail labels show them; size -1 when the file
// cannot be found.
struct FinderFileInfo {
    std::int64_t size = -1;
    FileTime creation = 0, lastWrite = 0, lastAccess = 0;
};
FinderFileInfo readFinderFileInfo(AppContext& ctx, const QString& path);

// Opens a listed file with its default program, the path handed over whole. Programs, scripts and
// other types that would run rather than show are never opened. False when nothing showed it.
bool viewFinderFile(AppContext& ctx, const QString& path);

} // namespace niv
