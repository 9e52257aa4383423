#pragma once

#include "app/Uglobalvars.h"

#include <QString>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace Ui {
class TFrminit;
}

namespace niv {

struct AppContext;
class TFrminit;

// Panel-line colours, as Windows colour values (blue in the high byte).
constexpr std::uint32_t kGreyedLineColor = 0x808080;
constexpr std::uint32_t kPanelColor = 0xDFE3E6;

// Gives a statistics-panel line the colour as its background; `panelLineColor` reads it back.
void setPanelLineColor(QLabel* label, std::uint32_t windowsColor);
std::uint32_t panelLineColor(const QLabel* label);

// One step of "Cleanup All !".
struct CleanupStep {
    enum class Gate {
        Counted, // runs when the category's FoundFiles is above 0, else stores its no-files line
        Always,  // runs whenever its box is ticked
    };
    using Counter = FoundCounter (*)(const AppContext&);
    // `owner` is the main window, for the steps that open a window of their own.
    using Cleaner = void (*)(AppContext&, QWidget* owner);

    const char* name;
    QCheckBox* Ui::TFrminit::*box;
    Gate gate;
    Counter counter;             // Counted steps: the category's found counter
    QLabel* Ui::TFrminit::*line; // the panel line greyed around the cleaner, or nullptr
    int slot;                    // CategoryResults slot of the no-files line, -1: none
    const char* noFilesLine;     // nullptr: none
    bool junkSpan;               // greys Label7 once around the whole run of such steps
    // nullptr while the category's cleaner is not part of the program yet: the step then does
    // nothing at all, not even its no-files line, since its count was never taken.
    Cleaner cleaner;
};

constexpr int kCleanupStepCount = 19;
// The steps in the order they run.
const std::array<CleanupStep, kCleanupStepCount>& cleanupSteps();

// One of the nine per-category buttons. Its counter, cleaner, slot and no-files line are those of
// its Cleanup-All step.
struct CategoryButton {
    enum class Form { Cookies, Files };

    QPushButton* Ui::TFrminit::*button;
    void (TFrminit::*click)();
    int step; // 1-based, in cleanupSteps()
    Form form;
    const char* text; // follows the first number of the question

    const CleanupStep& cleanupStep() const { return cleanupSteps()[static_cast<std::size_t>(step - 1)]; }
};

constexpr int kCategoryButtonCount = 9;
const std::array<CategoryButton, kCategoryButtonCount>& categoryButtons();

// The question a per-category button asks about what its category holds.
QString categoryQuestion(const CategoryButton& row, const FoundCounter& found);

QString cleanupAllQuestion();
QString nothingDeletedText();
QString nothingRemovedText();

} // namespace niv
