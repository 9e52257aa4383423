#pragma once

#include <QString>

namespace niv {

// The maker's addresses, under a domain reserved for examples.
inline QString makerWebAddress() {
    return QStringLiteral("https://www.example.com/nivora/");
}
inline QString supportEmailAddress() {
    return QStringLiteral("support@example.com");
}
inline QString supportEmailSubject() {
    return QStringLiteral("Nivora support question");
}

} // namespace niv
