#include "app/forms/TFrmconfmsg.h"

#include "app/Utimer_clean.h"
#include "app/forms/TFrmSkins.h"
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmscandrv.h"
#include "app/forms/TFrmtimerwindow.h"
#include "cleaners/forms/TFrmsavecookie.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmconfmsg.h"

namespace niv {

namespace {

void refreshConfirmsCopies(AppContext& ctx) {
    ctx.unit<NetUnit>().ConfirmsCopy = ctx.settings.Confirms;
    ctx.unit<IeUnit>().ConfirmsCopy = ctx.settings.Confirms;
    ctx.unit<NonUnit>().ConfirmsCopy = ctx.settings.Confirms;
}

} // namespace

TFrmconfmsg::TFrmconfmsg(AppContext& context, QWidget* parent, const AppWindows& windows)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmconfmsg")),
      m_ui(std::make_unique<Ui::TFrmconfmsg>()), m_windows(windows) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->CmdScan, &QPushButton::clicked, this, &TFrmconfmsg::CmdScanClick);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TFrmconfmsg::BitBtn3Click);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &TFrmconfmsg::BitBtn4Click);
    connect(m_ui->Cmdkeep, &QPushButton::clicked, this, &TFrmconfmsg::CmdkeepClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmconfmsg::BitBtn1Click);
    FormCreate();
    form().restoreSize();
}

TFrmconfmsg::~TFrmconfmsg() = default;

void TFrmconfmsg::FormCreate() {
    ClearAutoClean(context());
}

void TFrmconfmsg::presetControls() {
    (context().settings.Confirms ? m_ui->Radconfon : m_ui->Radconfoff)->setChecked(true);
    // Wiping is chosen anew each time.
    m_ui->Radwipeoff->setChecked(true);
    m_ui->ChkAllTemp->setChecked(context().g.Tempall);
}

bool TFrmconfmsg::confirms() const {
    return m_ui->Radconfon->isChecked();
}

bool TFrmconfmsg::wipe() const {
    return m_ui->RadWipeOn->isChecked();
}

bool TFrmconfmsg::tempAll() const {
    return m_ui->ChkAllTemp->isChecked();
}

void TFrmconfmsg::CmdScanClick() {
    TFrmscandrv scan(context(), this);
    context().modal.run(scan, QStringLiteral("TFrmscandrv"));
}

void TFrmconfmsg::BitBtn3Click() {
    TFrmtimerwindow window(context(), this);
    context().modal.run(window, QStringLiteral("TFrmtimerwindow"));
    if (window.AutoCleanActivated()) ActivateAutoClean(context(), window.boxes(), window.minutes());
}

void TFrmconfmsg::BitBtn4Click() {
    form().guard([this] {
        ShowSkinsDialog(context(), this);
        if (m_windows.Frminit) m_windows.Frminit->showSkinFile();
    });
}

void TFrmconfmsg::CmdkeepClick() {
    if (TFrmsavecookie* window = m_windows.Frmsavecookie) form().guard([window] { window->fillAndShow(); });
}

void TFrmconfmsg::BitBtn1Click() {
    done(mrOk);
}

bool ShowSettingsDialog(AppContext& context, QWidget* owner, const AppWindows& windows) {
    TFrmconfmsg dialog(context, owner, windows);
    dialog.presetControls();
    context.modal.run(dialog, QStringLiteral("TFrmconfmsg"));
    bool saved = false;
    try {
        saved = SaveDialogSettings(context, dialog.confirms(), dialog.wipe(), dialog.tempAll());
    } catch (...) {
        refreshConfirmsCopies(context);
        // The caller starts no timer after an error, so automatic mode would only stop the
        // counters of every later cleanup.
        ClearAutoClean(context);
        throw;
    }
    if (!saved)
        context.dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral(
                "An error occurred while saving the settings. It appears to be a space error or registry "
                "error. You will not be able to use the confirmation settings while this error is "
                "happening."),
            MsgButtons::Ok);
    refreshConfirmsCopies(context);
    return context.g.AutoCleanMode;
}

} // namespace niv
