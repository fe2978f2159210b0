#include "ReplyReader.h"

#include "link/PhoneBytes.h"
#include "link/SerialLink.h"
#include "platform/SleepingWait.h"

#include <algorithm>
#include <cmath>

bool ReplyReader::WaitForReply()
{
    const auto ready = [this] { return port_.pendingCount() != 0 || port_.hungUp(); };
    if (ready())
        return true;
    const double seconds = double(replyTimeout_);
    const double ns = seconds > 0.0 ? std::min(seconds * 1e9, 9.0e18) : 0.0;
    SleepingWait wait;
    QObject::connect(&port_, &SerialPortService::activity, &wait, &SleepingWait::wake);
    return wait.until(QDeadlineTimer(std::chrono::nanoseconds(qint64(std::ceil(ns))), Qt::PreciseTimer), ready);
}

bool ReplyReader::ReadReplyByte(quint8& byte)
{
    for (;;) {
        if (!WaitForReply())
            return false;
        quint8 b = 0;
        const PortError error = port_.readByte(b);
        if (error.failed()) {
            SerialLink::ReportPortError(error);
            return false;
        }
        if (!PhoneBytes::IsSignalLevel(b)) {
            byte = b;
            return true;
        }
    }
}
