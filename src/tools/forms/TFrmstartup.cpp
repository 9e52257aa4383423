#include "tools/forms/TFrmstartup.h"

#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "tools/Ustartup.h"
#include "ui_TFrmstartup.h"

#include <QStyle>

namespace niv {

namespace {

const QString kDisableBhos = QStringLiteral("Disable BHOs");
const QString kEnableBhos = QStringLiteral("Enable BHOs");

void fill(QListWidget& list, const QStringList& lines) {
    list.clear();
    list.addItems(lines);
}

void selectFirst(QListWidget& list) {
    if (list.count() > 0) list.setCurrentRow(0);
}

// The highlighted line, -1 when none is.
int highlightedRow(const QListWidget& list) {
    const QListWidgetItem* item = list.currentItem();
    return item && item->isSelected() ? list.row(item) : -1;
}

} // namespace

TFrmstartup::TFrmstartup(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmstartup>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->TabControl1, &QTabWidget::currentChanged, this, &TFrmstartup::TabControl1Change);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &TFrmstartup::BitBtn4Click);
    connect(m_ui->CmdRemove, &QPushButton::clicked, this, &TFrmstartup::CmdRemoveClick);
    connect(m_ui->EdFilter, &QLineEdit::textChanged, this, &TFrmstartup::EdFilterChange);
    connect(m_ui->CmdRemoveService, &QPushButton::clicked, this, &TFrmstartup::CmdRemoveServiceClick);
    connect(m_ui->CmdBHORem, &QPushButton::clicked, this, &TFrmstartup::CmdBHORemClick);
    connect(m_ui->CmdBHO, &QPushButton::clicked, this, &TFrmstartup::CmdBHOClick);
    FormCreate();
}

TFrmstartup::~TFrmstartup() = default;

void TFrmstartup::FormCreate() {
    m_ui->CmdRemove->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    m_ui->CmdBHORem->setIcon(m_ui->CmdRemove->icon());
    form().guard([this] { ShowBHOState(); });
    ArrangeStartupTabs();
    selectFirst(*m_ui->ListRunningTasks);
}

void TFrmstartup::ReviewStartup() {
    form().guard([this] {
        AppContext& ctx = context();
        ScanStartupPoints(ctx);
        ScanBHOs(ctx);
        ctx.unit<StartupUnit>().ListRunningTasks.clear();
        Load_Running_Tasks();
        showLists();
    });
    context().modal.run(*this, QStringLiteral("TFrmstartup"));
}

void TFrmstartup::showLists() {
    const StartupUnit& u = context().unit<StartupUnit>();
    fill(*m_ui->ListStartup, u.ListStartup);
    fill(*m_ui->ListBHO, u.ListBHO);
    fill(*m_ui->ListServices, u.ListServices);
    fill(*m_ui->ListRunningTasks, u.ListRunningTasks);
    selectFirst(*m_ui->ListStartup);
    selectFirst(*m_ui->ListBHO);
    for (QListWidget* list : {m_ui->ListStartup, m_ui->ListBHO, m_ui->ListServices, m_ui->ListRunningTasks})
        setListExtent(*list, widestLineWidth(*list) + sizingFrameWidth() + 200);
}

void TFrmstartup::ArrangeStartupTabs() {
    const int tab = m_ui->TabControl1->currentIndex();
    const std::initializer_list<QWidget*> controls[] = {
        {m_ui->LblStartup, m_ui->ListStartup, m_ui->CmdRemove},
        {m_ui->LblBHO, m_ui->ListBHO, m_ui->CmdBHORem, m_ui->CmdBHO},
        {m_ui->LblRunningTasks, m_ui->ListRunningTasks},
        {m_ui->LblServices, m_ui->ListServices, m_ui->CmdRemoveService, m_ui->LblFilter, m_ui->EdFilter},
    };
    for (int i = 0; i < 4; ++i)
        for (QWidget* control : controls[i])
            control->setVisible(i == tab);
}

void TFrmstartup::TabControl1Change() {
    ArrangeStartupTabs();
}

void TFrmstartup::BitBtn4Click() {
    done(mrOk);
}

void TFrmstartup::CmdRemoveClick() {
    form().guard([this] {
        AppContext& ctx = context();
        const int answer = ctx.dialogs.messageDlg(
            MsgKind::Confirmation,
            QStringLiteral(
                "You have requested to remove the highlighted program above from your startup "
                "list.(This will remove it from your startup, so when you reboot this program will not "
                "automatically begin running anymore in the background). Do you wish to continue?"),
            MsgButtons::YesNoCancel);
        if (answer != mrYes) {
            ctx.dialogs.showMessage(QStringLiteral("Nothing removed from your system startup list"));
            return;
        }
        RemoveStartupEntry(ctx, highlightedRow(*m_ui->ListStartup));
    });
}

void TFrmstartup::EdFilterChange() {
    if (!FilterServices(context(), m_ui->EdFilter->text())) return;
    fill(*m_ui->ListServices, context().unit<StartupUnit>().ListServices);
    selectFirst(*m_ui->ListServices);
}

void TFrmstartup::CmdRemoveServiceClick() {
    form().guard([this] { RemoveService(context(), highlightedRow(*m_ui->ListServices)); });
}

void TFrmstartup::CmdBHORemClick() {
    form().guard([this] {
        if (!RemoveBHO(context(), highlightedRow(*m_ui->ListBHO))) return;
        fill(*m_ui->ListBHO, context().unit<StartupUnit>().ListBHO);
        selectFirst(*m_ui->ListBHO);
    });
}

void TFrmstartup::ShowBHOState() {
    if (const std::optional<bool> on = BrowserExtensionsEnabled(context()))
        m_ui->CmdBHO->setText(*on ? kDisableBhos : kEnableBhos);
}

void TFrmstartup::CmdBHOClick() {
    form().guard([this] {
        // Any caption but "Enable BHOs" (the designed "Disable BHO's" too) switches them off.
        const bool enable = m_ui->CmdBHO->text() == kEnableBhos;
        if (const std::optional<bool> on = SwitchBrowserExtensions(context(), enable))
            m_ui->CmdBHO->setText(*on ? kDisableBhos : kEnableBhos);
    });
}

void TFrmstartup::Load_Running_Tasks() {
    niv::Load_Running_Tasks(context());
    fill(*m_ui->ListRunningTasks, context().unit<StartupUnit>().ListRunningTasks);
}

} // namespace niv
