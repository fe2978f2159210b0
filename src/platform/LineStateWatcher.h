// The modem-status lines (DSR, CTS, DCD) of an open port, watched for a pulled cable: a line
// that was up when the port opened and drops is a hang-up. Polled a few times a second and only
// while a port is open; a device that cannot report its lines (a pseudo-terminal, some USB
// adapters) is not polled at all.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class LineStateWatcher : public QObject {
    Q_OBJECT
public:
    // The lines' TIOCM_DSR, TIOCM_CTS and TIOCM_CAR bits of a device, or nothing when it cannot
    // tell. The default asks the device itself.
    using Source = std::function<std::optional<int>(int fd)>;
    static std::optional<int> DeviceLines(int fd);
    static constexpr int kPollMs = 250;

    explicit LineStateWatcher(QObject* parent = nullptr);

    void setSource(Source source) { source_ = source ? std::move(source) : Source(DeviceLines); }
    // Watches the lines that are up now; nothing to watch, nothing polled.
    void start(int fd);
    void stop();
    bool watching() const { return timer_.isActive(); }

Q_SIGNALS:
    // A watched line dropped; once per start.
    void dropped();

private:
    void poll();

    Source source_ = DeviceLines;
    int fd_ = -1;
    int watched_ = 0;
    QTimer timer_;
};
