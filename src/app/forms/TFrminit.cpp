#include "app/forms/TFrminit.h"

#include "app/AppContext.h"
#include "ui_TFrminit.h"

namespace niv {

TFrminit::TFrminit(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_ui(std::make_unique<Ui::TFrminit>()) {
    m_ui->setupUi(this);
}

TFrminit::~TFrminit() = default;

} // namespace niv
