// The mode toggles: which conversion a text takes, the captions and the lamp.
#include "textentry/InputModes.h"

#include <QTest>

Q_DECLARE_METATYPE(InputConversion)

class TestInputModes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversion_data();
    void conversion();
    void captionsAndToggle();
    void lamp_data();
    void lamp();
};

void TestInputModes::conversion_data()
{
    QTest::addColumn<int>("alphaOrKana");
    QTest::addColumn<int>("kanaOrRoma");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<InputConversion>("conversion");
    QTest::newRow("alphabet, kana keyboard") << 0 << 0 << false << InputConversion::Alphabet;
    QTest::newRow("alphabet, romaji") << 0 << 1 << true << InputConversion::Alphabet;
    QTest::newRow("kana keyboard") << 1 << 0 << false << InputConversion::Kana;
    QTest::newRow("kana keyboard with Shift stays kana") << 1 << 0 << true << InputConversion::Kana;
    QTest::newRow("romaji") << 1 << 1 << false << InputConversion::Romaji;
    QTest::newRow("romaji with Shift types full-width") << 1 << 1 << true << InputConversion::Alphabet;
    QTest::newRow("mode 4 converts nothing") << 2 << 0 << false << InputConversion::None;
    QTest::newRow("negative mode converts nothing") << -1 << 0 << false << InputConversion::None;
}

void TestInputModes::conversion()
{
    QFETCH(int, alphaOrKana);
    QFETCH(int, kanaOrRoma);
    QFETCH(bool, shift);
    QFETCH(InputConversion, conversion);
    QCOMPARE(ConversionForMode(alphaOrKana, kanaOrRoma, shift), conversion);
}

void TestInputModes::captionsAndToggle()
{
    QCOMPARE(AlphaOrKanaCaption(1), u"あ"_qs);
    QCOMPARE(AlphaOrKanaCaption(0), u"Ａ"_qs);
    QCOMPARE(KanaOrRomaCaption(1), u"ローマ"_qs);
    QCOMPARE(KanaOrRomaCaption(0), u"かな"_qs);
    QCOMPARE(ToggledValue(1), 0);
    QCOMPARE(ToggledValue(0), 1);
    QCOMPARE(ToggledValue(2), 1);
    QCOMPARE(ToggledValue(-1), 1);
}

void TestInputModes::lamp_data()
{
    QTest::addColumn<int>("dontUseIme");
    QTest::addColumn<int>("imeOn");
    QTest::addColumn<int>("imeStatus");
    QTest::addColumn<int>("colour");
    QTest::newRow("own conversion on") << 1 << 1 << ImeStatusOff << LampRed;
    QTest::newRow("own conversion off") << 1 << 0 << 0 << LampBlack;
    QTest::newRow("platform IME off") << 0 << 1 << ImeStatusOff << LampBlack;
    QTest::newRow("platform IME on") << 0 << 0 << 1 << LampRed;
    QTest::newRow("no IME installed shows red") << 0 << 0 << 0 << LampRed;
}

void TestInputModes::lamp()
{
    QFETCH(int, dontUseIme);
    QFETCH(int, imeOn);
    QFETCH(int, imeStatus);
    QFETCH(int, colour);
    QCOMPARE(ImeIndicatorColour(dontUseIme, imeOn, imeStatus), colour);
}

QTEST_APPLESS_MAIN(TestInputModes)
#include "tst_inputmodes.moc"
