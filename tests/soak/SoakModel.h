// What the soak types and what the handset must then receive, stated without the program's
// own tables: romaji words with their kana, letters of the JIS kana keyboard, ASCII that becomes
// full-width, and the named keys by the codes the handset knows them by.
#pragma once

#include "phonesim/WireDecoder.h"

#include <QString>
#include <QStringList>

#include <random>

namespace soak {

// The program's own conversions, as the three toggles and the 半角/全角 key choose them.
enum class Mode { HalfWidth, FullWidthAlphabet, KanaKeyboard, Romaji };
inline constexpr Mode kModes[] = {Mode::HalfWidth, Mode::FullWidthAlphabet, Mode::KanaKeyboard, Mode::Romaji};
const char* ModeName(Mode mode);

// One piece of typing: the ASCII keys pressed, and the handset's characters and keys it gives.
struct Typing {
    QString keys;
    QStringList tokens;
};
Typing RandomTyping(Mode mode, std::mt19937& rng, int length);

// A named key: the key chord pressed and what the handset receives.
struct NamedKey {
    const char* chord;
    const char* token;
};
NamedKey RandomNamedKey(std::mt19937& rng);

// The tokens of a text that the handset receives character by character: a voiced kana is one
// token, as the handset's screen joins its mark.
QStringList TextTokens(const QString& text);
// Adds one decoded key frame to `tokens`, joining a voiced or semi-voiced mark to its kana.
void AddReceived(QStringList& tokens, const phonesim::WireEvent& event);

// Text for pastes: kana, ASCII, full-width letters and half-width katakana, all on the handset.
QString RandomPasteText(std::mt19937& rng, int length);

inline int Uniform(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

} // namespace soak
