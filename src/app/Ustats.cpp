#include "app/Ustats.h"

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/WinTypes.h"

#include <cmath>
#include <cstdint>

namespace niv {

namespace {

// Sums in 64 bits without overflow traps: counters far beyond any disk wrap rather than crash.
std::int64_t add(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

QString panelLine(const char* title, bool found, std::int64_t files, std::int64_t bytes) {
    const QString head = QString::fromLatin1(title);
    if (!found) return head + QStringLiteral("-> None found on your system.");
    return head + QStringLiteral("-> FOUND ") + QString::number(files) +
           QStringLiteral(" files, consuming ") + QString::number(bytes) + QStringLiteral(" bytes.");
}

// A browser panel line: found when any category it counts found something, with their sums.
QString browserLine(const GlobalVars& g, const char* label, const char* title) {
    bool found = false;
    std::int64_t files = 0, bytes = 0;
    for (const CategoryInfo& row : categoryTable()) {
        if (!row.panelLine || qstrcmp(row.panelLine, label) != 0) continue;
        const FoundCounter& counter = g.Found[row.category];
        found = found || counter.FoundFiles > 0;
        files = add(files, counter.FoundFiles);
        bytes = add(bytes, counter.FoundBytes);
    }
    return panelLine(title, found, files, bytes);
}

} // namespace

StatisticsPanelTexts statisticsPanelTexts(const AppContext& ctx) {
    const GlobalVars& g = ctx.g;
    const std::int64_t files = add(add(g.BrowserTotalFiles, g.IETotalFiles), std::int64_t{g.JunkTotalFiles});
    const std::int64_t bytes = add(add(g.BrowserTotalBytes, g.IETotalBytes), std::int64_t{g.JunkTotalBytes});
    return {
        browserLine(g, "Label1", "Internet Explorer COOKIES "),
        browserLine(g, "Label2", "Internet Explorer CACHE   "),
        browserLine(g, "Label3", "Internet Explorer HISTORY "),
        browserLine(g, "Label4", "Firefox / Chrome  COOKIES "),
        browserLine(g, "Label5", "Firefox / Chrome  CACHE   "),
        browserLine(g, "Label6", "Firefox / Chrome  HISTORY "),
        panelLine("Other GARBAGE DATA        ", g.JunkTotalFiles > 0, g.JunkTotalFiles, g.JunkTotalBytes),
        QStringLiteral("TOTAL FILES FOUND = ") + QString::number(files) +
            QStringLiteral("    TOTAL BYTES WASTED = ") + QString::number(bytes),
    };
}

int statisticsWindowTop(int mainTop, int mainOuterHeight) {
    // Nearest integer, halves to the even neighbour.
    return mainTop + static_cast<int>(std::nearbyint(mainOuterHeight / 2.3));
}

bool SaveConfirmsOff(AppContext& ctx) {
    try {
        return SaveSettingFlag(ctx, QStringLiteral("Confirms"), false, KeyOpen::Existing);
    } catch (const PlatformError&) {
        return false;
    }
}

} // namespace niv
