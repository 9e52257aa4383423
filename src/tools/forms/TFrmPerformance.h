#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmPerformance;
}

namespace niv {

struct AppContext;

// The memory figures of the moment the window was created, and the defragmenter launcher.
class TFrmPerformance final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmPerformance(AppContext& context, QWidget* parent = nullptr);
    ~TFrmPerformance() override;
    TFrmPerformance(const TFrmPerformance&) = delete;
    TFrmPerformance& operator=(const TFrmPerformance&) = delete;

    void FormCreate();
    void CmdDefragClick();
    void BitBtn3Click();
    void BitBtn2Click();

private:
    std::unique_ptr<Ui::TFrmPerformance> m_ui;
};

// The main window's "Performance": the window, owned by `owner`, shown modally and freed.
void ShowPerformance(AppContext& context, QWidget* owner);

} // namespace niv
