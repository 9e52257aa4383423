#include "app/forms/TFrmenter.h"

#include "ui_TFrmenter.h"

#include <algorithm>
#include <limits>

namespace niv {

TFrmenter::TFrmenter(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmenter>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(428, 193);
    // "Nivora" is a single word: one row.
    m_rows = {{m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6}};

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(50);
    connect(&m_timer1, &QTimer::timeout, this, &TFrmenter::Timer1Timer);
    FormCreate();
}

TFrmenter::~TFrmenter() = default;

void TFrmenter::FormCreate() {
    m_step = 1;
    m_timer1.start();
}

namespace {

// The letter position revealed by each of the steps 1 to 6 (index 0 unused).
constexpr int kPositionOfStep[] = {0, 1, 4, 3, 2, 5, 6};

} // namespace

void TFrmenter::showPositions(int first, int last) {
    for (const auto& row : m_rows) {
        const int end = std::min(last, static_cast<int>(row.size()));
        for (int position = first; position <= end; ++position)
            row[static_cast<std::size_t>(position - 1)]->show();
    }
}

void TFrmenter::Timer1Timer() {
    if (m_step >= 1 && m_step <= 6) {
        showPositions(kPositionOfStep[m_step], kPositionOfStep[m_step]);
    } else if (m_step == 7) {
        showPositions(7, std::numeric_limits<int>::max());
    } else if (m_step >= 10) {
        // Bypasses reject(), which refuses the user's attempts to close. The counter stays at 10,
        // so every later tick closes again.
        done(QDialog::Rejected);
        return;
    }
    ++m_step;
}

void TFrmenter::reject() {}

} // namespace niv
