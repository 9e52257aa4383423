#include "platform/WindowTimer.h"

#include <QTimer>

namespace niv {

namespace {

class QtWindowTimer final : public WindowTimer {
public:
    QtWindowTimer() {
        m_timer.setInterval(1000);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_handler) m_handler();
        });
    }
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override {
        if (enabled)
            m_timer.start();
        else
            m_timer.stop();
    }
    bool enabled() const override { return m_timer.isActive(); }
    void setOnTimer(std::function<void()> handler) override { m_handler = std::move(handler); }

private:
    QTimer m_timer;
    std::function<void()> m_handler;
};

} // namespace

std::unique_ptr<WindowTimer> QtTimerFactory::create() {
    return std::make_unique<QtWindowTimer>();
}

} // namespace niv
