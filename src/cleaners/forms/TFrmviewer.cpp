#include "cleaners/forms/TFrmviewer.h"

#include "cleaners/Uviewer.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/WinPath.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmviewer.h"

#include <QStyle>

namespace niv {

TFrmviewer::TFrmviewer(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmviewer")),
      m_ui(std::make_unique<Ui::TFrmviewer>()) {
    m_ui->setupUi(this);
    m_ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(24, 24));

    // The name follows the current line however it moves: mouse or arrow keys.
    connect(m_ui->Listbshow, &QListWidget::currentRowChanged, this, &TFrmviewer::ListbshowClick);
    connect(m_ui->Listbshow, &QListWidget::doubleClicked, this, &TFrmviewer::ListbshowDblClick);
    connect(m_ui->CmdReload, &QPushButton::clicked, this, &TFrmviewer::CmdReloadClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmviewer::BitBtn1Click);
    FormCreate();
}

TFrmviewer::~TFrmviewer() = default;

void TFrmviewer::FormCreate() {
    form().restoreSize();
    m_ui->RadViewable->setChecked(true);
}

void TFrmviewer::FillViewerList() {
    QListWidget& list = *m_ui->Listbshow;
    list.clear();
    const ViewerList found = niv::FillViewerList(context(), m_ui->RadViewable->isChecked());
    list.addItems(found.lines);
    // The extent follows the widest line once every mask is read: the same range as setting it
    // after each mask that matched, without measuring the list again per mask.
    if (found.anyMatched) setListExtent(list, widestLineWidth(list) + sizingFrameWidth());
}

void TFrmviewer::ShowCacheViewer() {
    form().guard([this] {
        FillViewerList();
        if (m_ui->Listbshow->count() == 0)
            context().dialogs.messageDlg(MsgKind::Plain, EmptyViewerListText(), MsgButtons::Ok);
        else
            m_ui->Listbshow->setCurrentRow(0);
        context().modal.run(*this, QStringLiteral("TFrmviewer"));
    });
}

void TFrmviewer::CmdReloadClick() {
    form().guard([this] { FillViewerList(); });
}

void TFrmviewer::ListbshowClick() {
    if (const QListWidgetItem* item = m_ui->Listbshow->currentItem())
        m_ui->LblFilename->setText(QStringLiteral("Name: ") + extractFileName(item->text()));
}

void TFrmviewer::ListbshowDblClick() {
    const QListWidgetItem* item = m_ui->Listbshow->currentItem();
    if (!item || !item->isSelected()) return;
    form().guard([&] {
        for (const ViewerBox& box : OpenCacheEntry(context(), item->text()))
            context().dialogs.messageDlg(box.kind, box.text, MsgButtons::Ok);
    });
}

void TFrmviewer::BitBtn1Click() {
    done(mrOk);
}

} // namespace niv
