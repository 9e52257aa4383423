#pragma once

#include "platform/Walk.h"
#include "platform/WinTypes.h"

#include <QString>

#include <cstdint>

namespace niv {

struct AppContext;
class Machine;
struct HostPath;

// A file time in local time, in the user's short date and long time format.
QString localFileTimeText(Machine& machine, FileTime time);

// The times and size of one listed file, as the finders' detail labels show them; size -1 when the
// file cannot be found. A listed name is taken as spelt, never as its case twin.
struct FinderFileInfo {
    std::int64_t size = -1;
    FileTime creation = 0, lastWrite = 0, lastAccess = 0;
};
FinderFileInfo readFinderFileInfo(AppContext& ctx, const QString& path);

// True when a listed file's path, resolved as spelt, still leads to the regular file the search
// listed there (`id`, its identity): not to another entry in its place, nor through a link put above it.
bool isListedFile(const HostPath& found, FileId id);

// Opens a listed file with its default program, the path handed over whole. Programs, scripts and
// other types that would run rather than show (by name, execute bit or content) are never opened, nor
// is anything but a regular file found in the listed file's place. False when nothing showed it.
bool viewFinderFile(AppContext& ctx, const QString& path);

} // namespace niv
