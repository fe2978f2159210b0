#include "SleepingWait.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
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
        // Once the program is quitting every event loop returns at once: the wait ends
        // there rather than spinning to its deadline.
        if (loop.exec() < 0)
            return false;
    }
}

void SleepingWait::wake() { Q_EMIT woken(); }

QDeadlineTimer DeadlineInSeconds(double seconds)
{
    const double ns = seconds > 0.0 ? std::min(seconds * 1e9, 9.0e18) : 0.0;
    return QDeadlineTimer(std::chrono::nanoseconds(qint64(std::ceil(ns))), Qt::PreciseTimer);
}

void WaitSeconds(float seconds)
{
    if (!(seconds > 0.0f))
        return;
    SleepingWait wait;
    wait.until(DeadlineInSeconds(seconds), {});
}
