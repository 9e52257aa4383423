#include "cleaners/forms/TFrmaol.h"

#include "cleaners/Uaol.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "ui_TFrmaol.h"


namespace niv {

TFrmaol::TFrmaol(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("FrmAOL")),
      m_ui(std::make_unique<Ui::TFrmaol>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmaol::BitBtn2Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmaol::BitBtn1Click);
    FormCreate();
}

TFrmaol::~TFrmaol() = default;

void TFrmaol::FormCreate() {
    form().restoreSize();
    QStringList lines;
    try {
        LoadAolTrackFiles(context());
        ReadAolTrackFiles(context(), lines);
    } catch (const std::exception& e) {
        // What was read stays; the count is left as it is.
        m_ui->ListAOLURLs->addItems(lines);
        form().showError(e);
        return;
    }
    m_ui->ListAOLURLs->addItems(lines);
    if (m_ui->ListAOLURLs->count() == 0)
        m_ui->ListAOLURLs->addItem(QStringLiteral("None Found. This area is already clean."));
    m_ui->LblAOLurls->setText(AolCountText(m_ui->ListAOLURLs->count()));
}

void TFrmaol::BitBtn2Click() {
    if (m_ui->ListAOLURLs->count() < 2) return;
    form().guard([this] {
        DeleteAolTrackFiles(context());
        m_ui->ListAOLURLs->clear();
        m_ui->LblAOLurls->setText(AolCountText(0));
        context().dialogs.messageDlg(
            MsgKind::Plain,
            QStringLiteral(
                "All tracks have been successfully cleaned. (To be sure all are cleaned, in the "
                "future make sure your AOL software is closed by clicking the X in the upper right "
                "hand corner of the AOL software before running this cleanup)."),
            MsgButtons::Ok);
    });
}


void TFrmaol::BitBtn1Click() {
    done(mrOk);
}

} // namespace niv
