#include "app/Utimer_clean.h"

#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "core/AppContext.h"

namespace niv {

namespace {

using Cleaner = void (*)(AppContext&);

// Each choice's cleaner, in the order of the boxes.
constexpr std::array<Cleaner, kAutoCleanChoices> kTickCleaners{
    DeleteIECache,        DeleteIECookies, DeleteIEHistory, DeleteFirefoxCache, DeleteFirefoxCookies,
    DeleteFirefoxHistory, CleanDumpFiles,  CleanTempFiles,  CleanRecentDocs};

} // namespace

void ClearAutoClean(AppContext& ctx) {
    ctx.g.AutoCleanChoices.fill(false);
    ctx.g.AutoCleanMode = false;
}

void ActivateAutoClean(AppContext& ctx, const AutoCleanBoxes& boxes, int minutes) {
    ctx.g.AutoCleanChoices = boxes;
    ctx.g.AutoCleanInterval = minutes * 60 * 1000;
    ctx.g.AutoCleanMode = true;
}

void RunAutoCleanTick(AppContext& ctx) {
    for (int i = 0; i < kAutoCleanChoices; ++i)
        if (ctx.g.AutoCleanChoices[static_cast<std::size_t>(i)])
            kTickCleaners[static_cast<std::size_t>(i)](ctx);
}

} // namespace niv
