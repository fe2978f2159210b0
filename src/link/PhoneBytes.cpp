#include "PhoneBytes.h"

namespace PhoneBytes {

QByteArray ModelRequest()
{
    QByteArray request(38, '\0');
    request[0] = char(0xB3);
    request[1] = char(0x0D);
    request[3] = char(0x02);
    return request;
}

QString ReplyDigit(quint8 b)
{
    if (b == 0x9A)
        return QStringLiteral("0");
    if (b >= 0x91 && b <= 0x99)
        return QString::number(b & 0x0F);
    return {};
}

QChar ModelCodeCharacter(quint8 high, quint8 low)
{
    // Halves above 15 would not be halves; the code stays within one byte as the handset meant.
    return QChar(char16_t(((high * 16) + low) & 0xFF));
}

QString SerialGroup(quint8 b) { return QString::number(b, 16).toUpper(); }

Notification Classify(quint8 b, bool announceCalls)
{
    if (IsSignalLevel(b))
        return Notification::SignalLevel;
    if ((b & 0xFE) == 0x80)
        return Notification::ServiceArea;
    if (announceCalls && b == 0xA5)
        return Notification::IncomingCall;
    if (b == 0xE2)
        return Notification::CallCharge;
    return Notification::Other;
}

QString SignalLevelText(int level) { return QString::number(2 * level) + QStringLiteral("db"); }

QString ServiceAreaText(quint8 b) { return b == 0x81 ? QStringLiteral("圏外") : QStringLiteral("圏内"); }

QString IncomingCallText() { return QStringLiteral("着信です！電話に出ますか？"); }

QString CallChargeLine(const QString& digits)
{
    return QStringLiteral("先ほどの通話にかかった料金は ") + digits + QStringLiteral("円 でした。");
}

QString DiagnosticLine(quint8 b) { return QStringLiteral("&h") + SerialGroup(b); }

QString NumberLine(const QString& digits) { return QStringLiteral("電話番号:") + digits; }
QString ModelLine(const QString& model) { return QStringLiteral("機種名  :") + model; }
QString SerialLine(const QString& serial) { return QStringLiteral("製造番号:") + serial; }
QString FailureLine() { return QStringLiteral("データ取得に失敗しました。"); }

} // namespace PhoneBytes
