#include "app/forms/TFrmscandrv.h"

#include "app/Uscandrv.h"
#include "core/AppContext.h"
#include "core/Uglobalvars.h"
#include "ui_TFrmscandrv.h"

namespace niv {

TFrmscandrv::TFrmscandrv(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::SaveOnly, QStringLiteral("Frmscandrv")),
      m_ui(std::make_unique<Ui::TFrmscandrv>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    // The form keeps one paragraph in two labels, split mid-sentence; the first shows it whole so
    // that it wraps as one paragraph at any width and in any font.
    m_ui->Label3->setText(m_ui->Label3->text() + m_ui->Label4->text());
    m_ui->Label4->hide();
    m_ui->DriveComboBox1->loadDrives(context.machine);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmscandrv::BitBtn1Click);
    connect(m_ui->Cmdreturn, &QPushButton::clicked, this, &TFrmscandrv::CmdreturnClick);
    FormCreate();
}

TFrmscandrv::~TFrmscandrv() = default;

void TFrmscandrv::FormCreate() {
    try {
        WriteScanLogSkeleton(context());
    } catch (const std::exception& e) {
        form().showError(e);
    }
}

void TFrmscandrv::BitBtn1Click() {
    const QChar letter = m_ui->DriveComboBox1->drive();
    if (letter.isNull() || form().busy()) return;

    try {
        // The walk lets window messages through: no second scan and no closing until it ends.
        BusyScope busy(form(), {m_ui->BitBtn1, m_ui->Cmdreturn});
        ScanFolder(context(), QString(letter) + u':',
                   [this](const QString& folder) { m_ui->Lblfiles->setText(folder); });
    } catch (const std::exception& e) {
        form().showError(e);
        return;
    }
    context().dialogs.messageDlg(
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
    canClose = !form().busy();
}

} // namespace niv
