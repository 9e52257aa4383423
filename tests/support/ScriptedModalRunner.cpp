#include "support/ScriptedModalRunner.h"

#include <QDialog>

#include <gtest/gtest.h>

namespace niv {

void ScriptedModalRunner::onShow(const QString& className, Handler handler) {
    m_handlers.insert(className, std::move(handler));
}

int ScriptedModalRunner::run(QDialog& dialog, const QString& className) {
    m_shown.append(className);
    const auto handler = m_handlers.constFind(className);
    if (handler == m_handlers.constEnd()) {
        ADD_FAILURE() << "unexpected modal window " << className.toStdString() << ": no handler registered";
        return mrCancel;
    }
    // A copy: the handler may register handlers of its own while it runs.
    const Handler act = *handler;
    dialog.show();
    const int result = act(dialog);
    if (dialog.isVisible()) dialog.done(result);
    return result;
}

} // namespace niv
