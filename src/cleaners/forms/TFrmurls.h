#pragma once

#include "cleaners/uurls.h"
#include "core/forms/FormKit.h"

#include <memory>

namespace Ui {
class TFrmurls;
}

namespace niv {

struct AppContext;

// The typed addresses of Internet Explorer and the Firefox places files: created for one opening,
// it reads the list when created and never again.
class TFrmurls final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate and applies the saved size.
    explicit TFrmurls(AppContext& context, QWidget* parent = nullptr);
    ~TFrmurls() override;
    TFrmurls(const TFrmurls&) = delete;
    TFrmurls& operator=(const TFrmurls&) = delete;

    void FormCreate();
    void cmdie2Click();
    void CmdIEAllClick();
    void CmdFirefoxClick();
    void BitBtn1Click();

private:
    // Shows the list as it now stands.
    void showList();

    std::unique_ptr<Ui::TFrmurls> m_ui;
    TypedUrlList m_list;
};

} // namespace niv
