#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace niv {

struct AppContext;

// How a listed start-up entry leaves the start-up.
enum class StartupAction {
    DelReg,  // delete the registry value
    EditReg, // let the user rewrite the value, which Windows needs to log on
    DelFile, // delete the file of a start-up folder
    IniLine, // blank the line of the INI file it was read from
};

// Where an INI start-up line was read: the file, its section, and the keys its removal blanks when
// they hold the line's text (win.ini's "run" and "load" go together).
struct IniStartupSource {
    QString file;
    QString section;
    QStringList keys;
};

// What one line of ListStartup stands for. The removal acts on this record alone, never on
// another entry whose text the line happens to contain.
struct StartupEntry {
    QString text;      // the line as listed
    QString hive;      // "HKCU" or "HKLM" for registry values; empty otherwise
    QString keyPath;   // registry values only
    QString valueName; // registry values only ("" is the default value)
    StartupAction action = StartupAction::DelReg;
    IniStartupSource ini; // INI lines only
};

// One registered service with a non-empty "ImagePath".
struct ServiceEntry {
    QString keyPath; // "SYSTEM\CurrentControlSet\Services\<name>", local machine
    QString imagePath;
};

// The start-up unit's state, reached as ctx.unit<StartupUnit>(). The lists are what the start-up
// window shows and what the system report copies; each filler empties its own lists first
// (ListRunningTasks excepted: its callers empty it).
struct StartupUnit {
    // ScanStartupPoints
    QStringList ListStartup;                  // one line per removable entry
    std::vector<StartupEntry> StartupEntries; // parallel to ListStartup
    QStringList ListLog;                      // every start-up point: section label + text
    std::vector<ServiceEntry> Services;       // every service found, in scan order
    QStringList ListServices;                 // the services shown, narrowed by the filter
    std::vector<int> ServiceRows;             // per ListServices line, its index in Services

    // ScanBHOs
    QStringList ListBHO;       // the server file of each helper object, or the NOT FOUND line
    QStringList ListBHOHidden; // per ListBHO line, its CLSID upper-cased and trimmed
    QStringList BhoSubkeys;    // per ListBHO line, the subkey name as the registry holds it

    // ListBrowserPages
    QStringList ListBrowserIE;

    // Load_Running_Tasks
    QStringList ListRunningTasks;
};

// The section label of the log lines: "SECTION 1:  ", "SECTION 10: ", and the services' own.
QString StartupSectionLabel(int section);

// Reads every start-up point of the registry, win.ini, system.ini and the start-up folders, and
// every service; refills ListStartup, StartupEntries, ListLog, Services, ListServices and
// ServiceRows. Changes nothing on the machine. Lets pending messages through once, at the end.
void ScanStartupPoints(AppContext& ctx);

// Refills ListBHO, ListBHOHidden and BhoSubkeys from the browser helper objects registered for
// Internet Explorer.
void ScanBHOs(AppContext& ctx);

// Refills ListBrowserIE with Internet Explorer's start and search pages of both hives.
void ListBrowserPages(AppContext& ctx);

// On Windows 7, appends a blank line, "Full Tasklist:" and every line of the task-list file to
// ListRunningTasks; nothing on other systems or without the file. A file that cannot be read adds
// the two heading lines alone.
void Load_Running_Tasks(AppContext& ctx);

// --- removal; each reports its outcome in plain message boxes ---

// Removes the entry of ListStartup's line `row`; a row outside the list does nothing.
void RemoveStartupEntry(AppContext& ctx, int row);
// Deletes one value of the hive named "HKCU", "HKLM" or "HKCR"; a key that cannot be opened with
// full rights ends it silently.
void DeleteStartupValue(AppContext& ctx, const QString& hive, const QString& keyPath,
                        const QString& valueName);
// Rewrites an existing value, trimmed, as a plain string.
void EditStartupValue(AppContext& ctx, const QString& hive, const QString& keyPath, const QString& valueName,
                      const QString& newText);
// Blanks each key of `source` that equals `text`, saying so for each; says so when none does. A
// refused write raises the INI file's error.
void RemoveIniStartupEntry(AppContext& ctx, const QString& text, const IniStartupSource& source);

// Narrows ListServices to the lines holding the trimmed filter (a-z compared without case). A
// blank filter changes nothing: false.
bool FilterServices(AppContext& ctx, const QString& filter);
// Deletes the "ImagePath" of the service on ListServices' line `row` (-1: none highlighted).
void RemoveService(AppContext& ctx, int row);

// Asks, then deletes the registration of the helper object on ListBHO's line `row` and drops the
// line. True when it was removed.
bool RemoveBHO(AppContext& ctx, int row);

// Whether Internet Explorer's browser extensions are on for the user; nothing when the user has no
// Internet Explorer settings key.
std::optional<bool> BrowserExtensionsEnabled(AppContext& ctx);
// Switches the extensions on or off and says so; the new state, or nothing when no switch was made.
std::optional<bool> SwitchBrowserExtensions(AppContext& ctx, bool enable);

} // namespace niv
