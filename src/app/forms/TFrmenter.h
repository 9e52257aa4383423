#pragma once

#include "core/forms/FormKit.h"
#include <QTimer>

#include <memory>
#include <vector>

class QLabel;

namespace Ui {
class TFrmenter;
}

namespace niv {

struct AppContext;

// The start-up splash: the letters of the product name appear one by one, then the window closes
// itself about half a second after it opened. The user cannot close it.
class TFrmenter final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmenter(AppContext& context, QWidget* parent = nullptr);
    ~TFrmenter() override;
    TFrmenter(const TFrmenter&) = delete;
    TFrmenter& operator=(const TFrmenter&) = delete;

    // Starts the reveal: the step counter at 1 and the timer on. Runs when the window is created.
    void FormCreate();
    // One reveal step; the timer calls it every 50 ms.
    void Timer1Timer();

    QTimer& timer1() { return m_timer1; }
    // The step the next tick performs.
    int step() const { return m_step; }
    // The letter labels, one row per word of the name, left to right.
    const std::vector<std::vector<QLabel*>>& letterRows() const { return m_rows; }

    // Escape and the close box both end here: ignored.
    void reject() override;

private:
    // Shows the letters at positions `first` to `last` (from 1) of every row that has them.
    void showPositions(int first, int last);

    std::unique_ptr<Ui::TFrmenter> m_ui;
    QTimer m_timer1;
    std::vector<std::vector<QLabel*>> m_rows;
    int m_step = 0;
};

} // namespace niv
