#pragma once

#include "core/AppContext.h"

#include <QString>

namespace niv {

// Start-up steps of the main window that need no window.
// The Windows and program folders, the version class and its flags.
void ClassifySystem(AppContext& ctx);
// The folder strings from the special folders, and the files in the data folder.
void ComputeFolders(AppContext& ctx);
// Creates the data folder when missing; false when that fails.
bool CreateDataFolder(AppContext& ctx);
// Writes and starts the task-list batch (Windows 7 only).
void WriteTaskListBatch(AppContext& ctx, const QString& batchPath);
void StartTaskListBatch(AppContext& ctx);
// The skin file of the current skin name.
QString skinFileOf(const AppContext& ctx);
// Whether the notice for newer Windows versions is due.
bool noticeDue(const AppContext& ctx);

} // namespace niv
