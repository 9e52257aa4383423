#pragma once

#include <QString>

namespace niv {

class Machine;

// True while a wineserver runs for the machine: it then owns the registry and would overwrite our
// changes. The server holds a write lock (fcntl) on its lock file, which is one of
//   /tmp/.wine-<uid>/server-<dev>-<ino>/lock  (dev and inode of the machine folder, lower-case hex)
//   <folder>/server-<dev>-<ino>/lock and <folder>/lock, where <folder> is named by
//   <machine>/wineserver: Debian's Wine keeps its server folder elsewhere and leaves there either a
//   link to it or a file holding its path. A relative path ("wine-XXXXXX") is a folder in the
//   temporary folder ($TMPDIR, else /tmp).
// A machine whose settings name a server folder looks there in place of both.
bool wineServerRunning(const Machine& machine);

// What the program says when it finds a server running, at start-up or before a registry write.
QString wineServerMessage(const Machine& machine);

} // namespace niv
