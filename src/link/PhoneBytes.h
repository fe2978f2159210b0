// The meaning of the bytes the handset sends back: reply digits, the model-and-serial reply's
// fields, and the first byte of each notification. Pure functions, no port.
#pragma once

#include <QByteArray>
#include <QString>

namespace PhoneBytes {

inline constexpr quint8 NumberRequest = 0x8E;
inline constexpr quint8 ReplyEnd = 0xAA;
inline constexpr int NumberDigitsMax = 15;
inline constexpr int ChargeDigitsMax = 6;
inline constexpr quint8 ModelReplyFirst = 0x6C;
inline constexpr quint8 ModelReplySecond = 0x0D;
inline constexpr int ModelReplyFiller = 20;
inline constexpr int ModelCodeCharacters = 5;
inline constexpr int SerialGroups = 6;

// The 38-byte model-and-serial request: B3 0D 00 02 and 34 zero bytes.
QByteArray ModelRequest();

// An unsolicited signal-level byte (C0..CF), which replies skip.
inline bool IsSignalLevel(quint8 b) { return (b & 0xF0) == 0xC0; }

// 0x9A gives "0", 0x91..0x99 give "1".."9", anything else empty text.
QString ReplyDigit(quint8 b);

// One model-code character from its high and low 4-bit halves.
QChar ModelCodeCharacter(quint8 high, quint8 low);
// One serial group: upper-case hexadecimal without leading zero.
QString SerialGroup(quint8 b);

enum class Notification { SignalLevel, ServiceArea, IncomingCall, CallCharge, Other };
Notification Classify(quint8 b, bool announceCalls);

// The black box over the hidden bars and the printed figure for level 0..15.
inline int HiddenBarsLeftTwips(int level) { return 195 + 45 * level; }
inline constexpr int HiddenBarsRightTwips = 885;
inline constexpr int HiddenBarsBottomTwips = 525;
QString SignalLevelText(int level);
// "圏外" for 0x81, "圏内" for 0x80.
QString ServiceAreaText(quint8 b);
QString IncomingCallText();
QString CallChargeLine(const QString& digits);
// "&h" and the byte in upper-case hexadecimal without leading zero.
QString DiagnosticLine(quint8 b);

QString NumberLine(const QString& digits);
QString ModelLine(const QString& model);
QString SerialLine(const QString& serial);
QString FailureLine();

} // namespace PhoneBytes
