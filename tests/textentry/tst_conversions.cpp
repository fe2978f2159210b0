// What typed text becomes before it reaches the handset: romaji, the kana keyboard, full-width
// letters, the character table's key codes, and CP932 bytes.
#include "platform/Cp932.h"
#include "textentry/mdlChangeAlphabet.h"
#include "textentry/mdlChangeKana.h"
#include "textentry/mdlChangeRoma.h"
#include "textentry/mdlGetBinary.h"

#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(KeyCode)

namespace {

// What the handset receives when `keys` are typed one by one into the input box: the whole
// pending text converts after each key, the remainder stays pending, and four or more pending
// characters go out unconverted.
QString TypeRomaji(QStringView keys, QString* pending = nullptr)
{
    QString sent, rest;
    for (const QChar key : keys) {
        rest += key;
        QString kana, remainder;
        while (rest.size() < 4 && ConvertRoma(rest, kana, remainder)) {
            sent += kana;
            rest = remainder;
        }
        if (rest.size() >= 4)
            sent += std::exchange(rest, QString());
    }
    if (pending)
        *pending = rest;
    return sent;
}

bool FullWidthCode(QStringView text)
{
    KeyCode code;
    return GetKeyCode(text, code) && code.Kind == KeyKind::FullWidth;
}

} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void romaji_data();
    void romaji();
    void everyRomajiEntryTypesKeyByKey();
    void everyKanaKeyIsReachable();
    void keyCodes_data();
    void keyCodes();
    void cp932_data();
    void cp932();
};

void TestConversions::romaji_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kana"); // "stale": refused and left untouched
    QTest::addColumn<QString>("remainder");
    const QString no;
    QTest::newRow("upper case KA as lower") << u"KA"_qs << u"か"_qs << no;
    QTest::newRow("nna drops the a") << u"nna"_qs << u"ん"_qs << no;
    QTest::newRow("sokuon KKA") << u"KKA"_qs << u"っ"_qs << u"ka"_qs;
    QTest::newRow("nk") << u"nk"_qs << no << no;
    QTest::newRow("10,000 characters") << u"ka"_qs.repeated(5000) << no << no;
    QTest::newRow("empty text leaves the results") << no << u"stale"_qs << u"stale"_qs;
}

void TestConversions::romaji()
{
    QFETCH(QString, text);
    QFETCH(QString, kana);
    QFETCH(QString, remainder);
    QString gotKana = u"stale"_qs, gotRemainder = u"stale"_qs;
    QCOMPARE(ConvertRoma(text, gotKana, gotRemainder), !kana.isEmpty() && kana != u"stale");
    QCOMPARE(gotKana, kana);
    QCOMPARE(gotRemainder, remainder);
}

// An entry that began with a shorter one, or with a doubled letter, could never be typed: the
// box converts as soon as its text matches. Every kana must have a key code, voiced ones split.
void TestConversions::everyRomajiEntryTypesKeyByKey()
{
    QSet<QString> spellings;
    for (const RomajiEntry& entry : RomajiTable()) {
        const QString romaji = entry.romaji.toString();
        QVERIFY2(!spellings.contains(romaji) && romaji == romaji.toLower(), qPrintable(romaji));
        spellings.insert(romaji);
        QString rest;
        QCOMPARE(TypeRomaji(romaji, &rest), entry.kana.toString());
        QVERIFY2(rest.isEmpty(), qPrintable(romaji));
        for (const QChar ch : entry.kana) {
            KeyCode code;
            QVERIFY2(GetKeyCode(QStringView(&ch, 1), code)
                         || std::ranges::find(VoicedKanaTable(), ch, &VoicedKana::voiced) != VoicedKanaTable().end(),
                     qPrintable(romaji));
        }
    }
    QVERIFY(spellings.size() > 100);
}

// The text is lower-cased before the lookup, so an upper-case key could never match; a key in
// two places would shadow the second; a kana without a key code could not be typed.
void TestConversions::everyKanaKeyIsReachable()
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
        QVERIFY2(GetKeyCode(QStringView(&c, 1), code) && code.Kind == KeyKind::HalfWidth, qPrintable(QString(QChar(c))));
        QCOMPARE(CharacterForKeyCode(code), QString(QChar(c)));
        QVERIFY(c == u' ' || (ConvertAlphabet(QString(QChar(c)), wide) && FullWidthCode(wide)));
    }
    QVERIFY(!PhoneKeyByName(u"F25") && !PhoneKeyByName(u""));
}

void TestConversions::keyCodes_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<KeyCode>("code"); // {1,1,1}: refused
    QTest::newRow("あ") << u"あ"_qs << KeyCode{2, 1, 1};
    QTest::newRow("space is row 9, never row 7") << u" "_qs << KeyCode{1, 9, 14};
    QTest::newRow("voiced が is split before") << u"が"_qs << KeyCode{1, 1, 1};
}

void TestConversions::keyCodes()
{
    QFETCH(QString, character);
    QFETCH(KeyCode, code);
    KeyCode found{7, 7, 7};
    QCOMPARE(GetKeyCode(character, found), code != KeyCode());
    QCOMPARE(found, code);
}

void TestConversions::cp932_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bad"); // bytes that did not decode, or characters that did not encode
    QTest::newRow("full-width tilde") << QByteArray::fromHex("8160") << u"～"_qs << 0;
    QTest::newRow("lead byte cut off") << QByteArray("ab\x82") << u"ab\uFFFD"_qs << 1;
    QTest::newRow("bad trail keeps the next") << QByteArray("\x82\x0a" "c") << u"\uFFFD\nc"_qs << 1;
    QTest::newRow("unmappable become ?") << QByteArray("a?b?c") << u"aゔb😀c"_qs << 2;
}

void TestConversions::cp932()
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
    QCOMPARE(Cp932::SplitLines(u"a\r\nb\n\rc\r"_qs), (QStringList{u"a"_qs, u"b"_qs, QString(), u"c"_qs}));
}

QTEST_APPLESS_MAIN(TestConversions)
#include "tst_conversions.moc"
