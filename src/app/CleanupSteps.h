#pragma once

#include "core/Categories.h"

#include <QString>

class QWidget;

namespace niv {

struct AppContext;

// The cleaner that "Cleanup All !" and a per-category button call for a category. It asks nothing,
// deletes the category's files, writes its result line and lowers its found counters. `owner` is
// the main window, for the cleaners that open a window of their own.
using CategoryCleaner = void (*)(AppContext&, QWidget* owner);

CategoryCleaner cleanerOf(Category c);

// Whether "Cleanup All !" stores a counted category's no-files line: the junk unit's own copy of
// "Confirms" for its categories, the in-memory setting for the others.
bool storesNoFilesLine(AppContext& ctx, Category c);

QString cleanupAllQuestion();
QString nothingDeletedText();
QString nothingRemovedText();

} // namespace niv
