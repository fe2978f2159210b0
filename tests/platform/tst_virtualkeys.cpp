// Qt key events to virtual-key numbers: each group of keys, the keypad flag, and the
// physical letter and digit keys whatever Shift made of them.
#include "platform/VirtualKeys.h"

#include <QTest>

namespace {
// X11 keycodes (evdev + 8) of a few physical keys.
constexpr quint32 X11_0 = 19, X11_1 = 10, X11_A = 38, X11_KP7 = 79,
                  X11_KPENTER = 104, X11_ZENKAKU = 49, X11_MINUS = 20;
} // namespace

class TestVirtualKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void everyLetterDigitAndFunctionKey();
};

void TestVirtualKeys::keys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<int>("vk");
    const Qt::KeyboardModifiers none = Qt::NoModifier, kp = Qt::KeypadModifier,
                                shift = Qt::ShiftModifier;
    // Editing and cursor keys.
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 0u << 37;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 0u << 40;
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << 0u << 13;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << kp << 0u << 13;
    QTest::newRow("keypad Enter with scan code") << int(Qt::Key_Enter) << kp << X11_KPENTER << 13;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << 0u << 8;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << none << 0u << 27;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 0u << 46;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << 0u << 36;
    QTest::newRow("End") << int(Qt::Key_End) << none << 0u << 35;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none << 0u << 45;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none << 0u << 33;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none << 0u << 34;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 0u << 9;
    QTest::newRow("Shift+Tab arrives as Backtab") << int(Qt::Key_Backtab) << shift << 0u << 9;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 0u << 32;
    QTest::newRow("Pause") << int(Qt::Key_Pause) << none << 0u << 19;
    QTest::newRow("Scroll Lock") << int(Qt::Key_ScrollLock) << none << 0u << 145;
    // Modifiers themselves.
    QTest::newRow("Shift") << int(Qt::Key_Shift) << shift << 0u << 16;
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier) << 0u << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << Qt::KeyboardModifiers(Qt::AltModifier) << 0u << 18;
    // Function keys.
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 0u << 112;
    QTest::newRow("Shift+F12") << int(Qt::Key_F12) << shift << 0u << 123;
    QTest::newRow("F24") << int(Qt::Key_F24) << none << 0u << 135;
    // Numeric keypad.
    QTest::newRow("keypad 0") << int(Qt::Key_0) << kp << 0u << 96;
    QTest::newRow("keypad 7") << int(Qt::Key_7) << kp << 0u << 103;
    QTest::newRow("keypad 7 with scan code") << int(Qt::Key_7) << kp << X11_KP7 << 103;
    QTest::newRow("keypad 7, NumLock off, is Home") << int(Qt::Key_Home) << kp << X11_KP7 << 36;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << kp << 0u << 106;
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << kp << 0u << 107;
    QTest::newRow("keypad separator") << int(Qt::Key_Comma) << kp << 0u << 108;
    QTest::newRow("keypad −") << int(Qt::Key_Minus) << kp << 0u << 109;
    QTest::newRow("keypad .") << int(Qt::Key_Period) << kp << 0u << 110;
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << kp << 0u << 111;
    QTest::newRow("main-block minus is no keypad key") << int(Qt::Key_Minus) << none << X11_MINUS << 0;
    QTest::newRow("NumLock ignored") << int(Qt::Key_NumLock) << kp << 85u << 0;
    // Letters and digits: the physical key wins over what Shift made of it.
    QTest::newRow("7 without scan code") << int(Qt::Key_7) << none << 0u << 55;
    QTest::newRow("a without scan code") << int(Qt::Key_A) << none << 0u << 65;
    QTest::newRow("Shift+0 on a US layout") << int(Qt::Key_ParenRight) << shift << X11_0 << 48;
    QTest::newRow("Shift+0 on a Japanese layout") << int(Qt::Key_AsciiTilde) << shift << X11_0 << 48;
    QTest::newRow("Shift+1 gives !") << int(Qt::Key_Exclam) << shift << X11_1 << 49;
    QTest::newRow("synthetic Shift+0 as ) has no key") << int(Qt::Key_ParenRight) << shift << 0u << 0;
    QTest::newRow("Shift+a") << int(Qt::Key_A) << shift << X11_A << 65;
    // Japanese keys.
    QTest::newRow("半角/全角") << int(Qt::Key_Zenkaku_Hankaku) << none << X11_ZENKAKU << 243;
    QTest::newRow("半角") << int(Qt::Key_Hankaku) << none << 0u << 243;
    QTest::newRow("全角") << int(Qt::Key_Zenkaku) << none << 0u << 244;
    QTest::newRow("無変換") << int(Qt::Key_Muhenkan) << none << 0u << 29;
    QTest::newRow("変換") << int(Qt::Key_Henkan) << none << 0u << 28;
    QTest::newRow("カタカナ/ひらがな") << int(Qt::Key_Hiragana_Katakana) << none << 0u << 242;
    QTest::newRow("英数") << int(Qt::Key_Eisu_toggle) << none << 0u << 240;
    QTest::newRow("unknown key") << int(Qt::Key_unknown) << none << 0u << 0;
}

void TestVirtualKeys::keys()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(quint32, scanCode);
    QFETCH(int, vk);
    QCOMPARE(VirtualKeyFromQt(qtKey, mods, scanCode), vk);
}

// The physical row table and the Qt ranges must agree key for key: the same press gives
// the same number with or without a scan code.
void TestVirtualKeys::everyLetterDigitAndFunctionKey()
{
    const char qwerty[] = "1234567890QWERTYUIOPASDFGHJKLZXCVBNM";
    const quint32 rowStart[] = {10, 24, 38, 52}; // X11 keycodes of 1, Q, A, Z
    const int rowLength[] = {10, 10, 9, 7};
    int i = 0;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < rowLength[row]; ++col, ++i) {
            const int qtKey = qwerty[i]; // Qt's letter and digit keys are their ASCII codes
            QCOMPARE(VirtualKeyFromQt(qtKey, Qt::NoModifier, 0), qtKey);
            QCOMPARE(VirtualKeyFromQt(Qt::Key_unknown, Qt::ShiftModifier, rowStart[row] + col), qtKey);
        }
    }
    for (int f = 0; f < 24; ++f)
        QCOMPARE(VirtualKeyFromQt(Qt::Key_F1 + f, Qt::NoModifier, 0), 112 + f);
    QCOMPARE(VirtualKeyFromQt(Qt::Key_3, Qt::KeypadModifier, 0), 99);
}

QTEST_APPLESS_MAIN(TestVirtualKeys)
#include "tst_virtualkeys.moc"
