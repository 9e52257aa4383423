// The program entry: opens the machine, refuses it when it cannot be used safely, and shows the
// main window.
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "cleaners/forms/TFrmaol.h"
#include "cleaners/forms/TFrmdir.h"
#include "cleaners/forms/TFrmreg.h"
#include "cleaners/forms/TFrmsavecookie.h"
#include "cleaners/forms/TFrmviewer.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/MachineSetup.h"
#include "platform/MessagePump.h"
#include "platform/RegHive.h"
#include "platform/Registry.h"
#include "platform/WinPath.h"
#include "platform/WineServer.h"
#include "platform/widgets/ModalRunner.h"
#include "platform/widgets/QtClipboard.h"
#include "platform/widgets/QtDialogs.h"
#include "tools/forms/TFrmstartup.h"

#include <QApplication>
#include <QThreadPool>

int main(int argc, char** argv) {
    niv::raiseOpenFileLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nivora"));

    const niv::EnvReader env = niv::processEnvironment();
    const niv::MachineChoice choice = niv::chooseMachine(env);
    niv::Machine machine(niv::MachineSettings{choice.root, QApplication::applicationDirPath().toStdString(),
                                              niv::machineUserName(env), true});
    niv::PathMapper paths{
        [&machine](const QString& winPath) {
            return QString::fromStdString(niv::resolve(machine, winPath).path);
        },
        [&machine](const QString& hostPath) { return niv::windowsPathOf(machine, hostPath.toStdString()); }};
    niv::QtDialogs dialogs(QStringLiteral("Nivora"), paths);
    const QString where = QString::fromStdString(choice.root);

    if (niv::wineServerRunning(machine)) {
        dialogs.messageDlg(niv::MsgKind::Error, niv::wineServerMessage(machine), niv::MsgButtons::Ok);
        return 1;
    }
    if (choice.needsCreation && !niv::createFreshMachine(machine)) {
        dialogs.messageDlg(niv::MsgKind::Error,
                           QStringLiteral("Could not create a Windows machine at %1.").arg(where),
                           niv::MsgButtons::Ok);
        return 1;
    }
    try {
        machine.registry().loadAll();
    } catch (const niv::PlatformError& e) {
        dialogs.messageDlg(niv::MsgKind::Error,
                           e.message() +
                               QStringLiteral("\n\nNivora cannot read this registry file and will not "
                                              "change it. Repair or remove it, then start Nivora again."),
                           niv::MsgButtons::Ok);
        return 1;
    }

    // Batch files run beside the window, as the command interpreter would.
    machine.setBatchRunner(
        [](std::function<void()> job) { QThreadPool::globalInstance()->start(std::move(job)); });

    niv::QtModalRunner modal;
    niv::QtMessagePump pump;
    niv::QtClipboard clipboard;
    niv::AppContext context(machine, dialogs, modal, pump, clipboard);
    niv::TFrminit mainWindow(context);
    // The windows that live for the whole run, created after the main window and owned by it.
    niv::AppWindows windows;
    niv::TFrmdir dir(context, &mainWindow);
    windows.Frmdir = &dir;
    niv::TFrmsavecookie savecookie(context, &mainWindow);
    windows.Frmsavecookie = &savecookie;
    niv::TFrmviewer viewer(context, &mainWindow);
    windows.Frmviewer = &viewer;
    niv::TFrmstats stats(context, &mainWindow);
    windows.Frmstats = &stats;
    niv::TFrmreg reg(context, &mainWindow);
    windows.Frmreg = &reg;
    niv::TFrmaol aol(context, &mainWindow);
    windows.Frmaol = &aol;
    niv::TFrmstartup startup(context, &mainWindow);
    windows.Frmstartup = &startup;
    mainWindow.setWindows(windows);
    mainWindow.show();
    const int result = QApplication::exec();
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
