#include "PortDrain.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

// Asks again at least this often: a device may report its queue empty before the model does.
constexpr qint64 kStepNs = 20'000'000;

void sleepNs(qint64 ns)
{
    timespec pause{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

} // namespace

bool DrainOutput(const std::function<qint64()>& remainingNs, QDeadlineTimer deadline, qint64 settleNs)
{
    for (;;) {
        const qint64 rest = remainingNs();
        if (rest <= 0)
            break;
        if (deadline.hasExpired())
            return false;
        sleepNs(std::clamp<qint64>(std::min(rest, deadline.remainingTimeNSecs()), 1, kStepNs));
    }
    if (settleNs > 0)
        sleepNs(std::min(settleNs, std::max<qint64>(deadline.remainingTimeNSecs(), 0)));
    return true;
}
