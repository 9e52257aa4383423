#pragma once

#include "app/Utimer_clean.h"
#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmtimerwindow;
}

namespace niv {

// "Automatic Nivora": which cleaners the main window's timer runs, and how often.
class TFrmtimerwindow final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmtimerwindow(AppContext& context, QWidget* parent = nullptr);
    ~TFrmtimerwindow() override;
    TFrmtimerwindow(const TFrmtimerwindow&) = delete;
    TFrmtimerwindow& operator=(const TFrmtimerwindow&) = delete;

    void FormCreate();
    void ScrollBar1Change();
    void BitBtn1Click();
    void BitBtn2Click();

    // Set by "Activate" only.
    bool AutoCleanActivated() const { return m_activated; }
    AutoCleanBoxes boxes() const;
    int minutes() const;

private:
    std::unique_ptr<Ui::TFrmtimerwindow> m_ui;
    bool m_activated = false;
};

} // namespace niv
