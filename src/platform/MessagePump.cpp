#include "platform/MessagePump.h"

#include <QCoreApplication>

namespace niv {

void QtMessagePump::processMessages() {
    QCoreApplication::processEvents();
}

} // namespace niv
