#pragma once

#include "core/AppContext.h"

#include <QString>

namespace niv {

// Start-up steps of the main window that need no window.
// The Windows and program folders, the version class and its flags.
void ClassifySystem(AppContext& ctx);
// The folder strings from the special folders, and the files in the data folder. Without an
// application-data folder the data folder and its files are all "".
void ComputeFolders(AppContext& ctx);
// Creates the data folder when missing; false when that fails or there is none.
bool CreateDataFolder(AppContext& ctx);
// The error shown when there is no application-data folder to hold the data folder.
QString NoDataFolderText();
// Writes and starts the task-list batch (Windows 7 only).
void WriteTaskListBatch(AppContext& ctx, const QString& batchPath);
void StartTaskListBatch(AppContext& ctx);
// The skin file of the current skin name.
QString skinFileOf(const AppContext& ctx);
// Whether the notice for newer Windows versions is due.
bool noticeDue(const AppContext& ctx);

} // namespace niv
