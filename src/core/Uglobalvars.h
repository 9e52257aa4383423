#pragma once

#include "core/Categories.h"
#include "platform/WinTypes.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace niv {

class Machine;
class WalkEntry;
struct AppContext;
struct HostPath;

// A fixed list of path slots numbered from 1; an empty string is a free slot.
class PathList {
public:
    explicit PathList(int size) : m_entries(static_cast<std::size_t>(size)) {}
    int count() const { return static_cast<int>(m_entries.size()); }
    QString& operator[](int slot) { return m_entries.at(static_cast<std::size_t>(slot - 1)); }
    const QString& operator[](int slot) const { return m_entries.at(static_cast<std::size_t>(slot - 1)); }
    void clear() { std::fill(m_entries.begin(), m_entries.end(), QString()); }

private:
    std::vector<QString> m_entries;
};

constexpr int kCategoryResultLength = 125;
constexpr int kLockedFileSlots = 50;

// The program-wide state that the main window, the cleaners and the tools share. Everything
// starts empty, zero or false.
struct GlobalVars {
    PathList IECachePaths{400};
    PathList IECookiePaths{400};
    PathList IEHistoryPaths{400};
    PathList FirefoxHistoryFiles{25};
    PathList FirefoxCookieFiles{25};
    PathList FirefoxCacheScanDirs{400};
    PathList FirefoxCacheDirs{400};

    QString WindowsFolder, ExeFolder, DataFolder;
    QString ScanLogPath, OwnListPath, SysLogPath, LockedBatchPath, TaskBatchPath, TaskListPath;
    QString DocumentsFolder, PicturesFolder, VideosFolder, DownloadsFolder, RecentFolder;
    QString ChromeProfileFolder, ChromeCacheFolder, FlashCookieFolder;
    QString SkinName, SkinFile, SystemFolder;
    QString FirefoxFormHistoryMask, FirefoxCookieDbMask, FirefoxPlacesFile, FirefoxPlacesJournalFile,
        FirefoxWebStoreFile;

    std::array<QString, kCategoryResultSlots> CategoryResults;

    // Every category's found counters, whichever unit counts them; and the totals the statistics
    // panel reads.
    std::array<FoundCounter, CategoryCount> Found{};
    std::int64_t IETotalFiles = 0, IETotalBytes = 0;
    std::int64_t BrowserTotalFiles = 0, BrowserTotalBytes = 0;
    std::int64_t JunkTotalFiles = 0, JunkTotalBytes = 0;

    bool AutoCleanMode = false;
    std::array<bool, 9> AutoCleanChoices{};
    std::int32_t AutoCleanInterval = 0;
    bool Wipe = false;
    bool Tempall = false;
    bool IsWindowsXP = false;
    bool IsWindows7 = false;

    // Slots 1 to 50; index 0 is unused.
    std::array<QString, kLockedFileSlots + 1> LockedFileCommands;
};

// The sums of the found counters of some categories, for the units' totals.
FoundCounter SumFound(const GlobalVars& g, std::span<const Category> categories);

// Stores a result line, cut after its 125th character (never inside a character).
void SetCategoryResult(GlobalVars& g, int slot, const QString& line);

// The Windows and system folders, with fixed fallbacks when the machine cannot tell.
QString GetWindowsFolder(Machine& machine);
QString GetSystemFolder(Machine& machine);

// Add-unique rule of the Internet Explorer lists: a blank path is ignored, the upper-cased path is
// stored in the first free slot unless an equal entry comes first; a full list drops it.
void AddIECachePath(GlobalVars& g, const QString& path);
void AddIEHistoryPath(GlobalVars& g, const QString& path);
void AddIECookiePath(GlobalVars& g, const QString& path);

// The Firefox lists from the scan log, for the Firefox/Chrome scanner. A slot whose folder or file
// no longer exists is left empty.
// The cookie file of each "K17" folder (cookies.txt before cookies.sqlite), the Windows folder, and
// the single-value sections "FFFH", "FFCK", "FFPL", "FFPL2" and "FFPL3".
void LoadNetCookieFiles(AppContext& ctx);
// Each "P45" cache folder, or its "newcache" folder where that exists.
void LoadNetCacheDirs(AppContext& ctx);
// The history files of the "H53" folders, packed, at most 25.
void LoadNetHistoryFiles(AppContext& ctx);
// Adds a cache folder, as given, unless an entry equal to it but for case is there.
void AddUniqueCacheDir(GlobalVars& g, const QString& folder);

// The key of a list slot in the scan log: "P" and the slot number.
QString ScanLogSlotKey(int slot);

// Window-size record in the scan log: 0 when the section, key or file is missing.
int ReadFormWidth(AppContext& ctx, const QString& section);
int ReadFormHeight(AppContext& ctx, const QString& section);
// Writes "W" then "H"; a failed write is not reported.
void SaveFormSize(AppContext& ctx, const QString& section, int width, int height);

// Moves a file or folder to the recycle bin: true when the shell did it. An error raised during
// the call carries "Tried to recycle file: " and the path. `ask` is kept for the callers' sake:
// the emulated shell has no confirmation of its own. Given the entry one resolution found, that
// entry only (as the shell recycles it).
bool RecycleFile(AppContext& ctx, const QString& path, bool ask);
bool RecycleFile(AppContext& ctx, const HostPath& item, bool ask);
// The silent recycle step of the temp-file and Flash-cookie cleaners: moves the entry a walk listed
// at `path` (spelt as found), with all it holds, only while that path still leads to it (`id`, its
// identity), not to what a link put above it or in its place since leads to. False when it stayed.
bool RecycleListedEntry(AppContext& ctx, const QString& path, FileId id);

// The message after a walk that passed over `folders` folders for want of a handle; `left` says
// what that cost the user.
QString FoldersPassedOverText(std::int64_t folders, const QString& left);

// Makes a regular file's content unrecoverable before the delete that follows; silent. A file with
// other names elsewhere, or bound there from elsewhere, keeps its content. The cleaners wipe the
// entry their walk holds, so the file overwritten is the one listed.
void WipeFile(AppContext& ctx, WalkEntry& entry);

// The Windows version class 0 to 10 of the running system.
std::uint8_t ClassifyWindowsVersion(Machine& machine);

} // namespace niv
