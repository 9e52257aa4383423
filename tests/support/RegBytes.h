#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>

namespace niv {

// Registry value data as Windows stores it, for building and checking hives in tests.

// UTF-16LE, with the closing NUL unless `terminate` is false.
inline QByteArray utf16Bytes(const QString& text, bool terminate = true) {
    QByteArray out;
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    if (terminate) out.append(2, '\0');
    return out;
}

// A little-endian DWORD.
inline QByteArray dwordBytes(std::uint32_t value) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Bytes given as numbers.
inline QByteArray byteList(std::initializer_list<int> list) {
    QByteArray out;
    for (int b : list)
        out.append(static_cast<char>(b));
    return out;
}

} // namespace niv
