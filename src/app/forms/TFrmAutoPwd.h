#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmAutoPwd;
}

namespace niv {

struct AppContext;

// Clears what Internet Explorer remembers for search engines and web forms, and the user ids and
// passwords it stores.
class TFrmAutoPwd final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmAutoPwd(AppContext& context, QWidget* parent = nullptr);
    ~TFrmAutoPwd() override;
    TFrmAutoPwd(const TFrmAutoPwd&) = delete;
    TFrmAutoPwd& operator=(const TFrmAutoPwd&) = delete;

    // "Clear Search Engines or Passwords": asks, clears, and says what was removed.
    void BitBtn1Click();
    // "Return".
    void BitBtn2Click();

private:
    std::unique_ptr<Ui::TFrmAutoPwd> m_ui;
};

} // namespace niv
