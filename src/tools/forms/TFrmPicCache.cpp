#include "tools/forms/TFrmPicCache.h"

#include "core/AppContext.h"
#include "platform/MessagePump.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "tools/UPicCache.h"
#include "ui_TFrmPicCache.h"

#include <QStyle>

namespace niv {

TFrmPicCache::TFrmPicCache(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmPicCache>()) {
    m_ui->setupUi(this);
    m_ui->Image1->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    m_ui->DriveComboBox1->loadDrives(context.machine);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmPicCache::BitBtn1Click);
    connect(m_ui->Image1, &QToolButton::clicked, this, &TFrmPicCache::Image1Click);
    // Details follow the current line, moved by mouse, key or the window; a click on the current
    // line reads its file again.
    connect(m_ui->ListBox1, &QListWidget::currentRowChanged, this, &TFrmPicCache::ListBox1Click);
    connect(m_ui->ListBox1, &QListWidget::clicked, this, &TFrmPicCache::ListBox1Click);
    connect(m_ui->ListBox1, &QListWidget::doubleClicked, this, &TFrmPicCache::ListBox1DblClick);
    connect(m_ui->CmdRemove, &QPushButton::clicked, this, &TFrmPicCache::CmdRemoveClick);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmPicCache::BitBtn2Click);
    connect(m_ui->Cmdclose, &QPushButton::clicked, this, &TFrmPicCache::CmdcloseClick);
    FormCreate();
}

TFrmPicCache::~TFrmPicCache() = default;

void TFrmPicCache::FormCreate() {
    m_ui->Image1->hide();
    m_ui->RadPhoto->setChecked(true);
    for (QLabel* label :
         {m_ui->LblDisplay, m_ui->LblTotal, m_ui->LblCreate, m_ui->LblUpdate, m_ui->LblSize, m_ui->Label2})
        label->clear();
}

MediaClass TFrmPicCache::chosenClass() const {
    if (m_ui->RadVideo->isChecked()) return MediaClass::Video;
    if (m_ui->RadMisc->isChecked()) return MediaClass::Misc;
    if (m_ui->RadPicCache->isChecked()) return MediaClass::PicCache;
    return MediaClass::Photo;
}

void TFrmPicCache::BitBtn1Click() {
    // The search lets window messages through; a second one waits for it to end.
    if (form().busy()) return;
    BusyScope busy(form(), {m_ui->BitBtn1});
    form().guard([this] {
        FoundBytesTotal = 0;
        SearchStopped = false;
        for (QLabel* label : {m_ui->LblTotal, m_ui->LblCreate, m_ui->LblUpdate, m_ui->LblSize})
            label->clear();
        context().pump.processMessages();
        QListWidget& list = *m_ui->ListBox1;
        list.clear();
        m_fileIds.clear();
        m_ui->ListBoxInvis->clear();
        m_ui->Image1->show();

        MediaSearchHooks hooks;
        hooks.stop = &SearchStopped;
        hooks.display = [this](const QString& folder) { m_ui->LblDisplay->setText(folder); };
        hooks.found = [this, &list](const QString& path, std::int64_t size, FileId id) {
            list.addItem(path);
            m_fileIds.push_back(id);
            FoundBytesTotal += size;
        };
        const MediaClass cls = chosenClass();
        std::int64_t passedOver = 0;
        for (const QString& folder : MediaSearchFolders(context(), cls, m_ui->DriveComboBox1->drive()))
            passedOver += SearchMediaFolder(context(), folder, cls, hooks);

        m_ui->Image1->hide();
        if (list.count() > 0) list.setCurrentRow(0, QItemSelectionModel::NoUpdate);
        setListExtent(list, widestLineWidth(list) + sizingFrameWidth() + 20);
        m_ui->LblTotal->setText(MediaTotalsText(list.count(), FoundBytesTotal));
        if (passedOver > 0) context().dialogs.showMessage(MediaPassedOverText(passedOver));
    });
    m_ui->Image1->hide();
}

void TFrmPicCache::Image1Click() {
    SearchStopped = true;
}

void TFrmPicCache::ListBox1Click() {
    const QListWidget& list = *m_ui->ListBox1;
    const QListWidgetItem* item = list.currentItem();
    if (list.count() == 0 || !item) return;
    form().guard([&] {
        MediaFileLabels labels{m_ui->LblCreate->text(), m_ui->LblUpdate->text()};
        const std::int64_t size = ReadMediaFileInfo(context(), item->text(), true, labels);
        m_ui->LblCreate->setText(labels.created);
        m_ui->LblUpdate->setText(labels.updated);
        m_ui->LblSize->setText(MediaSizeText(size));
        m_ui->Label2->setText(MediaFileNumberText(list.row(item)));
    });
}

void TFrmPicCache::ListBox1DblClick() {
    const QListWidgetItem* item = m_ui->ListBox1->currentItem();
    if (!item) return;
    form().guard([&] {
        if (!ViewMediaFile(context(), item->text()))
            context().dialogs.messageDlg(MsgKind::Plain, MediaNoViewerText(), MsgButtons::Ok);
    });
}

void TFrmPicCache::CmdRemoveClick() {
    QListWidget& list = *m_ui->ListBox1;
    if (list.count() == 0) return;
    form().guard([&] {
        m_ui->LblTotal->clear();
        QListWidget& kept = *m_ui->ListBoxInvis;
        kept.clear();
        std::vector<FileId> keptIds;
        int deleted = 0;
        for (int row = 0; row < list.count(); ++row) {
            const QListWidgetItem* item = list.item(row);
            const FileId id = m_fileIds.at(static_cast<std::size_t>(row));
            if (!item->isSelected()) {
                kept.addItem(item->text());
                keptIds.push_back(id);
            } else if (RecycleMediaFile(context(), item->text(), id)) {
                ++deleted;
            } else {
                context().dialogs.messageDlg(MsgKind::Plain, MediaRecycleRefusedText(item->text()),
                                             MsgButtons::Ok);
                kept.addItem(item->text());
                keptIds.push_back(id);
            }
        }
        m_fileIds = std::move(keptIds);
        list.clear();
        for (int row = 0; row < kept.count(); ++row)
            list.addItem(kept.item(row)->text());
        if (list.count() > 0) {
            context().pump.processMessages();
            list.setCurrentRow(0, QItemSelectionModel::NoUpdate);
        }
        m_ui->Label2->setText(MediaDeletedText(deleted));
    });
}

void TFrmPicCache::BitBtn2Click() {
    context().dialogs.messageDlg(MsgKind::Plain, MediaHelpText(), MsgButtons::Ok);
}

void TFrmPicCache::CmdcloseClick() {
    done(mrOk);
}

void TFrmPicCache::FormCloseQuery(bool& canClose) {
    SearchStopped = true;
    canClose = true;
}

void ShowMediaFinder(AppContext& context, QWidget* owner) {
    TFrmPicCache window(context, owner);
    context.modal.run(window, QStringLiteral("TFrmPicCache"));
}

} // namespace niv
