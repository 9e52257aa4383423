#pragma once

#include "core/Categories.h"

namespace niv {

struct AppContext;

// The cleaner that "Cleanup All !", a per-category button and the Junk Files window call for a
// category. It deletes the category's files, writes its result line and lowers its found counters;
// only the own list's cleaner asks a question of its own.
using CategoryCleaner = void (*)(AppContext&);

// The one binding of a cleaner to each category.
CategoryCleaner cleanerOf(Category c);

} // namespace niv
