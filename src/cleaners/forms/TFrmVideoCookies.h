#pragma once

#include "core/forms/FormKit.h"
#include "platform/WinTypes.h"

#include <memory>
#include <vector>

class QWidget;

namespace Ui {
class TFrmVideoCookies;
}

namespace niv {

struct AppContext;

// The Flash site folders under the shared-objects folder, recycled on request. Created, filled
// and shown anew for every opening; it keeps no size.
class TFrmVideoCookies final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmVideoCookies(AppContext& context, QWidget* parent = nullptr);
    ~TFrmVideoCookies() override;
    TFrmVideoCookies(const TFrmVideoCookies&) = delete;
    TFrmVideoCookies& operator=(const TFrmVideoCookies&) = delete;

    // Walks the shared-objects folder into the lists; when there is none, says so and gives false:
    // the window is then not to be shown.
    bool LoadFlashCookies();

    void CmdDeleteAllClick();
    void CmdRemoveClick();
    void ListNameOnlyClick() {}
    void ListNameOnlyDblClick() {}

private:
    std::unique_ptr<Ui::TFrmVideoCookies> m_ui;
    std::vector<FileId> m_siteIds; // the folder the scan found on each line
};

} // namespace niv
