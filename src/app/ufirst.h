#pragma once

#include "app/AppContext.h"

#include <QString>

#include <array>

namespace niv {

// The registry value name of each category ("IECache", ...).
QString categoryValueName(Category category);
// The settings key under the current user.
inline QString settingsKeyPath() {
    return QStringLiteral("Software\\Hollbrook\\Settings");
}

// Reads the settings into memory, writing the default of every missing value.
void LoadSettings(AppContext& ctx);
// Writes the 18 category values from the check boxes ("Exit").
void SaveCleanupAllSelections(AppContext& ctx, const std::array<bool, CategoryCount>& boxes);

// Start-up steps of the main window that need no window.
// Steps 1 and 2: the Windows and program folders, the version class and its flags.
void ClassifySystem(AppContext& ctx);
// Step 6 and 8: the folder strings from the special folders, and the files in the data folder.
void ComputeFolders(AppContext& ctx);
// Step 7: creates the data folder when missing; false when that fails.
bool CreateDataFolder(AppContext& ctx);
// Step 10: writes and starts the task-list batch (Windows 7 only).
void WriteTaskListBatch(AppContext& ctx, const QString& batchPath);
void StartTaskListBatch(AppContext& ctx);
// Step 14: the skin file of the current skin name.
QString skinFileOf(const AppContext& ctx);
// Step 21: whether the notice for newer Windows versions is due.
bool noticeDue(const AppContext& ctx);

} // namespace niv
