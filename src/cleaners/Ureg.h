#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace niv {

struct AppContext;

// The "What You Search" unit's state, reached as ctx.unit<RegUnit>(): the data of the Run list's
// values "a".."z" in slots 1 to 26 and of the Find list's in 27 to 52, untrimmed; 0 is unused.
struct RegUnit {
    std::array<QString, 53> MruSlots;
};

enum class MruList { Run, Find };

// Empties and refills MruSlots and, on Windows XP, appends the Search Assistant's entries to
// `assistantLines`. A value that is not text raises the registry's read error and ends the reading
// there; what was read until then stays.
void ReadMruHistory(AppContext& ctx, QStringList& assistantLines);

// The lines of the two lists: the Run list's filled slots; the Search Assistant's lines, then the
// Find list's filled slots.
struct MruLines {
    QStringList run;
    QStringList find;
};
MruLines ListedMruLines(AppContext& ctx, const QStringList& assistantLines);

// Deletes the first letter value of the list that holds exactly `line`; failing that, for the Find
// list on Windows XP, the equal Search Assistant entries (letter case and surrounding blanks
// ignored) of the first subkey where that succeeds. No other value changes. True when a value was
// deleted.
bool RemoveMruEntry(AppContext& ctx, MruList list, const QString& line);

} // namespace niv
