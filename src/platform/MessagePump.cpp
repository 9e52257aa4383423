#include "platform/MessagePump.h"

#include <QCoreApplication>

namespace niv {

void QtMessagePump::processMessages() {
    QCoreApplication::processEvents();
}

Pacer::Pacer(MessagePump* pump, ClockMs clock, int intervalMs)
    : m_pump(pump), m_clock(std::move(clock)), m_intervalMs(intervalMs) {
    if (!m_clock) m_steady.start();
}

bool Pacer::due() {
    const qint64 now = m_clock ? m_clock() : m_steady.elapsed();
    if (m_last >= 0 && now - m_last < m_intervalMs) return false;
    m_last = now;
    return true;
}

} // namespace niv
