#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace niv {

// The 18 cleanup categories, in the order of their registry values.
enum Category {
    CatIECache,
    CatIECookies,
    CatIEHistory,
    CatNSCache,
    CatNSCookies,
    CatNSHistory,
    CatGCache,
    CatGCookies,
    CatGHistory,
    CatOtherc,
    CatTempc,
    CatRecentc,
    CatRecyclec,
    CatOtherj,
    CatMediac,
    CatActiveX,
    CatUrls,
    CatYourOwn,
    CategoryCount
};

// Result-line slots of the cleanup categories.
enum CategorySlot {
    ResultNone = -1,
    ResultDump = 0,
    ResultTemp = 1,
    ResultRecent = 2,
    ResultRecycle = 3,
    ResultActiveX = 4,
    ResultAdditional = 5,
    ResultMedia = 6,
    ResultIECache = 7,
    ResultIECookies = 8,
    ResultIEHistory = 9,
    ResultGCache = 10,
    ResultGCookies = 11,
    ResultGHistory = 12,
    ResultNSCache = 13,
    ResultNSCookies = 14,
    ResultNSHistory = 15,
};
constexpr int kCategoryResultSlots = 16;

// What the start-up count found in one category; lowered by its cleaner.
struct FoundCounter {
    std::int64_t FoundFiles = 0;
    std::int64_t FoundBytes = 0;
};

// Everything the program knows of one category. Each use (settings, check boxes, the cleanup steps,
// the per-category buttons, the statistics panel and window) is derived from this table; binding a
// category's cleaner is one row of the program's cleaner bindings.
struct CategoryInfo {
    enum class Gate {
        Counted, // a cleanup runs when the category's FoundFiles is above 0, else stores its no-files line
        Always,  // a cleanup runs whenever the box is ticked
    };
    enum class Question { None, Cookies, Files };

    Category category;
    const char* valueName;   // the registry value of the settings key
    const char* checkBox;    // the main window's check box
    bool defaultInMemory;    // what start-up holds when the value is missing (it writes true)
    int saveRank;            // the position in which "Exit" writes the value
    int slot;                // CategoryResults slot, ResultNone when the category has none
    const char* noFilesLine; // stored when a counted category found nothing, nullptr: none
    Gate gate;
    const char* panelLine;    // the statistics-panel line that counts it (and greys while it cleans)
    const char* statsLabel;   // the statistics window's label showing its result line
    const char* button;       // the main window's per-category button, nullptr: none
    Question question;        // the button's question form
    const char* questionText; // follows the first number of the question
};

const std::array<CategoryInfo, CategoryCount>& categoryTable();
inline const CategoryInfo& categoryInfo(Category c) {
    return categoryTable()[static_cast<std::size_t>(c)];
}
QString categoryValueName(Category c);

// One step of "Cleanup All !": a category, and whether it is one of the junk steps that grey the
// junk panel line once around them.
struct CleanupStep {
    Category category;
    bool junkSpan;
    const CategoryInfo& info() const { return categoryInfo(category); }
};
constexpr int kCleanupStepCount = 19;
// The junk categories' shared panel line, greyed once around the junk span.
constexpr const char* kJunkPanelLine = "Label7";
// The steps in the order they run; the recycle bin is emptied twice.
const std::array<CleanupStep, kCleanupStepCount>& cleanupSteps();

// The question a per-category button asks about what its category holds.
QString categoryQuestion(Category c, const FoundCounter& found);

} // namespace niv
