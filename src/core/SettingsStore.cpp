#include "core/SettingsStore.h"

#include "core/AppContext.h"
#include "platform/Registry.h"
#include "platform/WriteScope.h"

#include <functional>
#include <utility>
#include <vector>

namespace niv {

namespace {

// A boolean setting: true when present as a DWORD. A value of another type is treated as missing,
// so it is rewritten with its default.
bool readFlag(TRegistry& reg, const QString& name, bool& value) {
    if (!reg.ValueExists(name) || reg.GetDataType(name) != REG_DWORD) return false;
    try {
        value = reg.ReadBool(name);
        return true;
    } catch (const PlatformError&) {
        return false;
    }
}

bool openSettingsKey(TRegistry& reg, bool canCreate) {
    reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        return reg.OpenKey(settingsKeyPath(), canCreate);
    } catch (const PlatformError&) {
        return false;
    }
}

} // namespace

QString LoadSettings(AppContext& ctx) {
    SettingsCopy& s = ctx.settings;
    s.Confirms = true;
    s.VistaMsg = true;
    ctx.g.Wipe = false;
    ctx.g.Tempall = false;
    for (const CategoryInfo& row : categoryTable())
        if (row.defaultInMemory) s.categories[row.category] = true;
    s.Lockedj = false;
    ctx.g.SkinName = QStringLiteral("skinsunset");

    TRegistry reg(ctx.machine);
    if (!openSettingsKey(reg, true)) return QString();

    // Every value is read before any default is written, so a write that fails cannot cost a read.
    std::vector<std::function<void()>> defaults;
    const QString skin = QStringLiteral("Skin");
    if (reg.ValueExists(skin) && (reg.GetDataType(skin) == REG_SZ || reg.GetDataType(skin) == REG_EXPAND_SZ))
        ctx.g.SkinName = reg.ReadString(skin);
    else
        defaults.push_back([&reg, skin] { reg.WriteString(skin, QStringLiteral("skinsunset")); });

    // Each value in the order start-up reads it, with the default written when it is missing.
    struct Flag {
        QString name;
        bool* memory;
        bool written;
    };
    std::vector<Flag> flags{{QStringLiteral("Confirms"), &s.Confirms, true},
                            {QStringLiteral("Wipe"), &ctx.g.Wipe, true},
                            {QStringLiteral("Tempall"), &ctx.g.Tempall, false}};
    for (const CategoryInfo& row : categoryTable())
        flags.push_back({categoryValueName(row.category), &s.categories[row.category], true});
    flags.push_back({QStringLiteral("VistaMsg"), &s.VistaMsg, true});
    flags.push_back({QStringLiteral("Lockedj"), &s.Lockedj, false});
    for (const Flag& f : flags)
        if (!readFlag(reg, f.name, *f.memory))
            defaults.push_back([&reg, f] { reg.WriteBool(f.name, f.written); });

    // A default that cannot be written stays in memory for this run; the first failure ends the writing.
    QString failure;
    WriteScope writes(ctx.machine);
    for (const auto& writeDefault : defaults) {
        try {
            writeDefault();
        } catch (const PlatformError& e) {
            failure = e.message();
            break;
        }
    }
    try {
        writes.commit();
    } catch (const PlatformError& e) {
        if (failure.isEmpty()) failure = e.message();
    }
    reg.CloseKey();
    return failure;
}

void SaveCleanupAllSelections(AppContext& ctx, const std::array<bool, CategoryCount>& boxes) {
    std::array<Category, CategoryCount> order{};
    for (const CategoryInfo& row : categoryTable())
        order[static_cast<std::size_t>(row.saveRank)] = row.category;
    TRegistry reg(ctx.machine);
    if (!openSettingsKey(reg, true)) return;
    WriteScope writes(ctx.machine);
    for (Category c : order)
        reg.WriteBool(categoryValueName(c), boxes[c]);
    writes.commit();
}

bool SaveSettingFlag(AppContext& ctx, const QString& name, bool value, KeyOpen open) {
    TRegistry reg(ctx.machine);
    if (!openSettingsKey(reg, open == KeyOpen::CreateWhenMissing)) return false;
    reg.WriteBool(name, value);
    return true;
}

bool SaveDialogSettings(AppContext& ctx, bool confirms, bool wipe, bool tempall) {
    TRegistry reg(ctx.machine);
    if (!openSettingsKey(reg, false)) return false;
    const std::pair<const char*, std::pair<bool, bool*>> values[] = {
        {"Confirms", {confirms, &ctx.settings.Confirms}},
        {"Wipe", {wipe, &ctx.g.Wipe}},
        {"Tempall", {tempall, &ctx.g.Tempall}}};
    WriteScope writes(ctx.machine);
    for (const auto& [name, v] : values)
        reg.WriteBool(QString::fromLatin1(name), v.first);
    writes.commit();
    for (const auto& [name, v] : values) // memory follows only what was saved
        *v.second = v.first;
    return true;
}

bool SaveSkinSetting(AppContext& ctx, const QString& skinName) {
    TRegistry reg(ctx.machine);
    if (!openSettingsKey(reg, false)) return false;
    ctx.g.SkinName = skinName;
    reg.WriteString(QStringLiteral("Skin"), skinName);
    return true;
}

} // namespace niv
