#pragma once

#include "serial/linesettings.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <QElapsedTimer>
#include <QThread>

namespace vq::ctl {

// What a display may still be doing with the last byte: taking it from its receiver, or, after
// its line changed, switching to the new one.
inline constexpr double kSettleMs = 20;

// Bytes handed to the driver are on the wire for as long as the line needs for them: until
// then the line keeps its speed, or the display would receive their end at another one.
class LineClock {
public:
    using Now = std::function<double()>; // milliseconds
    using Sleep = std::function<void(unsigned long microseconds)>;

    LineClock() : m_now(elapsed()), m_sleep([](unsigned long us) { QThread::usleep(us); }) {}
    LineClock(Now now, Sleep sleep) : m_now(std::move(now)), m_sleep(std::move(sleep)) {}

    void sent(qint64 bytes, const LineSettings& line)
    {
        m_busyUntil = std::max(m_busyUntil, m_now()) + bytes * line.frameBits() * 1000 / line.baud;
    }
    // Waits until what was sent has left, and a moment more, or until cutShort() says so; at
    // once when nothing was sent since the last wait.
    void waitOut(const std::function<bool()>& cutShort)
    {
        if (m_busyUntil <= m_waited)
            return;
        const double until = m_busyUntil + kSettleMs;
        // The time left is read once: read again for the sleep, it may have gone negative, and
        // a negative sleep turned unsigned never ends.
        for (double left = until - m_now(); left > 0 && !cutShort(); left = until - m_now())
            m_sleep(static_cast<unsigned long>(std::ceil(std::min(left, 10.0) * 1000)));
        m_waited = m_busyUntil;
    }

private:
    static Now elapsed()
    {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        return [clock] { return double(clock->nsecsElapsed()) / 1e6; };
    }

    Now m_now;
    Sleep m_sleep;
    double m_busyUntil = 0;
    double m_waited = 0;
};

} // namespace vq::ctl
