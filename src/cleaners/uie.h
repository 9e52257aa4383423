#pragma once

#include "core/Uglobalvars.h"

#include <QSet>
#include <QString>

#include <array>
#include <cstdint>

namespace niv {

struct AppContext;

// The Internet Explorer unit's state, kept for the whole run and reached as ctx.unit<IeUnit>(). Its
// categories' found counters live with every other category's in the shared state.
struct IeUnit {
    bool ConfirmsCopy = false;

    // Discovery.
    QString IEWindowsFolder;
    QString IECookiesFolder;               // IEWindowsFolder + "\cookies\"
    std::array<QString, 4> IECacheFolders; // IEWindowsFolder + "\temporary internet files\cache1".."4"
    QString ShellCacheFolder, ShellCookiesFolder, ShellHistoryFolder;
    QString SpecialCookiesPath; // the shell's cookies folder (special folder 33)
    PathList HistorySubfolders{25};
    PathList MshistSubfolders{25};
    std::int32_t IEPassFiles = 0;
    std::int64_t IEPassBytes = 0;

    // The cookie files the keep-cookies dialog offers.
    PathList CookieFileTable{200};
    std::int64_t CookieFileCount = 0;

    // Cleaners.
    // The keep list as the cleaner compares names with it: the names of the scan log's first 200
    // slots, trimmed and upper-cased, up to the first empty one. Made by LoadKeptCookies, once per
    // cookie clean.
    QSet<QString> KeptCookieKeys;
    std::int32_t DeletedFiles = 0;
    std::int64_t DeletedBytes = 0;
    bool IndexFileLocked = false;
};

// The hidden scanner the main window creates at start-up: finds where Internet Explorer keeps its
// cache, cookies and history, fills the three path lists and counts what they hold.
class TFrmie {
public:
    // Runs FormCreate.
    explicit TFrmie(AppContext& ctx);
    TFrmie(const TFrmie&) = delete;
    TFrmie& operator=(const TFrmie&) = delete;

    // The whole discovery and count. A registry value of a type other than a string ends it where
    // it stands, with the error box; what was found so far stays.
    void FormCreate();

private:
    void discover();

    AppContext& m_ctx;
};

// Sets IETotalFiles and IETotalBytes to the sums of the three categories.
void SumIETotals(AppContext& ctx);

// Rebuilds CookieFileTable (up to 200 full paths) from IECookiePaths.
void BuildCookieNameList(AppContext& ctx);

// The cleaners: delete what the path lists name, write the category's result line and, outside
// automatic mode, lower the found counters. They ask and show nothing.
void DeleteIECookies(AppContext& ctx);
void DeleteIEHistory(AppContext& ctx);
void DeleteIECache(AppContext& ctx);

// Deletes the files of one mask (`folder` is the mask up to and including its last "\"); with
// `spare`, the names on the keep list stay. Locked index files become "Del" commands.
void DeleteInFolder(AppContext& ctx, const QString& mask, const QString& folder, bool spare);
// Whether `name` is on the keep list (case and surrounding blanks ignored); false when not asked.
bool IsKeptCookie(AppContext& ctx, const QString& name, bool asked);
// Fills KeptCookieKeys from the scan log, section "UCKK5".
void LoadKeptCookies(AppContext& ctx);
// Adds a line to LockedFileCommands unless it is there already; a full list drops it.
void AddLockedCommand(AppContext& ctx, const QString& line);
// The short form of an existing path, "" when the machine cannot give one.
QString GetShortPath(AppContext& ctx, const QString& path);

// Helpers of the discovery, open for tests.
QString EnsureTrailingBackslash(const QString& path);
QString RemoveDoubledBackslash(const QString& path);
void FindContentIE5Subfolders(AppContext& ctx, const QString& folder);
void FindHistorySubfolders(AppContext& ctx, const QString& folder);
void FindMshistSubfolders(AppContext& ctx, const QString& folder);
void LoadScanIndexDirs(AppContext& ctx);
void CountIEFiles(AppContext& ctx, const QString& mask);
void CollectCookieNames(AppContext& ctx, const QString& mask);

} // namespace niv
