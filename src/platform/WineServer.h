#pragma once

#include <QString>

namespace niv {

class Machine;

// True while a wineserver runs for the machine: it then owns the registry and would overwrite our
// changes. The server holds a write lock (fcntl) on the file "lock" in its working folder, named
// server-<dev>-<ino> after the machine folder (its device and inode, lower-case hex). That folder
// is found, wherever the server runs and whatever TMPDIR it had, as
//   /tmp/.wine-<uid>/server-<dev>-<ino>;
//   <folder>/server-<dev>-<ino> or <folder> itself, where <folder> is named by <machine>/wineserver:
//   Debian's Wine keeps its server folder elsewhere and leaves there either a link to it or a file
//   holding its path. A relative path ("wine-XXXXXX") is looked for in $TMPDIR, /tmp and /var/tmp;
//   the working folder of each process of this user, through /proc, whatever its name there.
// A machine whose settings name a server folder looks there in place of /tmp and the temporary
// folders.
bool wineServerRunning(const Machine& machine);

// When the server was found, which tells what the user is asked to do.
enum class ServerFound {
    AtStart,      // Nivora does not start
    BeforeChange, // the change was refused: nothing was written
    AfterChange,  // it started while the change was saved, and may write the old file back
};

// What the program says when it finds a server running.
QString wineServerMessage(const Machine& machine, ServerFound when = ServerFound::AtStart);

} // namespace niv
