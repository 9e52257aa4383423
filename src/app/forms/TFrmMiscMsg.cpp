#include "app/forms/TFrmMiscMsg.h"

#include "app/AppContext.h"
#include "app/ufirst.h"
#include "platform/Registry.h"
#include "platform/widgets/ModalResult.h"
#include "ui_TFrmMiscMsg.h"

namespace niv {

TFrmMiscMsg::TFrmMiscMsg(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::TFrmMiscMsg>()) {
    m_ui->setupUi(this);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmMiscMsg::BitBtn1Click);
}

TFrmMiscMsg::~TFrmMiscMsg() = default;

void TFrmMiscMsg::BitBtn1Click() {
    done(mrOk);
}

void TFrmMiscMsg::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (!m_ui->CheckBox1->isChecked()) return;
    try {
        TRegistry reg(m_context.machine);
        reg.SetRootKey(HKEY_CURRENT_USER);
        if (reg.OpenKey(settingsKeyPath(), true)) reg.WriteBool(QStringLiteral("VistaMsg"), false);
    } catch (const PlatformError&) {
        // The notice merely shows again at the next start.
    }
}

void TFrmMiscMsg::done(int result) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) QDialog::done(result);
}

} // namespace niv
