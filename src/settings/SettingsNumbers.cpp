#include "settings/SettingsNumbers.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

double roundHalfEven(double x)
{
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return r;
}

template <typename Int>
Int toInteger(QStringView text)
{
    const double x = roundHalfEven(LeadingNumber(text));
    if (x <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (x >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return Int(x);
}

} // namespace

double LeadingNumber(QStringView text)
{
    // Gathers the number's characters without the blanks, then lets strtod read them.
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && isSkipped(text[i]))
            ++i;
    };
    auto digits = [&] {
        qsizetype count = 0;
        for (skip(); i < n && isDigit(text[i]); skip(), ++count)
            number += char(text[i++].unicode());
        return count;
    };
    skip();
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        number += char(text[i++].unicode());
    qsizetype mantissa = digits();
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    // An exponent counts only when a digit follows it (VB's D is the same as E).
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        const std::string::size_type before = number.size();
        number += 'e';
        ++i;
        skip();
        if (i < n && (text[i] == u'-' || text[i] == u'+'))
            number += char(text[i++].unicode());
        if (digits() == 0)
            number.resize(before);
    }
    return std::strtod(number.c_str(), nullptr);
}

std::int16_t ToInt16(QStringView text)
{
    return toInteger<std::int16_t>(text);
}

std::int32_t ToInt32(QStringView text)
{
    return toInteger<std::int32_t>(text);
}

float ToSingle(QStringView text)
{
    return float(std::clamp(LeadingNumber(text), double(-FLT_MAX), double(FLT_MAX)));
}

namespace {
// Plain decimal with `significant` digits, rounded once.
QString plainDecimal(float value, int significant)
{
    char e[40];
    std::snprintf(e, sizeof e, "%.*e", significant - 1, double(std::fabs(value)));
    const char* mark = std::strchr(e, 'e');
    // "d.ddde±x", or "de±x" when only one digit is asked for.
    std::string digits(1, e[0]);
    if (mark > e + 2)
        digits.append(e + 2, std::size_t(mark - e - 2));
    const int exponent = std::atoi(mark + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = value < 0 ? "-" : "";
    if (exponent < 0) {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole)
            out += digits + std::string(whole - digits.size(), '0');
        else
            out += digits.substr(0, whole) + "." + digits.substr(whole);
    }
    return QString::fromLatin1(out);
}
} // namespace

QString FormatSingle(float value)
{
    if (std::isnan(value) || value == 0.0f)
        return QStringLiteral("0");
    value = std::clamp(value, -FLT_MAX, FLT_MAX);
    // Seven significant digits, as every ordinary value is written. A rare value (1e28) reads
    // back as a neighbour that seven digits write differently; it gets more digits, so that
    // the file does not drift from one run to the next.
    for (int significant = 7; significant < 9; ++significant) {
        const QString text = plainDecimal(value, significant);
        if (plainDecimal(ToSingle(text), significant) == text)
            return text;
    }
    return plainDecimal(value, 9);
}
