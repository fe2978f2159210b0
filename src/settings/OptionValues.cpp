#include "OptionValues.h"

#include "SettingsNumbers.h"

#include <QRegularExpression>
#include <cfloat>

bool IsNumberText(QStringView text)
{
    // ASCII digits only: the settings files' number reading knows no others.
    static const QRegularExpression number(QStringLiteral(R"(^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)"));
    return number.match(text.toString()).hasMatch();
}

std::optional<std::int16_t> PortNumberFromText(QStringView text)
{
    // Digits followed by anything else are a typing slip, not a port number.
    if (!IsNumberText(text))
        return std::nullopt;
    const double port = LeadingNumber(text);
    if (port < 1 || port > 15)
        return std::nullopt;
    return ToInt16(text);
}

std::optional<float> MacroWaitFromText(QStringView text)
{
    if (!IsNumberText(text))
        return std::nullopt;
    const double seconds = LeadingNumber(text);
    if (seconds < 0 || seconds > double(FLT_MAX))
        return std::nullopt;
    return seconds == 0 ? 0.0f : float(seconds); // "-0" is no negative wait
}
