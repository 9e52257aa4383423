#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFrmlockedMsg;
}

namespace niv {

struct AppContext;

// Explains locked index files and how the locked-file cleanup deals with them.
class TFrmlockedMsg : public QDialog {
    Q_OBJECT
public:
    explicit TFrmlockedMsg(AppContext& context, QWidget* parent = nullptr);
    ~TFrmlockedMsg() override;

    Ui::TFrmlockedMsg& ui() { return *m_ui; }

    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TFrmlockedMsg> m_ui;
};

} // namespace niv
