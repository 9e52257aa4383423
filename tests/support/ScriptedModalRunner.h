#pragma once

#include "platform/widgets/ModalRunner.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace niv {

// Plays the user's part for modal windows. A test registers, per window class, what the user does
// when such a window is shown; every window shown is recorded, and one of a class with no handler
// fails the test and is closed with mrCancel.
//
// The window is shown (so its show handlers run, as under exec()), then the handler acts on it
// (ticks, types, clicks) and returns the modal result. A window still open after the handler is
// closed with done(result).
class ScriptedModalRunner : public ModalRunner {
public:
    using Handler = std::function<int(QDialog&)>;

    // Handles every showing of windows of this class; replaces an earlier handler.
    void onShow(const QString& className, Handler handler);
    // Shows windows of this class as the program does, under their own event loop, and acts on
    // them once it runs; a window the action leaves open is closed with mrCancel.
    void onExec(const QString& className, std::function<void(QDialog&)> whileShown);

    // The classes of the windows shown so far, in order.
    const QStringList& shown() const { return m_shown; }

    int run(QDialog& dialog, const QString& className) override;

private:
    QHash<QString, Handler> m_handlers;
    QHash<QString, std::function<void(QDialog&)>> m_execHandlers;
    QStringList m_shown;
};

} // namespace niv
