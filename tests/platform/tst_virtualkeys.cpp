// Qt key events to virtual-key numbers: one physical key, one number, whatever Shift made of
// its character; the punctuation keys as Windows numbers them on a US and a Japanese keyboard.
#include "platform/VirtualKeys.h"

#include <QTest>

namespace {
// X11 keycodes (evdev + 8) of a few physical keys.
constexpr quint32 X11_0 = 19, X11_KP7 = 79, X11_MINUS = 20, X11_EQUAL = 21, X11_LBRACE = 34,
                  X11_SEMICOLON = 47, X11_APOSTROPHE = 48, X11_GRAVE = 49, X11_BACKSLASH = 51, X11_COMMA = 59,
                  X11_CAPS = 66, X11_RO = 97, X11_YEN = 132;
} // namespace

class TestVirtualKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<int>("vk");
        const Qt::KeyboardModifiers none = Qt::NoModifier, kp = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        QTest::newRow("keypad Enter is Enter") << int(Qt::Key_Enter) << kp << 0u << false << 13;
        QTest::newRow("Shift+Tab arrives as Backtab") << int(Qt::Key_Backtab) << shift << 0u << false << 9;
        QTest::newRow("keypad 7, NumLock off, is Home") << int(Qt::Key_Home) << kp << X11_KP7 << false << 36;
        QTest::newRow("main-block minus is no keypad key") << int(Qt::Key_Minus) << none << X11_MINUS << false << 189;
        QTest::newRow("Shift+0 on a US layout") << int(Qt::Key_ParenRight) << shift << X11_0 << false << 48;
        QTest::newRow("Shift+0 on a Japanese layout") << int(Qt::Key_AsciiTilde) << shift << X11_0 << true << 48;
        QTest::newRow("synthetic Shift+0 as ) has no key") << int(Qt::Key_ParenRight) << shift << 0u << false << 0;
        // The punctuation keys by their scan code, on both keyboards (the real-X tests assign the
        // Japanese keyboard's @ and [ and the Windows key from their real scan codes).
        QTest::newRow("Shift+, is <, still the , key") << int(Qt::Key_Less) << shift << X11_COMMA << false << 188;
        QTest::newRow("JIS ^") << int(Qt::Key_AsciiCircum) << none << X11_EQUAL << true << 222;
        QTest::newRow("US [") << int(Qt::Key_BracketLeft) << none << X11_LBRACE << false << 219;
        QTest::newRow("JIS ; (Shift gives +)") << int(Qt::Key_Semicolon) << none << X11_SEMICOLON << true << 187;
        QTest::newRow("JIS :") << int(Qt::Key_Colon) << none << X11_APOSTROPHE << true << 186;
        QTest::newRow("JIS 半角/全角") << int(Qt::Key_Zenkaku_Hankaku) << none << X11_GRAVE << true << 243;
        QTest::newRow("US \\") << int(Qt::Key_Backslash) << none << X11_BACKSLASH << false << 220;
        QTest::newRow("JIS ¥") << int(Qt::Key_Backslash) << none << X11_YEN << true << 220;
        QTest::newRow("JIS ろ") << int(Qt::Key_Underscore) << shift << X11_RO << true << 226;
        QTest::newRow("JIS 英数") << int(Qt::Key_Eisu_toggle) << none << X11_CAPS << true << 240;
        // Synthetic events carry no scan code: their unshifted characters.
        QTest::newRow("synthetic ,") << int(Qt::Key_Comma) << none << 0u << false << 188;
        QTest::newRow("synthetic Windows key") << int(Qt::Key_Meta) << none << 0u << false << 91;
        QTest::newRow("全角") << int(Qt::Key_Zenkaku) << none << 0u << false << 244;
    }

    void keys()
    {
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(quint32, scanCode);
        QFETCH(bool, japanese);
        QFETCH(int, vk);
        QCOMPARE(VirtualKeyFromQt(qtKey, mods, scanCode, japanese ? KeyLayout::Japanese : KeyLayout::Us), vk);
    }
};

QTEST_APPLESS_MAIN(TestVirtualKeys)
#include "tst_virtualkeys.moc"
