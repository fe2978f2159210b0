// Reading the leading number of a value, and the plain form numbers are written in.
#include "settings/SettingsNumbers.h"

#include <QTest>
#include <cfloat>
#include <climits>

class TestSettingsNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data();
    void read();
    void format_data();
    void format();
    void writtenNumbersDoNotDrift();
};

void TestSettingsNumbers::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("int16");
    QTest::addColumn<qint64>("int32");
    QTest::addColumn<float>("single");
    QTest::newRow("2.5 to even") << u"2.5"_qs << 2 << qint64(2) << 2.5f;
    QTest::newRow("3.5 to even") << u"3.5"_qs << 4 << qint64(4) << 3.5f;
    QTest::newRow("-2.5 to even") << u"-2.5"_qs << -2 << qint64(-2) << -2.5f;
    QTest::newRow("0.25") << u"0.25"_qs << 0 << qint64(0) << 0.25f;
    QTest::newRow("letters") << u"abc1"_qs << 0 << qint64(0) << 0.0f;
    QTest::newRow("leading blanks, trailing letters") << u" 12abc"_qs << 12 << qint64(12) << 12.0f;
    QTest::newRow("blanks inside, sign") << u"- 1 2\t3"_qs << -123 << qint64(-123) << -123.0f;
    QTest::newRow("exponent") << u"1.5e3"_qs << 1500 << qint64(1500) << 1500.0f;
    QTest::newRow("exponent without digits") << u"15e+"_qs << 15 << qint64(15) << 15.0f;
    QTest::newRow("second point stops") << u"1.2.3"_qs << 1 << qint64(1) << 1.2f;
    QTest::newRow("full-width digits") << u"１２"_qs << 0 << qint64(0) << 0.0f;
    QTest::newRow("beyond 16 bits clamps") << u"40000"_qs << 32767 << qint64(40000) << 40000.0f;
    QTest::newRow("beyond 32 bits clamps") << u"-1e12"_qs << -32768 << qint64(INT_MIN) << -1e12f;
    QTest::newRow("beyond single clamps") << u"1e999"_qs << 32767 << qint64(INT_MAX) << FLT_MAX;
}

void TestSettingsNumbers::read()
{
    QFETCH(QString, text);
    QFETCH(int, int16);
    QFETCH(qint64, int32);
    QFETCH(float, single);
    QCOMPARE(int(ToInt16(text)), int16);
    QCOMPARE(qint64(ToInt32(text)), int32);
    QCOMPARE(ToSingle(text), single);
}

void TestSettingsNumbers::format_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("100") << 100.0f << u"100"_qs;
    QTest::newRow("1500") << 1500.0f << u"1500"_qs;
    QTest::newRow("0.5") << 0.5f << u"0.5"_qs;
    QTest::newRow("-0") << -0.0f << u"0"_qs;
    QTest::newRow("negative") << -0.25f << u"-0.25"_qs;
    QTest::newRow("1.28 without float noise") << 1.28f << u"1.28"_qs;
    QTest::newRow("seven digits") << 1.0f / 3.0f << u"0.3333333"_qs;
    QTest::newRow("large, no exponent") << 123456789.0f << u"123456800"_qs;
    QTest::newRow("small, no exponent") << 0.000012345678f << u"0.00001234568"_qs;
    QTest::newRow("carry into a new digit") << 9.9999999f << u"10"_qs;
}

void TestSettingsNumbers::format()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(FormatSingle(value), text);
    QCOMPARE(FormatSingle(ToSingle(text)), text);
}

// Found by fuzzing: 1e28 read back as its neighbour, which seven digits wrote differently,
// so every start and exit would have changed the file.
void TestSettingsNumbers::writtenNumbersDoNotDrift()
{
    for (const float value : {1.00000006e28f, 9.99999944e27f, 1.0f / 3.0f, 123456789.0f, FLT_MAX, 1e-45f}) {
        const QString once = FormatSingle(value);
        QCOMPARE(FormatSingle(ToSingle(once)), once);
    }
    QCOMPARE(FormatSingle(0.25f), u"0.25"_qs);
}

QTEST_APPLESS_MAIN(TestSettingsNumbers)
#include "tst_settingsnumbers.moc"
