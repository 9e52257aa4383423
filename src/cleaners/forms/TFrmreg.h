#pragma once

#include "core/forms/FormKit.h"

#include <memory>

class QListWidget;
class QPushButton;
class QWidget;

namespace Ui {
class TFrmreg;
}

namespace niv {

struct AppContext;

// "What You Search": the Run and Find histories (and on Windows XP the Search Assistant's), read
// once when the window is created at program start; each showing presents what removals left.
class TFrmreg final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmreg(AppContext& context, QWidget* parent = nullptr);
    ~TFrmreg() override;
    TFrmreg(const TFrmreg&) = delete;
    TFrmreg& operator=(const TFrmreg&) = delete;

    // Loads the lists. A value that is not text ends the reading with the error box; what was read
    // until then is listed.
    void FormCreate();
    void CmdrunClick();
    void CmdfindClick();
    void BitBtn1Click();
    // Removes the selected line of `list` from the registry and the list; `button` tells the list.
    void RemoveHighlightedMru(QListWidget& list, QPushButton& button);

private:
    std::unique_ptr<Ui::TFrmreg> m_ui;
};

} // namespace niv
