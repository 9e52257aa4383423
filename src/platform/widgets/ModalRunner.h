#pragma once

#include "platform/ModalResult.h"

#include <QString>

class QDialog;

namespace niv {

// Every ShowModal of the program goes through one runner, so tests can play the user's part.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Shows `dialog` modally and returns its modal result. `className` is the window's class
    // ("TFrmExtension"), by which tests choose what to do.
    virtual int run(QDialog& dialog, const QString& className) = 0;
};

// The modal result of a dialog's exit code: a window closed by its close box (QDialog::Rejected)
// gives mrCancel; any other code is the modal result itself.
int modalResultOf(int dialogCode);

// Runs the dialog's own event loop.
class QtModalRunner : public ModalRunner {
public:
    int run(QDialog& dialog, const QString& className) override;
};

} // namespace niv
