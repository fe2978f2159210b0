// The Windows virtual-key numbers that KeyMap, the macros and the key handlers speak, from
// Qt's key events: one table for the whole program.
#pragma once

#include <QtGlobal>
#include <qnamespace.h>

class QKeyEvent;

// The numbers the key handlers test by name.
namespace Vk {
inline constexpr int Shift = 16;
inline constexpr int Esc = 27;
inline constexpr int Zero = 48;
inline constexpr int Pad0 = 96;
inline constexpr int Pad1 = 97;
inline constexpr int Pad9 = 105;
inline constexpr int PadStar = 106;
inline constexpr int PadMinus = 109;
inline constexpr int F1 = 112;
inline constexpr int F3 = 114;
inline constexpr int F4 = 115;
inline constexpr int F12 = 123;
// What the key-down of a key the input method takes reports instead of the key.
inline constexpr int ImeProcessing = 229;
} // namespace Vk

// The two keyboards whose punctuation keys Windows numbers differently: the US 101/104-key
// one and the Japanese 106/109-key one, where the same physical key carries other characters.
enum class KeyLayout { Us, Japanese };

// A virtual-key number names a physical key whatever Shift does to its character, so every
// key of the main block, the Windows keys, the lock keys and the Japanese keys are taken from
// `nativeScanCode` (X11's keycode, the evdev code + 8) when it is not 0, with the numbers
// Windows gives them on `layout`; the keypad and every event without a scan code (synthetic
// ones) go by Qt's key and its keypad flag. 0: no virtual key.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                     KeyLayout layout = KeyLayout::Us);

// Whether the key's number differs between the two layouts, so that the layout must be asked.
bool VirtualKeyDependsOnLayout(quint32 nativeScanCode);

// The same for a real event; its scan code counts only on platforms that give X11 keycodes.
int VirtualKeyFromQt(const QKeyEvent& event);
