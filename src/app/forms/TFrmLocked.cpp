#include "app/forms/TFrmLocked.h"

#include "app/ULock.h"
#include "core/AppContext.h"
#include "core/Uglobalvars.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmLocked.h"

namespace niv {

TFrmLocked::TFrmLocked(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmlocked")),
      m_ui(std::make_unique<Ui::TFrmLocked>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    if (context.settings.Lockedj)
        m_ui->RadDoLocked->setChecked(true);
    else
        m_ui->RadDontDoLocked->setChecked(true);
    form().restoreSize();
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmLocked::BitBtn3Click);
    FormCreate();
}

TFrmLocked::~TFrmLocked() = default;

void TFrmLocked::FormCreate() {}

void TFrmLocked::BitBtn3Click() {
    done(mrOk);
}

bool TFrmLocked::doLocked() const {
    return m_ui->RadDoLocked->isChecked();
}

void ShowLockedFilesDialog(AppContext& context, QWidget* owner) {
    TFrmLocked dialog(context, owner);
    context.modal.run(dialog, QStringLiteral("TFrmLocked"));
    SaveLockedChoice(context, dialog.doLocked());
}

} // namespace niv
