#pragma once

#include "cleaners/udir.h"

#include <QByteArray>
#include <QStringList>

namespace niv::ownlisttest {

// An own-list file whose slots hold `entries` from Name1 on, every other slot "Null".
inline QByteArray ownListText(const QStringList& entries) {
    QByteArray text = "[Dirs]\r\n";
    for (int i = 1; i <= kOwnListSlots; ++i)
        text += "Name" + QByteArray::number(i) + "=" +
                (i <= entries.size() ? entries[i - 1].toUtf8() : QByteArray("Null")) + "\r\n";
    return text;
}

} // namespace niv::ownlisttest
