// The character table and GetKeyCode: invariants over every row, the cases that are easy
// to get wrong, and the inputs that must be refused.
#include "textentry/mdlGetBinary.h"

#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(KeyCode)

class TestCharacterTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCharacterMapsBackToItsPlace();
    void rowsHaveTheirShape();
    void codes_data();
    void codes();
    void refused_data();
    void refused();
    void everyPrintableAsciiHasAHalfWidthCode();
    void phoneKeyNames_data();
    void phoneKeyNames();
};

void TestCharacterTable::everyCharacterMapsBackToItsPlace()
{
    const struct { const std::array<QStringView, 15>& rows; std::uint8_t kind; } tables[] = {
        {FullWidthRows(), KeyKind::FullWidth}, {HalfWidthRows(), KeyKind::HalfWidth}};
    int checked = 0;
    for (const auto& table : tables) {
        for (std::size_t row = 0; row < table.rows.size(); ++row) {
            for (qsizetype pos = 0; pos < table.rows[row].size(); ++pos) {
                const QChar ch = table.rows[row][pos];
                KeyCode code;
                QVERIFY2(GetKeyCode(QStringView(&ch, 1), code), qPrintable(QString(ch)));
                if (ch == u' ') {
                    QCOMPARE(code, (KeyCode{1, 9, 14}));
                    continue;
                }
                QCOMPARE(code, (KeyCode{table.kind, std::uint8_t(row + 1), std::uint8_t(pos + 1)}));
                QCOMPARE(CharacterForKeyCode(code), QString(ch));
                ++checked;
            }
        }
    }
    // 30 rows, less the two places of the half-width space.
    QCOMPARE(checked, 316);
}

void TestCharacterTable::rowsHaveTheirShape()
{
    const QStringView fullKana = u"あかさたなはまやらわ";
    const QStringView halfKana = u"ｱｶｻﾀﾅﾊﾏﾔﾗﾜ";
    for (int row = 0; row < 10; ++row) {
        QCOMPARE(FullWidthRows()[row].front(), fullKana[row]);
        QCOMPARE(HalfWidthRows()[row].front(), halfKana[row]);
    }
    QCOMPARE(FullWidthRows()[6].size(), 15);
    QCOMPARE(FullWidthRows()[7].size(), 15);
    QCOMPARE(HalfWidthRows()[7].size(), 15);
    QCOMPARE(HalfWidthRows()[8].size(), 15);
}

void TestCharacterTable::codes_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<KeyCode>("code");
    QTest::newRow("あ") << u"あ"_qs << KeyCode{2, 1, 1};
    QTest::newRow("お") << u"お"_qs << KeyCode{2, 1, 5};
    QTest::newRow("full-width Ａ") << u"Ａ"_qs << KeyCode{2, 1, 6};
    QTest::newRow("full-width Ｊ") << u"Ｊ"_qs << KeyCode{2, 1, 15};
    QTest::newRow("A") << u"A"_qs << KeyCode{1, 1, 6};
    QTest::newRow("a") << u"a"_qs << KeyCode{1, 4, 6};
    QTest::newRow("z") << u"z"_qs << KeyCode{1, 6, 11};
    QTest::newRow("0") << u"0"_qs << KeyCode{1, 15, 5};
    QTest::newRow("#") << u"#"_qs << KeyCode{1, 15, 6};
    QTest::newRow("*") << u"*"_qs << KeyCode{1, 15, 7};
    QTest::newRow("space is row 9, never row 7") << u" "_qs << KeyCode{1, 9, 14};
    QTest::newRow("ideographic space") << u"\u3000"_qs << KeyCode{2, 9, 14};
    QTest::newRow("backslash") << u"\\"_qs << KeyCode{1, 8, 14};
    QTest::newRow("full-width yen") << u"\uFFE5"_qs << KeyCode{2, 8, 14};
    QTest::newRow("quotation mark") << u"\""_qs << KeyCode{1, 8, 6};
    QTest::newRow("right double quotation") << u"\u201D"_qs << KeyCode{2, 8, 6};
    QTest::newRow("apostrophe") << u"'"_qs << KeyCode{1, 7, 13};
    QTest::newRow("right single quotation") << u"\u2019"_qs << KeyCode{2, 7, 13};
    QTest::newRow("prolonged sound ー") << u"\u30FC"_qs << KeyCode{2, 12, 5};
    QTest::newRow("full-width hyphen －") << u"\uFF0D"_qs << KeyCode{2, 7, 10};
    QTest::newRow("half-width ｰ") << u"ｰ"_qs << KeyCode{1, 12, 5};
    QTest::newRow("tilde") << u"~"_qs << KeyCode{1, 9, 13};
    QTest::newRow("voiced mark") << u"\u2033"_qs << KeyCode{2, 10, 4};
    QTest::newRow("semi-voiced mark") << u"\u00B0"_qs << KeyCode{2, 10, 5};
    QTest::newRow("half-width voiced mark") << u"ﾞ"_qs << KeyCode{1, 10, 4};
    QTest::newRow("middle dot ・") << u"・"_qs << KeyCode{2, 13, 3};
}

void TestCharacterTable::codes()
{
    QFETCH(QString, character);
    QFETCH(KeyCode, code);
    KeyCode found{7, 7, 7};
    QVERIFY(GetKeyCode(character, found));
    QCOMPARE(found, code);
}

void TestCharacterTable::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("two characters") << u"ab"_qs;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D));
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00));
    QTest::newRow("astral character") << u"😀"_qs;
    QTest::newRow("kanji") << u"漢"_qs;
    QTest::newRow("full-width katakana") << u"ア"_qs;
    QTest::newRow("ゔ") << u"\u3094"_qs;
    QTest::newRow("voiced kana が (split before lookup)") << u"が"_qs;
    QTest::newRow("control character") << u"\t"_qs;
    QTest::newRow("CR") << u"\r"_qs;
    QTest::newRow("wave dash 〜 (not the full-width tilde)") << u"\u301C"_qs;
}

void TestCharacterTable::refused()
{
    QFETCH(QString, text);
    KeyCode code{9, 9, 9};
    QVERIFY(!GetKeyCode(text, code));
    QCOMPARE(code, (KeyCode{1, 1, 1}));
}

void TestCharacterTable::everyPrintableAsciiHasAHalfWidthCode()
{
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        KeyCode code;
        QVERIFY2(GetKeyCode(QStringView(&c, 1), code), qPrintable(QString(QChar(c))));
        QCOMPARE(code.Kind, KeyKind::HalfWidth);
    }
}

void TestCharacterTable::phoneKeyNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<KeyCode>("code");
    QTest::newRow("UP") << u"UP"_qs << KeyCode{3, 1, 1};
    QTest::newRow("RIGHT") << u"RIGHT"_qs << KeyCode{3, 1, 4};
    QTest::newRow("TEN-0 is 10") << u"TEN-0"_qs << KeyCode{3, 2, 10};
    QTest::newRow("TEN-# is 11") << u"TEN-#"_qs << KeyCode{3, 2, 11};
    QTest::newRow("TEN-* is 12") << u"TEN-*"_qs << KeyCode{3, 2, 12};
    QTest::newRow("OFF-HOOK") << u"OFF-HOOK"_qs << KeyCode{3, 2, 14};
    QTest::newRow("F15 still group 3") << u"F15"_qs << KeyCode{3, 3, 15};
    QTest::newRow("F16 starts group 4") << u"F16"_qs << KeyCode{3, 4, 1};
    QTest::newRow("F24") << u"F24"_qs << KeyCode{3, 4, 9};
    QTest::newRow("CR shares F1's code") << u"CR"_qs << KeyCode{3, 3, 1};
    QTest::newRow("CHAR") << u"CHAR"_qs << KeyCode{3, 6, 5};
}

void TestCharacterTable::phoneKeyNames()
{
    QFETCH(QString, name);
    QFETCH(KeyCode, code);
    const PhoneKey* key = PhoneKeyByName(name);
    QVERIFY(key);
    QCOMPARE(key->code(), code);
    QVERIFY(!PhoneKeyByName(u"F25"));
    QVERIFY(!PhoneKeyByName(u""));
    QSet<QString> names;
    for (const PhoneKey& k : PhoneKeys()) {
        QVERIFY(k.group == 1 || k.group == 2 || k.group == 3 || k.group == 4 || k.group == 6);
        if (!k.name.isEmpty())
            QVERIFY2(!names.contains(k.name.toString()), "duplicate name");
        names.insert(k.name.toString());
    }
}

QTEST_APPLESS_MAIN(TestCharacterTable)
#include "tst_charactertable.moc"
