#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmMiscMsg;
}

namespace niv {

struct AppContext;

// The one-off notice for newer Windows versions. Its check box, ticked when the window closes
// (by "OK" or by the close box), stops the notice for good.
class TFrmMiscMsg final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmMiscMsg(AppContext& context, QWidget* parent = nullptr);
    ~TFrmMiscMsg() override;

    void BitBtn1Click();
    TFrmMiscMsg(const TFrmMiscMsg&) = delete;
    TFrmMiscMsg& operator=(const TFrmMiscMsg&) = delete;

protected:
    // Never refuses; stores "VistaMsg" false when CheckBox1 is ticked.
    void FormCloseQuery(bool& canClose) override;

private:
    std::unique_ptr<Ui::TFrmMiscMsg> m_ui;
};

} // namespace niv
