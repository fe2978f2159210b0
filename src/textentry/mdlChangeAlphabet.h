// Alphabet input: a typed ASCII character becomes its full-width character, which the
// handset can type from its full-width table.
#pragma once

#include <QString>
#include <QStringView>

// The full-width form of a text: U+0021 to U+007E become U+FF01 to U+FF5E, the space the
// ideographic space; every other character stays as it is.
QString FullWidthForm(QStringView text);

// Fails for the empty text (leaving `result` untouched) and, with `result` emptied, for
// the space, kana and anything else that has no full-width character in the table.
bool ConvertAlphabet(QStringView text, QString& result);
