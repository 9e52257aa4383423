#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFrmMiscMsg;
}

namespace niv {

struct AppContext;

// The one-off notice for newer Windows versions. Its check box, ticked when the window closes
// (by "OK" or by the close box), stops the notice for good.
class TFrmMiscMsg : public QDialog {
    Q_OBJECT
public:
    explicit TFrmMiscMsg(AppContext& context, QWidget* parent = nullptr);
    ~TFrmMiscMsg() override;

    void BitBtn1Click();
    // Never refuses; stores "VistaMsg" false when CheckBox1 is ticked.
    void FormCloseQuery(bool& canClose);

    // Every way of closing (the OK button, the close box, Escape) ends here.
    void done(int result) override;

private:
    AppContext& m_context;
    std::unique_ptr<Ui::TFrmMiscMsg> m_ui;
};

} // namespace niv
