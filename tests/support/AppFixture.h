#pragma once

#include "core/AppContext.h"
#include "platform/Registry.h"
#include "support/MachineBuilder.h"
#include "support/ScriptedModalRunner.h"
#include "support/ScriptedTimers.h"
#include "support/ScriptedUi.h"

namespace niv {

// A fresh machine with the program's scripted user-interface services and a context over them.
struct AppFixture {
    MachineBuilder b;
    ScriptedDialogs dialogs;
    ScriptedModalRunner modal;
    CountingMessagePump pump;
    FakeClipboard clipboard;
    AppContext ctx{b.machine(), dialogs, modal, pump, clipboard};
    std::shared_ptr<ScriptedTimers> timers = std::make_shared<ScriptedTimers>();

    AppFixture() { ctx.timers = timers; }

    // Sets the Windows NT version values (for example "6.1" for Windows 7).
    void windowsVersion(const QString& currentVersion) {
        const QString key = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
        b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("CurrentVersion"), currentVersion);
        b.regString(HKEY_LOCAL_MACHINE, key, QStringLiteral("CurrentBuildNumber"), QStringLiteral("7601"));
    }
};

} // namespace niv
