#include "app/forms/TFrmscandrv.h"

#include "app/AppContext.h"
#include "app/Uglobalvars.h"
#include "app/Uscandrv.h"
#include "ui_TFrmscandrv.h"

#include <QCloseEvent>

namespace niv {

TFrmscandrv::TFrmscandrv(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::TFrmscandrv>()) {
    m_ui->setupUi(this);
    m_ui->DriveComboBox1->loadDrives(m_context.machine);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmscandrv::BitBtn1Click);
    connect(m_ui->Cmdreturn, &QPushButton::clicked, this, &TFrmscandrv::CmdreturnClick);
    FormCreate();
}

TFrmscandrv::~TFrmscandrv() = default;

void TFrmscandrv::FormCreate() {
    try {
        WriteScanLogSkeleton(m_context);
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TFrmscandrv::BitBtn1Click() {
    const QChar letter = m_ui->DriveComboBox1->drive();
    if (letter.isNull() || m_scanning) return;

    // The walk lets window messages through: no second scan and no closing until it ends.
    auto setScanning = [this](bool scanning) {
        m_scanning = scanning;
        m_ui->BitBtn1->setEnabled(!scanning);
        m_ui->Cmdreturn->setEnabled(!scanning);
    };
    setScanning(true);
    try {
        ScanFolder(m_context, QString(letter) + u':',
                   [this](const QString& folder) { m_ui->Lblfiles->setText(folder); });
    } catch (const std::exception& e) {
        setScanning(false);
        showError(e);
        return;
    }
    setScanning(false);
    m_context.dialogs.messageDlg(
        MsgKind::Information,
        QStringLiteral(
            "Scan has completed.  The log you have just done will always be in effect when you run Nivora, "
            "and will only need to be run once. In the future, if you uninstall/install new browsers, you "
            "may want to run the scan again, and it can be accessed under the \"NV Settings\" button."),
        MsgButtons::Ok);
}

void TFrmscandrv::CmdreturnClick() {
    close();
}

void TFrmscandrv::FormCloseQuery(bool& canClose) {
    SaveFormSize(m_context, QStringLiteral("Frmscandrv"), width(), height());
    canClose = true;
}

void TFrmscandrv::reject() {
    close();
}

void TFrmscandrv::closeEvent(QCloseEvent* event) {
    if (m_scanning) {
        event->ignore();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    if (isVisible()) QDialog::reject();
    event->accept();
}

void TFrmscandrv::showError(const std::exception& error) {
    m_context.dialogs.messageDlg(MsgKind::Error, QString::fromUtf8(error.what()), MsgButtons::Ok);
}

} // namespace niv
