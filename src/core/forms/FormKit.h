#pragma once

#include <QDialog>
#include <QString>

#include <exception>

class QCloseEvent;

namespace niv {

struct AppContext;

// How a window keeps its size in the scan log's window-size record.
enum class SizeRecord {
    None,     // keeps no size
    SaveOnly, // saved when it closes, never restored
    Restored, // restored when it is created, saved when it closes
};

// What every window of the program shares: its saved size, its close step and the error box of a
// handler that failed.
class FormKit final {
public:
    FormKit(AppContext& context, QWidget& window, SizeRecord record = SizeRecord::None,
            QString section = QString());
    FormKit(const FormKit&) = delete;
    FormKit& operator=(const FormKit&) = delete;

    // Applies each saved value that is not 0; the designed size stays otherwise.
    void restoreSize();
    // Saves the window's width and height, unless the window keeps no size.
    void saveSize();
    // Places the window, at its present size, in the centre of its screen's work area.
    void centreOnScreen();
    // The error box for an error a handler did not catch: the error's text and an OK button.
    void showError(const std::exception& error);
    // Runs a handler; an error ends it with the error box, and the program goes on.
    template <class Handler> void guard(Handler&& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            showError(e);
        }
    }

private:
    AppContext& m_context;
    QWidget& m_window;
    SizeRecord m_record;
    QString m_section;
};

// The program's dialogs: every way of closing one (its buttons, the close box, Escape, close())
// runs one close step: FormCloseQuery, then the saved size, then the dialog ends.
class TNivDialog : public QDialog {
    Q_OBJECT
public:
    void done(int result) override;

protected:
    TNivDialog(AppContext& context, QWidget* parent, SizeRecord record = SizeRecord::None,
               QString section = QString());

    // The window's own close query: clear `canClose` to stay open.
    virtual void FormCloseQuery(bool& canClose) { canClose = true; }
    void closeEvent(QCloseEvent* event) override;

    AppContext& context() { return m_context; }
    FormKit& form() { return m_form; }

private:
    bool closeStep();

    AppContext& m_context;
    FormKit m_form;
};

} // namespace niv
