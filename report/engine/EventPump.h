#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace report {

// Lets the user interface process its events from inside a long run: at most every interval,
// so that the event loop is never kept waiting long and the run is not slowed by it.
class EventPump {
public:
    explicit EventPump(int intervalMs = 8) noexcept
        : m_interval(intervalMs)
    {
        m_timer.start();
    }

    // Processes the pending events when the interval has passed (or a turn was requested).
    void operator()()
    {
        if (due())
            now();
    }
    bool due() const noexcept { return m_requested || m_timer.elapsed() >= m_interval; }
    void now()
    {
        m_requested = false;
        QCoreApplication::processEvents();
        m_timer.restart();
    }
    // The next call processes the events whatever the time.
    void requestNow() noexcept { m_requested = true; }

private:
    QElapsedTimer m_timer;
    qint64 m_interval;
    bool m_requested = false;
};

} // namespace report
