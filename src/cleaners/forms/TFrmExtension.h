#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmExtension;
}

namespace niv {

struct AppContext;

// The wildcard chooser of the own list: a wildcard typed or picked from the presets.
class TFrmExtension final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmExtension(AppContext& context, QWidget* parent = nullptr);
    ~TFrmExtension() override;
    TFrmExtension(const TFrmExtension&) = delete;
    TFrmExtension& operator=(const TFrmExtension&) = delete;

    // The text of `Edit1`, however the chooser was closed.
    QString wildcard() const;

    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();
    void RadioButton6Click();
    void RadioButton7Click();
    void RadioButton8Click();
    void RadioButton9Click();
    void RadioButton10Click();
    void RadioButton11Click();
    void RadioButton12Click();
    void BitBtn1Click();

private:
    void choosePreset(int radioButton);

    std::unique_ptr<Ui::TFrmExtension> m_ui;
};

} // namespace niv
