#pragma once

#include "core/forms/FormKit.h"
#include "platform/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QWidget;

namespace Ui {
class TFrmPicCache;
}

namespace niv {

struct AppContext;
enum class MediaClass;

// The media finder: lists photos, videos, other personal files or a drive's thumbnail caches with
// their total size, shows and opens each, and recycles the chosen ones. A window per opening.
class TFrmPicCache final : public TNivDialog {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TFrmPicCache(AppContext& context, QWidget* parent = nullptr);
    ~TFrmPicCache() override;
    TFrmPicCache(const TFrmPicCache&) = delete;
    TFrmPicCache& operator=(const TFrmPicCache&) = delete;

    bool searching() const { return form().busy(); }
    std::int64_t foundBytesTotal() const { return FoundBytesTotal; }

    void FormCreate();
    void BitBtn1Click();
    void Image1Click();
    void ListBox1Click();
    void ListBox1DblClick();
    void CmdRemoveClick();
    void BitBtn2Click();
    void CmdcloseClick();

protected:
    // A window closed during a search stops it.
    void FormCloseQuery(bool& canClose) override;

private:
    MediaClass chosenClass() const;

    std::unique_ptr<Ui::TFrmPicCache> m_ui;
    std::int64_t FoundBytesTotal = 0;
    std::vector<FileId> m_fileIds; // the file the search found on each line, row by row
    std::atomic<bool> SearchStopped{false};
};

// The main window's "Search Other": creates the window, shows it modally, frees it.
void ShowMediaFinder(AppContext& context, QWidget* owner);

} // namespace niv
