#include "app/CleanupSteps.h"

#include "cleaners/unon.h"
#include "core/AppContext.h"
#include "platform/MessagePump.h"
#include "platform/ModalResult.h"

namespace niv {

namespace {

void greyLine(AppContext& ctx, CleanupProgress& progress, const char* panelLine, bool grey) {
    progress.greyLine(panelLine, grey);
    ctx.pump.processMessages(); // the panel repaints between categories
}

void runStep(AppContext& ctx, CleanupProgress& progress, const CleanupStep& step) {
    const CategoryInfo& row = step.info();
    if (!progress.ticked(step.category)) return;
    const CategoryCleaner cleaner = cleanerOf(step.category);
    if (row.gate == CategoryInfo::Gate::Always) {
        cleaner(ctx);
        return;
    }
    // Read now: an earlier step of this run may have lowered it.
    if (ctx.g.Found[step.category].FoundFiles > 0) {
        if (row.panelLine) greyLine(ctx, progress, row.panelLine, true);
        cleaner(ctx);
        if (row.panelLine) greyLine(ctx, progress, row.panelLine, false);
    } else if (storesNoFilesLine(ctx, step.category) && row.noFilesLine) {
        SetCategoryResult(ctx.g, row.slot, QString::fromLatin1(row.noFilesLine));
    }
}

void runSteps(AppContext& ctx, CleanupProgress& progress) {
    const auto& steps = cleanupSteps();
    bool junkGreyed = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const CleanupStep& step = steps[i];
        const bool spanStarts = step.junkSpan && (i == 0 || !steps[i - 1].junkSpan);
        const bool spanEnds = step.junkSpan && (i + 1 == steps.size() || !steps[i + 1].junkSpan);
        if (spanStarts) {
            // Greyed once for the whole span when any of its boxes is ticked.
            junkGreyed = false;
            for (std::size_t j = i; j < steps.size() && steps[j].junkSpan; ++j)
                junkGreyed = junkGreyed || progress.ticked(steps[j].category);
            if (junkGreyed) greyLine(ctx, progress, kJunkPanelLine, true);
        }
        runStep(ctx, progress, step);
        if (spanEnds && junkGreyed) greyLine(ctx, progress, kJunkPanelLine, false);
    }
}

} // namespace

bool AskCleanupAll(AppContext& ctx) {
    if (ctx.dialogs.messageDlg(MsgKind::Confirmation, cleanupAllQuestion(), MsgButtons::YesNo) == mrYes)
        return true;
    ctx.dialogs.messageDlg(MsgKind::Information, nothingDeletedText(), MsgButtons::Ok);
    return false;
}

void RunCleanupAll(AppContext& ctx, CleanupProgress& progress) {
    try {
        runSteps(ctx, progress);
    } catch (...) {
        // The run ends where the error arose; no line stays greyed as if still being cleaned.
        for (const CleanupStep& step : cleanupSteps())
            if (step.info().panelLine) progress.greyLine(step.info().panelLine, false);
        progress.greyLine(kJunkPanelLine, false);
        throw;
    }
    progress.refreshPanel();
    if (ctx.settings.Confirms) progress.showResults();
}

bool AskCleanCategory(AppContext& ctx, Category c) {
    const CategoryInfo& row = categoryInfo(c);
    const FoundCounter counted = ctx.g.Found[c];
    if (counted.FoundFiles <= 0) {
        if (storesNoFilesLine(ctx, c))
            SetCategoryResult(ctx.g, row.slot, QString::fromLatin1(row.noFilesLine));
        return false;
    }
    if (ctx.dialogs.messageDlg(MsgKind::Warning, categoryQuestion(c, counted), MsgButtons::YesNo) == mrYes)
        return true;
    ctx.dialogs.messageDlg(MsgKind::Information, nothingRemovedText(), MsgButtons::Ok);
    return false;
}

void CleanCategory(AppContext& ctx, CleanupProgress& progress, Category c) {
    cleanerOf(c)(ctx);
    progress.refreshPanel();
}

bool storesNoFilesLine(AppContext& ctx, Category c) {
    return IsJunkCategory(c) ? ctx.unit<NonUnit>().ConfirmsCopy : ctx.settings.Confirms;
}

QString cleanupAllQuestion() {
    return QStringLiteral(
        "You are about to remove all files that you have selected on the \"customize boxes\" "
        "below. This may include all cookie, cache, and history files for Internet Explorer, "
        "Mozilla Firefox, and AOL. Would you like me to remove these files for you?");
}

QString nothingDeletedText() {
    return QStringLiteral("Nothing deleted from your system.");
}

QString nothingRemovedText() {
    return QStringLiteral("Nothing removed from your system.");
}

} // namespace niv
