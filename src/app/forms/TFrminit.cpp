#include "app/forms/TFrminit.h"

#include "app/CleanupSteps.h"
#include "app/ULock.h"
#include "app/Uskins.h"
#include "app/Ustats.h"
#include "app/Utimer_clean.h"
#include "app/forms/TFrmAutoPwd.h"
#include "app/forms/TFrmLocked.h"
#include "app/forms/TFrmMiscMsg.h"
#include "app/forms/TFrmabout.h"
#include "app/forms/TFrmconfmsg.h"
#include "app/forms/TFrmenter.h"
#include "app/forms/TFrmscandrv.h"
#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "cleaners/forms/TFrmIM.h"
#include "cleaners/forms/TFrmVideoCookies.h"
#include "cleaners/forms/TFrmdir.h"
#include "cleaners/forms/TFrmdocs.h"
#include "cleaners/forms/TFrmnon.h"
#include "cleaners/forms/TFrmreg.h"
#include "cleaners/forms/TFrmurls.h"
#include "cleaners/forms/TFrmviewer.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "cleaners/unon.h"
#include "core/Maker.h"
#include "core/SettingsStore.h"
#include "platform/FileSys.h"
#include "platform/MessagePump.h"
#include "platform/Shell.h"
#include "platform/widgets/JpegDecoder.h"
#include "platform/widgets/ModalRunner.h"
#include "tools/forms/TFrmstartup.h"
#include "tools/USysLog.h"
#include "tools/forms/TFrmPerformance.h"
#include "tools/forms/TFrmDups.h"
#include "tools/forms/TFrmPicCache.h"
#include "ui_TFrminit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <utility>

namespace niv {

namespace {

// Where a panel line keeps its colour as a Windows colour value, so it can be read back.
constexpr const char* kColorProperty = "Color";

// The per-category buttons' handlers; the category table names each button.
constexpr std::pair<Category, void (TFrminit::*)()> kCategoryHandlers[] = {
    {CatNSCookies, &TFrminit::btnnsckClick},    {CatNSHistory, &TFrminit::btnnshClick},
    {CatNSCache, &TFrminit::btnnschClick},      {CatGCookies, &TFrminit::CmdGoogCookClick},
    {CatGHistory, &TFrminit::CmdGoogHistClick}, {CatGCache, &TFrminit::CmdGoogCacheClick},
    {CatIECookies, &TFrminit::btnieckClick},    {CatIEHistory, &TFrminit::btniehClick},
    {CatIECache, &TFrminit::btniechClick},
};

} // namespace

void setPanelLineColor(QLabel* label, std::uint32_t windowsColor) {
    const QColor color(int(windowsColor & 0xFF), int((windowsColor >> 8) & 0xFF),
                       int((windowsColor >> 16) & 0xFF));
    label->setProperty(kColorProperty, QVariant::fromValue(windowsColor));
    // The panel's style sheet gives font and text colour; the label's own adds the background.
    label->setStyleSheet(QStringLiteral("background-color: %1;").arg(color.name()));
}

std::uint32_t panelLineColor(const QLabel* label) {
    return label->property(kColorProperty).value<std::uint32_t>();
}

TFrminit::TFrminit(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_ui(std::make_unique<Ui::TFrminit>()),
      m_form(context, *this, SizeRecord::Restored, QStringLiteral("Frminit")) {
    m_ui->setupUi(this);
    m_ui->ImageSkin->lower();
    for (const CategoryInfo& row : categoryTable())
        m_boxes[row.category] = findChild<QCheckBox*>(QString::fromLatin1(row.checkBox));
    m_timer1 = m_context.timers->create();
    m_timer1->setOnTimer([this] { Timer1Timer(); });

    // Every other button and its handler, the windows it opens among them.
    const std::pair<QPushButton*, void (TFrminit::*)()> buttons[] = {
        {m_ui->cmdnv, &TFrminit::cmdnvClick},
        {m_ui->cmdexit, &TFrminit::cmdexitClick},
        {m_ui->Button1, &TFrminit::Button1Click},
        {m_ui->Button2, &TFrminit::Button2Click},
        {m_ui->Cmdcontact, &TFrminit::CmdcontactClick},
        {m_ui->cmdabout, &TFrminit::cmdaboutClick},
        {m_ui->CmdAutoForm, &TFrminit::CmdAutoFormClick},
        {m_ui->CmdLock, &TFrminit::CmdLockClick},
        {m_ui->Cmdothers, &TFrminit::CmdothersClick},
        {m_ui->Button4, &TFrminit::Button4Click},
        {m_ui->Cmdnon, &TFrminit::cmdnonClick},
        {m_ui->Cmdurl, &TFrminit::cmdurlClick},
        {m_ui->Cmddir, &TFrminit::cmddirClick},
        {m_ui->Cmdsettings, &TFrminit::CmdsettingsClick},
        {m_ui->CmdIMLogs, &TFrminit::CmdIMLogsClick},
        {m_ui->Cmdviewer, &TFrminit::CmdviewerClick},
        {m_ui->BitBtn1, &TFrminit::BitBtn1Click},
        {m_ui->Cmdstartup, &TFrminit::CmdstartupClick},
        {m_ui->CmdPerformance, &TFrminit::CmdPerformanceClick},
        {m_ui->CmdSpyware, &TFrminit::CmdSpywareClick},
        {m_ui->CmdDups, &TFrminit::CmdDupsClick},
        {m_ui->CmdPicCache, &TFrminit::CmdPicCacheClick},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    for (const auto& [category, handler] : kCategoryHandlers)
        connect(findChild<QPushButton*>(QString::fromLatin1(categoryInfo(category).button)),
                &QPushButton::clicked, this, handler);
    // The panel lines carry the panel's colour, which the cleanups grey and set back.
    for (QLabel* line :
         {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6, m_ui->Label7})
        setPanelLineColor(line, kPanelColor);

    m_windows.Frminit = this;
    FormCreate();
}

TFrminit::~TFrminit() = default;

void TFrminit::setWindows(const AppWindows& windows) {
    m_windows = windows;
    m_windows.Frminit = this;
    if (m_frmnon) m_frmnon->setAolWindow(m_windows.Frmaol);
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
    if (ctx.g.DataFolder.isEmpty())
        ctx.dialogs.messageDlg(MsgKind::Error, NoDataFolderText(), MsgButtons::Ok);
    else if (!CreateDataFolder(ctx))
        ctx.dialogs.messageDlg(
            MsgKind::Warning,
            QStringLiteral("Could not create a folder. Please right click this software and "
                           "choose the option to \"Run as Admin\" (only needs to be done one "
                           "time), as you currently do not have authority to create a temp "
                           "folder."),
            MsgButtons::Ok);

    m_form.restoreSize();
    m_form.centreOnScreen();

    if (ctx.g.IsWindows7) StartTaskListBatch(ctx);

    if (!ctx.g.ScanLogPath.isEmpty() && !FileExists(ctx.machine, ctx.g.ScanLogPath)) {
        TFrmscandrv scan(ctx, this);
        ctx.modal.run(scan, QStringLiteral("TFrmscandrv"));
    }

    const QString settingsFailure = LoadSettings(ctx);
    if (!settingsFailure.isEmpty()) ctx.dialogs.messageDlg(MsgKind::Error, settingsFailure, MsgButtons::Ok);
    for (int c = 0; c < CategoryCount; ++c)
        m_boxes[c]->setChecked(ctx.settings.categories[c]);
    loadSkin();

    ctx.unit<NetUnit>().ConfirmsCopy = ctx.settings.Confirms;
    ctx.unit<IeUnit>().ConfirmsCopy = ctx.settings.Confirms;
    ctx.unit<NonUnit>().ConfirmsCopy = ctx.settings.Confirms;
    try {
        m_frmnon = std::make_unique<TFrmnon>(ctx, this);
        m_frmie = std::make_unique<TFrmie>(ctx);
        m_frmnet = std::make_unique<TFrmnet>(ctx);
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
    if (!ReadSkinPicture(ctx, ctx.g.SkinFile, data)) {
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

void TFrminit::showSkinFile() {
    if (m_context.g.SkinFile == noSkinName()) {
        m_ui->ImageSkin->clear();
        return;
    }
    QByteArray data;
    if (!ReadSkinPicture(m_context, m_context.g.SkinFile, data)) return;
    const QImage image = decodeJpeg(data);
    if (!image.isNull()) m_ui->ImageSkin->setPixmap(QPixmap::fromImage(image));
}

void TFrminit::CmdsettingsClick() {
    m_form.guard([this] {
        if (!ShowSettingsDialog(m_context, this, m_windows)) return;
        setWindowState(windowState() | Qt::WindowMinimized);
        m_timer1->setInterval(m_context.g.AutoCleanInterval);
        m_timer1->setEnabled(true);
    });
}

void TFrminit::Timer1Timer() {
    // A tick that comes while a cleanup lets messages through waits for the next one.
    if (m_form.busy()) return;
    m_form.guard([this] { RunAutoCleanTick(m_context); });
}

void TFrminit::cmdexitClick() {
    // Choices that cannot be saved keep the window open, with the error box.
    m_form.guard([this] {
        SaveCleanupAllSelections(m_context, categoryChoices());
        close();
    });
}

void TFrminit::closeEvent(QCloseEvent* event) {
    // A clean lets window messages through between its steps: closing then would write the
    // locked-file batch before the clean has added its commands.
    if (m_form.busy()) {
        event->ignore();
        return;
    }
    FormCloseQuery();
    m_form.saveSize();
    event->accept();
}

void TFrminit::FormCloseQuery() {
    m_frmnon.reset();
    m_frmie.reset();
    m_frmnet.reset();
    RegisterLockedFileBatch(m_context);
}

void TFrminit::updateStatisticsPanel() {
    UpdateStatisticsPanel(m_context, {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5,
                                      m_ui->Label6, m_ui->Label7, m_ui->Label10});
}

void TFrminit::CmdLockClick() {
    m_form.guard([this] { ShowLockedFilesDialog(m_context, this); });
}

void TFrminit::CmdothersClick() {
    m_form.guard([this] { ShowViewedTrails(m_context, this); });
}

void TFrminit::CmdIMLogsClick() {
    m_form.guard([this] { ShowInstantMessages(m_context, this); });
}

void TFrminit::CmdviewerClick() {
    if (m_windows.Frmviewer) m_windows.Frmviewer->ShowCacheViewer();
}

void TFrminit::CmdDupsClick() {
    m_form.guard([this] { ShowDuplicateFiles(m_context, this); });
}

void TFrminit::CmdPicCacheClick() {
    m_form.guard([this] { ShowMediaFinder(m_context, this); });
}

void TFrminit::BitBtn1Click() {
    if (m_form.busy()) return;
    m_form.guard([this] {
        TFrmVideoCookies window(m_context, this);
        bool found = false;
        {
            // The walk lets messages through before the window shows: no button may start
            // anything, nor the window close, until it ends.
            BusyScope busy(m_form, cleanupButtons());
            found = window.LoadFlashCookies();
        }
        if (found) m_context.modal.run(window, QStringLiteral("TFrmVideoCookies"));
    });
}

void TFrminit::CmdstartupClick() {
    if (m_windows.Frmstartup) m_windows.Frmstartup->ReviewStartup();
}

void TFrminit::CmdSpywareClick() {
    m_form.guard([this] { ReviewSysLog(m_context); });
}

void TFrminit::CmdPerformanceClick() {
    m_form.guard([this] { ShowPerformance(m_context, this); });
}

void TFrminit::Button4Click() {
    if (m_windows.Frmreg) m_context.modal.run(*m_windows.Frmreg, QStringLiteral("TFrmreg"));
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

void TFrminit::cmdnonClick() {
    if (!m_frmnon) return;
    m_context.modal.run(*m_frmnon, QStringLiteral("TFrmnon"));
    updateStatisticsPanel();
}

void TFrminit::cmdurlClick() {
    TFrmurls window(m_context, this);
    m_context.modal.run(window, QStringLiteral("TFrmurls"));
}

void TFrminit::cmddirClick() {
    if (m_windows.Frmdir) m_context.modal.run(*m_windows.Frmdir, QStringLiteral("TFrmdir"));
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

std::vector<QWidget*> TFrminit::cleanupButtons() const {
    // The window's own buttons only: the long-lived windows it owns hold buttons too, and the
    // statistics window is shown while a run still holds the guard.
    std::vector<QWidget*> out;
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button->window() == this) out.push_back(button);
    return out;
}

bool TFrminit::ticked(Category c) const {
    return m_boxes[c]->isChecked();
}

void TFrminit::greyLine(const char* panelLine, bool grey) {
    if (auto* line = findChild<QLabel*>(QString::fromLatin1(panelLine)))
        setPanelLineColor(line, grey ? kGreyedLineColor : kPanelColor);
}

void TFrminit::refreshPanel() {
    updateStatisticsPanel();
}

void TFrminit::showResults() {
    if (m_windows.Frmstats) m_windows.Frmstats->ShowStatisticsWindow();
}

void TFrminit::cmdnvClick() {
    if (m_form.busy() || !AskCleanupAll(m_context)) return;
    m_form.guard([this] {
        BusyScope busy(m_form, cleanupButtons());
        RunCleanupAll(m_context, *this);
    });
}

void TFrminit::cleanCategory(Category category) {
    if (m_form.busy() || !AskCleanCategory(m_context, category)) return;
    m_form.guard([this, category] {
        BusyScope busy(m_form, cleanupButtons());
        CleanCategory(m_context, *this, category);
    });
}

void TFrminit::btnnsckClick() {
    cleanCategory(CatNSCookies);
}

void TFrminit::btnnshClick() {
    cleanCategory(CatNSHistory);
}

void TFrminit::btnnschClick() {
    cleanCategory(CatNSCache);
}

void TFrminit::CmdGoogCookClick() {
    cleanCategory(CatGCookies);
}

void TFrminit::CmdGoogHistClick() {
    cleanCategory(CatGHistory);
}

void TFrminit::CmdGoogCacheClick() {
    cleanCategory(CatGCache);
}

void TFrminit::btnieckClick() {
    cleanCategory(CatIECookies);
}

void TFrminit::btniehClick() {
    cleanCategory(CatIEHistory);
}

void TFrminit::btniechClick() {
    cleanCategory(CatIECache);
}

} // namespace niv
