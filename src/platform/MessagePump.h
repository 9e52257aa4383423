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

// How long work lets window messages through: at most once per interval on the clock.
struct Pacing {
    MessagePump* pump = nullptr; // none: messages wait until the work ends
    ClockMs clock;               // empty: the host's steady clock
    int intervalMs = 50;         // 0: after every step
};

// Paces long work as its Pacing says. The first call is always due.
class Pacer {
public:
    explicit Pacer(Pacing pacing);
    // True at most once per interval: the moment to show progress and let messages through.
    bool due();
    void pump() {
        if (m_p.pump) m_p.pump->processMessages();
    }
    // Lets messages through when due; without a pump the clock is not even read.
    void tick() {
        if (m_p.pump && due()) m_p.pump->processMessages();
    }

private:
    Pacing m_p;
    qint64 m_last = -1;
    QElapsedTimer m_steady;
};

} // namespace niv
