#include "app/forms/TFrmstats.h"

#include "app/AppContext.h"
#include "app/forms/TFrmlockedMsg.h"
#include "platform/widgets/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmstats.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace niv {

TFrmstats::TFrmstats(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::TFrmstats>()) {
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
    for (const StatisticsRow& row : statisticsRows()) {
        auto* label = findChild<QLabel*>(QString::fromLatin1(row.label));
        if (label) label->setText(m_context.g.CategoryResults.at(static_cast<std::size_t>(row.slot)));
    }
    place();
    m_context.modal.run(*this, QStringLiteral("TFrmstats"));
}

void TFrmstats::place() {
    const QWidget* main = m_context.mainWindow;
    if (m_shownBefore && main) {
        const QRect outer = main->frameGeometry();
        move(outer.left(), statisticsWindowTop(outer.top(), outer.height()));
        return;
    }
    // The designed position, the centre of the screen's work area, wins at the first showing.
    m_shownBefore = true;
    const QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

void TFrmstats::BitBtn1Click() {
    if (m_ui->ChkConfirms->isChecked() && !SaveConfirmsOff(m_context))
        m_context.dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral("An error occurred while saving the settings. It appears to be a "
                           "space error or registry error. You will not be able to use the "
                           "confirmation settings while this error is happening."),
            MsgButtons::Ok);
    done(mrOk);
}

void TFrmstats::BitBtn2Click() {
    TFrmlockedMsg window(m_context, this);
    m_context.modal.run(window, QStringLiteral("TFrmlockedMsg"));
}

void UpdateStatisticsPanel(const AppContext& context, const StatisticsPanelLabels& labels) {
    const StatisticsPanelTexts texts = statisticsPanelTexts(context);
    for (int i = 0; i < kStatisticsPanelLines; ++i)
        if (labels[i]) labels[i]->setText(texts[i]);
}

} // namespace niv
