#include "app/forms/TFrmLocked.h"

#include "app/AppContext.h"
#include "app/ULock.h"
#include "app/Uglobalvars.h"
#include "platform/widgets/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmLocked.h"

namespace niv {

TFrmLocked::TFrmLocked(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::TFrmLocked>()) {
    m_ui->setupUi(this);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmLocked::BitBtn3Click);
    FormCreate();
}

TFrmLocked::~TFrmLocked() = default;

void TFrmLocked::FormCreate() {}

void TFrmLocked::BitBtn3Click() {
    done(mrOk);
}

void TFrmLocked::FormCloseQuery(bool& canClose) {
    SaveFormSize(m_context, QStringLiteral("Frmlocked"), width(), height());
    canClose = true;
}

void TFrmLocked::done(int result) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) QDialog::done(result);
}

void ShowLockedFilesDialog(AppContext& context, QWidget* owner) {
    TFrmLocked dialog(context, owner);
    if (context.settings.Lockedj)
        dialog.ui().RadDoLocked->setChecked(true);
    else
        dialog.ui().RadDontDoLocked->setChecked(true);
    const int w = ReadFormWidth(context, QStringLiteral("Frmlocked"));
    const int h = ReadFormHeight(context, QStringLiteral("Frmlocked"));
    dialog.resize(w != 0 ? w : dialog.width(), h != 0 ? h : dialog.height());
    context.modal.run(dialog, QStringLiteral("TFrmLocked"));
    SaveLockedChoice(context, dialog.ui().RadDoLocked->isChecked());
}

} // namespace niv
