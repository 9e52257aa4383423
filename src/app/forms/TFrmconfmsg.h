#pragma once

#include "app/forms/AppWindows.h"
#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmconfmsg;
}

namespace niv {

// "NV Settings": three settings and the way to the drive scan, automatic cleanup, the kept cookies
// and the skins.
class TFrmconfmsg final : public TNivDialog {
    Q_OBJECT
public:
    // Restores the saved size; its creation turns automatic cleanup off. `windows`: the main window,
    // which shows a newly chosen skin, and the kept-cookie window.
    explicit TFrmconfmsg(AppContext& context, QWidget* parent = nullptr, const AppWindows& windows = {});
    ~TFrmconfmsg() override;
    TFrmconfmsg(const TFrmconfmsg&) = delete;
    TFrmconfmsg& operator=(const TFrmconfmsg&) = delete;

    void FormCreate();
    void CmdScanClick();
    void BitBtn3Click();
    void BitBtn4Click();
    void CmdkeepClick();
    void BitBtn1Click();

    // The controls from memory; "Wipe" is always shown off.
    void presetControls();
    bool confirms() const;
    bool wipe() const;
    bool tempAll() const;

private:
    std::unique_ptr<Ui::TFrmconfmsg> m_ui;
    AppWindows m_windows;
};

// The main window's "NV Settings": shows the dialog, writes its three settings (the error box when
// the key cannot be opened) and refreshes each cleaner unit's Confirms copy. True when automatic
// cleanup was activated while it was open.
bool ShowSettingsDialog(AppContext& context, QWidget* owner, const AppWindows& windows = {});

} // namespace niv
