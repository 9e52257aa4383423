#include "platform/widgets/ModalRunner.h"

#include <QDialog>

namespace niv {

int modalResultOf(int dialogCode) {
    return dialogCode == QDialog::Rejected ? mrCancel : dialogCode;
}

int QtModalRunner::run(QDialog& dialog, const QString&) {
    return modalResultOf(dialog.exec());
}

} // namespace niv
