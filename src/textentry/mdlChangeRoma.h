// Romaji input: the pending text of the input box, matched whole, becomes hiragana for the
// handset, or keeps waiting for more keys.
#pragma once

#include <QString>
#include <QStringView>
#include <span>

struct RomajiEntry {
    QStringView romaji; // lower case
    QStringView kana;   // one or two characters
};

// The romaji the program converts, in the order of the kana chart (vowels, k, s, t ... small
// kana); several spellings may give one kana.
std::span<const RomajiEntry> RomajiTable();

// On success `kana` is to be typed and `remainder` put back into the box as the new pending
// text. Failure means "not (yet) a syllable": both results are empty, or untouched for the
// empty text.
bool ConvertRoma(QStringView text, QString& kana, QString& remainder);
