// The number forms of setting.ini and keymap.ini: a lenient reading of the leading number of
// a value, and the plain decimal form the files are written in.
#pragma once

#include <QString>
#include <cstdint>

// The leading number of a text; blanks anywhere are skipped; no number gives 0.
double LeadingNumber(QStringView text);

// Rounded to the nearest integer, halves to even, then clamped into the type's range.
std::int16_t ToInt16(QStringView text);
std::int32_t ToInt32(QStringView text);
// Clamped into the finite single-precision range.
float ToSingle(QStringView text);

// At most seven significant digits, "." as the point, no exponent, no trailing zeros.
QString FormatSingle(float value);
