#pragma once

#include "core/forms/FormKit.h"

#include <exception>
#include <memory>

class QCloseEvent;

namespace Ui {
class TFrmscandrv;
}

namespace niv {

struct AppContext;

// The drive-scan window: walks a chosen drive and records in the scan log what it finds. Shown
// modally ("TFrmscandrv") at the first start and from the settings dialog.
class TFrmscandrv final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmscandrv(AppContext& context, QWidget* parent = nullptr);
    ~TFrmscandrv() override;

    // True while "Scan Drive Now" is walking a drive.
    bool scanning() const { return form().busy(); }

    void FormCreate();
    void BitBtn1Click();
    void CmdreturnClick();
    TFrmscandrv(const TFrmscandrv&) = delete;
    TFrmscandrv& operator=(const TFrmscandrv&) = delete;

protected:
    // Refuses only while a scan runs, which lets window messages through.
    void FormCloseQuery(bool& canClose) override;

private:
    std::unique_ptr<Ui::TFrmscandrv> m_ui;
};

} // namespace niv
