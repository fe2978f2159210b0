// The platform's input-method services, over the desktop input method (DesktopInputMethod):
// without one they answer as a system without an IME would: SetImeConversion does nothing and
// answers 0, the box's IME mode is 0 (none) and the status is unknown.
#pragma once

#include <array>
#include <cstdint>

class QWidget;

// Conversion 25 (native, full-shape, romaji) selects a Japanese input method of the user's;
// non-zero when there is one.
int SetImeConversion(QWidget* box, int conversion, int sentence);

// The IME mode the platform reports for a box: 1 on, 2 off (4 hiragana, 5 katakana, 7
// full-width alphanumeric are never told apart here); 0 when there is no IME to ask.
int ImeModeOf(QWidget* box);

// 2 means "the program's IME is off"; without an IME the status is anything else. The answer
// is the last one the input method gave: it is asked again in the background.
int ImeStatusOf(QWidget* box);

// At exit: the input method as the user had it before the program switched it.
void RestoreInputMethod();

// The keyboard state: one byte per virtual-key number, the top bit set while that key is
// down. Kept from the key events the program itself sees.
using KeyboardStateBytes = std::array<std::uint8_t, 256>;
KeyboardStateBytes GetKeyboardState();
void NoteKeyDown(int virtualKey, bool down);
