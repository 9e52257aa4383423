#include "app/forms/TFrmlockedMsg.h"

#include "platform/ModalResult.h"
#include "ui_TFrmlockedMsg.h"

namespace niv {

TFrmlockedMsg::TFrmlockedMsg(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmlockedMsg>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmlockedMsg::BitBtn1Click);
}

TFrmlockedMsg::~TFrmlockedMsg() = default;

void TFrmlockedMsg::BitBtn1Click() {
    done(mrOk);
}

} // namespace niv
