#include "Handset.h"

#include "platform/SleepingWait.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace phonesim {

Handset::Handset(QObject* parent) : QObject(parent)
{
    clock_.start();
    pacer_.setTimerType(Qt::PreciseTimer);
    connect(&pacer_, &QTimer::timeout, this, &Handset::takePaced);
}

Handset::~Handset() { hangUp(); }

bool Handset::start(QString* error)
{
    hangUp();
    char name[256] = {};
    // The port as another program left it, so that settings put back at close would show.
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        master_ = slave_ = -1;
        return false;
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    // Packet mode tells this end when the program flushes its output (tcflush), so that the
    // bytes a real device would still hold in its buffer are dropped here too.
    int packetMode = 1;
    ::ioctl(master_, TIOCPKT, &packetMode);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Handset::readMaster);
    return true;
}

bool Handset::linkAs(const QString& folder, int comNumber, QString* error)
{
    const QString link = QDir(folder).filePath(QStringLiteral("com%1").arg(comNumber));
    QFile::remove(link);
    if (!QFile::link(slavePath_, link)) {
        if (error)
            *error = QStringLiteral("cannot link %1 to %2").arg(link, slavePath_);
        return false;
    }
    return true;
}

void Handset::hangUp()
{
    delete notifier_;
    notifier_ = nullptr;
    pacer_.stop();
    lineQueue_.clear();
    // A frame the pull cut ends with the line: the next connection starts afresh.
    decoder_.reset();
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

void Handset::send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            break;
    }
    Q_EMIT bytesSent(bytes.left(done));
}

void Handset::setPaced(bool paced)
{
    paced_ = paced;
    if (!paced_) {
        pacer_.stop();
        const QByteArray queued = std::exchange(lineQueue_, {});
        if (!queued.isEmpty())
            takeBytes(queued, lineBaud());
        if (notifier_)
            notifier_->setEnabled(true);
        readMaster();
    }
}

int Handset::lineBaud() const
{
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0)
        return 0;
    static constexpr std::pair<speed_t, int> kSpeeds[] = {
        {B50, 50},     {B75, 75},       {B110, 110},     {B134, 134},     {B150, 150},     {B200, 200},
        {B300, 300},   {B600, 600},     {B1200, 1200},   {B1800, 1800},   {B2400, 2400},   {B4800, 4800},
        {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& [code, baud] : kSpeeds)
        if (code == speed)
            return baud;
    return 0;
}

namespace {
qint64 byteNsAt(int baud) { return 11 * 1'000'000'000LL / std::max(baud, 50); }
} // namespace

void Handset::readMaster()
{
    if (master_ < 0)
        return;
    if (paced_) {
        fillLine();
        if (!lineQueue_.isEmpty() && !pacer_.isActive()) {
            lineFreeNs_ = std::max(lineFreeNs_, clock_.nsecsElapsed());
            pacer_.start(int(std::max<qint64>(1, byteNsAt(lineBaud()) / 1'000'000)));
            takePaced();
        }
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = readPacket(buffer, sizeof buffer);
        if (n > 0)
            takeBytes(QByteArray(buffer, n), lineBaud());
        // EIO comes while no slave is open on some kernels; keep the slave fd open to avoid it.
        else if (n < 0 && errno != EINTR)
            break;
    }
}

void Handset::fillLine()
{
    // The device's buffer takes what it has room for; the rest stays with the sender, as on
    // a real port, so the sender feels the line's speed as a full buffer.
    char buffer[kDeviceBuffer];
    while (master_ >= 0 && lineQueue_.size() < kDeviceBuffer) {
        const ssize_t n = readPacket(buffer, std::size_t(kDeviceBuffer - lineQueue_.size()));
        if (n > 0)
            lineQueue_.append(buffer, n);
        else if (n < 0 && errno != EINTR)
            break;
    }
    if (notifier_)
        notifier_->setEnabled(lineQueue_.size() < kDeviceBuffer);
}

ssize_t Handset::readPacket(char* data, std::size_t max)
{
    char packet[4097];
    const ssize_t n = ::read(master_, packet, std::min(max, sizeof packet - 1) + 1);
    if (n <= 0) {
        if (n == 0)
            errno = EAGAIN;
        return -1;
    }
    if (packet[0] == TIOCPKT_DATA) {
        std::memcpy(data, packet + 1, std::size_t(n - 1));
        return n - 1;
    }
    // The program flushed its output: what the device's buffer held is gone. (A pseudo-
    // terminal keeps what it holds itself, so only a sender far ahead of the line keeps more.)
    if (packet[0] & TIOCPKT_FLUSHWRITE)
        lineQueue_.clear();
    return 0;
}

void Handset::takePaced()
{
    // Each byte leaves when the line is free, at the speed the port has at that moment; a
    // late timer takes the bytes that were due meanwhile, so lateness never slows the line.
    const qint64 now = clock_.nsecsElapsed();
    while (lineFreeNs_ <= now && !lineQueue_.isEmpty()) {
        const int baud = lineBaud();
        const QByteArray byte = lineQueue_.left(1);
        lineQueue_.remove(0, 1);
        lineFreeNs_ += byteNsAt(baud);
        takeBytes(byte, baud);
        if (master_ < 0)
            return;
    }
    fillLine();
    // Nothing waits: the line is idle until the next byte.
    if (lineQueue_.isEmpty())
        pacer_.stop();
}

void Handset::takeBytes(const QByteArray& bytes, int baud)
{
    const qint64 now = clock_.nsecsElapsed();
    received_ += bytes;
    for (const char b : bytes)
        byteLog_.append({now, quint8(b), baud});
    if (baud != kLineBaud) {
        offSettings_ += bytes.size();
        Q_EMIT offSettingsReceived(bytes, baud);
    }
    Q_EMIT bytesReceived(bytes);
    for (WireEvent& event : decoder_.feed(bytes)) {
        event.ns = now;
        if (event.type == WireEvent::Type::Key)
            screen_.apply(event.code);
        events_.append(event);
        onEvent(event);
        Q_EMIT eventDecoded(event);
    }
}

void Handset::onEvent(const WireEvent& event)
{
    if (event.type == WireEvent::Type::NumberRequest && !number_.isEmpty())
        sendReply(NumberReply(number_));
    else if (event.type == WireEvent::Type::ModelRequest && !serial_.isEmpty())
        sendReply(ModelReply(serial_));
}

QByteArray Handset::DigitBytes(const QString& digits)
{
    QByteArray bytes;
    for (const QChar c : digits)
        if (c.isDigit())
            bytes += char(c == u'0' ? 0x9A : 0x90 + c.digitValue());
    return bytes;
}

QByteArray Handset::NumberReply(const QString& digits)
{
    // Fifteen digits fill the reply; the handset then sends no end byte.
    QByteArray reply = DigitBytes(digits).left(15);
    if (reply.size() < 15)
        reply += char(0xAA);
    return reply;
}

QByteArray Handset::ModelReply(const QString& serialText)
{
    QByteArray reply;
    reply += char(0x6C);
    reply += char(0x0D);
    reply += QByteArray(20, '\0');
    for (int i = 0; i < 5; ++i) {
        const int code = i < serialText.size() ? serialText.at(i).unicode() & 0xFF : 0;
        reply += char(code >> 4);
        reply += char(code & 0x0F);
    }
    for (int i = 5; i < 11; ++i) {
        const int value = i < serialText.size() ? QString(serialText.at(i)).toInt(nullptr, 16) : 0;
        reply += char(value);
    }
    return reply;
}

void Handset::sendCallCharge(int yen)
{
    send(QByteArray(1, char(0xE2)) + DigitBytes(QString::number(std::max(yen, 0))).left(6) + char(0xAA));
}

void Handset::sendReply(const QByteArray& reply)
{
    QByteArray bytes = reply;
    const ReplyFaults faults = replies_++ >= faults_.fromReply ? faults_ : ReplyFaults{};
    if (faults.garble && !bytes.isEmpty())
        bytes[0] = char(bytes.at(0) ^ 0x07);
    if (faults.cutAfter >= 0)
        bytes = bytes.left(faults.cutAfter);
    const bool vanish = faults.vanishAfter >= 0;
    if (vanish)
        bytes = bytes.left(faults.vanishAfter);
    if (faults.insertAt >= 0 && faults.insertAt <= bytes.size())
        bytes.insert(faults.insertAt, faults.inserted);
    const auto go = [this, bytes, vanish] {
        send(bytes);
        // A moment later, so the bytes already on their way are read before the line drops.
        if (vanish)
            QTimer::singleShot(100, this, &Handset::hangUp);
    };
    if (faults.delayMs > 0)
        QTimer::singleShot(faults.delayMs, Qt::PreciseTimer, this, go);
    else
        go();
}

bool Handset::waitFor(int timeoutMs, const std::function<bool()>& done)
{
    SleepingWait wait;
    connect(this, &Handset::bytesReceived, &wait, &SleepingWait::wake);
    return wait.until(QDeadlineTimer(timeoutMs, Qt::PreciseTimer), done);
}

bool Handset::waitForReceived(int byteCount, int timeoutMs)
{
    return waitFor(timeoutMs, [this, byteCount] { return received_.size() >= byteCount; });
}

bool Handset::waitForEvents(int eventCount, int timeoutMs)
{
    return waitFor(timeoutMs, [this, eventCount] { return events_.size() >= eventCount; });
}

} // namespace phonesim
