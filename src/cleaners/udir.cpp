#include "cleaners/udir.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

namespace niv {

namespace {

const QString kSection = QStringLiteral("Dirs");
const QString kFree = QStringLiteral("Null");

QString slotKey(int slot) {
    return QStringLiteral("Name") + QString::number(slot);
}

TIniFile ownList(AppContext& ctx) {
    return TIniFile(ctx.machine, ctx.g.OwnListPath);
}

// The first slot holding exactly `value` (case-sensitive), 0 when none does.
int slotHolding(const TIniFile& ini, const QString& value) {
    for (int slot = 1; slot <= kOwnListSlots; ++slot)
        if (ini.ReadString(kSection, slotKey(slot), QString()) == value) return slot;
    return 0;
}

// Runs `scan` on every entry, in slot order.
template <class Scan> void forEachEntry(AppContext& ctx, Scan scan) {
    const TIniFile ini = ownList(ctx);
    for (int slot = 1; slot <= kOwnListSlots; ++slot) {
        const QString entry = ini.ReadString(kSection, slotKey(slot), QString());
        if (entry != kFree) scan(entry);
    }
}

} // namespace

QStringList LoadOwnList(AppContext& ctx) {
    QStringList entries;
    if (ctx.g.OwnListPath.isEmpty()) return entries; // no data folder to keep the list in
    if (FileExists(ctx.machine, ctx.g.OwnListPath)) {
        forEachEntry(ctx, [&](const QString& entry) { entries << entry; });
        return entries;
    }
    TIniFile ini = ownList(ctx);
    WriteScope writes(ctx.machine); // the new list is written once, not once per slot
    for (int slot = 1; slot <= kOwnListSlots; ++slot)
        ini.WriteString(kSection, slotKey(slot), kFree);
    writes.commit();
    return entries;
}

bool AddOwnListEntry(AppContext& ctx, const QString& entry) {
    TIniFile ini = ownList(ctx);
    const int slot = slotHolding(ini, kFree);
    if (slot == 0) return false;
    ini.WriteString(kSection, slotKey(slot), entry);
    return true;
}

bool RemoveOwnListEntry(AppContext& ctx, const QString& entry) {
    TIniFile ini = ownList(ctx);
    const int slot = slotHolding(ini, entry);
    if (slot == 0) return false;
    ini.WriteString(kSection, slotKey(slot), kFree);
    return true;
}

void ScanOwnListEntry(AppContext& ctx, const QString& entry, bool deleteFlag) {
    OwnListUnit& unit = ctx.unit<OwnListUnit>();
    const QString folder = extractFilePath(entry);
    QString mask = entry.mid(folder.size());
    const bool oneFile = !mask.contains(u'*') && !mask.contains(u'?');
    if (oneFile) {
        // The name Windows opens: without its trailing dots and blanks.
        while (mask.endsWith(u'.') || mask.endsWith(u' '))
            mask.chop(1);
        if (mask.isEmpty()) return;
    }
    WalkOptions options;
    options.maxDepth = 0;
    options.sorted = true;
    options.mask = mask;
    // Without the hidden, system and folder bits the search itself passes over those entries.
    options.attrFilter = faReadOnly | faArchive | faNormal;
    // One file named: the entry of that exact case when there is one, else the first of any case,
    // never its case twins as well.
    // A folder that cannot be searched matches nothing, as the search finds nothing there.
    QString chosen;
    if (oneFile) {
        static_cast<void>(walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
            if (chosen.isEmpty() || e.name() == mask) chosen = e.name();
            return e.name() == mask ? WalkStep::Stop : WalkStep::Continue;
        }));
        if (chosen.isEmpty()) return;
    }
    static_cast<void>(walkTree(ctx.machine, folder, options, [&](WalkEntry& e) {
        if ((oneFile && e.name() != chosen) || e.isMountPoint()) return WalkStep::Continue;
        ++unit.OwnListFoundFiles;
        unit.OwnListFoundBytes += e.size();
        if (deleteFlag && e.deleteFile()) ++unit.OwnListDeletedFiles;
        return WalkStep::Continue;
    }));
}

void CleanOwnList(AppContext& ctx) {
    OwnListUnit& unit = ctx.unit<OwnListUnit>();
    unit.OwnListFoundFiles = 0;
    unit.OwnListFoundBytes = 0;
    forEachEntry(ctx, [&](const QString& entry) { ScanOwnListEntry(ctx, entry, false); });
    if (unit.OwnListFoundFiles <= 0) return;
    const QString question =
        QStringLiteral("\"Your Own Files\" cleanup confirmation: ") +
        QString::number(unit.OwnListFoundFiles) +
        QStringLiteral(" total files have been found matching your entries.  This totals ") +
        QString::number(unit.OwnListFoundBytes) + QStringLiteral(" bytes. Would you like me to clean these?");
    if (ctx.dialogs.messageDlg(MsgKind::Confirmation, question, MsgButtons::YesNo) != mrYes) {
        ctx.dialogs.messageDlg(MsgKind::Confirmation,
                               QStringLiteral("No files deleted in the \"Your Own Files\" section."),
                               MsgButtons::Ok);
        return;
    }
    unit = OwnListUnit{};
    forEachEntry(ctx, [&](const QString& entry) { ScanOwnListEntry(ctx, entry, true); });
    ctx.dialogs.messageDlg(
        MsgKind::Confirmation,
        QStringLiteral("\"Your Own Files\" cleanup confirmed: ") + QString::number(unit.OwnListDeletedFiles) +
            QStringLiteral(" files out of ") + QString::number(unit.OwnListFoundFiles) +
            QStringLiteral(" files have been deleted. (If all files were not deleted, it is "
                           "due to the files being hidden files, system files, or in use at "
                           "the time by another application.)."),
        MsgButtons::Ok);
}

QString ownListFullText() {
    return QStringLiteral(
        "You have reached the maximum number of entries! Please delete an entry if you wish to add another.");
}

QString ownListNotFoundText() {
    return QStringLiteral(
        "An error occurred while looking for the string to delete. You may need to delete your ini file and "
        "rerun this program again to re-create the ini file. If this continues contact technical support.");
}

QString ownListNoFolderText() {
    return QStringLiteral("You did not choose a folder. Nothing was added to your list.");
}

QString ownListNoWildcardText() {
    return QStringLiteral(
        "You did not enter any wildcard characters for your folder cleanup. Nothing was added. Some wildcard "
        "examples are *.* for all files to be cleaned in the folder you chose, or s*.txt for all files that "
        "begin with s and have a txt extension.");
}

QString ownListNoFileText() {
    return QStringLiteral(
        "You did not add any file to your list. This option only adds files to your list, in order to create "
        "your own file or directory list for cleanups. The list will be shown above. You can then click the "
        "cleanup button on the right to clean your entire list with one click.  Your list can also contain "
        "folders with wildcard characters, to clean many types of files based on a filter.");
}

QString ownListEmptyText() {
    return QStringLiteral("You must first add some directory paths.");
}

QString ownListRemoveQuestion() {
    return QStringLiteral(
        "You are about to delete the highlighted item from the list above.  Click Yes to confirm.");
}

QString ownListRemoveCanceledText() {
    return QStringLiteral("Delete canceled.");
}

QString ownListStarWarningText() {
    return QStringLiteral("WARNING: *.* means remove all files in your selected folder");
}

} // namespace niv
