#include "VirtualKeys.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace {

struct VirtualKey {
    int from; // a Qt key, or an evdev code
    int vk;
};

// X11 keycodes are evdev codes shifted by 8.
constexpr quint32 kX11KeycodeOffset = 8;

// The main block's letter and digit keys, where Shift (and the layout) change Qt's key:
// Shift+0 is Key_ParenRight on a US layout and Key_AsciiTilde on a Japanese one.
constexpr VirtualKey kPhysical[] = {
    {KEY_1, '1'}, {KEY_2, '2'}, {KEY_3, '3'}, {KEY_4, '4'}, {KEY_5, '5'},
    {KEY_6, '6'}, {KEY_7, '7'}, {KEY_8, '8'}, {KEY_9, '9'}, {KEY_0, '0'},
    {KEY_Q, 'Q'}, {KEY_W, 'W'}, {KEY_E, 'E'}, {KEY_R, 'R'}, {KEY_T, 'T'},
    {KEY_Y, 'Y'}, {KEY_U, 'U'}, {KEY_I, 'I'}, {KEY_O, 'O'}, {KEY_P, 'P'},
    {KEY_A, 'A'}, {KEY_S, 'S'}, {KEY_D, 'D'}, {KEY_F, 'F'}, {KEY_G, 'G'},
    {KEY_H, 'H'}, {KEY_J, 'J'}, {KEY_K, 'K'}, {KEY_L, 'L'},
    {KEY_Z, 'Z'}, {KEY_X, 'X'}, {KEY_C, 'C'}, {KEY_V, 'V'}, {KEY_B, 'B'},
    {KEY_N, 'N'}, {KEY_M, 'M'},
};

// Every other physical key whose number the event's Qt key cannot give alike for all layouts
// and Shift states, as Windows numbers it on a US and on a Japanese keyboard.
struct PhysicalKey {
    int evdev;
    int us;
    int japanese;
};
constexpr PhysicalKey kPhysicalByLayout[] = {
    {KEY_MINUS, 189, 189},       // - _   (- =)
    {KEY_EQUAL, 187, 222},       // = +   (^ ~)
    {KEY_LEFTBRACE, 219, 192},   // [ {   (@ `)
    {KEY_RIGHTBRACE, 221, 219},  // ] }   ([ {)
    {KEY_SEMICOLON, 186, 187},   // ; :   (; +)
    {KEY_APOSTROPHE, 222, 186},  // ' "   (: *)
    {KEY_GRAVE, 192, 243},       // ` ~   (半角/全角)
    {KEY_BACKSLASH, 220, 221},   // \ |   (] })
    {KEY_COMMA, 188, 188},
    {KEY_DOT, 190, 190},
    {KEY_SLASH, 191, 191},
    {KEY_102ND, 226, 226},       // the key beside the left Shift of a 102-key keyboard
    {KEY_RO, 226, 226},          // ろ (\ _)
    {KEY_YEN, 220, 220},         // ¥ (¥ |)
    {KEY_CAPSLOCK, 20, 240},     // Caps Lock (英数)
    {KEY_ZENKAKUHANKAKU, 243, 243},
    {KEY_HENKAN, 28, 28},
    {KEY_MUHENKAN, 29, 29},
    {KEY_KATAKANAHIRAGANA, 242, 242},
    {KEY_SYSRQ, 44, 44},         // Print Screen
    {KEY_LEFTMETA, 91, 91},      // the Windows keys
    {KEY_RIGHTMETA, 92, 92},
    {KEY_COMPOSE, 93, 93},       // the menu key
    {KEY_NUMLOCK, 144, 144},
    {KEY_SCROLLLOCK, 145, 145},
};

// The numeric keypad with NumLock on; with NumLock off its keys arrive as Home, Up ... and
// take those keys' numbers, as on Windows.
constexpr VirtualKey kKeypad[] = {
    {Qt::Key_0, 96},        {Qt::Key_1, 97},    {Qt::Key_2, 98},     {Qt::Key_3, 99},
    {Qt::Key_4, 100},       {Qt::Key_5, 101},   {Qt::Key_6, 102},    {Qt::Key_7, 103},
    {Qt::Key_8, 104},       {Qt::Key_9, 105},   {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},
    {Qt::Key_Comma, 108},   {Qt::Key_Minus, 109}, {Qt::Key_Period, 110}, {Qt::Key_Slash, 111},
};

// Everything else, in virtual-key order, for events without a scan code; the punctuation
// keys by their unshifted characters on either layout. Letters, digits and F1 to F24 are
// ranges below.
constexpr VirtualKey kNamed[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},          // Shift+Tab
    {Qt::Key_Clear, 12},           // keypad 5 with NumLock off
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},           // keypad Enter
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Kanji, 25},
    {Qt::Key_Escape, 27},
    {Qt::Key_Henkan, 28},          // 変換
    {Qt::Key_Muhenkan, 29},        // 無変換
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},
    {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},          // Japanese
    {Qt::Key_Equal, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_At, 192},             // Japanese
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_yen, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_AsciiCircum, 222},    // Japanese
    {Qt::Key_Eisu_toggle, 240},    // 英数 (the Caps key of a Japanese keyboard)
    {Qt::Key_Eisu_Shift, 240},
    {Qt::Key_Katakana, 241},
    {Qt::Key_Hiragana_Katakana, 242},
    {Qt::Key_Hiragana, 242},
    // 半角/全角: Windows gives 243 or 244 by the state it switches from, and the handlers
    // treat both alike; X11's toggle keysym carries no state and takes 243.
    {Qt::Key_Hankaku, 243},
    {Qt::Key_Zenkaku_Hankaku, 243},
    {Qt::Key_Zenkaku, 244},
};

template <std::size_t N>
int Lookup(const VirtualKey (&table)[N], int from)
{
    const auto found = std::ranges::find(table, from, &VirtualKey::from);
    return found == std::end(table) ? 0 : found->vk;
}

} // namespace

bool VirtualKeyDependsOnLayout(quint32 nativeScanCode)
{
    const auto found = std::ranges::find(kPhysicalByLayout, int(nativeScanCode - kX11KeycodeOffset),
                                         &PhysicalKey::evdev);
    return nativeScanCode > kX11KeycodeOffset && found != std::end(kPhysicalByLayout) && found->us != found->japanese;
}

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode, KeyLayout layout)
{
    if (nativeScanCode > kX11KeycodeOffset) {
        const int evdev = int(nativeScanCode - kX11KeycodeOffset);
        if (const int vk = Lookup(kPhysical, evdev))
            return vk;
        const auto found = std::ranges::find(kPhysicalByLayout, evdev, &PhysicalKey::evdev);
        if (found != std::end(kPhysicalByLayout))
            return layout == KeyLayout::Japanese ? found->japanese : found->us;
    }
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int vk = Lookup(kKeypad, qtKey))
            return vk;
    }
    // Qt's letters and digits carry their ASCII codes, which are also their virtual keys.
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return Lookup(kNamed, qtKey);
}
