#pragma once

#include "cleaners/CategoryCleaners.h"
#include "core/Categories.h"

#include <QString>

namespace niv {

struct AppContext;

// What "Cleanup All !" and the per-category buttons show while they run: the check boxes that
// choose the steps, the statistics panel whose greyed line is the category being cleaned, and the
// statistics window with the result lines.
class CleanupProgress {
public:
    virtual ~CleanupProgress() = default;
    // Whether the category's box is ticked now; read at the moment of each step.
    virtual bool ticked(Category c) const = 0;
    // Greys a panel line (`Label1` to `Label7`) while its category cleans, or sets it back.
    virtual void greyLine(const char* panelLine, bool grey) = 0;
    // Rewrites the panel from the current counters.
    virtual void refreshPanel() = 0;
    // Shows the statistics window with the result lines.
    virtual void showResults() = 0;
};

// The question of "Cleanup All !"; on any answer but Yes, says that nothing was deleted. True to
// go on.
bool AskCleanupAll(AppContext& ctx);

// Runs the ticked steps in order, then refreshes the panel and, with Confirms, shows the results.
// Each greying and setting back lets window messages through. An error that a cleaner does not
// catch ends the run with no line left greyed, and goes on to the caller.
void RunCleanupAll(AppContext& ctx, CleanupProgress& progress);

// A per-category button's question. With nothing found, stores the no-files line (with Confirms)
// and shows nothing; on any answer but Yes, says that nothing was removed. True to clean.
bool AskCleanCategory(AppContext& ctx, Category c);

// Runs the category's cleaner, then refreshes the panel.
void CleanCategory(AppContext& ctx, CleanupProgress& progress, Category c);

// Whether "Cleanup All !" stores a counted category's no-files line: the junk unit's own copy of
// "Confirms" for its categories, the in-memory setting for the others.
bool storesNoFilesLine(AppContext& ctx, Category c);

QString cleanupAllQuestion();
QString nothingDeletedText();
QString nothingRemovedText();

} // namespace niv
