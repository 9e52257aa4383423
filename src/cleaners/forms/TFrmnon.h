#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QShowEvent;

namespace Ui {
class TFrmnon;
}

namespace niv {

struct AppContext;
struct JunkRow;
class TFrmaol;

// The Junk Files window. The main window creates it at start-up, when it counts the seven junk
// categories; "Junk Files" shows it with a summary line, a Cleanup and a Help button per category.
class TFrmnon final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate, then applies the saved size.
    explicit TFrmnon(AppContext& context, QWidget* parent = nullptr);
    ~TFrmnon() override;
    TFrmnon(const TFrmnon&) = delete;
    TFrmnon& operator=(const TFrmnon&) = delete;

    // The start-up count; an error ends it with the error box, keeping what was counted.
    void FormCreate();

    // The AOL tracks window that "AOL" shows and the window's "Cleanup All !" ends with; made
    // after this window, at program start.
    void setAolWindow(TFrmaol* aol) { m_aol = aol; }

    // The Cleanup buttons of the counted categories: the no-files line when nothing was found,
    // else a question, then the category's cleaner.
    void CmdActivexClick();
    void cmdindexClick();
    void cmdtempClick();
    void cmdstartClick();
    void CmdMCacheClick();
    void CmdotherClick();
    // Empties the recycle bin without asking.
    void CmdrecycleClick();
    // Shows the AOL tracks window.
    void CmdaolClick();
    // Every row above in the window's own order, then the AOL window's delete.
    void CmdCleanAllClick();
    // Shows or hides the list of temp files over the rows.
    void BitBtn1Click();
    void BitBtn7Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cleanupRow(const JunkRow& row);
    void showSummary();

    std::unique_ptr<Ui::TFrmnon> m_ui;
    TFrmaol* m_aol = nullptr;
};

} // namespace niv
