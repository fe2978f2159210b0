// The handset's key codes: the character table that gives every typable character its
// (Kind, Group, Index), and the codes of the handset's named keys.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

// The three payload bytes of one key frame. A fresh code holds 1, 1, 1.
struct KeyCode {
    std::uint8_t Kind = 1;
    std::uint8_t Group = 1;
    std::uint8_t Index = 1;

    QByteArray bytes() const
    {
        return QByteArray{reinterpret_cast<const char*>(&Kind), 1}
               + QByteArray{reinterpret_cast<const char*>(&Group), 1}
               + QByteArray{reinterpret_cast<const char*>(&Index), 1};
    }
    friend bool operator==(const KeyCode&, const KeyCode&) = default;
};

namespace KeyKind {
inline constexpr std::uint8_t HalfWidth = 1;
inline constexpr std::uint8_t FullWidth = 2;
inline constexpr std::uint8_t Named = 3;
inline constexpr std::uint8_t NamedModified = 9;
} // namespace KeyKind

// The fifteen rows of each table, in their order: a character's Group is its row number,
// its Index its 1-based place in the row.
const std::array<QStringView, 15>& FullWidthRows();
const std::array<QStringView, 15>& HalfWidthRows();

// Fills `code` for one character of the table and returns true; anything else (the empty
// text, two or more characters, a character in no row) returns false and leaves 1, 1, 1.
bool GetKeyCode(QStringView character, KeyCode& code);

// The character a code stands for, or the empty text (the handset's side of GetKeyCode).
QString CharacterForKeyCode(const KeyCode& code);

// A named key of the handset (the names the macro language writes between angle brackets).
struct PhoneKey {
    QStringView name;
    std::uint8_t group;
    std::uint8_t index;
    KeyCode code(std::uint8_t kind = KeyKind::Named) const { return KeyCode{kind, group, index}; }
};

// Every named key in table order; CR and F1 share one code.
const std::array<PhoneKey, 48>& PhoneKeys();

namespace PhoneKeyCodes {
inline constexpr KeyCode Up{KeyKind::Named, 1, 1};
inline constexpr KeyCode Down{KeyKind::Named, 1, 2};
inline constexpr KeyCode Left{KeyKind::Named, 1, 3};
inline constexpr KeyCode Right{KeyKind::Named, 1, 4};
inline constexpr KeyCode OnHook{KeyKind::Named, 2, 13};
inline constexpr KeyCode OffHook{KeyKind::Named, 2, 14};
inline constexpr KeyCode CR{KeyKind::Named, 3, 1};
inline constexpr KeyCode Convert{KeyKind::Named, 6, 1};
inline constexpr KeyCode OK{KeyKind::Named, 6, 2};
inline constexpr KeyCode Clear{KeyKind::Named, 6, 3};
inline constexpr KeyCode Menu{KeyKind::Named, 6, 4};
inline constexpr KeyCode Char{KeyKind::Named, 6, 5};
} // namespace PhoneKeyCodes

// The voiced (が) and semi-voiced (ぱ) kana, which the handset builds from a kana and a mark.
struct VoicedKana {
    QChar voiced;
    QChar plain;
    QChar mark; // ″ or °
};
const std::array<VoicedKana, 25>& VoicedKanaTable();
