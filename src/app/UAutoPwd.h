#pragma once

#include <QStringList>

namespace niv {

class Machine;

// The keys under the current user where Internet Explorer keeps what it offers again in web forms:
// Storage1 holds the remembered search-engine and form entries, Storage2 the stored user ids and
// passwords.
QStringList autoFormStorageKeys();

// Deletes every value of those keys, keeping the keys themselves (and any subkeys), so the browser
// finds empty stores rather than missing ones. Returns how many values were removed. A key that is
// missing counts as empty. Raises PlatformError when the registry cannot be written; the values
// removed before that stay removed.
int clearAutoFormEntries(Machine& machine);

} // namespace niv
