#include "core/Categories.h"

namespace niv {

namespace {

using Gate = CategoryInfo::Gate;
using Q = CategoryInfo::Question;

// clang-format off
constexpr std::array<CategoryInfo, CategoryCount> kCategories{{
    {CatIECache, "IECache", "ChkIECache", true, 0, ResultIECache,
     "There were no IE cache files found on your system.", Gate::Counted, "Label2", "LblIECache",
     "btniech", Q::Files, " IE cache "},
    {CatIECookies, "IECookies", "ChkIECookies", true, 1, ResultIECookies,
     "There were no IE cookie files found on your system.", Gate::Counted, "Label1", "LblIECook",
     "btnieck", Q::Cookies, " bytes of IE cookies "},
    {CatIEHistory, "IEHistory", "ChkIEHistory", true, 2, ResultIEHistory,
     "There were no IE history files found on your system.", Gate::Counted, "Label3", "LblIEHist",
     "btnieh", Q::Files, " IE history "},
    {CatNSCache, "NSCache", "ChkNSCache", true, 3, ResultNSCache,
     "There were no FireFox cache files found on your system.", Gate::Counted, "Label5", "LblNSCache",
     "btnnsch", Q::Files, " FireFox cache "},
    {CatNSCookies, "NSCookies", "ChkNSCookies", true, 4, ResultNSCookies,
     "There were no FireFox cookie files found on your system.", Gate::Counted, "Label4", "LblNSCook",
     "btnnsck", Q::Cookies, " bytes of FireFox cookies "},
    {CatNSHistory, "NSHistory", "ChkNSHistory", true, 5, ResultNSHistory,
     "There were no FireFox history files found on your system.", Gate::Counted, "Label6", "LblNSHist",
     "btnnsh", Q::Files, " FireFox history "},
    {CatGCache, "GCache", "ChkGCache", true, 6, ResultGCache,
     "There were no Google Chrome cache files found on your system.", Gate::Counted, "Label5", "LblGCache",
     "CmdGoogCache", Q::Files, " Google Chrome cache "},
    {CatGCookies, "GCookies", "ChkGCookies", true, 7, ResultGCookies,
     "There were no Google Chrome cookie files found on your system.", Gate::Counted, "Label4", "LblGCook",
     "CmdGoogCook", Q::Cookies, " bytes of Google Chrome cookies "},
    {CatGHistory, "GHistory", "ChkGHistory", true, 8, ResultGHistory,
     "There were no Google Chrome history files found on your system.", Gate::Counted, "Label6", "LblGHist",
     "CmdGoogHist", Q::Files, " Google Chrome history "},
    // The junk categories share the panel's junk line, which counts their unit's totals.
    {CatOtherc, "Otherc", "ChkExcess", true, 9, ResultDump,
     "There were no dump files found on your system.", Gate::Counted, nullptr, "LblIndex",
     nullptr, Q::None, nullptr},
    {CatTempc, "Tempc", "ChkTemp", true, 11, ResultTemp,
     "There were no temp files found on your system.", Gate::Counted, nullptr, "LblTemp",
     nullptr, Q::None, nullptr},
    {CatRecentc, "Recentc", "ChkRecent", true, 10, ResultRecent,
     "There were no recent document files found on your system.", Gate::Counted, nullptr, "LblRecent",
     nullptr, Q::None, nullptr},
    // The recycle bin's cleaner writes its own line.
    {CatRecyclec, "Recyclec", "Chkrecycle", true, 12, ResultRecycle, nullptr, Gate::Always, nullptr,
     "LblRecycle", nullptr, Q::None, nullptr},
    {CatOtherj, "Otherj", "ChkOtherj", true, 13, ResultAdditional,
     "There were no additional garbage files found on your system.", Gate::Counted, nullptr, "LblAdditional",
     nullptr, Q::None, nullptr},
    {CatMediac, "Mediac", "ChkMedia", true, 14, ResultMedia,
     "There were no media cache files found on your system.", Gate::Counted, nullptr, nullptr,
     nullptr, Q::None, nullptr},
    {CatActiveX, "ActiveX", "ChkActiveX", true, 15, ResultActiveX,
     "There were no activex or java applets found on your system.", Gate::Counted, nullptr, "LblActiveX",
     nullptr, Q::None, nullptr},
    // Typed URLs and the own list show their own messages and keep no result line.
    {CatUrls, "Urls", "Chkurls", true, 16, ResultNone, nullptr, Gate::Always, nullptr, nullptr,
     nullptr, Q::None, nullptr},
    // Unticked at the first start, though the value written for the next start is true.
    {CatYourOwn, "YourOwn", "ChkYourOwn", false, 17, ResultNone, nullptr, Gate::Always, nullptr, nullptr,
     nullptr, Q::None, nullptr},
}};

constexpr std::array<CleanupStep, kCleanupStepCount> kSteps{{
    {CatNSCookies, false}, {CatNSHistory, false}, {CatNSCache, false},
    {CatGCookies, false},  {CatGHistory, false},  {CatGCache, false},
    {CatRecyclec, false},
    {CatOtherc, false},    {CatRecentc, false},   {CatTempc, false},
    {CatIECookies, false}, {CatIEHistory, false}, {CatIECache, false},
    {CatActiveX, true},    {CatMediac, true},     {CatOtherj, true},
    // Emptied a second time: what the steps in between recycled goes in the same run.
    {CatRecyclec, true},
    {CatUrls, false},      {CatYourOwn, false},
}};
// clang-format on

// Rows are looked up by category, and "Exit" writes each value exactly once.
constexpr bool tableIsWellFormed() {
    std::array<bool, CategoryCount> ranked{};
    for (int c = 0; c < CategoryCount; ++c) {
        const CategoryInfo& row = kCategories[static_cast<std::size_t>(c)];
        if (row.category != c || row.saveRank < 0 || row.saveRank >= CategoryCount) return false;
        if (ranked[static_cast<std::size_t>(row.saveRank)]) return false;
        ranked[static_cast<std::size_t>(row.saveRank)] = true;
    }
    return true;
}
static_assert(tableIsWellFormed());

} // namespace

const std::array<CategoryInfo, CategoryCount>& categoryTable() {
    return kCategories;
}

QString categoryValueName(Category c) {
    return QString::fromLatin1(categoryInfo(c).valueName);
}

const std::array<CleanupStep, kCleanupStepCount>& cleanupSteps() {
    return kSteps;
}

QString categoryQuestion(Category c, const FoundCounter& found) {
    const CategoryInfo& row = categoryInfo(c);
    const QString ask = QStringLiteral("Would you like me to remove these files for you?");
    if (row.question == CategoryInfo::Question::Cookies)
        return QString::number(found.FoundBytes) + QString::fromLatin1(row.questionText) +
               QStringLiteral("have been found on your system. Without removing these files, some ") +
               QStringLiteral("websites may track which webpages and websites you have been visiting. ") +
               ask;
    return QString::number(found.FoundFiles) + QString::fromLatin1(row.questionText) +
           QStringLiteral("files were found on your system. This consumes ") +
           QString::number(found.FoundBytes) + QStringLiteral(" bytes of your hard drive. ") + ask;
}

} // namespace niv
