#pragma once

#include "platform/widgets/Clipboard.h"

namespace niv {

// The application's QClipboard.
class QtClipboard : public Clipboard {
public:
    bool hasText() const override;
    QString text() const override;
    void clear() override;
};

} // namespace niv
