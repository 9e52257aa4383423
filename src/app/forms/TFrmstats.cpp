#include "app/forms/TFrmstats.h"

#include "app/forms/TFrmlockedMsg.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmstats.h"

#include <QLabel>
#include <QStyle>

namespace niv {

TFrmstats::TFrmstats(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmstats>()) {
    m_ui->setupUi(this);
    m_ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmstats::BitBtn1Click);
    connect(m_ui->BitBtn2, &QToolButton::clicked, this, &TFrmstats::BitBtn2Click);
    FormCreate();
}

TFrmstats::~TFrmstats() = default;

void TFrmstats::FormCreate() {
    m_ui->ChkConfirms->setChecked(false);
}

void TFrmstats::ShowStatisticsWindow() {
    for (const CategoryInfo& row : categoryTable()) {
        if (!row.statsLabel) continue;
        if (auto* label = findChild<QLabel*>(QString::fromLatin1(row.statsLabel)))
            label->setText(context().g.CategoryResults.at(static_cast<std::size_t>(row.slot)));
    }
    place();
    context().modal.run(*this, QStringLiteral("TFrmstats"));
}

void TFrmstats::place() {
    // Its owner is the main window.
    const QWidget* main = parentWidget();
    if (m_shownBefore && main) {
        const QRect outer = main->frameGeometry();
        move(outer.left(), statisticsWindowTop(outer.top(), outer.height()));
        return;
    }
    // The designed position, the centre of the screen's work area, wins at the first showing.
    m_shownBefore = true;
    form().centreOnScreen();
}

void TFrmstats::BitBtn1Click() {
    if (m_ui->ChkConfirms->isChecked() && !SaveConfirmsOff(context()))
        context().dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral("An error occurred while saving the settings. It appears to be a "
                           "space error or registry error. You will not be able to use the "
                           "confirmation settings while this error is happening."),
            MsgButtons::Ok);
    done(mrOk);
}

void TFrmstats::BitBtn2Click() {
    TFrmlockedMsg window(context(), this);
    context().modal.run(window, QStringLiteral("TFrmlockedMsg"));
}

void UpdateStatisticsPanel(const AppContext& context, const StatisticsPanelLabels& labels) {
    const StatisticsPanelTexts texts = statisticsPanelTexts(context);
    for (int i = 0; i < kStatisticsPanelLines; ++i)
        if (labels[i]) labels[i]->setText(texts[i]);
}

} // namespace niv
