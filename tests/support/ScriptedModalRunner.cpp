#include "support/ScriptedModalRunner.h"

#include <QDialog>

#include <gtest/gtest.h>

namespace niv {

void ScriptedModalRunner::onShow(const QString& className, Handler handler) {
    m_execHandlers.remove(className);
    m_handlers.insert(className, std::move(handler));
}

void ScriptedModalRunner::onExec(const QString& className, std::function<void(QDialog&)> whileShown) {
    m_handlers.remove(className);
    m_execHandlers.insert(className, std::move(whileShown));
}

int ScriptedModalRunner::run(QDialog& dialog, const QString& className) {
    m_shown.append(className);
    if (const auto exec = m_execHandlers.constFind(className); exec != m_execHandlers.constEnd()) {
        const std::function<void(QDialog&)> act = *exec;
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, act] {
                act(dialog);
                if (dialog.isVisible()) dialog.reject(); // never leaves the test waiting
            },
            Qt::QueuedConnection);
        return modalResultOf(dialog.exec());
    }
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
