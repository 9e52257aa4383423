#include "cleaners/Ureg.h"

#include "core/AppContext.h"
#include "platform/Registry.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

namespace niv {

namespace {

const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
const QString kFindKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU");
const QString kAssistantKey = QStringLiteral("SOFTWARE\\Microsoft\\Search Assistant\\ACMRu");
constexpr int kLetters = 26;
constexpr int kAssistantSubkeys = 26;

QString letter(int i) {
    return QString(QChar(u'a' + i));
}

bool openKey(TRegistry& reg, const QString& key) {
    reg.SetRootKey(HKEY_CURRENT_USER);
    return reg.OpenKey(key, false);
}

// The first 26 subkeys of the Search Assistant, each as a key path.
QStringList assistantSubkeys(AppContext& ctx) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, kAssistantKey)) return {};
    QStringList keys;
    for (const QString& name : reg.GetKeyNames().mid(0, kAssistantSubkeys))
        keys.append(kAssistantKey + u'\\' + name);
    return keys;
}

void readLetters(AppContext& ctx, const QString& key, int firstSlot) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, key)) return;
    for (int i = 0; i < kLetters; ++i)
        ctx.unit<RegUnit>().MruSlots[static_cast<std::size_t>(firstSlot + i)] = reg.ReadString(letter(i));
}

void filledSlots(AppContext& ctx, int first, QStringList& lines) {
    const RegUnit& unit = ctx.unit<RegUnit>();
    for (int slot = first; slot < first + kLetters; ++slot)
        if (!unit.MruSlots[static_cast<std::size_t>(slot)].isEmpty())
            lines.append(unit.MruSlots[static_cast<std::size_t>(slot)]);
}

} // namespace

void ReadMruHistory(AppContext& ctx, QStringList& assistantLines) {
    ctx.unit<RegUnit>().MruSlots.fill(QString());
    readLetters(ctx, kRunKey, 1);
    readLetters(ctx, kFindKey, 1 + kLetters);
    if (!ctx.g.IsWindowsXP) return;
    for (const QString& key : assistantSubkeys(ctx)) {
        TRegistry reg(ctx.machine);
        if (!openKey(reg, key)) continue;
        for (const QString& name : reg.GetValueNames()) {
            const QString text = trimControls(reg.ReadString(name));
            if (!text.isEmpty()) assistantLines.append(text);
        }
    }
}

MruLines ListedMruLines(AppContext& ctx, const QStringList& assistantLines) {
    MruLines lines;
    filledSlots(ctx, 1, lines.run);
    lines.find = assistantLines;
    filledSlots(ctx, 1 + kLetters, lines.find);
    return lines;
}

bool RemoveMruEntry(AppContext& ctx, MruList list, const QString& line) {
    // The lists are read as they are now and changed on that one picture of the hive.
    WriteScope writes(ctx.machine);
    bool deleted = false;
    {
        TRegistry reg(ctx.machine);
        if (openKey(reg, list == MruList::Run ? kRunKey : kFindKey)) {
            for (int i = 0; i < kLetters; ++i) {
                // Exact: letter case and blanks count; a value that holds no text is no entry.
                if (reg.ValueExists(letter(i)) && ReadStringIfText(reg, letter(i)) == line) {
                    deleted = reg.DeleteValue(letter(i));
                    break;
                }
            }
        }
    }
    if (deleted || list != MruList::Find || !ctx.g.IsWindowsXP) {
        writes.commit();
        return deleted;
    }
    for (const QString& key : assistantSubkeys(ctx)) {
        TRegistry reg(ctx.machine);
        if (!openKey(reg, key)) continue;
        bool deletedHere = false;
        for (const QString& name : reg.GetValueNames()) {
            if (!sameTrimmedText(ReadStringIfText(reg, name).value_or(QString()), line)) continue;
            deleted = reg.DeleteValue(name);
            deletedHere = deletedHere || deleted;
        }
        if (deletedHere) break;
    }
    writes.commit();
    return deleted;
}

} // namespace niv
