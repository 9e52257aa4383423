#include "app/forms/TFrmAutoPwd.h"

#include "app/UAutoPwd.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/WinTypes.h"
#include "ui_TFrmAutoPwd.h"

namespace niv {

TFrmAutoPwd::TFrmAutoPwd(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmAutoPwd>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmAutoPwd::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmAutoPwd::BitBtn2Click);
}

TFrmAutoPwd::~TFrmAutoPwd() = default;

void TFrmAutoPwd::BitBtn1Click() {
    Dialogs& dialogs = context().dialogs;
    const int answer = dialogs.messageDlg(
        MsgKind::Confirmation,
        QStringLiteral("This will remove the entries Internet Explorer remembers for search engines and web "
                       "forms, and the user ids and passwords it has stored. They cannot be brought back. "
                       "Do you want to continue?"),
        MsgButtons::YesNo);
    if (answer != mrYes) return;

    int removed = 0;
    try {
        removed = clearAutoFormEntries(context().machine);
    } catch (const PlatformError& e) {
        dialogs.messageDlg(MsgKind::Error,
                           QStringLiteral("The remembered entries and stored passwords could not be removed "
                                          "because of a registry error:\n") +
                               e.message(),
                           MsgButtons::Ok);
        return;
    }
    if (removed > 0) {
        dialogs.messageDlg(
            MsgKind::Information,
            QStringLiteral("Removed %1 remembered form entries and stored passwords.").arg(removed),
            MsgButtons::Ok);
    } else {
        dialogs.messageDlg(MsgKind::Information,
                           QStringLiteral("No remembered form entries or stored passwords were found."),
                           MsgButtons::Ok);
    }
}

void TFrmAutoPwd::BitBtn2Click() {
    done(mrOk);
}

} // namespace niv
