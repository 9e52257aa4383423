#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <functional>

namespace niv {

// Lets the application handle pending window messages during long work (ProcessMessages).
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void processMessages() = 0;
};

// QCoreApplication::processEvents.
class QtMessagePump : public MessagePump {
public:
    void processMessages() override;
};

// Milliseconds on a steady clock; tests inject their own.
using ClockMs = std::function<qint64()>;

// Paces long work: window messages go through at most once per interval on the given clock (the
// host's steady clock when it is empty). The first call is always due.
class Pacer {
public:
    Pacer(MessagePump* pump, ClockMs clock, int intervalMs);
    // True at most once per interval: the moment to show progress and let messages through.
    bool due();
    void pump() {
        if (m_pump) m_pump->processMessages();
    }
    // Lets messages through when due; without a pump the clock is not even read.
    void tick() {
        if (m_pump && due()) m_pump->processMessages();
    }

private:
    MessagePump* m_pump;
    ClockMs m_clock;
    int m_intervalMs;
    qint64 m_last = -1;
    QElapsedTimer m_steady;
};

} // namespace niv
