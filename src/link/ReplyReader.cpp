#include "ReplyReader.h"

#include "link/PhoneBytes.h"
#include "link/SerialLink.h"
#include "platform/SleepingWait.h"


bool ReplyReader::WaitForReply()
{
    const auto ready = [this] { return port_.pendingCount() != 0 || port_.hungUp(); };
    if (ready())
        return true;
    SleepingWait wait;
    QObject::connect(&port_, &SerialPortService::activity, &wait, &SleepingWait::wake);
    return wait.until(DeadlineInSeconds(double(replyTimeout_)), ready);
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
