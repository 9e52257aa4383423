#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QListWidget;
class QWidget;

namespace Ui {
class TFrmstartup;
}

namespace niv {

struct AppContext;

// "BHO and System Startup Programs or Services": the start-up programs, browser helper objects,
// running tasks and services, each on its tab. Created once at program start; closing only hides
// it, and it opens again on the tab it was closed on.
class TFrmstartup final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmstartup(AppContext& context, QWidget* parent = nullptr);
    ~TFrmstartup() override;
    TFrmstartup(const TFrmstartup&) = delete;
    TFrmstartup& operator=(const TFrmstartup&) = delete;

    // "Review Startup": rescans the start-up points, services and helper objects, reloads the task
    // list, and shows the window modally.
    void ReviewStartup();

    void FormCreate();
    // Shows the controls of the current tab and hides the others.
    void ArrangeStartupTabs();
    void TabControl1Change();
    void BitBtn4Click();
    void CmdRemoveClick();
    void EdFilterChange();
    void CmdRemoveServiceClick();
    void CmdBHORemClick();
    void CmdBHOClick();
    // The caption of CmdBHO from the user's extension switch; kept when there is no such setting.
    void ShowBHOState();
    // Appends the task list to ListRunningTasks.
    void Load_Running_Tasks();

private:
    // Shows what the unit's lists hold now.
    void showLists();

    std::unique_ptr<Ui::TFrmstartup> m_ui;
};

} // namespace niv
