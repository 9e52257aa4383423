#pragma once

#include <QDialog>

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
class TFrmscandrv : public QDialog {
    Q_OBJECT
public:
    explicit TFrmscandrv(AppContext& context, QWidget* parent = nullptr);
    ~TFrmscandrv() override;

    // True while "Scan Drive Now" is walking a drive.
    bool scanning() const { return m_scanning; }

    void FormCreate();
    void BitBtn1Click();
    void CmdreturnClick();
    void FormCloseQuery(bool& canClose);

    // Escape closes the window the way its close box does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showError(const std::exception& error);

    AppContext& m_context;
    std::unique_ptr<Ui::TFrmscandrv> m_ui;
    bool m_scanning = false;
};

} // namespace niv
