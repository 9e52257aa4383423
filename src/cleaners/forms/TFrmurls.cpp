#include "cleaners/forms/TFrmurls.h"

#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "ui_TFrmurls.h"

#include <QStyle>

namespace niv {

TFrmurls::TFrmurls(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmurls")),
      m_ui(std::make_unique<Ui::TFrmurls>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    m_ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    connect(m_ui->cmdie2, &QPushButton::clicked, this, &TFrmurls::cmdie2Click);
    connect(m_ui->CmdIEAll, &QPushButton::clicked, this, &TFrmurls::CmdIEAllClick);
    connect(m_ui->CmdFirefox, &QPushButton::clicked, this, &TFrmurls::CmdFirefoxClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmurls::BitBtn1Click);
    FormCreate();
    form().restoreSize();
}

TFrmurls::~TFrmurls() = default;

void TFrmurls::FormCreate() {
    form().guard([this] { m_list = LoadTypedUrls(context()); });
    if (!m_list.firefoxFound) {
        m_ui->LblFirefox->setText(firefoxPlacesMissingText());
        m_ui->CmdFirefox->setEnabled(false);
    }
    showList();
}

void TFrmurls::showList() {
    QListWidget& list = *m_ui->ListBox1;
    list.clear();
    list.addItems(m_list.lines);
    list.setEnabled(m_list.listEnabled);
    m_ui->cmdie2->setEnabled(m_list.listEnabled);
    m_ui->CmdIEAll->setEnabled(m_list.listEnabled);
    list.setCurrentRow(m_list.highlighted);
    setListExtent(list, widestLineWidth(list) + sizingFrameWidth() + 50);
}

void TFrmurls::cmdie2Click() {
    const int row = m_ui->ListBox1->currentRow();
    if (row < 0) return;
    Dialogs& dialogs = context().dialogs;
    if (dialogs.messageDlg(MsgKind::Confirmation, typedUrlQuestion(m_ui->ListBox1->item(row)->text()),
                           MsgButtons::YesNo) != mrYes) {
        dialogs.messageDlg(MsgKind::Confirmation, typedUrlKeptText(), MsgButtons::Ok);
        return;
    }
    m_list.highlighted = row;
    form().guard([this] { RemoveTypedUrl(context(), m_list); });
    showList();
}

void TFrmurls::CmdIEAllClick() {
    if (!m_ui->CmdIEAll->isEnabled()) return;
    m_list.highlighted = m_ui->ListBox1->currentRow();
    form().guard([this] { RemoveAllTypedUrls(context(), m_list); });
    showList();
}

void TFrmurls::CmdFirefoxClick() {
    form().guard([this] { DeleteFirefoxPlaces(context()); });
}

void TFrmurls::BitBtn1Click() {
    done(mrOk);
}

} // namespace niv
