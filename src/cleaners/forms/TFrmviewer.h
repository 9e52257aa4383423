#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QWidget;

namespace Ui {
class TFrmviewer;
}

namespace niv {

struct AppContext;

// The cache viewer: lists the browsers' cache entries, all or only the viewable ones, and opens
// them. Created once at program start; its filter holds until the program ends, and every
// opening fills the list again.
class TFrmviewer final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmviewer(AppContext& context, QWidget* parent = nullptr);
    ~TFrmviewer() override;
    TFrmviewer(const TFrmviewer&) = delete;
    TFrmviewer& operator=(const TFrmviewer&) = delete;

    void FormCreate();
    // The main window's "Cache Viewer": fills the list, says so when it is empty, shows the window.
    void ShowCacheViewer();
    // Fills the list anew with the chosen filter.
    void FillViewerList();

    void CmdReloadClick();
    void ListbshowClick();
    void ListbshowDblClick();
    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TFrmviewer> m_ui;
};

} // namespace niv
