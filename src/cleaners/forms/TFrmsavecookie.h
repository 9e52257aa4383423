#pragma once

#include "cleaners/Usavecookies.h"
#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmsavecookie;
}

namespace niv {

// "Cookie Saver and Viewer": the Internet Explorer cookie files found, the kept list being edited
// and the text of the highlighted file. Made once at program start; refilled on every opening.
class TFrmsavecookie final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmsavecookie(AppContext& context, QWidget* parent = nullptr);
    ~TFrmsavecookie() override;
    TFrmsavecookie(const TFrmsavecookie&) = delete;
    TFrmsavecookie& operator=(const TFrmsavecookie&) = delete;

    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void Listbox_CookieClick();

    void LoadKeptCookieList();
    void SaveKeptCookieList();
    void ShowCookieFileContent();

    // The settings dialog's "Keep Cookies": fills the lists and shows the window modally. A cookie
    // file that cannot be read ends it with PlatformError before the window is shown.
    void fillAndShow();

private:
    std::unique_ptr<Ui::TFrmsavecookie> m_ui;
};

} // namespace niv
