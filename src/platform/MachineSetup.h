#pragma once

#include "Machine.h"

#include <QString>

#include <functional>
#include <string>

namespace niv {

// Reads an environment variable; empty when unset. Injected so tests never see the real one.
using EnvReader = std::function<QString(const char* name)>;
EnvReader processEnvironment();

// Raises the process's soft limit of open files to its hard limit: a walk holds one open folder per
// level of a tree, and should never stop where the host itself would allow it to go on.
void raiseOpenFileLimit();

// Which machine the program uses: $WINEPREFIX when set, else ~/.wine when it exists, else a fresh
// machine at $XDG_DATA_HOME/nivora/machine (default ~/.local/share/nivora/machine).
struct MachineChoice {
    std::string root;
    bool needsCreation = false; // the fresh-machine folder does not exist yet
};
MachineChoice chooseMachine(const EnvReader& env);

// The Windows user: $USER as in Wine ("user" when unset).
QString machineUserName(const EnvReader& env);

// Creates a fresh Windows 7 SP1 machine at `root`: drive_c with the Windows folders and the user's
// profile in the Vista layout, dosdevices, and the registry values that go with them.
// False when the folders cannot be made.
bool createFreshMachine(Machine& machine);

} // namespace niv
