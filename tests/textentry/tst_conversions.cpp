// What typed text and keys become before they reach the handset: romaji, the kana keyboard,
// full-width letters, the character table's key codes, CP932 bytes, and Qt key events as
// virtual-key numbers (one physical key, one number, whatever Shift made of its character; the
// punctuation keys as Windows numbers them on a US and a Japanese keyboard).
#include "platform/Cp932.h"
#include "platform/VirtualKeys.h"
#include "textentry/mdlChangeAlphabet.h"
#include "textentry/mdlChangeKana.h"
#include "textentry/mdlChangeRoma.h"
#include "textentry/mdlGetBinary.h"

#include <QSet>
#include <QTest>

namespace {

// What the handset receives when `keys` are typed one by one into the input box: the whole
// pending text converts after each key, the remainder stays pending. What still waits at the
// end follows. (Four pending letters go out unconverted; no text here leaves that many, and the
// keyboard tests type them.)
QString TypeRomaji(QStringView keys)
{
    QString sent, rest;
    for (const QChar key : keys) {
        rest += key;
        QString kana, remainder;
        while (ConvertRoma(rest, kana, remainder)) {
            sent += kana;
            rest = remainder;
        }
    }
    return sent + rest;
}

// X11 keycodes (evdev + 8) of a few physical keys.
constexpr quint32 X11_0 = 19, X11_KP7 = 79, X11_MINUS = 20, X11_EQUAL = 21, X11_LBRACE = 34,
                  X11_SEMICOLON = 47, X11_APOSTROPHE = 48, X11_GRAVE = 49, X11_BACKSLASH = 51, X11_COMMA = 59,
                  X11_CAPS = 66, X11_RO = 97, X11_YEN = 132;

bool FullWidthCode(QStringView text)
{
    KeyCode code;
    return GetKeyCode(text, code) && code.Kind == KeyKind::FullWidth;
}

} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An entry that began with a shorter one, or with a doubled letter, could never be typed: the
    // box converts as soon as its text matches. Every kana must have a key code, voiced ones split.
    void everyRomajiEntryTypesKeyByKey()
    {
        // Upper case is matched as lower; "nn" is ん at once, and another doubled letter a small
        // つ before the syllable it begins.
        QCOMPARE(TypeRomaji(u"KAnnakkA"), u"かんあっか"_qs);
        // An upper-case entry, or a second one for the same spelling, is never matched: it fails here.
        for (const RomajiEntry& entry : RomajiTable()) {
            const QString romaji = entry.romaji.toString();
            QCOMPARE(TypeRomaji(romaji), entry.kana.toString());
            for (const QChar ch : entry.kana) {
                KeyCode code;
                const auto voiced = std::ranges::find(VoicedKanaTable(), ch, &VoicedKana::voiced);
                QVERIFY2(GetKeyCode(QStringView(&ch, 1), code) || voiced != VoicedKanaTable().end(), qPrintable(romaji));
            }
        }
        QVERIFY(RomajiTable().size() > 100);
    }

    // The text is lower-cased before the lookup, so an upper-case key could never match; a key in
    // two places would shadow the second; a kana without a key code could not be typed.
    void everyKanaKeyIsReachable()
    {
        QSet<QChar> seen;
        for (const KanaKey& key : KanaKeyTable()) {
            for (const QChar ch : key.keys) {
                QVERIFY2(ch.unicode() > 0x20 && ch.unicode() < 0x7F && !ch.isUpper() && !seen.contains(ch),
                         qPrintable(key.keys.toString()));
                seen.insert(ch);
            }
            QVERIFY(FullWidthCode(key.kana) && (key.shifted.isEmpty() || FullWidthCode(key.shifted)));
        }
        QCOMPARE(seen.size(), 94 - 26);
        // Every printable ASCII character has a half-width code that names it back, and a full-width form.
        for (char16_t c = 0x20; c <= 0x7E; ++c) {
            KeyCode code;
            QString wide;
            QVERIFY2(GetKeyCode(QStringView(&c, 1), code) && code.Kind == KeyKind::HalfWidth,
                     qPrintable(QString(QChar(c))));
            QCOMPARE(CharacterForKeyCode(code), QString(QChar(c)));
            // The space is row 9, never row 7.
            QVERIFY(c == u' ' ? (code == KeyCode{1, 9, 14})
                              : ConvertAlphabet(QString(QChar(c)), wide) && FullWidthCode(wide));
        }
        // A voiced kana is split before it is looked up.
        QVERIFY(!FullWidthCode(u"が"));
    }

    void cp932_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bad"); // bytes that did not decode, or characters that did not encode
        QTest::newRow("full-width tilde") << QByteArray::fromHex("8160") << u"～"_qs << 0;
        QTest::newRow("lead byte cut off") << QByteArray("ab\x82") << u"ab\uFFFD"_qs << 1;
        QTest::newRow("bad trail keeps the next") << QByteArray("\x82\x0a" "c") << u"\uFFFD\nc"_qs << 1;
        QTest::newRow("unmappable become ?") << QByteArray("a?b?c") << u"aゔb😀c"_qs << 2;
    }

    void cp932()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(int, bad);
        int count = -1;
        if (text.contains(u'\uFFFD')) {
            QCOMPARE(Cp932::Decode(bytes, &count), text);
        } else {
            QCOMPARE(Cp932::Encode(text, &count), bytes);
            QCOMPARE(Cp932::Decode(bytes), bad ? QString::fromLatin1(bytes) : text);
        }
        QCOMPARE(count, bad);
    }

    void splitLines()
    {
        QCOMPARE(Cp932::SplitLines(u"a\r\nb\n\rc\r"_qs), (QStringList{u"a"_qs, u"b"_qs, QString(), u"c"_qs}));
    }

    void virtualKeys_data()
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
        QTest::newRow("synthetic Windows key") << int(Qt::Key_Meta) << none << 0u << false << 91;
        QTest::newRow("全角") << int(Qt::Key_Zenkaku) << none << 0u << false << 244;
    }

    void virtualKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(quint32, scanCode);
        QFETCH(bool, japanese);
        QFETCH(int, vk);
        QCOMPARE(VirtualKeyFromQt(qtKey, mods, scanCode, japanese ? KeyLayout::Japanese : KeyLayout::Us), vk);
    }
};

QTEST_APPLESS_MAIN(TestConversions)
#include "tst_conversions.moc"
