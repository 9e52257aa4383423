#pragma once

#include <array>

namespace niv {

struct AppContext;

// The automatic-cleanup dialog's boxes, in the order a tick tests them: IE cache, IE cookies, IE
// history, Firefox cache, Firefox cookies, Firefox history, other garbage, temp files, start docs.
constexpr int kAutoCleanChoices = 9;
using AutoCleanBoxes = std::array<bool, kAutoCleanChoices>;

// The dialog's range of minutes and its starting value.
constexpr int kAutoCleanMinMinutes = 1;
constexpr int kAutoCleanMaxMinutes = 500;
constexpr int kAutoCleanDefaultMinutes = 30;

// The settings dialog's creation: automatic cleanup off, nothing chosen.
void ClearAutoClean(AppContext& ctx);

// "Activate": the choices from the boxes, the interval from the minutes, and the mode on.
void ActivateAutoClean(AppContext& ctx, const AutoCleanBoxes& boxes, int minutes);

// One tick of the main window's timer: each chosen cleaner, in order. It asks nothing and looks at
// no found counter; in automatic mode the cleaners leave those counters as they are.
void RunAutoCleanTick(AppContext& ctx);

} // namespace niv
