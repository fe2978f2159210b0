#include "SleepingWait.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

bool SleepingWait::until(QDeadlineTimer deadline, const std::function<bool()>& done)
{
    for (;;) {
        if (done && done())
            return true;
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &SleepingWait::woken, &loop, &QEventLoop::quit);
        if (!deadline.isForever()) {
            // Round up: a timer that fires a fraction of a millisecond early would only
            // cost one more pass through this loop.
            const qint64 ns = deadline.remainingTimeNSecs();
            timer.start(std::chrono::milliseconds((ns + 999'999) / 1'000'000));
        }
        loop.exec();
    }
}

void SleepingWait::wake() { Q_EMIT woken(); }

void WaitSeconds(float seconds)
{
    if (!(seconds > 0.0f))
        return;
    const double ns = std::min(double(seconds) * 1e9, 9.0e18);
    SleepingWait wait;
    wait.until(QDeadlineTimer(std::chrono::nanoseconds(qint64(std::ceil(ns))), Qt::PreciseTimer), {});
}
