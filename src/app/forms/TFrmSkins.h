#pragma once

#include "core/forms/FormKit.h"

#include <QString>

#include <memory>

class QRadioButton;

namespace Ui {
class TFrmSkins;
}

namespace niv {

// The skins dialog: picks the main window's background picture, with a preview.
class TFrmSkins final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmSkins(AppContext& context, QWidget* parent = nullptr);
    ~TFrmSkins() override;
    TFrmSkins(const TFrmSkins&) = delete;
    TFrmSkins& operator=(const TFrmSkins&) = delete;

    void RadNoneClick();
    void RadSharkClick();
    void RadSunsetClick();
    void RadWildlifeClick();
    void RadNYCClick();
    void RadOceanClick();

    // Selects the button of the stored skin name (exactly), or "No Skin", and previews it.
    void selectStoredSkin();
    // The selected button's skin name; "skinnone" when no picture skin is selected.
    QString chosenSkin() const;

private:
    void pictureSkinClick(const char* name);
    QRadioButton* radio(const char* name) const;
    // Shows `SkinFile` in the preview when it can be read; the preview keeps its picture otherwise.
    void previewSkinFile();

    std::unique_ptr<Ui::TFrmSkins> m_ui;
};

// The settings dialog's "Skins": the dialog's whole life. The choice is stored as "Skin"; a settings
// key that cannot be opened gives the error box and stores nothing. `SkinFile` follows the clicks
// either way.
void ShowSkinsDialog(AppContext& context, QWidget* owner);

} // namespace niv
