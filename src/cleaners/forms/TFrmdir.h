#pragma once

#include "core/forms/FormKit.h"

#include <cstdint>
#include <memory>

namespace Ui {
class TFrmdir;
}

namespace niv {

struct AppContext;

// The user's own cleanup list: created once when the program starts, it loads (or creates) the
// own-list file then and keeps its list for the run; entries are added, removed and cleaned here.
class TFrmdir final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmdir(AppContext& context, QWidget* parent = nullptr);
    ~TFrmdir() override;
    TFrmdir(const TFrmdir&) = delete;
    TFrmdir& operator=(const TFrmdir&) = delete;

    void FormCreate();
    void cmdaddClick();
    void BitBtn1Click();
    void cmddelClick();
    // The clean; also run by "Cleanup All !", with its own question.
    void cmdcleanClick();
    void cmdretClick();

private:
    // Stores a new entry and lists it at the bottom, or says the list is full.
    void addEntry(const QString& entry);
    void highlightFirst();

    std::unique_ptr<Ui::TFrmdir> m_ui;
    std::int16_t OwnListCount = 0;
};

} // namespace niv
