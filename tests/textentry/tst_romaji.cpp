// ConvertRoma: the cases the whole-text match makes easy to get wrong, phrases typed key by
// key as the input box feeds them, and the table's own invariants.
#include "textentry/mdlChangeRoma.h"
#include "textentry/mdlGetBinary.h"

#include <QSet>
#include <QTest>

namespace {

// What the handset receives when `keys` are typed one by one into the input box: after
// each key the whole pending text is converted; on success the kana goes out and the
// remainder becomes the box's text, which converts again when set; four or more pending
// characters go out unconverted.
struct Typed {
    QString sent;
    QString pending;
};

Typed TypeRomaji(QStringView keys)
{
    Typed t;
    for (const QChar key : keys) {
        t.pending += key;
        while (!t.pending.isEmpty()) {
            if (t.pending.size() >= 4) {
                t.sent += t.pending;
                t.pending.clear();
                break;
            }
            QString kana, remainder;
            if (!ConvertRoma(t.pending, kana, remainder))
                break;
            t.sent += kana;
            t.pending = remainder;
        }
    }
    return t;
}

// A character the handset can type: in the table, or a voiced kana split into two.
bool Typable(QChar ch)
{
    KeyCode code;
    if (GetKeyCode(QStringView(&ch, 1), code))
        return true;
    const auto& voiced = VoicedKanaTable();
    return std::ranges::find(voiced, ch, &VoicedKana::voiced) != voiced.end();
}

} // namespace

class TestRomaji : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversions_data();
    void conversions();
    void failures_data();
    void failures();
    void emptyTextLeavesResultsUntouched();
    void phrases_data();
    void phrases();
    void everyEntryIsTypableKeyByKey();
};

void TestRomaji::conversions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("remainder");
    QTest::newRow("ka") << u"ka"_qs << u"か"_qs << QString();
    QTest::newRow("upper case KA as lower") << u"KA"_qs << u"か"_qs << QString();
    QTest::newRow("na") << u"na"_qs << u"な"_qs << QString();
    QTest::newRow("nya") << u"nya"_qs << u"にゃ"_qs << QString();
    QTest::newRow("nn gives ん") << u"nn"_qs << u"ん"_qs << QString();
    QTest::newRow("nna gives ん, a is dropped") << u"nna"_qs << u"ん"_qs << QString();
    QTest::newRow("sokuon kk") << u"kk"_qs << u"っ"_qs << u"k"_qs;
    QTest::newRow("sokuon xx, any letter") << u"xx"_qs << u"っ"_qs << u"x"_qs;
    QTest::newRow("sokuon KKA keeps ka lower") << u"KKA"_qs << u"っ"_qs << u"ka"_qs;
    QTest::newRow("doubled rule before the table: aa") << u"aa"_qs << u"っ"_qs << u"a"_qs;
    // Every spelling beside the first of its kana.
    QTest::newRow("ca") << u"ca"_qs << u"か"_qs << QString();
    QTest::newRow("qu") << u"qu"_qs << u"く"_qs << QString();
    QTest::newRow("co") << u"co"_qs << u"こ"_qs << QString();
    QTest::newRow("si") << u"si"_qs << u"し"_qs << QString();
    QTest::newRow("shi") << u"shi"_qs << u"し"_qs << QString();
    QTest::newRow("ci") << u"ci"_qs << u"し"_qs << QString();
    QTest::newRow("ce") << u"ce"_qs << u"せ"_qs << QString();
    QTest::newRow("chi") << u"chi"_qs << u"ち"_qs << QString();
    QTest::newRow("tu") << u"tu"_qs << u"つ"_qs << QString();
    QTest::newRow("fu") << u"fu"_qs << u"ふ"_qs << QString();
    QTest::newRow("hu") << u"hu"_qs << u"ふ"_qs << QString();
    QTest::newRow("wo") << u"wo"_qs << u"を"_qs << QString();
    QTest::newRow("ji") << u"ji"_qs << u"じ"_qs << QString();
    QTest::newRow("sha") << u"sha"_qs << u"しゃ"_qs << QString();
    QTest::newRow("she") << u"she"_qs << u"しぇ"_qs << QString();
    QTest::newRow("cha") << u"cha"_qs << u"ちゃ"_qs << QString();
    QTest::newRow("cho") << u"cho"_qs << u"ちょ"_qs << QString();
    QTest::newRow("ja") << u"ja"_qs << u"じゃ"_qs << QString();
    QTest::newRow("ju") << u"ju"_qs << u"じゅ"_qs << QString();
    QTest::newRow("je") << u"je"_qs << u"じぇ"_qs << QString();
    QTest::newRow("jo") << u"jo"_qs << u"じょ"_qs << QString();
    QTest::newRow("la") << u"la"_qs << u"ぁ"_qs << QString();
    QTest::newRow("xa") << u"xa"_qs << u"ぁ"_qs << QString();
    QTest::newRow("ltu") << u"ltu"_qs << u"っ"_qs << QString();
    QTest::newRow("xtu") << u"xtu"_qs << u"っ"_qs << QString();
    QTest::newRow("lyo") << u"lyo"_qs << u"ょ"_qs << QString();
    QTest::newRow("xyo") << u"xyo"_qs << u"ょ"_qs << QString();
    QTest::newRow("xya") << u"xya"_qs << u"ゃ"_qs << QString();
    // Digits and signs.
    QTest::newRow("0") << u"0"_qs << u"０"_qs << QString();
    QTest::newRow("5") << u"5"_qs << u"５"_qs << QString();
    QTest::newRow(":") << u":"_qs << u"："_qs << QString();
    QTest::newRow(";") << u";"_qs << u"；"_qs << QString();
    QTest::newRow("^") << u"^"_qs << u"＾"_qs << QString();
    QTest::newRow("@") << u"@"_qs << u"＠"_qs << QString();
    QTest::newRow("- gives ー") << u"-"_qs << u"ー"_qs << QString();
    QTest::newRow("[") << u"["_qs << u"「"_qs << QString();
    QTest::newRow("]") << u"]"_qs << u"」"_qs << QString();
    QTest::newRow(",") << u","_qs << u"、"_qs << QString();
    QTest::newRow(".") << u"."_qs << u"。"_qs << QString();
    QTest::newRow("/") << u"/"_qs << u"・"_qs << QString();
    QTest::newRow("backslash gives ￥") << u"\\"_qs << u"\uFFE5"_qs << QString();
    QTest::newRow("pasted 12 lies between 0 and ;") << u"12"_qs << u"１２"_qs << QString();
}

void TestRomaji::conversions()
{
    QFETCH(QString, text);
    QFETCH(QString, kana);
    QFETCH(QString, remainder);
    QString gotKana = u"stale"_qs, gotRemainder = u"stale"_qs;
    QVERIFY(ConvertRoma(text, gotKana, gotRemainder));
    QCOMPARE(gotKana, kana);
    QCOMPARE(gotRemainder, remainder);
}

void TestRomaji::failures_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("k waits") << u"k"_qs;
    QTest::newRow("sh waits") << u"sh"_qs;
    QTest::newRow("ch waits") << u"ch"_qs;
    QTest::newRow("n alone") << u"n"_qs;
    QTest::newRow("nk, no n before a consonant") << u"nk"_qs;
    QTest::newRow("tsu") << u"tsu"_qs;
    QTest::newRow("wi") << u"wi"_qs;
    QTest::newRow("we") << u"we"_qs;
    QTest::newRow("ye") << u"ye"_qs;
    QTest::newRow("va") << u"va"_qs;
    QTest::newRow("dhi") << u"dhi"_qs;
    QTest::newRow("xka") << u"xka"_qs;
    QTest::newRow("xwa") << u"xwa"_qs;
    QTest::newRow("no prefix search: kab") << u"kab"_qs;
    QTest::newRow("!") << u"!"_qs;
    QTest::newRow("space") << u" "_qs;
    QTest::newRow("< is past ;") << u"<"_qs;
    QTest::newRow("kana") << u"か"_qs;
    QTest::newRow("emoji") << u"😀"_qs;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D));
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00));
    QTest::newRow("10,000 characters") << u"ka"_qs.repeated(5000);
}

void TestRomaji::failures()
{
    QFETCH(QString, text);
    QString kana = u"stale"_qs, remainder = u"stale"_qs;
    QVERIFY(!ConvertRoma(text, kana, remainder));
    QVERIFY(kana.isEmpty());
    QVERIFY(remainder.isEmpty());
}

void TestRomaji::emptyTextLeavesResultsUntouched()
{
    QString kana = u"か"_qs, remainder = u"k"_qs;
    QVERIFY(!ConvertRoma(QString(), kana, remainder));
    QCOMPARE(kana, u"か"_qs);
    QCOMPARE(remainder, u"k"_qs);
}

void TestRomaji::phrases_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("pending");
    QTest::newRow("kannji") << u"kannji"_qs << u"かんじ"_qs << QString();
    QTest::newRow("kitte") << u"kitte"_qs << u"きって"_qs << QString();
    QTest::newRow("gakkou") << u"gakkou"_qs << u"がっこう"_qs << QString();
    QTest::newRow("nyuugaku") << u"nyuugaku"_qs << u"にゅうがく"_qs << QString();
    QTest::newRow("shashinn") << u"shashinn"_qs << u"しゃしん"_qs << QString();
    QTest::newRow("mattya, sokuon before ty") << u"mattya"_qs << u"まっちゃ"_qs << QString();
    QTest::newRow("KANA with Caps Lock") << u"KANA"_qs << u"かな"_qs << QString();
    QTest::newRow("unfinished syllable waits") << u"kas"_qs << u"か"_qs << u"s"_qs;
    QTest::newRow("nkak goes out raw at four") << u"nkak"_qs << u"nkak"_qs << QString();
    QTest::newRow("tsu then a goes out raw") << u"tsua"_qs << u"tsua"_qs << QString();
    QTest::newRow("digits and signs") << u"1-2."_qs << u"１ー２。"_qs << QString();
}

void TestRomaji::phrases()
{
    QFETCH(QString, keys);
    QFETCH(QString, sent);
    QFETCH(QString, pending);
    const Typed typed = TypeRomaji(keys);
    QCOMPARE(typed.sent, sent);
    QCOMPARE(typed.pending, pending);
}

// An entry that began with a shorter one, or with a doubled letter, could never be typed:
// the box converts as soon as its text matches.
void TestRomaji::everyEntryIsTypableKeyByKey()
{
    QSet<QString> spellings;
    for (const RomajiEntry& entry : RomajiTable()) {
        const QString romaji = entry.romaji.toString();
        QVERIFY2(!spellings.contains(romaji), qPrintable(romaji));
        spellings.insert(romaji);
        QCOMPARE(romaji, romaji.toLower());
        const Typed typed = TypeRomaji(romaji);
        QVERIFY2(typed.pending.isEmpty(), qPrintable(romaji));
        QCOMPARE(typed.sent, entry.kana.toString());
        for (const QChar ch : entry.kana)
            QVERIFY2(Typable(ch), qPrintable(romaji));
    }
    QVERIFY(!spellings.isEmpty());
}

QTEST_APPLESS_MAIN(TestRomaji)
#include "tst_romaji.moc"
