#pragma once

#include "app/AppContext.h"
#include "app/forms/CleanupSteps.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;

namespace Ui {
class TFrminit;
}

namespace niv {

class TFrmie;

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

    // "Cleanup All !" and the nine per-category buttons. The six Firefox/Chrome handlers do
    // nothing, and their buttons stay unbound, until that unit's cleaners are in place.
    void cmdnvClick();
    void btnnsckClick();
    void btnnshClick();
    void btnnschClick();
    void CmdGoogCookClick();
    void CmdGoogHistClick();
    void CmdGoogCacheClick();
    void btnieckClick();
    void btniehClick();
    void btniechClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCloseQuery();
    void loadSkin();
    void updateStatisticsPanel();
    void runCleanupAll();
    void runCleanupStep(const CleanupStep& step);
    void cleanCategory(void (TFrminit::*click)());
    void greyPanelLine(QLabel* line, bool grey);
    void showHandlerError(const std::exception& error);

    // Blocks "Cleanup All !", the per-category buttons and "Exit" while a cleanup runs, since the panel
    // lets window messages through between its steps.
    class CleanupRunGuard {
    public:
        explicit CleanupRunGuard(TFrminit& window);
        ~CleanupRunGuard();
        CleanupRunGuard(const CleanupRunGuard&) = delete;
        CleanupRunGuard& operator=(const CleanupRunGuard&) = delete;

    private:
        TFrminit& m_window;
        std::vector<std::pair<QWidget*, bool>> m_enabled;
    };
    std::vector<QWidget*> cleanupButtons() const;

    AppContext& m_context;
    std::unique_ptr<Ui::TFrminit> m_ui;
    std::array<QCheckBox*, CategoryCount> m_boxes{};
    QTimer m_timer1;
    bool m_cleaning = false;         // a Cleanup All or a per-category clean is running
    std::unique_ptr<TFrmie> m_frmie; // the Internet Explorer scanner, freed when the window closes
};

} // namespace niv
