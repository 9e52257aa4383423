#include "cleaners/CategoryCleaners.h"

#include "cleaners/udir.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "cleaners/uurls.h"
#include "core/AppContext.h"

#include <utility>

namespace niv {

namespace {

// A cleaner that needs no owner window.
template <void (*Clean)(AppContext&)> void clean(AppContext& c, QWidget*) {
    Clean(c);
}

// Binding a category's cleaner is one row here.
// clang-format off
constexpr std::pair<Category, CategoryCleaner> kCleaners[] = {
    {CatNSCookies, clean<DeleteFirefoxCookies>}, {CatNSHistory, clean<DeleteFirefoxHistory>},
    {CatNSCache, clean<DeleteFirefoxCache>},     {CatGCookies, clean<DeleteChromeCookies>},
    {CatGHistory, clean<DeleteChromeHistory>},   {CatGCache, clean<DeleteChromeCache>},
    {CatIECookies, clean<DeleteIECookies>},      {CatIEHistory, clean<DeleteIEHistory>},
    {CatIECache, clean<DeleteIECache>},          {CatRecyclec, clean<EmptyRecycleBin>},
    {CatOtherc, clean<CleanDumpFiles>},          {CatRecentc, clean<CleanRecentDocs>},
    {CatTempc, clean<CleanTempFiles>},           {CatActiveX, clean<CleanActiveXCache>},
    {CatMediac, clean<CleanMediaCache>},         {CatOtherj, clean<CleanAdditionalGarbage>},
    {CatUrls, clean<CleanTypedUrls>},            {CatYourOwn, clean<CleanOwnList>},
};
// clang-format on

// Every category has its cleaner, exactly once.
constexpr bool everyCategoryBound() {
    for (int c = 0; c < CategoryCount; ++c) {
        int rows = 0;
        for (const auto& row : kCleaners)
            rows += row.first == c;
        if (rows != 1) return false;
    }
    return true;
}
static_assert(everyCategoryBound());

} // namespace

CategoryCleaner cleanerOf(Category c) {
    for (const auto& [category, cleaner] : kCleaners)
        if (category == c) return cleaner;
    return nullptr; // unreachable: every category is bound
}

} // namespace niv
