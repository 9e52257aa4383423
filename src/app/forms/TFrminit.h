#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFrminit;
}

namespace niv {

struct AppContext;

// The main window.
class TFrminit : public QWidget {
    Q_OBJECT
public:
    explicit TFrminit(AppContext& context, QWidget* parent = nullptr);
    ~TFrminit() override;

private:
    AppContext& m_context;
    std::unique_ptr<Ui::TFrminit> m_ui;
};

} // namespace niv
