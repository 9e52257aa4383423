#include "cleaners/uurls.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

namespace niv {

namespace {

const QString kTypedUrlsKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");

QString urlName(int slot) {
    return QStringLiteral("url") + QString::number(slot);
}

// The window's state for the URLs listed: the first highlighted, or "None Found".
void showListed(TypedUrlList& list) {
    list.listEnabled = list.TypedUrlCount > 0;
    list.highlighted = list.listEnabled ? 0 : -1;
    if (!list.listEnabled) list.lines = {QStringLiteral("None Found")};
}

// Fills the list with url1 on, as the open key holds them now.
void readUrls(TRegistry& reg, TypedUrlList& list) {
    for (int slot = 1; slot <= kTypedUrlSlots; ++slot) {
        // A value that is not text ends the list like a gap: nothing is ever moved over it.
        const QString url = ReadStringIfText(reg, urlName(slot)).value_or(QString());
        if (url.isEmpty()) break;
        list.TypedUrls[std::size_t(slot)] = url;
        list.lines << url;
        ++list.TypedUrlCount;
    }
}

void showDeleteFailed(AppContext& ctx) {
    ctx.dialogs.messageDlg(MsgKind::Error,
                           QStringLiteral("A delete failed.  Please make sure that all applications are "
                                          "closed so the registry is not locked."),
                           MsgButtons::Ok);
}

// Moves url<p+1>..url<n> down one place and deletes url<n>; on any failure puts the moved values
// back, so that no value is left twice or lost.
bool shiftOut(TRegistry& reg, const TypedUrlList& list, int p) {
    const int n = list.TypedUrlCount;
    int moved = p; // url<p>..url<moved-1> already hold their successor
    try {
        for (; moved < n; ++moved)
            reg.WriteString(urlName(moved), list.TypedUrls[std::size_t(moved + 1)]);
        if (reg.DeleteValue(urlName(n))) return true;
    } catch (const PlatformError&) {
    }
    for (int j = p; j < moved; ++j) {
        try {
            reg.WriteString(urlName(j), list.TypedUrls[std::size_t(j)]);
        } catch (const PlatformError&) {
        }
    }
    return false;
}

// Removes `chosen`, shown at `shown` (1-based), from the registry's list as it is now, found there
// by its text (the list may have changed since it was shown); `list` becomes the registry's list.
void removeShown(AppContext& ctx, TypedUrlList& list, int shown, const QString& chosen) {
    // Read and changed on one picture of the hive.
    WriteScope writes(ctx.machine);
    TRegistry reg(ctx.machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    TypedUrlList now;
    now.firefoxFound = list.firefoxFound;
    if (reg.OpenKey(kTypedUrlsKey, false)) readUrls(reg, now);
    int p = now.TypedUrls[std::size_t(shown)] == chosen ? shown : 0;
    for (int j = 1; j <= now.TypedUrlCount && p == 0; ++j)
        if (now.TypedUrls[std::size_t(j)] == chosen) p = j;
    if (p > 0) {
        bool removed = shiftOut(reg, now, p);
        try {
            writes.commit();
        } catch (const PlatformError&) {
            removed = false;
        }
        if (!removed) {
            showDeleteFailed(ctx);
            list.highlighted = 0;
            return;
        }
        const int n = now.TypedUrlCount;
        for (int j = p; j < n; ++j)
            now.TypedUrls[std::size_t(j)] = now.TypedUrls[std::size_t(j + 1)];
        now.TypedUrls[std::size_t(n)].clear();
        --now.TypedUrlCount;
        now.lines.removeAt(p - 1);
    }
    list = now;
    showListed(list);
}

} // namespace

TypedUrlList LoadTypedUrls(AppContext& ctx) {
    TypedUrlList list;
    for (const QString& file :
         {ctx.g.FirefoxPlacesFile, ctx.g.FirefoxPlacesJournalFile, ctx.g.FirefoxWebStoreFile})
        list.firefoxFound =
            list.firefoxFound || (!file.isEmpty() && FileExists(ctx.machine, file, Spelling::Exact));
    TRegistry reg(ctx.machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(kTypedUrlsKey, false)) readUrls(reg, list);
    showListed(list);
    return list;
}

void RemoveTypedUrl(AppContext& ctx, TypedUrlList& list) {
    if (list.highlighted < 0 || list.highlighted >= list.TypedUrlCount) return;
    const int shown = list.highlighted + 1;
    removeShown(ctx, list, shown, list.TypedUrls[std::size_t(shown)]);
}

void RemoveAllTypedUrls(AppContext& ctx, TypedUrlList& list) {
    if (!list.listEnabled) return;
    const TypedUrlList before = list;
    // Each URL shown goes, found by its text where it stands now, whatever another program put in
    // front of it meanwhile: the highlighted one first, then the others from the top.
    auto remove = [&](int slot) {
        const QString& chosen = before.TypedUrls[std::size_t(slot)];
        removeShown(ctx, list, int(list.lines.indexOf(chosen)) + 1, chosen);
    };
    const int first =
        list.highlighted >= 0 && list.highlighted < list.TypedUrlCount ? list.highlighted + 1 : 1;
    WriteScope writes(ctx.machine);
    remove(first);
    for (int slot = 1; slot <= before.TypedUrlCount; ++slot)
        if (slot != first) remove(slot);
    try {
        writes.commit();
    } catch (const PlatformError&) {
        list = before; // the hive could not be saved: it still holds every value
        showDeleteFailed(ctx);
    }
}

void DeleteFirefoxPlaces(AppContext& ctx) {
    for (const QString& file :
         {ctx.g.FirefoxPlacesFile, ctx.g.FirefoxPlacesJournalFile, ctx.g.FirefoxWebStoreFile}) {
        if (file.isEmpty()) continue;
        // The drive scan found these: each is deleted as it was found, checked and deleted as one entry.
        const HostPath found = resolve(ctx.machine, file, Spelling::Exact);
        if (!FileExists(ctx.machine, found)) continue;
        if (!DeleteFile(ctx.machine, found))
            ctx.dialogs.messageDlg(
                MsgKind::Error,
                QStringLiteral("Note: The Firefox browser URL\"s cound not be deleted. Please "
                               "make sure your browser is closed first, then try again."),
                MsgButtons::Ok);
    }
}

void CleanTypedUrls(AppContext& ctx) {
    TypedUrlList list = LoadTypedUrls(ctx);
    RemoveAllTypedUrls(ctx, list);
    DeleteFirefoxPlaces(ctx);
}

QString typedUrlQuestion(const QString& url) {
    return QStringLiteral("Do you wish to delete the IE location, ") + url +
           QStringLiteral(", which is highlighted?");
}

QString typedUrlKeptText() {
    return QStringLiteral("No locations removed at this time.");
}

QString firefoxPlacesMissingText() {
    return QStringLiteral("No Firefox browser URL\"s were found");
}

} // namespace niv
