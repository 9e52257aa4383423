#include "platform/widgets/MessagePump.h"

#include <QCoreApplication>

namespace niv {

void QtMessagePump::processMessages() {
    QCoreApplication::processEvents();
}

} // namespace niv
