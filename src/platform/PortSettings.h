// The serial settings text ("600,e,8,1": baud, parity, data bits, stop bits) as values.
#pragma once

#include <QString>
#include <optional>

struct PortSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    qint32 baudRate = 600;
    Parity parity = Parity::Even;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    friend bool operator==(const PortSettings&, const PortSettings&) = default;
};

// How long one byte takes on the line: a start bit, the data bits, a parity bit unless None,
// the stop bits.
qint64 ByteNanoseconds(const PortSettings& settings);

// The text the link always uses.
inline QString LinkSettingsText() { return QStringLiteral("600,e,8,1"); }

// Four comma-separated fields, blanks around each allowed; anything else is refused.
std::optional<PortSettings> ParsePortSettings(QStringView text);
