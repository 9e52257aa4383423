#include "platform/MessagePump.h"

#include <QCoreApplication>

namespace niv {

void QtMessagePump::processMessages() {
    QCoreApplication::processEvents();
}

Pacer::Pacer(Pacing pacing) : m_p(std::move(pacing)) {
    if (!m_p.clock) m_steady.start();
}

bool Pacer::due() {
    const qint64 now = m_p.clock ? m_p.clock() : m_steady.elapsed();
    if (m_last >= 0 && now - m_last < m_p.intervalMs) return false;
    m_last = now;
    return true;
}

} // namespace niv
