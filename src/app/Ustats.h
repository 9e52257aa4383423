#pragma once

#include <QString>

#include <array>

namespace niv {

struct AppContext;

// The main window's statistics panel: `Label1` to `Label7`, then the totals line `Label10`.
constexpr int kStatisticsPanelLines = 8;
using StatisticsPanelTexts = std::array<QString, kStatisticsPanelLines>;

// The panel's eight lines from the current found counters and unit totals.
StatisticsPanelTexts statisticsPanelTexts(const AppContext& ctx);

// The top edge of the statistics window when it is placed below the main window.
int statisticsWindowTop(int mainTop, int mainOuterHeight);

// The statistics window's "Ok" with its box ticked: stores "Confirms" false for the next start,
// never creating the settings key. False when the key cannot be opened or written. The running
// program keeps its own Confirms.
bool SaveConfirmsOff(AppContext& ctx);

} // namespace niv
