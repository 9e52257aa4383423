#pragma once

#include <QDialog>
#include <QString>

#include <exception>
#include <utility>
#include <vector>

class QCloseEvent;
class QShowEvent;

namespace niv {

struct AppContext;

// How a window keeps its size in the scan log's window-size record.
enum class SizeRecord {
    None,     // keeps no size
    SaveOnly, // saved when it closes, never restored
    Restored, // restored when it is created, saved when it closes
};

// What every window of the program shares: its saved size, its placing, its busy state, its close step
// and the error box of a handler that failed.
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
    // True while a BusyScope of the window is open.
    bool busy() const { return m_busy; }
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
    friend class BusyScope;

    AppContext& m_context;
    QWidget& m_window;
    SizeRecord m_record;
    QString m_section;
    bool m_busy = false;
};

// Marks a window busy while its handler runs work that lets window messages through, and disables
// the given controls meanwhile; the window and each control get back their state on every way out.
// A handler that must not run twice at once returns while `busy()` is set.
class BusyScope final {
public:
    BusyScope(FormKit& form, const std::vector<QWidget*>& controls);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FormKit& m_form;
    bool m_wasBusy;
    std::vector<std::pair<QWidget*, bool>> m_enabled;
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
    // For a window placed in the centre of the screen: each showing centres it at the size it has
    // then, designed, restored or laid out.
    void centreWhenShown() { m_centred = true; }
    void showEvent(QShowEvent* event) override;

    AppContext& context() { return m_context; }
    FormKit& form() { return m_form; }
    const FormKit& form() const { return m_form; }

private:
    bool closeStep();

    AppContext& m_context;
    FormKit m_form;
    bool m_centred = false;
};

} // namespace niv
