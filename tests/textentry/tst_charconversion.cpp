// ConvertAlphabet and ConvertKana: what each typed ASCII character becomes, what fails,
// and that every result is something the handset can type.
#include "textentry/mdlChangeAlphabet.h"
#include "textentry/mdlChangeKana.h"
#include "textentry/mdlGetBinary.h"

#include <QSet>
#include <QTest>

namespace {

bool InFullWidthTable(QStringView text)
{
    KeyCode code;
    return GetKeyCode(text, code) && code.Kind == KeyKind::FullWidth;
}

} // namespace

class TestCharConversion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alphabet_data();
    void alphabet();
    void alphabetFailures_data();
    void alphabetFailures();
    void everyPrintableAsciiBecomesFullWidth();
    void kana_data();
    void kana();
    void kanaFailuresBeep_data();
    void kanaFailuresBeep();
    void kanaKeysAreReachableAndTypable();
};

void TestCharConversion::alphabet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("a") << u"a"_qs << u"ａ"_qs;
    QTest::newRow("A") << u"A"_qs << u"Ａ"_qs;
    QTest::newRow("1") << u"1"_qs << u"１"_qs;
    QTest::newRow("!") << u"!"_qs << u"！"_qs;
    QTest::newRow("[ is in range") << u"["_qs << u"［"_qs;
    QTest::newRow("] is in range") << u"]"_qs << u"］"_qs;
    QTest::newRow("quotation mark gives ”") << u"\""_qs << u"\u201D"_qs;
    QTest::newRow("apostrophe gives ’") << u"'"_qs << u"\u2019"_qs;
    QTest::newRow("backslash gives ￥") << u"\\"_qs << u"\uFFE5"_qs;
    QTest::newRow("pasted ab") << u"ab"_qs << u"ａｂ"_qs;
}

void TestCharConversion::alphabet()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QString got = u"stale"_qs;
    QVERIFY(ConvertAlphabet(text, got));
    QCOMPARE(got, result);
}

void TestCharConversion::alphabetFailures_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("space") << u" "_qs;
    QTest::newRow("kana") << u"あ"_qs;
    QTest::newRow("full-width already") << u"Ａ"_qs;
    QTest::newRow("DEL") << QString(QChar(0x7F));
    QTest::newRow("tab") << u"\t"_qs;
    QTest::newRow("! then more") << u"!a"_qs;
    QTest::newRow("emoji") << u"😀"_qs;
    QTest::newRow("lone surrogate") << QString(QChar(0xDC00));
}

void TestCharConversion::alphabetFailures()
{
    QFETCH(QString, text);
    QString got = u"stale"_qs;
    QVERIFY(!ConvertAlphabet(text, got));
    QVERIFY(got.isEmpty());

    QString untouched = u"kept"_qs;
    QVERIFY(!ConvertAlphabet(QString(), untouched));
    QCOMPARE(untouched, u"kept"_qs);
}

void TestCharConversion::everyPrintableAsciiBecomesFullWidth()
{
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        const QString text(QChar{c});
        QString got;
        const bool ok = ConvertAlphabet(text, got);
        if (c == u' ') {
            QVERIFY(!ok);
            continue;
        }
        QVERIFY2(ok, qPrintable(text));
        QVERIFY2(InFullWidthTable(got), qPrintable(text + u" → "_qs + got));
    }
}

void TestCharConversion::kana_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("kana");
    QTest::newRow("t gives か") << u"t"_qs << false << u"か"_qs;
    QTest::newRow("Shift+t still か") << u"T"_qs << true << u"か"_qs;
    QTest::newRow("e gives い") << u"e"_qs << false << u"い"_qs;
    QTest::newRow("Shift+e gives ぃ") << u"E"_qs << true << u"ぃ"_qs;
    QTest::newRow("Shift+z gives っ") << u"Z"_qs << true << u"っ"_qs;
    QTest::newRow("0 gives わ") << u"0"_qs << false << u"わ"_qs;
    QTest::newRow("Shift+0 gives を") << u"0"_qs << true << u"を"_qs;
    QTest::newRow("3 gives あ") << u"3"_qs << false << u"あ"_qs;
    QTest::newRow("Shift+3 (#) gives ぁ") << u"#"_qs << true << u"ぁ"_qs;
    QTest::newRow("Shift+7 (') gives ゃ") << u"'"_qs << true << u"ゃ"_qs;
    QTest::newRow("@ gives the voiced mark") << u"@"_qs << false << u"\u2033"_qs;
    QTest::newRow("grave gives the voiced mark") << u"`"_qs << true << u"\u2033"_qs;
    QTest::newRow("[ gives the semi-voiced mark") << u"["_qs << false << u"\u00B0"_qs;
    QTest::newRow("| gives ー") << u"|"_qs << true << u"\u30FC"_qs;
    QTest::newRow("second key of a pair: *") << u"*"_qs << true << u"け"_qs;
    QTest::newRow("quotation mark gives ふ") << u"\""_qs << true << u"ふ"_qs;
    QTest::newRow("backslash gives ろ") << u"\\"_qs << false << u"ろ"_qs;
}

void TestCharConversion::kana()
{
    QFETCH(QString, text);
    QFETCH(bool, shift);
    QFETCH(QString, kana);
    int beeps = 0;
    QString got;
    QVERIFY(ConvertKana(text, shift, got, [&] { ++beeps; }));
    QCOMPARE(got, kana);
    QCOMPARE(beeps, 0);
}

void TestCharConversion::kanaFailuresBeep_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("space") << u" "_qs;
    QTest::newRow("two keys") << u"tt"_qs;
    QTest::newRow("kana") << u"か"_qs;
    QTest::newRow("empty") << QString();
    QTest::newRow("emoji") << u"😀"_qs;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800));
    QTest::newRow("10,000 characters") << QString(10000, u't');
}

void TestCharConversion::kanaFailuresBeep()
{
    QFETCH(QString, text);
    int beeps = 0;
    QString got = u"stale"_qs;
    QVERIFY(!ConvertKana(text, false, got, [&] { ++beeps; }));
    QVERIFY(got.isEmpty());
    QCOMPARE(beeps, 1);
    QVERIFY(!ConvertKana(text, true, got, {})); // no beeper: still only a failure
}

// The text is lower-cased before the lookup, so an upper-case key could never match; a key
// character in two places would shadow the second.
void TestCharConversion::kanaKeysAreReachableAndTypable()
{
    QSet<QChar> seen;
    for (const KanaKey& key : KanaKeyTable()) {
        for (const QChar ch : key.keys) {
            QVERIFY2(ch.unicode() > 0x20 && ch.unicode() < 0x7F, qPrintable(key.keys.toString()));
            QVERIFY2(!ch.isUpper(), qPrintable(key.keys.toString()));
            QVERIFY2(!seen.contains(ch), qPrintable(QString(ch)));
            seen.insert(ch);
        }
        QVERIFY(InFullWidthTable(key.kana));
        QVERIFY(key.shifted.isEmpty() || InFullWidthTable(key.shifted));
    }
    // Every printable ASCII character but the space and the capitals has a kana key.
    QCOMPARE(seen.size(), 94 - 26);
}

QTEST_APPLESS_MAIN(TestCharConversion)
#include "tst_charconversion.moc"
