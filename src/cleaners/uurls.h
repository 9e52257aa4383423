#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace niv {

struct AppContext;

constexpr int kTypedUrlSlots = 100;

// What a typed-URL window shows, and the list it read from the registry. A window holds one for
// its life; "Cleanup All !" uses one that is never shown.
struct TypedUrlList {
    std::array<QString, kTypedUrlSlots + 1> TypedUrls; // 1-based: slot i holds url<i>
    int TypedUrlCount = 0;
    QStringList lines;        // the list box: one line per typed URL, or "None Found"
    int highlighted = -1;     // the highlighted line, -1 for none
    bool listEnabled = false; // the list and its two buttons
    bool firefoxFound = false;
};

// Reads url1 up to the first missing, empty or non-text value (at most url100) and notes whether
// any of the three Firefox places files exists.
TypedUrlList LoadTypedUrls(AppContext& ctx);

// Removes the highlighted URL from the registry's list as it is now, found there by its text (the
// list may have changed since it was shown): every later value moves down one place and the last
// is deleted. The list then shows the registry's list, also when the URL was no longer there and
// nothing changed. When a write or the delete fails, the values already moved are put back, the
// list is left as it was and the error box says so. Nothing happens without a highlighted line.
void RemoveTypedUrl(AppContext& ctx, TypedUrlList& list);

// Removes every URL the list shows, one at a time, each found by its text as RemoveTypedUrl finds
// it, and nothing else; nothing unless the list is enabled.
void RemoveAllTypedUrls(AppContext& ctx, TypedUrlList& list);

// Deletes the Firefox places, journal and web-storage files that exist, with an error box for
// each that cannot be deleted.
void DeleteFirefoxPlaces(AppContext& ctx);

// The "Cleanup All !" step: every typed URL and the Firefox files, asking nothing.
void CleanTypedUrls(AppContext& ctx);

QString typedUrlQuestion(const QString& url);
QString typedUrlKeptText();
QString firefoxPlacesMissingText();

} // namespace niv
