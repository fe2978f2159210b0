// Kana keyboard input: the character a key of the JIS kana layout types in ASCII becomes
// the kana printed on that key.
#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <span>

struct KanaKey {
    QStringView keys;      // the characters the key types, each one on its own
    QStringView kana;
    QStringView shifted;   // the small kana (or を) with Shift held; empty: the same kana
};

// The layout in kana order, あ row first.
std::span<const KanaKey> KanaKeyTable();

// One character, Shift+letter arriving as the plain letter with `shiftHeld` telling them
// apart. Any other text calls `beep`, empties `kana` and fails; the beep is the caller's so
// that this stays free of the desktop.
bool ConvertKana(QStringView text, bool shiftHeld, QString& kana, const std::function<void()>& beep);
