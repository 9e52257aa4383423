#include "app/Ustats.h"

#include "app/AppContext.h"
#include "app/ufirst.h"
#include "platform/Registry.h"

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

// A Firefox/Chrome line: found when either browser found something, with the sums of both.
QString browserLine(const char* title, const FoundCounter& firefox, const FoundCounter& chrome) {
    return panelLine(title, firefox.FoundFiles > 0 || chrome.FoundFiles > 0,
                     add(firefox.FoundFiles, chrome.FoundFiles), add(firefox.FoundBytes, chrome.FoundBytes));
}

QString ieLine(const char* title, const FoundCounter& counter) {
    return panelLine(title, counter.FoundFiles > 0, counter.FoundFiles, counter.FoundBytes);
}

} // namespace

StatisticsPanelTexts statisticsPanelTexts(const AppContext& ctx) {
    const GlobalVars& g = ctx.g;
    const std::int64_t files = add(add(g.BrowserTotalFiles, g.IETotalFiles), std::int64_t{g.JunkTotalFiles});
    const std::int64_t bytes = add(add(g.BrowserTotalBytes, g.IETotalBytes), std::int64_t{g.JunkTotalBytes});
    return {
        ieLine("Internet Explorer COOKIES ", ctx.ie.Cookies),
        ieLine("Internet Explorer CACHE   ", ctx.ie.Cache),
        ieLine("Internet Explorer HISTORY ", ctx.ie.History),
        browserLine("Firefox / Chrome  COOKIES ", ctx.net.Cookies, g.ChromeCookies),
        browserLine("Firefox / Chrome  CACHE   ", ctx.net.Cache, g.ChromeCache),
        browserLine("Firefox / Chrome  HISTORY ", ctx.net.History, g.ChromeHistory),
        panelLine("Other GARBAGE DATA        ", g.JunkTotalFiles > 0, g.JunkTotalFiles, g.JunkTotalBytes),
        QStringLiteral("TOTAL FILES FOUND = ") + QString::number(files) +
            QStringLiteral("    TOTAL BYTES WASTED = ") + QString::number(bytes),
    };
}

const std::array<StatisticsRow, kStatisticsRows>& statisticsRows() {
    static const std::array<StatisticsRow, kStatisticsRows> rows = {{
        {"LblIECache", ResultIECache},
        {"LblIECook", ResultIECookies},
        {"LblIEHist", ResultIEHistory},
        {"LblNSCache", ResultNSCache},
        {"LblNSCook", ResultNSCookies},
        {"LblNSHist", ResultNSHistory},
        {"LblGCache", ResultGCache},
        {"LblGCook", ResultGCookies},
        {"LblGHist", ResultGHistory},
        {"LblIndex", ResultDump},
        {"LblTemp", ResultTemp},
        {"LblRecent", ResultRecent},
        {"LblRecycle", ResultRecycle},
        {"LblActiveX", ResultActiveX},
        {"LblAdditional", ResultAdditional},
    }};
    return rows;
}

int statisticsWindowTop(int mainTop, int mainOuterHeight) {
    // Nearest integer, halves to the even neighbour.
    return mainTop + static_cast<int>(std::nearbyint(mainOuterHeight / 2.3));
}

bool SaveConfirmsOff(AppContext& ctx) {
    TRegistry reg(ctx.machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (!reg.OpenKey(settingsKeyPath(), false)) return false;
        reg.WriteBool(QStringLiteral("Confirms"), false);
    } catch (const PlatformError&) {
        return false;
    }
    return true;
}

} // namespace niv
