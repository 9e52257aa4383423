#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace niv {

struct AppContext;

// The most names the kept list holds (keys "CKK1" to "CKK200" of the scan log's "UCKK5").
constexpr int kKeptCookieSlots = 200;

// The kept list as every reader sees it: trimmed names from key 1 up to the first empty key.
QStringList ReadKeptCookieList(AppContext& ctx);

// Writes `names` to keys 1 to n as given, then blanks the keys after them up to the first empty
// one, so that readers see exactly these names. INI failures are not caught.
void WriteKeptCookieList(AppContext& ctx, const QStringList& names);

// One Internet Explorer cookie file offered for keeping.
struct FoundCookie {
    QString name;   // name and extension
    QString folder; // ends in a backslash
};
// Refreshes the unit's cookie-file table and gives its entries up to the first empty slot.
std::vector<FoundCookie> FindCookieFiles(AppContext& ctx);

// The lines of a cookie file, in order; none for "." and "..". A file that cannot be read raises
// PlatformError.
QStringList ReadCookieFileLines(AppContext& ctx, const FoundCookie& cookie);

} // namespace niv
