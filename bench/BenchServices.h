#pragma once
// User-interface services for benchmarks: every message box is answered OK, every modal window
// closes at once, nothing is pumped and the clipboard stays empty.
#include "core/AppContext.h"
#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "platform/MessagePump.h"
#include "platform/widgets/Clipboard.h"
#include "platform/widgets/ModalRunner.h"

#include <string>

namespace bench {

struct QuietDialogs : niv::Dialogs {
    int messageDlg(niv::MsgKind, const QString&, niv::MsgButtons) override { return niv::mrOk; }
    bool inputQuery(const QString&, const QString&, QString&) override { return false; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&) override { return {}; }
};
struct CloseAtOnce : niv::ModalRunner {
    int run(QDialog&, const QString&) override { return niv::mrOk; }
};
struct NoPump : niv::MessagePump {
    void processMessages() override {}
};
struct NoClipboard : niv::Clipboard {
    bool hasText() const override { return false; }
    QString text() const override { return {}; }
    void clear() override {}
};

// The program's context over a machine folder, with the quiet services.
struct Program {
    explicit Program(const std::string& root, const std::string& programFolder = {})
        : machine(niv::MachineSettings{root, programFolder.empty() ? root + "/prog" : programFolder,
                                       QStringLiteral("bench"), true}) {}
    niv::Machine machine;
    QuietDialogs dialogs;
    CloseAtOnce modal;
    NoPump pump;
    NoClipboard clipboard;
    niv::AppContext ctx{machine, dialogs, modal, pump, clipboard};
};

} // namespace bench
