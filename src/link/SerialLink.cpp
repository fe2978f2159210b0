#include "SerialLink.h"

#include "core/ProgramInfo.h"
#include "settings/Settings.h"

#include <QStringList>

namespace {
const QByteArray kFrameHeader = QByteArray::fromHex("f202010000");
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

SerialLink::SerialLink(SerialPortService& port, const Settings& settings) : port_(port), settings_(settings) {}

void SerialLink::SendKeyCode(const QByteArray& code)
{
    PortError error = port_.write(kFrameHeader, false);
    if (!error.failed())
        error = port_.write(code);
    if (error.failed() && !writeErrorReported_) {
        writeErrorReported_ = true;
        ReportPortError(error);
    }
}

PortError SerialLink::SetCableMode(quint8 mode)
{
    const QList<QByteArray> commands = mode == 1 ? QList<QByteArray>{"ATQ1%B0\r", "AT-WT=1\r"}
                                                 : QList<QByteArray>{"AT-WT=0\r"};
    for (const QByteArray& command : commands) {
        const PortError error = port_.write(command);
        if (error.failed())
            return error;
    }
    return port_.setSettings(LinkSettingsText());
}

PortError SerialLink::openAndSetCable(quint8 mode)
{
    writeErrorReported_ = false;
    port_.setPortNumber(settings_.ComPort);
    PortError error = port_.setSettings(LinkSettingsText());
    if (!error.failed())
        error = port_.open();
    if (!error.failed() && settings_.REUDOcable == 1)
        error = SetCableMode(mode);
    return error;
}

PortError SerialLink::OpenForUse() { return openAndSetCable(1); }

PortError SerialLink::OpenForQuery() { return openAndSetCable(0); }

PortError SerialLink::Close()
{
    PortError error;
    // A port whose other end is gone takes no more bytes; it only needs closing.
    if (port_.isOpen() && !port_.hungUp()) {
        // Keys queued for longer than a moment would hold the switch or the exit for as long
        // as they take: they are dropped, and the send-queue indicator says so.
        const bool dropped = port_.outputQueue().seconds > kKeepQueuedSeconds && port_.discardOutput() > 0;
        if (settings_.REUDOcable == 1) {
            // A command cut short on the wire ends at this CR, so the cable reads "off" whole.
            if (dropped)
                error = port_.write("\r");
            if (!error.failed())
                error = SetCableMode(0);
        }
    }
    port_.close();
    writeErrorReported_ = false;
    return error;
}

QString SerialLink::InvalidPortText()
{
    return QStringLiteral("ポート番号が間違っています。") + kCrLf + QStringLiteral("もう一度正しいポートを設定してください。");
}

QString SerialLink::PortInUseText()
{
    return QStringLiteral("ポートがすでに使われております。") + kCrLf
           + QStringLiteral("他のソフトで使用中でないか、もう一度ご確認ください。");
}

QString SerialLink::CablePulledText()
{
    return QStringLiteral("途中でケーブルを抜かないで下さい(;´Д｀)") + kCrLf
           + QStringLiteral("ケーブルを抜き差しする時は一度「OFF」してくださいね(＾ー＾)／");
}

QString SerialLink::ErrorReportText(const PortError& error)
{
    return QStringList{
        QStringLiteral("エラーです。"),
        QStringLiteral("オブジェクト : ") + error.source,
        QStringLiteral("エラー番号   : ") + QString::number(error.number),
        error.description,
        QStringLiteral("Ver ") + ProgramInfo::VersionText(),
    }.join(kCrLf);
}

void SerialLink::ShowErrorReport(const PortError& error, MsgIcon icon)
{
    MessageBox(ErrorReportText(error), MsgButtons::Ok, icon);
}

void SerialLink::ReportPortError(const PortError& error)
{
    // Whatever was reading or writing when the other end went away, the user hears of it once.
    static quint64 toldHangUp = 0;
    if (error.hangUp != 0) {
        if (error.hangUp == toldHangUp)
            return;
        toldHangUp = error.hangUp;
    }
    switch (error.number) {
    case PortErrorNumber::NoByte: MessageBox(CablePulledText(), MsgButtons::Ok, MsgIcon::Critical); break;
    case PortErrorNumber::InvalidPort: MessageBox(InvalidPortText(), MsgButtons::Ok, MsgIcon::Critical); break;
    case PortErrorNumber::PortInUse: MessageBox(PortInUseText(), MsgButtons::Ok, MsgIcon::Critical); break;
    default: ShowErrorReport(error, MsgIcon::None); break;
    }
}

bool SerialLink::ReportPowerSwitchError(const PortError& error)
{
    switch (error.number) {
    case PortErrorNumber::InvalidPort: MessageBox(InvalidPortText(), MsgButtons::Ok, MsgIcon::Critical); return true;
    case PortErrorNumber::PortInUse: MessageBox(PortInUseText(), MsgButtons::Ok, MsgIcon::Critical); return true;
    default: ShowErrorReport(error, MsgIcon::Critical); return false;
    }
}
