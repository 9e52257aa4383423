#pragma once

#include <functional>
#include <memory>

namespace niv {

// A window's timer: an interval in milliseconds, an enabled flag and a
// handler run on every tick. Timers come from the context's factory so tests can advance time
// without waiting.
class WindowTimer {
public:
    virtual ~WindowTimer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    // Replaces the handler run on each tick.
    virtual void setOnTimer(std::function<void()> handler) = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A new timer, disabled, ticking every 1000 ms until given another interval.
    virtual std::unique_ptr<WindowTimer> create() = 0;
};

// Timers over QTimer, ticking in the application's event loop.
class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<WindowTimer> create() override;
};

} // namespace niv
