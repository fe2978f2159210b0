// The simulated handset at the far end of a pseudo-terminal: the program opens the slave
// side as its serial port; the handset reads the master side, decodes every byte, keeps its
// screen and a time-stamped byte log, and can send bytes back.
//
// Replies and notifications plug in at onEvent(): a handset that knows its number and serial
// answers NumberRequest and ModelRequest there, and notification helpers (signal level C0..CF,
// service area 80/81, incoming call A5, call charge E2 … AA) are thin wrappers over send().
#pragma once

#include "phonesim/HandsetScreen.h"
#include "phonesim/WireDecoder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <sys/types.h>

class QSocketNotifier;

namespace phonesim {

class Handset : public QObject {
    Q_OBJECT
public:
    explicit Handset(QObject* parent = nullptr);
    ~Handset() override;

    // Opens a fresh pseudo-terminal pair in raw mode, so nothing is ever echoed.
    bool start(QString* error = nullptr);
    QString portPath() const { return slavePath_; }
    // folder/com<n> becomes a link to the port (an older link is replaced).
    bool linkAs(const QString& folder, int comNumber, QString* error = nullptr);
    // The handset's end vanishes, as when the cable is pulled.
    void hangUp();
    bool isConnected() const { return master_ >= 0; }

    void send(const QByteArray& bytes);

    // What the handset answers: its number as digits ("09012345678"), and its serial text,
    // five model-code characters then one hexadecimal digit per serial byte ("NMABK12ABCD").
    // An empty number or serial leaves that request unanswered.
    void setNumber(const QString& digits) { number_ = digits; }
    void setSerial(const QString& serialText) { serial_ = serialText; }
    QString number() const { return number_; }
    QString serial() const { return serial_; }
    static QByteArray NumberReply(const QString& digits);
    static QByteArray ModelReply(const QString& serialText);

    // How the next replies go wrong, until changed; the default is a prompt, whole reply.
    struct ReplyFaults {
        int fromReply = 0;      // replies sent whole before these faults apply
        int delayMs = 0;        // before the first byte
        int cutAfter = -1;      // send only this many bytes
        bool garble = false;    // the first byte is wrong (6C becomes 6B)
        int vanishAfter = -1;   // hang up after this many bytes
        int insertAt = -1;      // put `inserted` before byte n (a signal level inside a reply)
        QByteArray inserted = {};
    };
    void setReplyFaults(const ReplyFaults& faults)
    {
        faults_ = faults;
        replies_ = 0;
    }
    const ReplyFaults& replyFaults() const { return faults_; }
    // A reply as the faults shape it; sent now, or later when delayed.
    void sendReply(const QByteArray& reply);

    // Notifications, as the handset sends them of its own accord.
    void sendSignalLevel(int level) { send(QByteArray(1, char(0xC0 | (level & 0x0F)))); }
    void sendServiceArea(bool inArea) { send(QByteArray(1, char(inArea ? 0x80 : 0x81))); }
    void sendIncomingCall() { send(QByteArray(1, char(0xA5))); }
    void sendCallCharge(int yen);
    static QByteArray DigitBytes(const QString& digits);
    // Take bytes as a UART would: one byte time each (11 bits) at the speed the program set
    // on the port at that moment, 600 baud when all is well.
    void setPaced(bool paced);
    static constexpr int kLineBaud = 600;
    static constexpr qint64 kPacedByteNs = 11 * 1'000'000'000LL / kLineBaud;
    // The port's output speed now, as the program left it (a pseudo-terminal keeps the speed
    // but always clears parity, so the speed is what shows another setting).
    int lineBaud() const;

    struct TimedByte {
        qint64 ns;
        quint8 byte;
        int baud = kLineBaud;  // the port's speed when the byte was taken off the line
        bool offSettings() const { return baud != kLineBaud; }
    };
    QByteArray received() const { return received_; }
    const QList<TimedByte>& byteLog() const { return byteLog_; }
    // Bytes that would have left at other settings than 600,e,8,1.
    qsizetype offSettingsCount() const { return offSettings_; }
    const QList<WireEvent>& events() const { return events_; }
    const HandsetScreen& screen() const { return screen_; }

    // Sleeping waits: true as soon as that much has arrived, false at the deadline.
    bool waitForReceived(int byteCount, int timeoutMs);
    bool waitForEvents(int eventCount, int timeoutMs);

Q_SIGNALS:
    void bytesReceived(const QByteArray& bytes);
    // Each block the handset sent.
    void bytesSent(const QByteArray& bytes);
    void eventDecoded(const phonesim::WireEvent& event);
    // Bytes that left at another speed than the line's.
    void offSettingsReceived(const QByteArray& bytes, int baud);

protected:
    virtual void onEvent(const WireEvent& event);

private:
    void readMaster();
    void takeBytes(const QByteArray& bytes, int baud);
    void takePaced();
    void fillLine();
    // One read in packet mode: the data bytes, 0 for a status (a flush is acted on), -1 for none.
    ssize_t readPacket(char* data, std::size_t max);
    bool waitFor(int timeoutMs, const std::function<bool()>& done);

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QSocketNotifier* notifier_ = nullptr;
    QElapsedTimer clock_;
    WireDecoder decoder_;
    HandsetScreen screen_;
    QByteArray received_;
    QList<TimedByte> byteLog_;
    QList<WireEvent> events_;
    bool paced_ = false;
    // What the device's buffer holds for the line (paced), like a serial driver's 4 KB.
    static constexpr qsizetype kDeviceBuffer = 4096;
    QByteArray lineQueue_;
    qint64 lineFreeNs_ = 0;
    qsizetype offSettings_ = 0;
    QTimer pacer_;
    QString number_;
    QString serial_;
    ReplyFaults faults_;
    int replies_ = 0;
};

} // namespace phonesim
