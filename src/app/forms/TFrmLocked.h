#pragma once

#include <QDialog>

#include <memory>

class QWidget;

namespace Ui {
class TFrmLocked;
}

namespace niv {

struct AppContext;

// The locked-files dialog: whether the locked-file batch runs at the next log-on.
class TFrmLocked : public QDialog {
    Q_OBJECT
public:
    explicit TFrmLocked(AppContext& context, QWidget* parent = nullptr);
    ~TFrmLocked() override;

    Ui::TFrmLocked& ui() { return *m_ui; }

    void FormCreate();
    void BitBtn3Click();
    // Never refuses; keeps the dialog's size in the scan log.
    void FormCloseQuery(bool& canClose);

    // Every way of closing ("Return", the close box, Escape) ends here.
    void done(int result) override;

private:
    AppContext& m_context;
    std::unique_ptr<Ui::TFrmLocked> m_ui;
};

// The main window's "Locked Files" button: shows the dialog with the current "Lockedj", restores
// and keeps its size, and stores the choice. The batch is registered by the choice only when the
// program closes.
void ShowLockedFilesDialog(AppContext& context, QWidget* owner);

} // namespace niv
