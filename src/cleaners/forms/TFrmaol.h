#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmaol;
}

namespace niv {

struct AppContext;

// The AOL tracks window: created once when the program starts, it finds and reads the AOL track
// files then and lists the addresses they hold; "Delete These Tracks" deletes the files.
class TFrmaol final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmaol(AppContext& context, QWidget* parent = nullptr);
    ~TFrmaol() override;
    TFrmaol(const TFrmaol&) = delete;
    TFrmaol& operator=(const TFrmaol&) = delete;

    void FormCreate();
    // Deletes the track files when the list holds two lines or more; also run by the Junk Files
    // window's "Cleanup All !" without showing this window.
    void BitBtn2Click();
    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TFrmaol> m_ui;
};

} // namespace niv
