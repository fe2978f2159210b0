// From a key event in the real main window (offscreen) to its frame's last byte at the far
// end of a pseudo-terminal. The far end is read by a thread of its own, as a handset in
// another process would read it, so the time is the wire's and not this process's turn.
#include "BenchMode.h"
#include "IdleLine.h"
#include "TypingWindow.h"

#include <QElapsedTimer>

#include <algorithm>
#include <optional>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class FarEnd {
public:
    bool open()
    {
        termios raw{};
        cfmakeraw(&raw);
        cfsetispeed(&raw, B600);
        cfsetospeed(&raw, B600);
        char name[256] = {};
        if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
            return false;
        path_ = QString::fromLocal8Bit(name);
        reader_ = std::thread([this] { read(); });
        return true;
    }
    ~FarEnd()
    {
        ::close(slave_); // the reader's read() then ends
        if (reader_.joinable())
            reader_.join();
        ::close(master_);
    }
    QString path() const { return path_; }
    qint64 received()
    {
        std::lock_guard lock(mutex_);
        return count_;
    }
    // Sleeps until `count` bytes have come; the monotonic time (ns) the last of them came.
    std::optional<qint64> waitFor(qint64 count)
    {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return count_ >= count; }))
            return std::nullopt;
        return lastNs_;
    }

private:
    void read()
    {
        QElapsedTimer clock;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                return;
            std::lock_guard lock(mutex_);
            count_ += n;
            lastNs_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
            arrived_.notify_all();
        }
    }

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    qint64 count_ = 0;
    qint64 lastNs_ = 0;
};

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    const int keys = mode.size(300, 20);
    FarEnd far;
    if (!far.open())
        return 2;
    qputenv("YUBISAKI_COM1", far.path().toLocal8Bit());
    QTemporaryDir home;
    std::unique_ptr<frmMain> w = OpenTypingWindow(home);
    if (!w)
        return 2;

    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        if (!WaitForIdleLine(w->mscCOM())) {
            std::fprintf(stderr, "the line is still busy before key %d\n", i);
            return 2;
        }
        const qint64 expected = far.received() + 8;
        const qint64 start = nowNs();
        TypeLetter(*w, i);
        const std::optional<qint64> arrived = far.waitFor(expected);
        if (!arrived) {
            std::fprintf(stderr, "key %d did not arrive\n", i);
            return 2;
        }
        ms.push_back(double(*arrived - start) / 1e6);
        // What the window does after the frame left (the log box, painting) runs here.
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("key event to the frame's 8 bytes at the far end, %d keys: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                keys, median, p99, ms.back());
    w->chkPower->setValue(0);
    return mode.verdict("median under 0.5 ms, p99 under 2 ms", median < 0.5 && p99 < 2.0);
}
