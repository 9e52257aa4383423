#pragma once

#include "core/Categories.h"

#include <QString>

#include <array>

namespace niv {

struct AppContext;

// The settings key under the current user. Only this store writes it.
inline QString settingsKeyPath() {
    return QStringLiteral("Software\\Hollbrook\\Settings");
}

// Reads the settings into memory, writing the default of every missing value. A key that cannot be
// opened leaves the defaults, silently; a default that cannot be written ends the writing and its
// error text is returned, "" when everything was written.
QString LoadSettings(AppContext& ctx);

// Writes the 18 category values from the check boxes ("Exit"). Nothing is written when the key
// cannot be opened; a value that cannot be written raises PlatformError.
void SaveCleanupAllSelections(AppContext& ctx, const std::array<bool, CategoryCount>& boxes);

enum class KeyOpen { Existing, CreateWhenMissing };
// Writes one boolean value: false when the key cannot be opened (nothing written); a value that
// cannot be written raises PlatformError.
bool SaveSettingFlag(AppContext& ctx, const QString& name, bool value, KeyOpen open);

// The settings dialog's values, written in the order "Confirms", "Wipe", "Tempall", each taken into
// memory once written. The key is not created: false, with nothing written and memory unchanged,
// when it cannot be opened. A value that cannot be written raises PlatformError.
bool SaveDialogSettings(AppContext& ctx, bool confirms, bool wipe, bool tempall);

// The skins dialog's choice: "Skin" written and taken into memory. The key is not created: false,
// with nothing changed, when it cannot be opened. A failed write raises PlatformError.
bool SaveSkinSetting(AppContext& ctx, const QString& skinName);

} // namespace niv
