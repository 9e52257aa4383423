#include "app/forms/TFrmMiscMsg.h"

#include "core/SettingsStore.h"
#include "platform/ModalResult.h"
#include "ui_TFrmMiscMsg.h"

namespace niv {

TFrmMiscMsg::TFrmMiscMsg(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmMiscMsg>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmMiscMsg::BitBtn1Click);
}

TFrmMiscMsg::~TFrmMiscMsg() = default;

void TFrmMiscMsg::BitBtn1Click() {
    done(mrOk);
}

void TFrmMiscMsg::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (!m_ui->CheckBox1->isChecked()) return;
    // A key that cannot be opened merely shows the notice again at the next start.
    form().guard([this] {
        SaveSettingFlag(context(), QStringLiteral("VistaMsg"), false, KeyOpen::CreateWhenMissing);
    });
}

} // namespace niv
