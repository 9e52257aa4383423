#include "cleaners/forms/TFrmdocs.h"

#include "cleaners/Udocs.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/Clipboard.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmdocs.h"

#include <QSignalBlocker>
#include <QStyle>

namespace niv {

TFrmdocs::TFrmdocs(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmdocs>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    m_ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(24, 24));
    m_ui->Cmdhighlight->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    m_ui->Cmdall->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    m_ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    m_ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));

    // A move by mouse or arrow key; the window's own moves block the list's signals.
    connect(m_ui->ListBox1, &QListWidget::currentRowChanged, this, &TFrmdocs::ListBox1Click);
    connect(m_ui->ListBox1, &QListWidget::doubleClicked, this, &TFrmdocs::ListBox1DblClick);
    connect(m_ui->Cmdhighlight, &QPushButton::clicked, this, &TFrmdocs::CmdhighlightClick);
    connect(m_ui->Cmdall, &QPushButton::clicked, this, &TFrmdocs::CmdallClick);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmdocs::BitBtn2Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TFrmdocs::~TFrmdocs() = default;

void TFrmdocs::LoadViewedTrails() {
    m_ui->ListBox1->addItems(ScanViewedTrails(context()));
    ShowTrailCount();
    const Clipboard& clipboard = context().clipboard;
    const ClipboardTrack track = ClipboardTrackOf(clipboard.hasText(), clipboard.text());
    m_ui->Memo1->setPlainText(track.memo);
    m_ui->BitBtn2->setEnabled(track.canClear);
}

void TFrmdocs::ShowTrailCount() {
    QListWidget& list = *m_ui->ListBox1;
    if (list.count() > 0) {
        const QSignalBlocker quiet(list);
        list.setCurrentRow(0);
        m_ui->Lblcount->setText(TrailCountText(list.count()));
        return;
    }
    m_ui->Lblinfo->setText(NoViewedNamesText());
    m_ui->Cmdhighlight->setEnabled(false);
    m_ui->Cmdall->setEnabled(false);
    m_ui->Lblcount->setText(TrailCountText(0));
    list.setEnabled(false);
}

void TFrmdocs::SetTrailListExtent() {
    setListExtent(*m_ui->ListBox1, widestLineWidth(*m_ui->ListBox1) + sizingFrameWidth());
}

void TFrmdocs::ListBox1Click() {
    m_ui->Lblinfo->clear();
}

void TFrmdocs::ListBox1DblClick() {
    const QList<QListWidgetItem*> selected = m_ui->ListBox1->selectedItems();
    if (selected.isEmpty()) return;
    form().guard([&] {
        if (const std::optional<TrailMessage> box = ViewTrail(context(), selected.front()->text()))
            context().dialogs.messageDlg(box->kind, box->text, MsgButtons::Ok);
    });
}

bool TFrmdocs::removeHighlighted() {
    const QList<QListWidgetItem*> selected = m_ui->ListBox1->selectedItems();
    if (selected.isEmpty()) return false;
    RemoveTrail(context(), selected.front()->text());
    {
        const QSignalBlocker quiet(m_ui->ListBox1);
        delete selected.front();
    }
    m_ui->Lblinfo->setText(TrailCleanedText());
    ShowTrailCount();
    return true;
}

void TFrmdocs::CmdhighlightClick() {
    form().guard([this] { removeHighlighted(); });
}

void TFrmdocs::CmdallClick() {
    QListWidget& list = *m_ui->ListBox1;
    if (list.count() > 0 && list.selectedItems().isEmpty()) {
        const QSignalBlocker quiet(list);
        list.setCurrentRow(0);
    }
    if (context().dialogs.messageDlg(MsgKind::Information, RemoveAllQuestion(), MsgButtons::YesNo) != mrYes)
        return;
    // Each removal selects the first line again; an error or a lost selection ends the run.
    form().guard([this] {
        while (m_ui->ListBox1->count() > 0 && removeHighlighted()) {
        }
    });
}

void TFrmdocs::BitBtn2Click() {
    context().clipboard.clear();
    m_ui->Memo1->clear();
    m_ui->Lblinfo->setText(TrailCleanedText());
    m_ui->BitBtn2->setEnabled(false);
}

void ShowViewedTrails(AppContext& context, QWidget* owner) {
    TFrmdocs window(context, owner);
    window.LoadViewedTrails();
    window.SetTrailListExtent();
    context.modal.run(window, QStringLiteral("TFrmdocs"));
}

} // namespace niv
