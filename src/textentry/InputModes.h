// The input modes chosen by the three toggles chkIMEON, chkAlphaOrKana and chkKanaOrRoma:
// which conversion a typed text goes through, the captions, and the lamp's colour.
#pragma once

#include <QString>
#include <cstdint>

// A check box toggled by a key or the menu: 1 becomes 0, any other value 1.
constexpr std::int16_t ToggledValue(std::int16_t value)
{
    return value == 1 ? 0 : 1;
}

enum class InputConversion { None, Alphabet, Kana, Romaji };

// For a text of one to three characters while chkIMEON is on. The mode is
// 2 × chkAlphaOrKana + chkKanaOrRoma; a sum outside 0 to 3 (a hand-edited setting.ini)
// converts nothing.
InputConversion ConversionForMode(int alphaOrKana, int kanaOrRoma, bool shiftHeld);

QString AlphaOrKanaCaption(int value); // "あ" for 1, else "Ａ"
QString KanaOrRomaCaption(int value);  // "ローマ" for 1, else "かな"

// lblLED's text colour as the window's colour number.
inline constexpr int LampRed = 255;
inline constexpr int LampBlack = 0;

// The platform reports IME status 2 when the program's IME is off; without any IME it
// reports something else, and the lamp stays red.
inline constexpr int ImeStatusOff = 2;
int ImeIndicatorColour(int dontUseIme, int imeOnValue, int platformImeStatus);
