#include "cleaners/forms/TFrmIM.h"

#include "cleaners/UIM.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/WinPath.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmIM.h"

#include <QFontDatabase>

namespace niv {

TFrmIM::TFrmIM(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmIM>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    // The tags line up only in a fixed-pitch font.
    m_ui->ListBox1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    // The name follows the current line however it moves: mouse, arrow keys or a removal.
    connect(m_ui->ListBox1, &QListWidget::currentRowChanged, this, &TFrmIM::ListBox1Click);
    connect(m_ui->ListBox1, &QListWidget::doubleClicked, this, &TFrmIM::ListBox1DblClick);
    connect(m_ui->CmdView, &QPushButton::clicked, this, &TFrmIM::CmdViewClick);
    connect(m_ui->CmdDel, &QPushButton::clicked, this, &TFrmIM::CmdDelClick);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmIM::BitBtn3Click);
}

TFrmIM::~TFrmIM() = default;

void TFrmIM::FillInstantMessageList() {
    QListWidget& list = *m_ui->ListBox1;
    list.addItems(niv::FillInstantMessageList(context()));
    if (list.count() > 0) list.setCurrentRow(0);
    setListExtent(list, widestLineWidth(list) + sizingFrameWidth() + 400);
}

void TFrmIM::DeleteImLog(const QString& path) {
    QListWidget& list = *m_ui->ListBox1;
    if (!niv::DeleteImLog(context(), path)) {
        context().dialogs.messageDlg(MsgKind::Plain, ImNotDeletedText(path), MsgButtons::Ok);
        return;
    }
    delete list.currentItem();
    if (list.count() > 0) list.setCurrentRow(0);
}

std::optional<QString> TFrmIM::highlightedLine() {
    const QListWidget& list = *m_ui->ListBox1;
    if (list.count() == 0) {
        context().dialogs.messageDlg(MsgKind::Plain, NoImLogsText(), MsgButtons::Ok);
        return std::nullopt;
    }
    if (!list.currentItem()) return std::nullopt;
    return list.currentItem()->text();
}

void TFrmIM::CmdViewClick() {
    form().guard([this] {
        if (const std::optional<QString> line = highlightedLine())
            if (const std::optional<QString> text = ViewImLog(context(), *line))
                context().dialogs.messageDlg(MsgKind::Plain, *text, MsgButtons::Ok);
    });
}

void TFrmIM::ListBox1DblClick() {
    CmdViewClick();
}

void TFrmIM::CmdDelClick() {
    form().guard([this] {
        if (const std::optional<QString> line = highlightedLine())
            DeleteImLog(trimControls(ImLinePath(*line)));
    });
}

void TFrmIM::ListBox1Click() {
    if (const QListWidgetItem* item = m_ui->ListBox1->currentItem())
        m_ui->LblName->setText(extractFileName(item->text()));
}

void TFrmIM::BitBtn3Click() {
    done(mrOk);
}

void ShowInstantMessages(AppContext& context, QWidget* owner) {
    TFrmIM window(context, owner);
    window.FillInstantMessageList();
    context.modal.run(window, QStringLiteral("TFrmIM"));
}

} // namespace niv
