// The platform's input-method services. Linux offers a program no way to set or read the
// IME's conversion mode, so these answer as a system without an IME would: SetImeConversion
// does nothing and answers 0, the box's IME mode is 0 (none) and the status is unknown.
#pragma once

#include <array>
#include <cstdint>

class QWidget;

inline int SetImeConversion(QWidget*, int /*conversion*/, int /*sentence*/) { return 0; }

// The IME mode the platform reports for a box: 1 on, 4 hiragana, 5 katakana, 7 full-width
// alphanumeric; 0 when there is no IME to ask.
inline int ImeModeOf(QWidget*) { return 0; }

// 2 means "the program's IME is off"; without an IME the status is anything else.
inline int ImeStatusOf(QWidget*) { return 0; }

// The keyboard state: one byte per virtual-key number, the top bit set while that key is
// down. Kept from the key events the program itself sees.
using KeyboardStateBytes = std::array<std::uint8_t, 256>;
KeyboardStateBytes GetKeyboardState();
void NoteKeyDown(int virtualKey, bool down);
