#include "cleaners/forms/TFrmreg.h"

#include "cleaners/Ureg.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "ui_TFrmreg.h"

#include <QStyle>

namespace niv {

namespace {

// Disables an empty list and its button; otherwise selects the first line.
void showListState(QListWidget& list, QPushButton& button) {
    const bool any = list.count() > 0;
    if (any) list.setCurrentRow(0);
    list.setEnabled(any);
    button.setEnabled(any);
}

void setMruListExtent(QListWidget& list) {
    setListExtent(list, widestLineWidth(list) + sizingFrameWidth() + 50);
}

} // namespace

TFrmreg::TFrmreg(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmreg")),
      m_ui(std::make_unique<Ui::TFrmreg>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->Cmdrun, &QPushButton::clicked, this, &TFrmreg::CmdrunClick);
    connect(m_ui->Cmdfind, &QPushButton::clicked, this, &TFrmreg::CmdfindClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmreg::BitBtn1Click);
    FormCreate();
}

TFrmreg::~TFrmreg() = default;

void TFrmreg::FormCreate() {
    form().restoreSize();
    m_ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(24, 24));
    m_ui->Cmdrun->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    m_ui->Image2->setPixmap(m_ui->Image1->pixmap());
    m_ui->Cmdfind->setIcon(m_ui->Cmdrun->icon());

    QStringList assistantLines;
    form().guard([&] { ReadMruHistory(context(), assistantLines); });
    const MruLines lines = ListedMruLines(context(), assistantLines);
    m_ui->ListBoxRun->addItems(lines.run);
    m_ui->ListBoxFind->addItems(lines.find);
    showListState(*m_ui->ListBoxRun, *m_ui->Cmdrun);
    showListState(*m_ui->ListBoxFind, *m_ui->Cmdfind);
    setMruListExtent(*m_ui->ListBoxFind);
    setMruListExtent(*m_ui->ListBoxRun);
}

void TFrmreg::CmdrunClick() {
    RemoveHighlightedMru(*m_ui->ListBoxRun, *m_ui->Cmdrun);
}

void TFrmreg::CmdfindClick() {
    RemoveHighlightedMru(*m_ui->ListBoxFind, *m_ui->Cmdfind);
}

void TFrmreg::BitBtn1Click() {
    done(mrOk);
}

void TFrmreg::RemoveHighlightedMru(QListWidget& list, QPushButton& button) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) return;
    form().guard([&] {
        RemoveMruEntry(context(), &button == m_ui->Cmdrun ? MruList::Run : MruList::Find,
                       selected.front()->text());
        delete selected.front();
        showListState(list, button);
    });
}

} // namespace niv
