#pragma once

#include "app/Ustats.h"

#include "core/forms/FormKit.h"

#include <array>
#include <memory>

class QLabel;

namespace Ui {
class TFrmstats;
}

namespace niv {

struct AppContext;

// The statistics window: the result line of each category after a "Cleanup All !". Created once
// at program start and kept for the run, so its check box keeps the user's choice between showings.
class TFrmstats final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmstats(AppContext& context, QWidget* parent = nullptr);
    ~TFrmstats() override;
    TFrmstats(const TFrmstats&) = delete;
    TFrmstats& operator=(const TFrmstats&) = delete;

    // Fills the fifteen result labels, places the window below its owner, the main window (centred
    // on the screen the first time in a run) and shows it modally.
    void ShowStatisticsWindow();

    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();

private:
    void place();

    std::unique_ptr<Ui::TFrmstats> m_ui;
    bool m_shownBefore = false;
};

// The main window's statistics panel, in the order `Label1` to `Label7`, `Label10`.
using StatisticsPanelLabels = std::array<QLabel*, kStatisticsPanelLines>;

// Rewrites the panel from the current counters.
void UpdateStatisticsPanel(const AppContext& context, const StatisticsPanelLabels& labels);

} // namespace niv
