#pragma once

#include <QByteArray>
#include <QString>

namespace niv {

struct AppContext;
struct GlobalVars;

// The current user's start-up keys that may carry the locked-file batch, in the order they are tried.
inline QString runServicesKeyPath() {
    return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\RunServices");
}
inline QString runKeyPath() {
    return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

// The locked-file batch: the pending commands from slot 1 up to the first empty slot, then "Exit",
// each line ended by CR LF. A "Del" command whose path holds a blank gets the path quoted, so that
// the command interpreter takes it whole.
QByteArray lockedFileBatchText(const GlobalVars& g);

// Writes the batch at `path`, replacing the file whole; false when it cannot be written.
bool WriteLockedFileBatch(AppContext& ctx, const QString& path);

// The main window's close step: writes the batch when commands are pending, then, when a batch
// exists, registers it as the start-up value "Cleanup" (quoted path) or removes that value,
// according to "Lockedj". Never fails: a batch or a key that cannot be written is left as it is.
void RegisterLockedFileBatch(AppContext& ctx);

// The locked-files dialog's choice: "Lockedj" in memory, then in the settings key (created when
// missing). A key that cannot be opened is not reported; a value that cannot be written raises
// PlatformError, the choice holding in memory for this run.
void SaveLockedChoice(AppContext& ctx, bool doLocked);

} // namespace niv
