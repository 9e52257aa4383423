#pragma once

#include "platform/WindowTimer.h"

#include <memory>
#include <vector>

namespace niv {

// Timers on a clock that only moves when a test advances it.
class ScriptedTimers : public TimerFactory {
public:
    std::unique_ptr<WindowTimer> create() override;
    // Moves the clock on, running each enabled timer's handler once for every full interval that
    // passes, in time order.
    void advance(int milliseconds);

private:
    class Timer;
    std::shared_ptr<std::vector<Timer*>> m_live = std::make_shared<std::vector<Timer*>>();
    long long m_now = 0;
};

} // namespace niv
