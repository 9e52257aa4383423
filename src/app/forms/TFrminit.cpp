#include "app/forms/TFrminit.h"

#include "app/Maker.h"
#include "app/ULock.h"
#include "app/forms/TFrmAutoPwd.h"
#include "app/forms/TFrmLocked.h"
#include "app/forms/TFrmMiscMsg.h"
#include "app/forms/TFrmabout.h"
#include "app/forms/TFrmenter.h"
#include "app/forms/TFrmscandrv.h"
#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "cleaners/uie.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/widgets/JpegDecoder.h"
#include "platform/widgets/MessagePump.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrminit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace niv {

TFrminit::TFrminit(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_ui(std::make_unique<Ui::TFrminit>()) {
    m_ui->setupUi(this);
    m_ui->ImageSkin->lower();
    m_boxes = {m_ui->ChkIECache,   m_ui->ChkIECookies, m_ui->ChkIEHistory, m_ui->ChkNSCache,
               m_ui->ChkNSCookies, m_ui->ChkNSHistory, m_ui->ChkGCache,    m_ui->ChkGCookies,
               m_ui->ChkGHistory,  m_ui->ChkExcess,    m_ui->ChkTemp,      m_ui->ChkRecent,
               m_ui->Chkrecycle,   m_ui->ChkOtherj,    m_ui->ChkMedia,     m_ui->ChkActiveX,
               m_ui->Chkurls,      m_ui->ChkYourOwn};
    m_timer1.setParent(this);
    m_timer1.stop();

    connect(m_ui->cmdexit, &QPushButton::clicked, this, &TFrminit::cmdexitClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFrminit::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFrminit::Button2Click);
    connect(m_ui->Cmdcontact, &QPushButton::clicked, this, &TFrminit::CmdcontactClick);
    connect(m_ui->cmdabout, &QPushButton::clicked, this, &TFrminit::cmdaboutClick);
    connect(m_ui->CmdAutoForm, &QPushButton::clicked, this, &TFrminit::CmdAutoFormClick);
    connect(m_ui->CmdLock, &QPushButton::clicked, this, &TFrminit::CmdLockClick);
    connect(m_ui->cmdnv, &QPushButton::clicked, this, &TFrminit::cmdnvClick);
    // A per-category button is bound once its category's cleaner is part of the program.
    for (const CategoryButton& row : categoryButtons())
        if (row.cleanupStep().cleaner)
            connect(m_ui.get()->*row.button, &QPushButton::clicked, this, row.click);
    // The panel lines carry the panel's colour, which the cleanups grey and set back.
    for (QLabel* line :
         {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6, m_ui->Label7})
        setPanelLineColor(line, kPanelColor);

    m_context.mainWindow = this;
    FormCreate();
}

TFrminit::~TFrminit() {
    if (m_context.mainWindow == this) m_context.mainWindow = nullptr;
    if (m_context.Frmie == m_frmie.get()) m_context.Frmie = nullptr;
}

std::array<bool, CategoryCount> TFrminit::categoryChoices() const {
    std::array<bool, CategoryCount> out{};
    for (int c = 0; c < CategoryCount; ++c)
        out[c] = m_boxes[c]->isChecked();
    return out;
}

void TFrminit::FormCreate() {
    AppContext& ctx = m_context;
    ClassifySystem(ctx);
    if (ctx.WindowsVersionClass == 9 || ctx.WindowsVersionClass == 10) m_ui->CmdPerformance->hide();

    m_ui->ImageSkin->setGeometry(0, 0, 800, 600);
    m_ui->ImageSkin->clear();

    ComputeFolders(ctx);
    if (!CreateDataFolder(ctx))
        ctx.dialogs.messageDlg(
            MsgKind::Warning,
            QStringLiteral("Could not create a folder. Please right click this software and "
                           "choose the option to \"Run as Admin\" (only needs to be done one "
                           "time), as you currently do not have authority to create a temp "
                           "folder."),
            MsgButtons::Ok);

    const int w = ReadFormWidth(ctx, QStringLiteral("Frminit"));
    const int h = ReadFormHeight(ctx, QStringLiteral("Frminit"));
    resize(w != 0 ? w : width(), h != 0 ? h : height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    if (ctx.g.IsWindows7) StartTaskListBatch(ctx);

    if (!FileExists(ctx.machine, ctx.g.ScanLogPath)) {
        TFrmscandrv scan(ctx, this);
        ctx.modal.run(scan, QStringLiteral("TFrmscandrv"));
    }

    LoadSettings(ctx);
    for (int c = 0; c < CategoryCount; ++c)
        m_boxes[c]->setChecked(ctx.settings.categories[c]);
    loadSkin();

    ctx.ie.ConfirmsCopy = ctx.settings.Confirms;
    // The junk-file scanner (before) and the Firefox/Chrome scanner (after) come with their units.
    try {
        m_frmie = std::make_unique<TFrmie>(ctx);
        ctx.Frmie = m_frmie.get();
    } catch (const std::bad_alloc&) {
        ctx.dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral("Forms could not be created! Please close some of your other windows "
                           "then rerun this program again."),
            MsgButtons::Ok);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
        return;
    }

    updateStatisticsPanel();

    {
        TFrmenter splash(ctx, this);
        ctx.modal.run(splash, QStringLiteral("TFrmenter"));
    }

    for (QString& command : ctx.g.LockedFileCommands)
        command.clear();

    if (noticeDue(ctx)) {
        TFrmMiscMsg notice(ctx, this);
        ctx.modal.run(notice, QStringLiteral("TFrmMiscMsg"));
    }
}

void TFrminit::loadSkin() {
    AppContext& ctx = m_context;
    m_ui->ImageSkin->clear();
    ctx.g.SkinFile = skinFileOf(ctx);
    if (ctx.g.SkinName == u"skinnone") return;
    QByteArray data;
    if (!FileExists(ctx.machine, ctx.g.SkinFile) || !ReadFileBytes(ctx.machine, ctx.g.SkinFile, data)) {
        ctx.dialogs.messageDlg(
            MsgKind::Plain,
            QStringLiteral("A skin was not found. The software will operate as planned, but "
                           "you will not be able to set the skin without reinstalling the "
                           "software. You may want to set the skin to \"None\" to remove this "
                           "message"),
            MsgButtons::Ok);
        return;
    }
    // A damaged picture leaves the backdrop empty; start-up goes on.
    const QImage image = decodeJpeg(data);
    if (!image.isNull()) m_ui->ImageSkin->setPixmap(QPixmap::fromImage(image));
}

void TFrminit::cmdexitClick() {
    SaveCleanupAllSelections(m_context, categoryChoices());
    close();
}

void TFrminit::closeEvent(QCloseEvent* event) {
    // A clean lets window messages through between its steps: closing then would write the
    // locked-file batch before the clean has added its commands.
    if (m_cleaning) {
        event->ignore();
        return;
    }
    FormCloseQuery();
    event->accept();
}

void TFrminit::FormCloseQuery() {
    m_context.Frmie = nullptr;
    m_frmie.reset();
    RegisterLockedFileBatch(m_context);
    SaveFormSize(m_context, QStringLiteral("Frminit"), width(), height());
}

void TFrminit::updateStatisticsPanel() {
    UpdateStatisticsPanel(m_context, {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5,
                                      m_ui->Label6, m_ui->Label7, m_ui->Label10});
}

void TFrminit::CmdLockClick() {
    ShowLockedFilesDialog(m_context, this);
}

void TFrminit::Button1Click() {
    AppContext& ctx = m_context;
    const int result =
        ShellExecute(ctx.machine, QStringLiteral("open"), ctx.g.ExeFolder + QStringLiteral("\\index_t.htm"));
    if (result == 2)
        ctx.dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral("Either your system does not have a default webpage viewer (for "
                           "viewing the help webpage), or the help file was not found and was "
                           "deleted from your system."),
            MsgButtons::Ok);
}

void TFrminit::Button2Click() {
    AppContext& ctx = m_context;
    const QString page = ctx.g.ExeFolder + QStringLiteral("\\download.htm");
    if (ShellExecute(ctx.machine, QStringLiteral("open"), page) < 32)
        ShellExecute(ctx.machine, QStringLiteral("open"), makerWebAddress());
}

void TFrminit::CmdcontactClick() {
    AppContext& ctx = m_context;
    ctx.dialogs.messageDlg(
        MsgKind::Plain,
        QStringLiteral("If you have any questions or concerns about this product, or any of our "
                       "other products, we will gladly assist you! Simply send your question to "
                       "Hollbrook support."),
        MsgButtons::Ok);
    const QString mail = QStringLiteral("mailto:") + supportEmailAddress() + QStringLiteral("?subject=") +
                         QString::fromLatin1(QUrl::toPercentEncoding(supportEmailSubject()));
    if (ShellExecute(ctx.machine, QStringLiteral("open"), mail) < 32)
        ctx.dialogs.messageDlg(
            MsgKind::Plain,
            QStringLiteral("You cannot view this file because you do not have a default email "
                           "software setup. Simply email your question to support at ") +
                supportEmailAddress(),
            MsgButtons::Ok);
}

void TFrminit::cmdaboutClick() {
    TFrmabout about(m_context, this);
    m_context.modal.run(about, QStringLiteral("TFrmabout"));
}

void TFrminit::CmdAutoFormClick() {
    TFrmAutoPwd window(m_context, this);
    m_context.modal.run(window, QStringLiteral("TFrmAutoPwd"));
}

// --- "Cleanup All !" and the per-category buttons ---

TFrminit::CleanupRunGuard::CleanupRunGuard(TFrminit& window) : m_window(window) {
    m_window.m_cleaning = true;
    for (QWidget* button : m_window.cleanupButtons()) {
        m_enabled.emplace_back(button, button->isEnabled());
        button->setEnabled(false);
    }
}

TFrminit::CleanupRunGuard::~CleanupRunGuard() {
    for (const auto& [button, enabled] : m_enabled)
        button->setEnabled(enabled);
    m_window.m_cleaning = false;
}

std::vector<QWidget*> TFrminit::cleanupButtons() const {
    // "Exit" too: the window cannot close until the clean ends.
    std::vector<QWidget*> out{m_ui->cmdnv, m_ui->cmdexit};
    for (const CategoryButton& row : categoryButtons())
        out.push_back(m_ui.get()->*row.button);
    return out;
}

void TFrminit::showHandlerError(const std::exception& error) {
    m_context.dialogs.messageDlg(MsgKind::Error, QString::fromUtf8(error.what()), MsgButtons::Ok);
}

void TFrminit::greyPanelLine(QLabel* line, bool grey) {
    setPanelLineColor(line, grey ? kGreyedLineColor : kPanelColor);
    m_context.pump.processMessages();
}

void TFrminit::cmdnvClick() {
    AppContext& ctx = m_context;
    if (m_cleaning) return;
    if (ctx.dialogs.messageDlg(MsgKind::Confirmation, cleanupAllQuestion(), MsgButtons::YesNo) != mrYes) {
        ctx.dialogs.messageDlg(MsgKind::Information, nothingDeletedText(), MsgButtons::Ok);
        return;
    }
    try {
        CleanupRunGuard guard(*this);
        runCleanupAll();
    } catch (const std::exception& e) {
        // The run ends where the error arose; no line stays greyed as if still being cleaned.
        for (const CleanupStep& step : cleanupSteps())
            if (step.line) setPanelLineColor(m_ui.get()->*step.line, kPanelColor);
        setPanelLineColor(m_ui->Label7, kPanelColor);
        showHandlerError(e);
    }
}

void TFrminit::runCleanupAll() {
    AppContext& ctx = m_context;
    const auto& steps = cleanupSteps();
    bool junkGreyed = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const CleanupStep& step = steps[i];
        const bool spanStarts = step.junkSpan && (i == 0 || !steps[i - 1].junkSpan);
        const bool spanEnds = step.junkSpan && (i + 1 == steps.size() || !steps[i + 1].junkSpan);
        if (spanStarts) {
            // Greyed once for the whole span when any of its boxes is ticked.
            junkGreyed = false;
            for (std::size_t j = i; j < steps.size() && steps[j].junkSpan; ++j)
                junkGreyed = junkGreyed || (m_ui.get()->*steps[j].box)->isChecked();
            if (junkGreyed) greyPanelLine(m_ui->Label7, true);
        }
        runCleanupStep(step);
        if (spanEnds && junkGreyed) greyPanelLine(m_ui->Label7, false);
    }
    updateStatisticsPanel();
    if (ctx.settings.Confirms && ctx.Frmstats) ctx.Frmstats->ShowStatisticsWindow();
}

void TFrminit::runCleanupStep(const CleanupStep& step) {
    AppContext& ctx = m_context;
    if (!step.cleaner) return;
    if (!(m_ui.get()->*step.box)->isChecked()) return;
    if (step.gate == CleanupStep::Gate::Always) {
        step.cleaner(ctx, this);
        return;
    }
    // Read now: an earlier step of this run may have lowered it.
    if (step.counter(ctx).FoundFiles > 0) {
        QLabel* line = step.line ? m_ui.get()->*step.line : nullptr;
        if (line) greyPanelLine(line, true);
        step.cleaner(ctx, this);
        if (line) greyPanelLine(line, false);
    } else if (ctx.settings.Confirms && step.noFilesLine) {
        SetCategoryResult(ctx.g, step.slot, QString::fromLatin1(step.noFilesLine));
    }
}

void TFrminit::cleanCategory(void (TFrminit::*click)()) {
    AppContext& ctx = m_context;
    const auto& rows = categoryButtons();
    const auto row =
        std::find_if(rows.begin(), rows.end(), [click](const CategoryButton& r) { return r.click == click; });
    if (row == rows.end()) return;
    const CategoryButton& button = *row;
    const CleanupStep& step = button.cleanupStep();
    if (!step.cleaner || m_cleaning) return;
    const FoundCounter counted = step.counter(ctx);
    if (counted.FoundFiles <= 0) {
        if (ctx.settings.Confirms) SetCategoryResult(ctx.g, step.slot, QString::fromLatin1(step.noFilesLine));
        return;
    }
    const QString question = categoryQuestion(button, counted);
    if (ctx.dialogs.messageDlg(MsgKind::Warning, question, MsgButtons::YesNo) != mrYes) {
        ctx.dialogs.messageDlg(MsgKind::Information, nothingRemovedText(), MsgButtons::Ok);
        return;
    }
    try {
        CleanupRunGuard guard(*this);
        step.cleaner(ctx, this);
        updateStatisticsPanel();
    } catch (const std::exception& e) {
        showHandlerError(e);
    }
}

// Each handler finds its own row.
void TFrminit::btnnsckClick() {
    cleanCategory(&TFrminit::btnnsckClick);
}

void TFrminit::btnnshClick() {
    cleanCategory(&TFrminit::btnnshClick);
}

void TFrminit::btnnschClick() {
    cleanCategory(&TFrminit::btnnschClick);
}

void TFrminit::CmdGoogCookClick() {
    cleanCategory(&TFrminit::CmdGoogCookClick);
}

void TFrminit::CmdGoogHistClick() {
    cleanCategory(&TFrminit::CmdGoogHistClick);
}

void TFrminit::CmdGoogCacheClick() {
    cleanCategory(&TFrminit::CmdGoogCacheClick);
}

void TFrminit::btnieckClick() {
    cleanCategory(&TFrminit::btnieckClick);
}

void TFrminit::btniehClick() {
    cleanCategory(&TFrminit::btniehClick);
}

void TFrminit::btniechClick() {
    cleanCategory(&TFrminit::btniechClick);
}

} // namespace niv
