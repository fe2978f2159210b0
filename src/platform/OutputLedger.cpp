#include "OutputLedger.h"

#include <algorithm>

void OutputLedger::written(qint64 bytes, bool endsMessage)
{
    written_ += bytes;
    if (endsMessage)
        ends_.push_back(written_);
}

void OutputLedger::handed(qint64 bytes, qint64 nowNs)
{
    if (bytes <= 0)
        return;
    handed_ = std::min(written_, handed_ + bytes);
    midMessage_ = !std::binary_search(ends_.begin(), ends_.end(), handed_);
    lineFreeNs_ = std::max(lineFreeNs_, nowNs) + bytes * byteNs_;
}

qint64 OutputLedger::inDevice(qint64 nowNs, qint64 reportedByDevice) const
{
    const qint64 model = lineFreeNs_ > nowNs ? (lineFreeNs_ - nowNs + byteNs_ - 1) / byteNs_ : 0;
    return std::min(handed_, std::max(model, reportedByDevice));
}

qint64 OutputLedger::sentEstimate(qint64 nowNs, qint64 reportedByDevice) const
{
    return handed_ - inDevice(nowNs, reportedByDevice);
}

void OutputLedger::prune(qint64 nowNs, qint64 reportedByDevice)
{
    const qint64 sent = sentEstimate(nowNs, reportedByDevice);
    while (!ends_.empty() && ends_.front() <= sent)
        ends_.pop_front();
}

qint64 OutputLedger::discard(qint64 nowNs, qint64 reportedByDevice)
{
    prune(nowNs, reportedByDevice);
    qint64 dropped = qint64(ends_.size());
    // A header written without its code yet counts as one more.
    if (written_ > (ends_.empty() ? sentEstimate(nowNs, reportedByDevice) : ends_.back()))
        ++dropped;
    reset();
    return dropped;
}

qint64 OutputLedger::wholeMessagesWithin(qint64 room, bool deviceEmpty) const
{
    qint64 upTo = handed_;
    for (const qint64 end : ends_) {
        if (end <= handed_)
            continue;
        if (end - handed_ > room && !(deviceEmpty && upTo == handed_))
            break;
        upTo = end;
    }
    return upTo - handed_;
}

qint64 OutputLedger::dropWaiting()
{
    auto firstWaiting = std::upper_bound(ends_.begin(), ends_.end(), handed_);
    // A message the device took part of (a short write) is finished, not cut.
    if (midMessage_ && firstWaiting != ends_.end())
        ++firstWaiting;
    const qint64 keepUpTo = firstWaiting == ends_.begin() ? handed_ : std::max(handed_, *(firstWaiting - 1));
    qint64 dropped = qint64(ends_.end() - firstWaiting);
    // A header written without its code yet counts as one more.
    if (written_ > std::max(handed_, ends_.empty() ? 0 : ends_.back()))
        ++dropped;
    ends_.erase(firstWaiting, ends_.end());
    written_ = keepUpTo;
    return dropped;
}

void OutputLedger::reset()
{
    written_ = handed_ = 0;
    midMessage_ = false;
    lineFreeNs_ = 0;
    ends_.clear();
}
