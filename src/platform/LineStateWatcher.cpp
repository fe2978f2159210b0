#include "LineStateWatcher.h"

#include <sys/ioctl.h>

namespace {
constexpr int kModemLines = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR;
} // namespace

std::optional<int> LineStateWatcher::DeviceLines(int fd)
{
    int lines = 0;
    if (fd < 0 || ::ioctl(fd, TIOCMGET, &lines) != 0)
        return std::nullopt;
    return lines;
}

LineStateWatcher::LineStateWatcher(QObject* parent) : QObject(parent)
{
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &LineStateWatcher::poll);
}

void LineStateWatcher::start(int fd)
{
    stop();
    const std::optional<int> lines = source_(fd);
    fd_ = fd;
    watched_ = lines ? *lines & kModemLines : 0;
    if (watched_ != 0)
        timer_.start();
}

void LineStateWatcher::stop()
{
    timer_.stop();
    fd_ = -1;
    watched_ = 0;
}

void LineStateWatcher::poll()
{
    const std::optional<int> lines = source_(fd_);
    // A device that stops answering is one that went away, which its read errors report.
    if (!lines) {
        stop();
        return;
    }
    if ((*lines & watched_) != watched_) {
        stop();
        Q_EMIT dropped();
    }
}
