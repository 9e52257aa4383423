#include "cleaners/forms/TFrmdir.h"

#include "cleaners/forms/TFrmExtension.h"
#include "cleaners/udir.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmdir.h"

namespace niv {

TFrmdir::TFrmdir(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmdir")),
      m_ui(std::make_unique<Ui::TFrmdir>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->cmdadd, &QPushButton::clicked, this, &TFrmdir::cmdaddClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmdir::BitBtn1Click);
    connect(m_ui->cmddel, &QPushButton::clicked, this, &TFrmdir::cmddelClick);
    connect(m_ui->cmdclean, &QPushButton::clicked, this, &TFrmdir::cmdcleanClick);
    connect(m_ui->cmdret, &QPushButton::clicked, this, &TFrmdir::cmdretClick);
    FormCreate();
}

TFrmdir::~TFrmdir() = default;

void TFrmdir::FormCreate() {
    OwnListCount = 0;
    form().restoreSize();
    // A file that cannot be created says so and leaves the list empty.
    form().guard([this] {
        const QStringList entries = LoadOwnList(context());
        m_ui->ListBox1->addItems(entries);
        OwnListCount = std::int16_t(entries.size());
    });
    highlightFirst();
}

void TFrmdir::highlightFirst() {
    if (OwnListCount > 0) m_ui->ListBox1->setCurrentRow(0);
    setListExtent(*m_ui->ListBox1, widestLineWidth(*m_ui->ListBox1) + 100);
}

void TFrmdir::addEntry(const QString& entry) {
    form().guard([&] {
        if (!AddOwnListEntry(context(), entry)) {
            context().dialogs.messageDlg(MsgKind::Error, ownListFullText(), MsgButtons::Ok);
            return;
        }
        m_ui->ListBox1->addItem(entry);
        ++OwnListCount;
        highlightFirst();
    });
}

void TFrmdir::cmdaddClick() {
    const QString folder = context().dialogs.browseForFolder(QStringLiteral("First, select a folder"));
    if (folder.isEmpty()) {
        context().dialogs.showMessage(ownListNoFolderText());
        return;
    }
    QString wildcard;
    {
        TFrmExtension chooser(context(), this);
        context().modal.run(chooser, QStringLiteral("TFrmExtension"));
        wildcard = chooser.wildcard();
    }
    if (wildcard.isEmpty()) {
        context().dialogs.showMessage(ownListNoWildcardText());
        return;
    }
    // The separator goes in even after a drive root: C:\ gives C:\\*.txt.
    addEntry(folder + u'\\' + wildcard);
}

void TFrmdir::BitBtn1Click() {
    const std::optional<QString> file = context().dialogs.openFile(QString(), QString(), QString());
    if (!file) return;
    if (file->isEmpty()) {
        context().dialogs.showMessage(ownListNoFileText());
        return;
    }
    addEntry(*file);
}

void TFrmdir::cmddelClick() {
    Dialogs& dialogs = context().dialogs;
    if (OwnListCount <= 0) {
        dialogs.messageDlg(MsgKind::Information, ownListEmptyText(), MsgButtons::Ok);
        return;
    }
    if (dialogs.messageDlg(MsgKind::Confirmation, ownListRemoveQuestion(), MsgButtons::YesNo) != mrYes) {
        dialogs.messageDlg(MsgKind::Information, ownListRemoveCanceledText(), MsgButtons::Ok);
        return;
    }
    const int row = m_ui->ListBox1->currentRow();
    if (row < 0) return;
    form().guard([&] {
        if (!RemoveOwnListEntry(context(), m_ui->ListBox1->item(row)->text())) {
            dialogs.messageDlg(MsgKind::Error, ownListNotFoundText(), MsgButtons::Ok);
            return;
        }
        delete m_ui->ListBox1->takeItem(row);
        --OwnListCount;
        if (OwnListCount > 0) m_ui->ListBox1->setCurrentRow(0);
    });
}

void TFrmdir::cmdcleanClick() {
    form().guard([this] { CleanOwnList(context()); });
}

void TFrmdir::cmdretClick() {
    close();
}

} // namespace niv
