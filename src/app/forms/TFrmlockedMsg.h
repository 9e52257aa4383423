#pragma once

#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmlockedMsg;
}

namespace niv {

struct AppContext;

// Explains locked index files and how the locked-file cleanup deals with them.
class TFrmlockedMsg final : public TNivDialog {
    Q_OBJECT
public:
    explicit TFrmlockedMsg(AppContext& context, QWidget* parent = nullptr);
    ~TFrmlockedMsg() override;
    TFrmlockedMsg(const TFrmlockedMsg&) = delete;
    TFrmlockedMsg& operator=(const TFrmlockedMsg&) = delete;

    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TFrmlockedMsg> m_ui;
};

} // namespace niv
