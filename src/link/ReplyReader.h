// The reply reader: a sleeping wait for a reply byte with a time limit, and the read of one
// reply byte that skips unsolicited signal levels and reports a pulled cable.
#pragma once

#include "platform/SerialPortService.h"

class ReplyReader {
public:
    // `replyTimeout` is the window's ReplyTimeout, read at each wait.
    ReplyReader(SerialPortService& port, const float& replyTimeout) : port_(port), replyTimeout_(replyTimeout) {}

    // True as soon as a byte is pending (or the other end went away, so that the read says
    // so); false when ReplyTimeout seconds pass first. Measured on a monotonic clock.
    bool WaitForReply();
    // True with the byte stored; false with `byte` untouched on a timeout or a port error,
    // which has then been reported.
    bool ReadReplyByte(quint8& byte);

private:
    SerialPortService& port_;
    const float& replyTimeout_;
};
