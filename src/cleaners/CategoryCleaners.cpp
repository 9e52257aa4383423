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

// Binding a category's cleaner is one row here.
// clang-format off
constexpr std::pair<Category, CategoryCleaner> kCleaners[] = {
    {CatNSCookies, DeleteFirefoxCookies}, {CatNSHistory, DeleteFirefoxHistory},
    {CatNSCache, DeleteFirefoxCache},     {CatGCookies, DeleteChromeCookies},
    {CatGHistory, DeleteChromeHistory},   {CatGCache, DeleteChromeCache},
    {CatIECookies, DeleteIECookies},      {CatIEHistory, DeleteIEHistory},
    {CatIECache, DeleteIECache},          {CatRecyclec, EmptyRecycleBin},
    {CatOtherc, CleanDumpFiles},          {CatRecentc, CleanRecentDocs},
    {CatTempc, CleanTempFiles},           {CatActiveX, CleanActiveXCache},
    {CatMediac, CleanMediaCache},         {CatOtherj, CleanAdditionalGarbage},
    {CatUrls, CleanTypedUrls},            {CatYourOwn, CleanOwnList},
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
