#pragma once

#include "app/CleanupSteps.h"
#include "app/forms/AppWindows.h"
#include "core/AppContext.h"
#include "core/forms/FormKit.h"
#include "platform/WindowTimer.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;

namespace Ui {
class TFrminit;
}

namespace niv {

class TFrmie;
class TFrmnet;
class TFrmnon;

// Panel-line colours, as Windows colour values (blue in the high byte).
constexpr std::uint32_t kGreyedLineColor = 0x808080;
constexpr std::uint32_t kPanelColor = 0xDFE3E6;

// Gives a statistics-panel line the colour as its background; `panelLineColor` reads it back.
void setPanelLineColor(QLabel* label, std::uint32_t windowsColor);
std::uint32_t panelLineColor(const QLabel* label);

// The main window: its creation runs the program's start-up sequence. Its check boxes and
// statistics panel show what "Cleanup All !" and the per-category buttons do.
class TFrminit final : public QWidget, private CleanupProgress {
    Q_OBJECT
public:
    explicit TFrminit(AppContext& context, QWidget* parent = nullptr);
    ~TFrminit() override;
    TFrminit(const TFrminit&) = delete;
    TFrminit& operator=(const TFrminit&) = delete;

    // The 18 category check boxes, in category order.
    const std::array<QCheckBox*, CategoryCount>& categoryBoxes() const { return m_boxes; }
    std::array<bool, CategoryCount> categoryChoices() const;
    WindowTimer& Timer1() { return *m_timer1; }
    // The long-lived windows the program entry made after this one.
    void setWindows(const AppWindows& windows);
    // The Internet Explorer scanner, while the window is open.
    const TFrmie* Frmie() const { return m_frmie.get(); }

    void FormCreate();
    void cmdexitClick();
    void Button1Click();
    void Button2Click();
    void CmdcontactClick();
    void cmdaboutClick();
    void CmdAutoFormClick();
    void CmdLockClick();
    void CmdothersClick();
    void Button4Click();
    void cmdnonClick();
    void cmdurlClick();
    void cmddirClick();
    void CmdsettingsClick();
    // One tick of automatic cleanup.
    void Timer1Timer();
    // Shows the picture of `SkinFile`: cleared for "skinnone", kept when the file cannot be read.
    void showSkinFile();
    void CmdIMLogsClick();
    void CmdviewerClick();
    void BitBtn1Click();
    void CmdstartupClick();
    void CmdPerformanceClick();
    void CmdSpywareClick();
    void CmdDupsClick();
    void CmdPicCacheClick();

    // "Cleanup All !" and the nine per-category buttons.
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
    void cleanCategory(Category category);

    bool ticked(Category c) const override;
    void greyLine(const char* panelLine, bool grey) override;
    void refreshPanel() override;
    void showResults() override;

    // The buttons a cleanup or the Flash walk blocks, "Exit" included: both let window messages
    // through, and nothing may start or open in the middle of them.
    std::vector<QWidget*> cleanupButtons() const;

    AppContext& m_context;
    std::unique_ptr<Ui::TFrminit> m_ui;
    FormKit m_form;
    std::array<QCheckBox*, CategoryCount> m_boxes{};
    std::unique_ptr<WindowTimer> m_timer1;
    AppWindows m_windows;
    // The scanners, freed when the window closes; the Junk Files window is one of them.
    std::unique_ptr<TFrmnon> m_frmnon;
    std::unique_ptr<TFrmie> m_frmie;
    std::unique_ptr<TFrmnet> m_frmnet;
};

} // namespace niv
