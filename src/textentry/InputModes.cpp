#include "InputModes.h"

InputConversion ConversionForMode(int alphaOrKana, int kanaOrRoma, bool shiftHeld)
{
    switch (2 * alphaOrKana + kanaOrRoma) {
    case 0:
    case 1:
        return InputConversion::Alphabet;
    case 2:
        return InputConversion::Kana;
    case 3:
        // Shift+letter in romaji input types a full-width capital.
        return shiftHeld ? InputConversion::Alphabet : InputConversion::Romaji;
    default:
        return InputConversion::None;
    }
}

QString AlphaOrKanaCaption(int value)
{
    return value == 1 ? QStringLiteral("あ") : QStringLiteral("Ａ");
}

QString KanaOrRomaCaption(int value)
{
    return value == 1 ? QStringLiteral("ローマ") : QStringLiteral("かな");
}

int ImeIndicatorColour(int dontUseIme, int imeOnValue, int platformImeStatus)
{
    if (dontUseIme == 1)
        return imeOnValue == 1 ? LampRed : LampBlack;
    return platformImeStatus == ImeStatusOff ? LampBlack : LampRed;
}
