#pragma once

#include <QByteArray>
#include <QImage>

namespace niv {

// Decodes a JPEG file's bytes with libjpeg. A damaged, truncated or oversized picture gives a null
// image; libjpeg's warnings about corrupt data count as damage.
QImage decodeJpeg(const QByteArray& data);

} // namespace niv
