#pragma once

#include "core/forms/FormKit.h"
#include "tools/Udups.h"

#include <atomic>
#include <memory>
#include <vector>

class QWidget;

namespace Ui {
class TFrmDups;
}

namespace niv {

struct AppContext;

// The duplicate-file list: two scans of a drive fill it; each line can be inspected, opened or
// moved to the recycle bin. A window per opening.
class TFrmDups final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmDups(AppContext& context, QWidget* parent = nullptr);
    ~TFrmDups() override;
    TFrmDups(const TFrmDups&) = delete;
    TFrmDups& operator=(const TFrmDups&) = delete;

    // True while a scan walks the drive, letting window messages through.
    bool scanning() const { return form().busy(); }

    void CmdDupScanClick();
    void BitBtn1Click();
    void ListBox1Click();
    void CmdDelClick();
    void BitBtn2Click();
    void BitBtn4Click();

protected:
    // Closing while a scan runs stops it; the window closes once the scan has ended.
    void FormCloseQuery(bool& canClose) override;

private:
    template <class Scan> void runScan(Scan&& scan);

    std::unique_ptr<Ui::TFrmDups> m_ui;
    std::vector<DupSeen> m_seen; // what the scan saw of each line's file, row by row
    bool m_closeWhenStopped = false;
    std::atomic<bool> m_stop{false};
};

// The main window's "Review Dups": creates the window, shows it modally, frees it.
void ShowDuplicateFiles(AppContext& context, QWidget* owner);

} // namespace niv
