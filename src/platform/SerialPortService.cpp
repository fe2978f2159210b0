#include "SerialPortService.h"

#include "PortDrain.h"
#include "ProgramFolder.h"

#include <algorithm>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMetaObject>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kSource = QStringLiteral("mscCOM");

PortError makeError(int number, const QString& description)
{
    return PortError{number, kSource, description};
}

QSerialPort::Parity toQt(PortSettings::Parity p)
{
    switch (p) {
    case PortSettings::Parity::None: return QSerialPort::NoParity;
    case PortSettings::Parity::Even: return QSerialPort::EvenParity;
    case PortSettings::Parity::Odd: return QSerialPort::OddParity;
    case PortSettings::Parity::Mark: return QSerialPort::MarkParity;
    case PortSettings::Parity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::EvenParity;
}

QSerialPort::StopBits toQt(PortSettings::StopBits s)
{
    switch (s) {
    case PortSettings::StopBits::One: return QSerialPort::OneStop;
    case PortSettings::StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case PortSettings::StopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// A terminal that already holds exactly the raw settings Qt is about to apply can refuse
// them with EINVAL (seen on pseudo-terminals). Putting it into another state first lets
// the next open succeed; a real port is configured afresh by that open anyway.
void loosenTerminal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tio.c_cflag &= ~PARENB;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ::close(fd);
}

} // namespace

SerialPortService::SerialPortService(QObject* parent) : QObject(parent)
{
    settingsText_ = LinkSettingsText();
    settings_ = *ParsePortSettings(settingsText_);
    connect(&port_, &QSerialPort::readyRead, this, &SerialPortService::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPortService::onError);
    clock_.start();
    outputPoll_.setInterval(100);
    connect(&outputPoll_, &QTimer::timeout, this, &SerialPortService::pollOutput);
    connect(&lines_, &LineStateWatcher::dropped, this, &SerialPortService::hangUp);
}

SerialPortService::~SerialPortService()
{
    if (port_.isOpen())
        port_.close();
}

QString SerialPortService::DevicePathFor(int portNumber)
{
    const QString fromEnv = qEnvironmentVariable(qPrintable(QStringLiteral("YUBISAKI_COM%1").arg(portNumber)));
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString link = ProgramFolder() + QStringLiteral("com%1").arg(portNumber);
    const QFileInfo info(link);
    if (info.exists() || info.isSymLink())
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

void SerialPortService::setPortNumber(int portNumber) { portNumber_ = portNumber; }

PortError SerialPortService::setSettings(const QString& text)
{
    const std::optional<PortSettings> parsed = ParsePortSettings(text);
    if (!parsed)
        return makeError(PortErrorNumber::InvalidSettings,
                         QStringLiteral("通信設定 \"%1\" が正しくありません。").arg(text));
    settingsText_ = text;
    settings_ = *parsed;
    if (open_ && !hungUp_ && !(settings_ == applied_))
        return applySettings();
    return {};
}

PortError SerialPortService::applySettings()
{
    configuring_ = true;
    const bool ok = port_.setBaudRate(settings_.baudRate) && port_.setParity(toQt(settings_.parity))
                    && port_.setDataBits(QSerialPort::DataBits(settings_.dataBits))
                    && port_.setStopBits(toQt(settings_.stopBits))
                    && port_.setFlowControl(QSerialPort::NoFlowControl);
    configuring_ = false;
    if (!ok) {
        const PortError error = makeError(PortErrorNumber::CannotConfigure, port_.errorString());
        port_.clearError();
        return error;
    }
    applied_ = settings_;
    ledger_.setByteNs(ByteNanoseconds(applied_));
    return {};
}

PortError SerialPortService::errorFromPort(QSerialPort::SerialPortError error, const QString& path) const
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return makeError(PortErrorNumber::InvalidPort, port_.errorString());
    case QSerialPort::OpenError:
        return makeError(PortErrorNumber::PortInUse, port_.errorString());
    case QSerialPort::PermissionError:
        // Qt reports a lock held by another program and a lack of permission alike.
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 && errno == EACCES)
            return makeError(PortErrorNumber::PermissionDenied,
                             QStringLiteral("%1 を開く権限がありません。dialout グループに参加する必要があるかもしれません"
                                            "（sudo usermod -aG dialout $USER の後、ログインし直してください）。")
                                 .arg(path));
        return makeError(PortErrorNumber::PortInUse, port_.errorString());
    case QSerialPort::UnsupportedOperationError:
        return makeError(PortErrorNumber::CannotConfigure, port_.errorString());
    default:
        return makeError(PortErrorNumber::DeviceError, port_.errorString());
    }
}

PortError SerialPortService::open()
{
    if (open_)
        return makeError(PortErrorNumber::PortInUse, QStringLiteral("ポートはすでに開いています。"));
    if (portNumber_ < 1)
        return makeError(PortErrorNumber::InvalidPort, QStringLiteral("ポート番号 %1 はありません。").arg(portNumber_));
    const QString path = devicePath();
    port_.setPortName(path);
    port_.setBaudRate(settings_.baudRate);
    port_.setParity(toQt(settings_.parity));
    port_.setDataBits(QSerialPort::DataBits(settings_.dataBits));
    port_.setStopBits(toQt(settings_.stopBits));
    port_.setFlowControl(QSerialPort::NoFlowControl);

    configuring_ = true;
    bool ok = port_.open(QIODevice::ReadWrite);
    if (!ok && port_.error() == QSerialPort::UnsupportedOperationError) {
        port_.clearError();
        loosenTerminal(path);
        ok = port_.open(QIODevice::ReadWrite);
    }
    configuring_ = false;
    if (!ok) {
        const PortError error = errorFromPort(port_.error(), path);
        port_.clearError();
        return error;
    }
    applied_ = settings_;
    ledger_.setByteNs(ByteNanoseconds(applied_));
    open_ = true;
    hungUp_ = false;
    received_.clear();
    lines_.start(int(port_.handle()));
    return {};
}

void SerialPortService::close()
{
    lines_.stop();
    if (port_.isOpen()) {
        // Closing puts back the device's settings from before opening (Qt always does), and
        // whatever the device still held would leave at those: the last commands (the cable's
        // "off") leave whole first. What is held here moves on only when fed; the device's
        // report or the line model says the rest, and a moment more lets the line's last byte end.
        const Queue queue = outputQueue();
        const QDeadlineTimer deadline(std::min<qint64>(qint64(queue.seconds * 1000), kDrainMaxMs) + kDrainSlackMs);
        const qint64 settleNs = queue.bytes > 0 ? 2 * ledger_.byteNs() + kSettleNs : 0;
        const bool drained = DrainOutput(
            [this] {
                // A device that refuses the bytes is gone: nothing more will leave.
                return feed() ? qint64(outputQueue().seconds * 1e9) : 0;
            },
            deadline, settleNs);
        if (!drained)
            abandonOutput();
        // A device that went away meanwhile is closed already.
        if (port_.isOpen())
            port_.close();
    }
    held_.clear();
    pollOutput();
    port_.clearError();
    open_ = false;
    hungUp_ = false;
    hangUpEventDue_ = false;
    received_.clear();
}

PortError SerialPortService::write(const QByteArray& block, bool endsMessage)
{
    if (!open_)
        return makeError(PortErrorNumber::NotOpen, QStringLiteral("ポートが開いていません。"));
    if (hungUp_)
        return hangUpError(QStringLiteral("ポートの相手がいなくなりました。"));
    // A key frame goes to the device at once rather than on the next event-loop pass, as far
    // as the device's share allows; the poll feeds the rest as the line sends.
    ledger_.written(block.size(), endsMessage);
    held_.append(block);
    // A message's end is where the queue is worth reporting; the poll feeds, and follows the
    // queue while it drains.
    if (endsMessage)
        pollOutput();
    else
        feed();
    Q_EMIT written(block);
    return {};
}

PortError SerialPortService::readByte(quint8& byte)
{
    if (!open_)
        return makeError(PortErrorNumber::NotOpen, QStringLiteral("ポートが開いていません。"));
    if (received_.isEmpty())
        return hungUp_ ? hangUpError(QStringLiteral("受信データがありません。"))
                       : makeError(PortErrorNumber::NoByte, QStringLiteral("受信データがありません。"));
    byte = quint8(received_.front());
    received_.remove(0, 1);
    ++consumed_;
    return {};
}

void SerialPortService::discard()
{
    if (!received_.isEmpty())
        ++consumed_;
    received_.clear();
}

void SerialPortService::setReceiveThreshold(int threshold)
{
    threshold_ = threshold;
    if (threshold_ == 1 && !received_.isEmpty())
        scheduleReceiveEvent();
}

void SerialPortService::onReadyRead()
{
    received_.append(port_.readAll());
    Q_EMIT activity();
    if (threshold_ == 1 && !received_.isEmpty())
        scheduleReceiveEvent();
}

void SerialPortService::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || configuring_)
        return;
    hangUp();
}

void SerialPortService::hangUp()
{
    if (!open_ || hungUp_)
        return;
    // The other end is gone. Qt would repeat a read error in a tight loop while the device
    // stays open, so keep what arrived, close the device and raise one event with no byte.
    lines_.stop();
    if (port_.isOpen()) {
        received_.append(port_.readAll());
        port_.close();
    }
    held_.clear();
    pollOutput();
    port_.clearError();
    static quint64 hangUps = 0;
    hangUpId_ = ++hangUps;
    hungUp_ = true;
    hangUpEventDue_ = true;
    Q_EMIT activity();
    scheduleReceiveEvent();
}

PortError SerialPortService::hangUpError(const QString& description) const
{
    PortError error = makeError(PortErrorNumber::NoByte, description);
    error.hangUp = hangUpId_;
    return error;
}

void SerialPortService::scheduleReceiveEvent()
{
    if (eventScheduled_)
        return;
    eventScheduled_ = true;
    QMetaObject::invokeMethod(this, &SerialPortService::deliverReceiveEvent, Qt::QueuedConnection);
}

void SerialPortService::deliverReceiveEvent()
{
    eventScheduled_ = false;
    // One run at a time: a handler that waits lets the event loop run, and must not be
    // entered again for the bytes it is about to read itself.
    if (inEvent_ || !open_)
        return;
    const bool byteDue = threshold_ == 1 && !received_.isEmpty();
    if (!byteDue && !hangUpEventDue_)
        return;
    if (!byteDue)
        hangUpEventDue_ = false;
    const quint64 consumedBefore = consumed_;
    inEvent_ = true;
    Q_EMIT receiveEvent();
    inEvent_ = false;
    // Again while bytes remain, but only after a run that took something: a handler that
    // leaves its byte waits for the next arrival instead of spinning.
    if (open_ && threshold_ == 1 && !received_.isEmpty() && consumed_ != consumedBefore)
        scheduleReceiveEvent();
    else if (open_ && hangUpEventDue_ && received_.isEmpty())
        scheduleReceiveEvent();
}

bool SerialPortService::feed()
{
    if (held_.isEmpty() || !port_.isOpen())
        return true;
    const qint64 inDevice = ledger_.inDevice(clock_.nsecsElapsed(), deviceReport());
    const qint64 give = ledger_.wholeMessagesWithin(deviceShare() - inDevice, inDevice == 0);
    if (give <= 0)
        return true;
    // Not through QSerialPort: its buffer goes to the device as fast as the device takes it,
    // and a pseudo-terminal takes tens of kilobytes.
    const ssize_t n = ::write(int(port_.handle()), held_.constData(), size_t(std::min<qint64>(give, held_.size())));
    if (n < 0)
        return errno == EAGAIN || errno == EINTR;
    held_.remove(0, n);
    ledger_.handed(n, clock_.nsecsElapsed());
    return true;
}

qint64 SerialPortService::deviceReport() const
{
    int queued = 0;
    if (!port_.isOpen() || ::ioctl(int(port_.handle()), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

SerialPortService::Queue SerialPortService::outputQueue() const { return queueAt(clock_.nsecsElapsed(), deviceReport()); }

SerialPortService::Queue SerialPortService::queueAt(qint64 nowNs, qint64 reported) const
{
    Queue queue;
    if (!port_.isOpen())
        return queue;
    queue.bytes = held_.size() + ledger_.inDevice(nowNs, reported);
    queue.frames = (queue.bytes + kFrameBytes - 1) / kFrameBytes;
    queue.seconds = double(queue.bytes) * double(ledger_.byteNs()) / 1e9;
    return queue;
}

void SerialPortService::pollOutput()
{
    feed();
    const qint64 now = clock_.nsecsElapsed();
    const qint64 reported = deviceReport();
    const Queue queue = queueAt(now, reported);
    if (queue.bytes == 0) {
        outputPoll_.stop();
        ledger_.reset();
    } else {
        ledger_.prune(now, reported);
        if (!outputPoll_.isActive())
            outputPoll_.start();
    }
    if (queue.bytes != lastReported_) {
        lastReported_ = queue.bytes;
        Q_EMIT outputQueueChanged(queue);
    }
}

qint64 SerialPortService::discardOutput()
{
    if (!port_.isOpen())
        return 0;
    // Only frames that have not begun to leave are dropped: a flush cuts the frame on the wire,
    // and the handset takes the next frame's first bytes as the rest of it, typing a key
    // nobody pressed.
    const qint64 dropped = ledger_.dropWaiting();
    held_.truncate(ledger_.notHanded());
    reportDropped(dropped);
    return dropped;
}

void SerialPortService::abandonOutput()
{
    const qint64 reported = deviceReport();
    held_.clear();
    ::tcflush(int(port_.handle()), TCOFLUSH);
    reportDropped(ledger_.discard(clock_.nsecsElapsed(), reported));
}

void SerialPortService::reportDropped(qint64 dropped)
{
    pollOutput();
    if (dropped > 0)
        Q_EMIT outputDropped(dropped);
}

qint64 SerialPortService::deviceShare() const
{
    constexpr qint64 kShareNs = 500'000'000;
    return std::clamp(kShareNs / ledger_.byteNs() / kFrameBytes * kFrameBytes, kFrameBytes, kTransmitBuffer);
}
