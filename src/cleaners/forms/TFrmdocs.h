#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QWidget;

namespace Ui {
class TFrmdocs;
}

namespace niv {

struct AppContext;

// "What You Viewed": the recent-file lists of other programs, one line per entry, with their
// removal, viewing a listed file, and the clipboard track. Created anew for every opening.
class TFrmdocs final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmdocs(AppContext& context, QWidget* parent = nullptr);
    ~TFrmdocs() override;
    TFrmdocs(const TFrmdocs&) = delete;
    TFrmdocs& operator=(const TFrmdocs&) = delete;

    // Scans every source into the list, shows the count and the clipboard track.
    void LoadViewedTrails();
    // The count, or the empty state with the list and the removal buttons disabled.
    void ShowTrailCount();
    // The list's scroll range, from its widest line.
    void SetTrailListExtent();

    void ListBox1Click();
    void ListBox1DblClick();
    void CmdhighlightClick();
    void CmdallClick();
    void BitBtn2Click();

private:
    // Removes the selected trail; false when no line is selected.
    bool removeHighlighted();

    std::unique_ptr<Ui::TFrmdocs> m_ui;
};

// The main window's "What You View": creates the window, loads it and shows it modally. An error
// while loading ends it before the window shows.
void ShowViewedTrails(AppContext& context, QWidget* owner);

} // namespace niv
