#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmabout;
}

namespace niv {

struct AppContext;

// The about box: version, legal notice and disclaimer.
class TFrmabout final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmabout(AppContext& context, QWidget* parent = nullptr);
    ~TFrmabout() override;
    TFrmabout(const TFrmabout&) = delete;
    TFrmabout& operator=(const TFrmabout&) = delete;

    // Sets the six label texts; runs when the box is created.
    void FormCreate();
    void Button1Click();

private:
    std::unique_ptr<Ui::TFrmabout> m_ui;
};

} // namespace niv
