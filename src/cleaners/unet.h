#pragma once

#include <QString>

#include <cstdint>

namespace niv {

struct AppContext;

// The Firefox/Chrome unit's state, kept for the whole run and reached as ctx.unit<NetUnit>(). Its
// six categories' found counters live with every other category's in the shared state.
struct NetUnit {
    // The running totals of the count in progress.
    std::int64_t NetPassFiles = 0;
    std::int64_t NetPassBytes = 0;
    // What the running cleaner deleted.
    std::int64_t DeletedFiles = 0;
    std::int64_t DeletedBytes = 0;
    bool ConfirmsCopy = false;
};

// The scanner the main window creates at start-up, never shown: loads the Firefox lists from the
// scan log and counts the Firefox and Chrome categories.
class TFrmnet final {
public:
    // Runs FormCreate.
    explicit TFrmnet(AppContext& ctx);
    TFrmnet(const TFrmnet&) = delete;
    TFrmnet& operator=(const TFrmnet&) = delete;

    void FormCreate();

private:
    AppContext& m_ctx;
};

// Sets BrowserTotalFiles and BrowserTotalBytes to the sums of the six browser categories.
void SumBrowserTotals(AppContext& ctx);

// False for "." and ".." and any name ending in a dot.
bool IsCleanableName(const QString& name);
// Adds every entry of the mask that is not a plain folder to NetPassFiles and NetPassBytes. The
// mask's folder is never taken through a link.
void CountFiles(AppContext& ctx, const QString& mask);
// Deletes every entry of the mask that is not a plain folder, wiping it first when "Wipe" is on;
// `folder` is the mask's folder part, never taken through a link. What is deleted adds to
// DeletedFiles and DeletedBytes.
void DeleteFilesInMask(AppContext& ctx, const QString& mask, const QString& folder);

// Counts or deletes the entries of every folder below `folder` (which ends in "\"), at every depth;
// entries lying directly in `folder` are left to the caller. Nothing is taken through a link: not
// the folders of `folder` after `given` (by default its own last name, the program's own), nor
// anything found below it. Returns the error that ended the search of a folder it entered (the
// host ran out of handles), 0 when none did; a folder that cannot be entered is passed over.
enum class WalkMode { CountUp, Delete };
int WalkSubfolders(AppContext& ctx, const QString& folder, WalkMode mode, const QString& given = {});

// The cleaners: delete what the lists and the Chrome profile name, write the category's result
// line and, outside automatic mode, lower the found counters. They ask and show nothing.
void DeleteFirefoxCache(AppContext& ctx);
void DeleteFirefoxHistory(AppContext& ctx);
void DeleteFirefoxCookies(AppContext& ctx);
void DeleteChromeHistory(AppContext& ctx);
void DeleteChromeCache(AppContext& ctx);
void DeleteChromeCookies(AppContext& ctx);

} // namespace niv
