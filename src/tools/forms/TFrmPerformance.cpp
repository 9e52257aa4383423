#include "tools/forms/TFrmPerformance.h"

#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "tools/UPerformance.h"
#include "ui_TFrmPerformance.h"

namespace niv {

TFrmPerformance::TFrmPerformance(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmPerformance>()) {
    m_ui->setupUi(this);
    connect(m_ui->CmdDefrag, &QPushButton::clicked, this, &TFrmPerformance::CmdDefragClick);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmPerformance::BitBtn3Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmPerformance::BitBtn2Click);
    FormCreate();
}

TFrmPerformance::~TFrmPerformance() = default;

void TFrmPerformance::FormCreate() {
    const PerformanceLabelTexts texts = currentPerformanceTexts(context());
    QLabel* const labels[kPerformanceLabels] = {m_ui->Label1, m_ui->Label2, m_ui->Label3,
                                                m_ui->Label4, m_ui->Label5, m_ui->Label6};
    for (int i = 0; i < kPerformanceLabels; ++i)
        labels[i]->setText(texts[static_cast<std::size_t>(i)]);
}

void TFrmPerformance::CmdDefragClick() {
    form().guard([this] { StartDefragmenter(context()); });
}

void TFrmPerformance::BitBtn3Click() {
    context().dialogs.showMessage(defragExplanation());
}

void TFrmPerformance::BitBtn2Click() {
    done(mrOk);
}

void ShowPerformance(AppContext& context, QWidget* owner) {
    TFrmPerformance window(context, owner);
    context.modal.run(window, QStringLiteral("TFrmPerformance"));
}

} // namespace niv
