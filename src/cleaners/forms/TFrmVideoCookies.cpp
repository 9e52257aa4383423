#include "cleaners/forms/TFrmVideoCookies.h"

#include "cleaners/UVideoCookies.h"
#include "core/AppContext.h"
#include "platform/MessagePump.h"
#include "ui_TFrmVideoCookies.h"

namespace niv {

namespace {

QStringList linesOf(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.item(i)->text());
    return out;
}

} // namespace

TFrmVideoCookies::TFrmVideoCookies(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmVideoCookies>()) {
    m_ui->setupUi(this);
    connect(m_ui->ListNameOnly, &QListWidget::clicked, this, &TFrmVideoCookies::ListNameOnlyClick);
    connect(m_ui->ListNameOnly, &QListWidget::doubleClicked, this, &TFrmVideoCookies::ListNameOnlyDblClick);
    connect(m_ui->CmdDeleteAll, &QPushButton::clicked, this, &TFrmVideoCookies::CmdDeleteAllClick);
    connect(m_ui->CmdRemove, &QPushButton::clicked, this, &TFrmVideoCookies::CmdRemoveClick);
    connect(m_ui->Cmdclose, &QPushButton::clicked, this, &QDialog::accept);
}

TFrmVideoCookies::~TFrmVideoCookies() = default;

bool TFrmVideoCookies::LoadFlashCookies() {
    m_ui->ListNameOnly->clear();
    m_ui->ListEntireFolderPath->clear();
    m_siteIds.clear();
    if (!FlashCookieLocationExists(context())) {
        context().dialogs.messageDlg(MsgKind::Plain, NoFlashLocationText(), MsgButtons::Ok);
        return false;
    }
    FlashSites sites;
    ScanFlashCookieFolders(context(), context().g.FlashCookieFolder, sites);
    m_ui->ListNameOnly->addItems(sites.names);
    m_ui->ListEntireFolderPath->addItems(sites.paths);
    m_siteIds = std::move(sites.ids);
    return true;
}

void TFrmVideoCookies::CmdDeleteAllClick() {
    for (int i = 0; i < m_ui->ListNameOnly->count(); ++i)
        m_ui->ListNameOnly->item(i)->setSelected(true);
}

void TFrmVideoCookies::CmdRemoveClick() {
    QListWidget& names = *m_ui->ListNameOnly;
    if (names.count() == 0) return;
    form().guard([&] {
        FlashSites sites{linesOf(names), linesOf(*m_ui->ListEntireFolderPath), m_siteIds};
        std::vector<bool> selected;
        for (int i = 0; i < names.count(); ++i)
            selected.push_back(names.item(i)->isSelected());
        RemoveFlashSites(context(), sites, selected);
        names.clear();
        m_ui->ListEntireFolderPath->clear();
        names.addItems(sites.names);
        m_ui->ListEntireFolderPath->addItems(sites.paths);
        m_siteIds = std::move(sites.ids);
        if (names.count() == 0) return;
        context().pump.processMessages();
        names.setCurrentRow(0, QItemSelectionModel::Current);
    });
}

} // namespace niv
