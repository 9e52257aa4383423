#include "app/forms/TFrminit.h"

#include "app/Maker.h"
#include "app/ULock.h"
#include "app/ufirst.h"
#include "app/forms/TFrmAutoPwd.h"
#include "app/forms/TFrmLocked.h"
#include "app/forms/TFrmMiscMsg.h"
#include "app/forms/TFrmabout.h"
#include "app/forms/TFrmenter.h"
#include "app/forms/TFrmscandrv.h"
#include "app/forms/TFrmstats.h"
#include "cleaners/uie.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/widgets/JpegDecoder.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrminit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

namespace niv {

TFrminit::TFrminit(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_ui(std::make_unique<Ui::TFrminit>()) {
    m_ui->setupUi(this);
    m_ui->ImageSkin->lower();
    m_boxes = {m_ui->ChkIECache, m_ui->ChkIECookies, m_ui->ChkIEHistory, m_ui->ChkNSCache, m_ui->ChkNSCookies,
               m_ui->ChkNSHistory, m_ui->ChkGCache, m_ui->ChkGCookies, m_ui->ChkGHistory, m_ui->ChkExcess,
               m_ui->ChkTemp, m_ui->ChkRecent, m_ui->Chkrecycle, m_ui->ChkOtherj, m_ui->ChkMedia,
               m_ui->ChkActiveX, m_ui->Chkurls, m_ui->ChkYourOwn};
    m_timer1.setParent(this);
    m_timer1.stop();

    connect(m_ui->cmdexit, &QPushButton::clicked, this, &TFrminit::cmdexitClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFrminit::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFrminit::Button2Click);
    connect(m_ui->Cmdcontact, &QPushButton::clicked, this, &TFrminit::CmdcontactClick);
    connect(m_ui->cmdabout, &QPushButton::clicked, this, &TFrminit::cmdaboutClick);
    connect(m_ui->CmdAutoForm, &QPushButton::clicked, this, &TFrminit::CmdAutoFormClick);
    connect(m_ui->CmdLock, &QPushButton::clicked, this, &TFrminit::CmdLockClick);

    m_context.mainWindow = this;
    FormCreate();
}

TFrminit::~TFrminit() {
    if (m_context.mainWindow == this) m_context.mainWindow = nullptr;
    if (m_context.Frmie == m_frmie.get()) m_context.Frmie = nullptr;
}

std::array<bool, CategoryCount> TFrminit::categoryChoices() const {
    std::array<bool, CategoryCount> out{};
    for (int c = 0; c < CategoryCount; ++c) out[c] = m_boxes[c]->isChecked();
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
        ctx.dialogs.messageDlg(MsgKind::Warning,
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
    for (int c = 0; c < CategoryCount; ++c) m_boxes[c]->setChecked(ctx.settings.categories[c]);
    loadSkin();

    ctx.ie.ConfirmsCopy = ctx.settings.Confirms;
    // The junk-file scanner (before) and the Firefox/Chrome scanner (after) come with their units.
    try {
        m_frmie = std::make_unique<TFrmie>(ctx);
        ctx.Frmie = m_frmie.get();
    } catch (const std::bad_alloc&) {
        ctx.dialogs.messageDlg(MsgKind::Error,
                               QStringLiteral("Forms could not be created! Please close some of your other windows "
                                              "then rerun this program again."),
                               MsgButtons::Ok);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }

    updateStatisticsPanel();

    {
        TFrmenter splash(ctx, this);
        ctx.modal.run(splash, QStringLiteral("TFrmenter"));
    }

    for (QString& command : ctx.g.LockedFileCommands) command.clear();

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
        ctx.dialogs.messageDlg(MsgKind::Plain,
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
    FormClose();
    event->accept();
}

void TFrminit::FormClose() {
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
        ctx.dialogs.messageDlg(MsgKind::Error,
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
    ctx.dialogs.messageDlg(MsgKind::Plain,
                           QStringLiteral("If you have any questions or concerns about this product, or any of our "
                                          "other products, we will gladly assist you! Simply send your question to "
                                          "Hollbrook support."),
                           MsgButtons::Ok);
    const QString mail = QStringLiteral("mailto:") + supportEmailAddress() + QStringLiteral("?subject=") +
                         QString::fromLatin1(QUrl::toPercentEncoding(supportEmailSubject()));
    if (ShellExecute(ctx.machine, QStringLiteral("open"), mail) < 32)
        ctx.dialogs.messageDlg(MsgKind::Plain,
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

} // namespace niv
