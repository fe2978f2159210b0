#include "PortSettings.h"

#include <QList>

std::optional<PortSettings> ParsePortSettings(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;

    PortSettings s;
    bool ok = false;
    const QStringView baud = fields[0].trimmed();
    s.baudRate = baud.toInt(&ok);
    if (!ok || baud.startsWith(u'+') || s.baudRate < 50 || s.baudRate > 4000000)
        return std::nullopt;

    const QStringView parity = fields[1].trimmed();
    if (parity.size() != 1)
        return std::nullopt;
    switch (parity.front().toLower().unicode()) {
    case u'n': s.parity = PortSettings::Parity::None; break;
    case u'e': s.parity = PortSettings::Parity::Even; break;
    case u'o': s.parity = PortSettings::Parity::Odd; break;
    case u'm': s.parity = PortSettings::Parity::Mark; break;
    case u's': s.parity = PortSettings::Parity::Space; break;
    default: return std::nullopt;
    }

    const QStringView data = fields[2].trimmed();
    if (data.size() != 1 || data.front() < u'5' || data.front() > u'8')
        return std::nullopt;
    s.dataBits = data.front().unicode() - u'0';

    const QStringView stop = fields[3].trimmed();
    if (stop == u"1")
        s.stopBits = PortSettings::StopBits::One;
    else if (stop == u"1.5")
        s.stopBits = PortSettings::StopBits::OneAndHalf;
    else if (stop == u"2")
        s.stopBits = PortSettings::StopBits::Two;
    else
        return std::nullopt;
    return s;
}

qint64 ByteNanoseconds(const PortSettings& settings)
{
    const double stop = settings.stopBits == PortSettings::StopBits::One          ? 1.0
                        : settings.stopBits == PortSettings::StopBits::OneAndHalf ? 1.5
                                                                                  : 2.0;
    const double bits = 1.0 + settings.dataBits + (settings.parity == PortSettings::Parity::None ? 0.0 : 1.0) + stop;
    return settings.baudRate > 0 ? qint64(bits * 1e9 / settings.baudRate) : 0;
}
