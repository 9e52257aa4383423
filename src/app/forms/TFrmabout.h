#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFrmabout;
}

namespace niv {

struct AppContext;

// The about box: version, legal notice and disclaimer.
class TFrmabout : public QDialog {
    Q_OBJECT
public:
    // Takes the context like every window of the program, though it needs nothing from it.
    TFrmabout(AppContext& context, QWidget* parent = nullptr);
    ~TFrmabout() override;

    // Sets the six label texts; runs when the box is created.
    void FormCreate();
    void Button1Click();

private:
    std::unique_ptr<Ui::TFrmabout> m_ui;
};

} // namespace niv
