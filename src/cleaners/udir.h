#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace niv {

struct AppContext;

// The user's own cleanup list in the own-list file: 50 slots, "Null" marking a free one.
constexpr int kOwnListSlots = 50;

// The own-list clean's counters, kept for the run and reached as ctx.unit<OwnListUnit>(). They are
// the list's own: no statistics line and no result slot.
struct OwnListUnit {
    std::int64_t OwnListFoundFiles = 0;
    std::int64_t OwnListFoundBytes = 0;
    std::int64_t OwnListDeletedFiles = 0;
};

// The entries of the own-list file in slot order, every value but "Null" (a missing key or an empty
// value is an empty entry). A missing file is created with its 50 free slots, and then lists
// nothing. Raises PlatformError "Unable to write to <file>" when the file cannot be created.
QStringList LoadOwnList(AppContext& ctx);

// Writes `entry` into the first free slot. False when every slot is taken; raises PlatformError
// when the file cannot be written.
bool AddOwnListEntry(AppContext& ctx, const QString& entry);

// Frees the first slot whose value is exactly `entry`. False when no slot holds it; raises
// PlatformError when the file cannot be written.
bool RemoveOwnListEntry(AppContext& ctx, const QString& entry);

// Counts, and with `deleteFlag` deletes outright, the files that `entry` matches in its own folder;
// hidden, system and folder entries are passed over.
void ScanOwnListEntry(AppContext& ctx, const QString& entry, bool deleteFlag);

// The clean: counts every entry's files, asks, and deletes them. Run by the list's own button and by
// "Cleanup All !", alike. Shows nothing when no file matches.
void CleanOwnList(AppContext& ctx);

// The window's boxes.
QString ownListFullText();
QString ownListNotFoundText();
QString ownListNoFolderText();
QString ownListNoWildcardText();
QString ownListNoFileText();
QString ownListEmptyText();
QString ownListRemoveQuestion();
QString ownListRemoveCanceledText();
QString ownListStarWarningText();

} // namespace niv
