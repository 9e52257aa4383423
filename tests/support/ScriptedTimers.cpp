#include "support/ScriptedTimers.h"

#include <algorithm>
#include <limits>

namespace niv {

class ScriptedTimers::Timer final : public WindowTimer {
public:
    Timer(std::shared_ptr<std::vector<Timer*>> live, const long long& now)
        : m_live(std::move(live)), m_now(now) {
        m_live->push_back(this);
    }
    ~Timer() override { std::erase(*m_live, this); }
    void setInterval(int milliseconds) override {
        m_interval = milliseconds;
        restart();
    }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        restart();
    }
    bool enabled() const override { return m_enabled; }
    void setOnTimer(std::function<void()> handler) override { m_handler = std::move(handler); }

    // The next tick's time; none when the timer cannot tick.
    long long due() const {
        return m_enabled && m_interval > 0 ? m_start + m_interval : std::numeric_limits<long long>::max();
    }
    void tick() {
        m_start = due();
        if (m_handler) m_handler();
    }

private:
    // As with QTimer, a change of interval or a start counts the interval from now.
    void restart() { m_start = m_now; }

    std::shared_ptr<std::vector<Timer*>> m_live;
    const long long& m_now;
    int m_interval = 1000;
    bool m_enabled = false;
    long long m_start = 0;
    std::function<void()> m_handler;
};

std::unique_ptr<WindowTimer> ScriptedTimers::create() {
    return std::make_unique<Timer>(m_live, m_now);
}

void ScriptedTimers::advance(int milliseconds) {
    const long long end = m_now + milliseconds;
    for (;;) {
        Timer* next = nullptr;
        for (Timer* t : *m_live)
            if (!next || t->due() < next->due()) next = t;
        if (!next || next->due() > end) break;
        m_now = next->due();
        next->tick();
    }
    m_now = end;
}

} // namespace niv
