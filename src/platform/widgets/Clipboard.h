#pragma once

#include <QString>

namespace niv {

// The system clipboard, as far as the program reads and clears it.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // True when the clipboard offers plain text.
    virtual bool hasText() const = 0;
    // The plain text on the clipboard; "" when it offers none.
    virtual QString text() const = 0;
    // Replaces the clipboard's contents with an empty text.
    virtual void clear() = 0;
};

} // namespace niv
