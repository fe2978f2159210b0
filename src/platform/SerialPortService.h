// The serial port as the link uses it: a port number, a settings text, one byte per read,
// a receive threshold that raises receiveEvent, and the program's error numbers.
#pragma once

#include "LineStateWatcher.h"
#include "OutputLedger.h"
#include "PortSettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

struct PortError {
    int number = 0; // 0: no error
    QString source;
    QString description;
    // Which hang-up of the port caused it (0: none); each hang-up is told to the user once.
    quint64 hangUp = 0;
    bool failed() const { return number != 0; }
};

namespace PortErrorNumber {
inline constexpr int NoByte = 9;              // a read found no byte (the cable was pulled)
inline constexpr int InvalidSettings = 380;   // the settings text is malformed
inline constexpr int PermissionDenied = 70;   // the device may not be opened by this user
inline constexpr int InvalidPort = 8002;      // no such device
inline constexpr int PortInUse = 8005;        // held by another program
inline constexpr int CannotConfigure = 8015;  // the device refuses the settings
inline constexpr int NotOpen = 8018;          // an operation that needs an open port
inline constexpr int DeviceError = 8020;      // any other failure of the device
} // namespace PortErrorNumber

class SerialPortService : public QObject {
    Q_OBJECT
public:
    explicit SerialPortService(QObject* parent = nullptr);
    ~SerialPortService() override;

    // Port n resolves to YUBISAKI_COM<n>, else com<n> in the program folder, else /dev/ttyS<n-1>.
    static QString DevicePathFor(int portNumber);

    void setPortNumber(int portNumber);
    int portNumber() const { return portNumber_; }
    QString devicePath() const { return DevicePathFor(portNumber_); }

    // Parsed at once; on an open port a changed value is applied to the device.
    PortError setSettings(const QString& text);
    QString settingsText() const { return settingsText_; }

    PortError open();
    // What is still queued leaves first, within the time it takes plus a second; what has not
    // left by then is dropped and reported by outputDropped.
    void close();
    // Stays true after the other end went away, until close().
    bool isOpen() const { return open_; }
    // The other end went away while the port was open.
    bool hungUp() const { return hungUp_; }
    // Where the modem-status lines are read; tests inject one, as a pseudo-terminal has none.
    void setLineStateSource(LineStateWatcher::Source source) { lines_.setSource(std::move(source)); }
    bool watchingLines() const { return lines_.watching(); }

    // `endsMessage` false for a block that the next one completes (a key frame's header).
    PortError write(const QByteArray& block, bool endsMessage = true);
    PortError readByte(quint8& byte);
    int pendingCount() const { return int(received_.size()); }
    void discard();

    // 1: receiveEvent runs while bytes are pending, once per byte read; 0: no events.
    void setReceiveThreshold(int threshold);
    int receiveThreshold() const { return threshold_; }

    // What is still to be sent: the bytes the port holds and those the device has not sent.
    struct Queue {
        qint64 bytes = 0;
        qint64 frames = 0;    // key frames of kFrameBytes
        double seconds = 0;   // at the port's settings
    };
    Queue outputQueue() const;
    // Drops the frames still waiting here; what the device holds goes out whole. Returns the
    // frames dropped, also told by outputDropped.
    qint64 discardOutput();
    // The port's transmit buffer: what a macro run lets queue up.
    static constexpr qint64 kTransmitBuffer = 512;
    // One key frame on the wire.
    static constexpr qint64 kFrameBytes = 8;
    // What the device is given ahead of the line, in whole frames: half a second of the line,
    // so a discard or a close waits at most that for it.
    qint64 deviceShare() const;

Q_SIGNALS:
    // A byte is pending while the threshold is 1, or the other end went away (no byte pending).
    void receiveEvent();
    // Any arrival or hang-up: wakes a sleeping wait.
    void activity();
    // Each block handed to the device, as one write.
    void written(const QByteArray& block);
    // While something is queued, and once more when the queue is empty.
    void outputQueueChanged(const SerialPortService::Queue& queue);
    // Frames that were written but will never leave.
    void outputDropped(qint64 frames);

private:
    static constexpr qint64 kDrainMaxMs = 10'000;
    static constexpr qint64 kDrainSlackMs = 1000;
    static constexpr qint64 kSettleNs = 50'000'000;
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void hangUp();
    PortError hangUpError(const QString& description) const;
    void scheduleReceiveEvent();
    void deliverReceiveEvent();
    PortError applySettings();
    PortError errorFromPort(QSerialPort::SerialPortError error, const QString& path) const;
    qint64 deviceReport() const;
    Queue queueAt(qint64 nowNs, qint64 reported) const;
    // Gives the device what its share has room for; false once it refuses bytes for good.
    bool feed();
    // The device is stuck: everything, its own buffer too, is dropped.
    void abandonOutput();
    // After frames were dropped: the queue's news, and the count.
    void reportDropped(qint64 dropped);
    void pollOutput();

    QSerialPort port_;
    int portNumber_ = 1;
    QString settingsText_;
    PortSettings settings_;
    PortSettings applied_;
    bool open_ = false;
    bool hungUp_ = false;
    quint64 hangUpId_ = 0;
    bool configuring_ = false;
    int threshold_ = 0;
    QByteArray received_;
    QByteArray held_;  // written, not yet given to the device
    quint64 consumed_ = 0;
    bool eventScheduled_ = false;
    bool inEvent_ = false;
    bool hangUpEventDue_ = false;
    OutputLedger ledger_;
    QElapsedTimer clock_;
    // Runs only while something is queued.
    QTimer outputPoll_;
    qint64 lastReported_ = -1;
    LineStateWatcher lines_;
};
