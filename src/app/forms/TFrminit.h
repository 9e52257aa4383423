#pragma once

#include "app/AppContext.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;

namespace Ui {
class TFrminit;
}

namespace niv {

// The main window: its creation runs the program's start-up sequence.
class TFrminit : public QWidget {
    Q_OBJECT
public:
    explicit TFrminit(AppContext& context, QWidget* parent = nullptr);
    ~TFrminit() override;

    Ui::TFrminit& ui() { return *m_ui; }
    // The 18 category check boxes, in category order.
    const std::array<QCheckBox*, CategoryCount>& categoryBoxes() const { return m_boxes; }
    std::array<bool, CategoryCount> categoryChoices() const;
    QTimer& Timer1() { return m_timer1; }

    void FormCreate();
    void cmdexitClick();
    void Button1Click();
    void Button2Click();
    void CmdcontactClick();
    void cmdaboutClick();
    void CmdAutoFormClick();
    void CmdLockClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void loadSkin();
    void updateStatisticsPanel();

    AppContext& m_context;
    std::unique_ptr<Ui::TFrminit> m_ui;
    std::array<QCheckBox*, CategoryCount> m_boxes{};
    QTimer m_timer1;
};

} // namespace niv
