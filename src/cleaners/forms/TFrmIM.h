#pragma once

#include "core/forms/FormKit.h"

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace Ui {
class TFrmIM;
}

namespace niv {

struct AppContext;

// The messenger logs found on the machine, one line per log: view one, or delete it. Created,
// filled and shown anew for every opening; it keeps no size.
class TFrmIM final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmIM(AppContext& context, QWidget* parent = nullptr);
    ~TFrmIM() override;
    TFrmIM(const TFrmIM&) = delete;
    TFrmIM& operator=(const TFrmIM&) = delete;

    // Lists every messenger's logs and highlights the first line.
    void FillInstantMessageList();
    // Deletes the log and, when that worked, its line; the first line is highlighted again.
    void DeleteImLog(const QString& path);

    void CmdViewClick();
    void ListBox1DblClick();
    void CmdDelClick();
    void ListBox1Click();
    void BitBtn3Click();

private:
    // The highlighted line; with an empty list, the no-logs message and nothing.
    std::optional<QString> highlightedLine();

    std::unique_ptr<Ui::TFrmIM> m_ui;
};

// The main window's "Review IM's": creates the window, fills it and shows it modally.
void ShowInstantMessages(AppContext& context, QWidget* owner);

} // namespace niv
