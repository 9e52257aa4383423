#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QWidget;

namespace Ui {
class TFrmLocked;
}

namespace niv {

struct AppContext;

// The locked-files dialog: whether the locked-file batch runs at the next log-on.
class TFrmLocked final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmLocked(AppContext& context, QWidget* parent = nullptr);
    ~TFrmLocked() override;

    TFrmLocked(const TFrmLocked&) = delete;
    TFrmLocked& operator=(const TFrmLocked&) = delete;

    void FormCreate();
    void BitBtn3Click();
    // Whether "Always perform locked file cleanup" is selected.
    bool doLocked() const;

private:
    std::unique_ptr<Ui::TFrmLocked> m_ui;
};

// The main window's "Locked Files" button: shows the dialog with the current "Lockedj" and stores
// the choice; a choice that cannot be written raises PlatformError. The batch is registered by the choice
// only when the program closes.
void ShowLockedFilesDialog(AppContext& context, QWidget* owner);

} // namespace niv
