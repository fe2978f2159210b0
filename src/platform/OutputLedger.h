// What is still on its way to the device, message by message: bytes written, bytes handed to
// the device, and a model of the line that sends them at its own speed. A pseudo-terminal
// reports no output queue at all, and a serial device reports only its own buffer; the model
// covers both, the device's report counts where it says more.
#pragma once

#include <QtGlobal>

#include <deque>

class OutputLedger {
public:
    // Nanoseconds one byte takes on the line (start, data, parity and stop bits).
    void setByteNs(qint64 ns) { byteNs_ = ns > 0 ? ns : 1; }
    qint64 byteNs() const { return byteNs_; }

    // A block given to the port; a key frame's header does not end its message.
    void written(qint64 bytes, bool endsMessage);
    // Bytes that left the program for the device at `nowNs`.
    void handed(qint64 bytes, qint64 nowNs);
    // Bytes handed to the device that the line has not sent yet.
    qint64 inDevice(qint64 nowNs, qint64 reportedByDevice) const;
    // Bytes written that have not left the program (the port's own buffer).
    qint64 notHanded() const { return written_ - handed_; }

    // Of what has not left the program, how much may go to a device with `room` bytes free:
    // whole messages only, and the next one even if larger when the device is empty.
    qint64 wholeMessagesWithin(qint64 room, bool deviceEmpty) const;
    // Drops the messages that have not begun to leave the program; one already begun stays
    // whole. Returns how many were dropped.
    qint64 dropWaiting();
    // Everything not yet on the line is dropped: the messages that had not begun, and the one
    // the line was in the middle of. Returns how many.
    qint64 discard(qint64 nowNs, qint64 reportedByDevice);
    // Forgets what the line has certainly sent.
    void prune(qint64 nowNs, qint64 reportedByDevice);
    void reset();

private:
    qint64 sentEstimate(qint64 nowNs, qint64 reportedByDevice) const;

    qint64 byteNs_ = 11 * 1'000'000'000LL / 600;
    qint64 written_ = 0;
    qint64 handed_ = 0;
    qint64 lineFreeNs_ = 0;
    bool midMessage_ = false;  // the device took only part of a message
    std::deque<qint64> ends_;  // stream offsets where messages end, not yet sent
};
