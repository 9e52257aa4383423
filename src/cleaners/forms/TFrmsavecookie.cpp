#include "cleaners/forms/TFrmsavecookie.h"

#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmsavecookie.h"

#include <QSignalBlocker>

namespace niv {

TFrmsavecookie::TFrmsavecookie(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmsavecookie")),
      m_ui(std::make_unique<Ui::TFrmsavecookie>()) {
    m_ui->setupUi(this);
    m_ui->Listbox_Paths->hide();
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmsavecookie::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmsavecookie::BitBtn2Click);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmsavecookie::BitBtn3Click);
    connect(m_ui->Listbox_Cookie, &QListWidget::currentRowChanged, this,
            &TFrmsavecookie::Listbox_CookieClick);
    FormCreate();
}

TFrmsavecookie::~TFrmsavecookie() = default;

void TFrmsavecookie::FormCreate() {
    form().restoreSize();
}

void TFrmsavecookie::fillAndShow() {
    m_ui->Listbox_Cookie->clear();
    m_ui->Listbox_Paths->clear();
    m_ui->Listbox_Saved_Cookies->clear();
    m_ui->Memo1->clear();
    const std::vector<FoundCookie> found = FindCookieFiles(context());
    LoadKeptCookieList();
    for (const FoundCookie& cookie : found) {
        m_ui->Listbox_Cookie->addItem(cookie.name);
        m_ui->Listbox_Paths->addItem(cookie.folder);
    }
    if (m_ui->Listbox_Cookie->count() > 0) {
        const QSignalBlocker quiet(m_ui->Listbox_Cookie);
        m_ui->Listbox_Cookie->setCurrentRow(0);
        ShowCookieFileContent();
    }
    context().modal.run(*this, QStringLiteral("TFrmsavecookie"));
}

void TFrmsavecookie::LoadKeptCookieList() {
    m_ui->Listbox_Saved_Cookies->addItems(ReadKeptCookieList(context()));
    if (m_ui->Listbox_Saved_Cookies->count() > 0) m_ui->Listbox_Saved_Cookies->setCurrentRow(0);
}

void TFrmsavecookie::SaveKeptCookieList() {
    QStringList names;
    for (int i = 0; i < m_ui->Listbox_Saved_Cookies->count(); ++i)
        names.append(m_ui->Listbox_Saved_Cookies->item(i)->text());
    WriteKeptCookieList(context(), names);
}

void TFrmsavecookie::ShowCookieFileContent() {
    m_ui->Memo1->clear();
    const int row = m_ui->Listbox_Cookie->currentRow();
    if (row < 0 || row >= m_ui->Listbox_Paths->count()) return;
    const FoundCookie cookie{m_ui->Listbox_Cookie->item(row)->text(), m_ui->Listbox_Paths->item(row)->text()};
    for (const QString& line : ReadCookieFileLines(context(), cookie))
        m_ui->Memo1->appendPlainText(line);
}

void TFrmsavecookie::Listbox_CookieClick() {
    form().guard([this] { ShowCookieFileContent(); });
}

void TFrmsavecookie::BitBtn2Click() {
    QListWidget* saved = m_ui->Listbox_Saved_Cookies;
    if (m_ui->Listbox_Cookie->count() == 0) {
        context().dialogs.messageDlg(
            MsgKind::Information,
            QStringLiteral(
                "There are no cookies listed in the box. When non-indexed file cookies are found on your "
                "system, they will appear in the box above. (Note that some cookies are indexed files, "
                "which cannot be added or saved, and are not necessary. Your cookie totals on the main "
                "screen may not add up to the same total number listed in the box above)."),
            MsgButtons::Ok);
    } else if (saved->count() >= kKeptCookieSlots) {
        context().dialogs.messageDlg(
            MsgKind::Information,
            QStringLiteral(
                "You have reached the maximum saved cookies. Please remove some from the list before "
                "adding any new cookies to save."),
            MsgButtons::Ok);
    } else if (const QListWidgetItem* highlighted = m_ui->Listbox_Cookie->currentItem()) {
        saved->addItem(highlighted->text());
        saved->setCurrentRow(0);
    }
}

void TFrmsavecookie::BitBtn3Click() {
    QListWidget* saved = m_ui->Listbox_Saved_Cookies;
    if (saved->count() == 0) {
        context().dialogs.messageDlg(
            MsgKind::Information,
            QStringLiteral(
                "There are no cookies currently saved. If you wish to save some cookies, you can add them "
                "to this saved box by clicking the save button on your left. If there are no cookies "
                "showing, then there are none on your system to be added."),
            MsgButtons::Ok);
        return;
    }
    if (saved->currentRow() >= 0) delete saved->takeItem(saved->currentRow());
    if (saved->count() > 0) saved->setCurrentRow(0);
}

void TFrmsavecookie::BitBtn1Click() {
    form().guard([this] {
        SaveKeptCookieList();
        done(mrOk);
    });
}

} // namespace niv
