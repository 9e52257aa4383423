#include "tools/forms/TFrmDups.h"

#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "tools/Udups.h"
#include "ui_TFrmDups.h"

namespace niv {

TFrmDups::TFrmDups(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmDups>()) {
    m_ui->setupUi(this);
    m_ui->DriveComboBox1->loadDrives(context.machine);
    connect(m_ui->CmdDupScan, &QPushButton::clicked, this, &TFrmDups::CmdDupScanClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmDups::BitBtn1Click);
    // Details follow the current line, moved by mouse, key or the window; a click on the current
    // line reads its file again.
    connect(m_ui->ListBox1, &QListWidget::currentRowChanged, this, &TFrmDups::ListBox1Click);
    connect(m_ui->ListBox1, &QListWidget::clicked, this, &TFrmDups::ListBox1Click);
    connect(m_ui->CmdDel, &QPushButton::clicked, this, &TFrmDups::CmdDelClick);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmDups::BitBtn2Click);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &TFrmDups::BitBtn4Click);
}

TFrmDups::~TFrmDups() = default;

template <class Scan> void TFrmDups::runScan(Scan&& scan) {
    const QChar drive = m_ui->DriveComboBox1->drive();
    if (form().busy() || drive.isNull()) return;
    m_stop = false;
    m_ui->ListBox1->clear();
    m_seen.clear();
    DupScanControl control;
    control.stop = &m_stop;
    control.progress = [this](const QString& label3, const QString& label4) {
        m_ui->Label3->setText(label3);
        m_ui->Label4->setText(label4);
    };
    {
        // The scan lets window messages through: one scan at a time, and "Return" stops it.
        BusyScope busy(form(), {m_ui->CmdDupScan, m_ui->BitBtn1});
        form().guard([&] {
            const DupScanResult result = scan(context(), drive, control);
            m_ui->ListBox1->addItems(result.lines);
            m_seen = result.seen;
            if (m_ui->ListBox1->count() > 0) m_ui->ListBox1->setCurrentRow(0);
        });
    }
    m_ui->Label3->clear();
    m_ui->Label4->clear();
    if (m_closeWhenStopped) close();
}

void TFrmDups::CmdDupScanClick() {
    runScan(ScanDuplicateNames);
}

void TFrmDups::BitBtn1Click() {
    runScan(ScanDuplicatePatterns);
}

void TFrmDups::ListBox1Click() {
    const QListWidgetItem* item = m_ui->ListBox1->currentItem();
    if (m_ui->ListBox1->count() == 0 || !item) return;
    form().guard([&] {
        DupTimeLabels labels{m_ui->LblCreate->text(), m_ui->LblWrite->text(), m_ui->LblAccess->text()};
        const std::int64_t size = ShowDupFileTimes(context(), DupLineToPath(item->text()), labels);
        m_ui->LblCreate->setText(labels.created);
        m_ui->LblWrite->setText(labels.written);
        m_ui->LblAccess->setText(labels.accessed);
        m_ui->LblSize->setText(DupSizeText(size));
    });
}

void TFrmDups::CmdDelClick() {
    QListWidget& list = *m_ui->ListBox1;
    form().guard([&] {
        if (list.count() == 0) {
            context().dialogs.messageDlg(MsgKind::Plain, DupEmptyDeleteText(), MsgButtons::Ok);
            return;
        }
        const QListWidgetItem* item = list.currentItem();
        if (!item) return;
        const int row = list.row(item);
        switch (RecycleDupLine(context(), item->text(), m_seen.at(static_cast<std::size_t>(row)))) {
        case DupAction::Done:
            delete list.takeItem(row);
            m_seen.erase(m_seen.begin() + row);
            if (list.count() > 0) list.setCurrentRow(0);
            break;
        case DupAction::NotFound:
            context().dialogs.messageDlg(MsgKind::Plain, DupFileNotFoundText(), MsgButtons::Ok);
            break;
        case DupAction::Changed:
            context().dialogs.messageDlg(MsgKind::Plain, DupChangedText(), MsgButtons::Ok);
            break;
        case DupAction::Refused:
            context().dialogs.messageDlg(MsgKind::Plain, DupRecycleRefusedText(DupLineToPath(item->text())),
                                         MsgButtons::Ok);
            break;
        }
    });
}

void TFrmDups::BitBtn2Click() {
    QListWidget& list = *m_ui->ListBox1;
    form().guard([&] {
        if (list.count() == 0) {
            context().dialogs.messageDlg(MsgKind::Plain, DupEmptyViewText(), MsgButtons::Ok);
            return;
        }
        const QListWidgetItem* item = list.currentItem();
        if (!item) return;
        switch (ViewDupLine(context(), item->text())) {
        case DupAction::Done:
        case DupAction::Changed:
            break;
        case DupAction::NotFound:
            context().dialogs.messageDlg(MsgKind::Plain, DupFileNotFoundText(), MsgButtons::Ok);
            break;
        case DupAction::Refused:
            context().dialogs.messageDlg(MsgKind::Plain, DupNoViewerText(), MsgButtons::Ok);
            break;
        }
    });
}

void TFrmDups::BitBtn4Click() {
    close();
}

void TFrmDups::FormCloseQuery(bool& canClose) {
    canClose = !form().busy();
    if (form().busy()) {
        m_stop = true;
        m_closeWhenStopped = true;
    }
}

void ShowDuplicateFiles(AppContext& context, QWidget* owner) {
    TFrmDups window(context, owner);
    context.modal.run(window, QStringLiteral("TFrmDups"));
}

} // namespace niv
