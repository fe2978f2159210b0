// ModelNameFromSerial: range ends, rows that list single codes, unknown makers and short texts.
#include "link/mdlGetPdcType.h"

#include <QTest>

class TestModelName : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
};

void TestModelName::names_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("model");
    QTest::newRow("range start NMABK") << u"NMABK12ABCD"_qs << u"P504i"_qs;
    QTest::newRow("range end NMABL") << u"NMABL"_qs << u"P504i"_qs;
    QTest::newRow("past the range NMABM") << u"NMABM"_qs << u"不明"_qs;
    QTest::newRow("inner range NMABE") << u"NMABE0"_qs << u"P502i"_qs;
    QTest::newRow("lone code after a range NNEIS") << u"NNEIS"_qs << u"N502it"_qs;
    QTest::newRow("gap between range and code NNEIR") << u"NNEIR"_qs << u"不明"_qs;
    QTest::newRow("NNECC") << u"NNECC"_qs << u"N251i"_qs;
    QTest::newRow("NSOBC inside BB to BD") << u"NSOBC"_qs << u"SO503i"_qs;
    QTest::newRow("NMIBC not listed for D502i") << u"NMIBC"_qs << u"不明"_qs;
    QTest::newRow("NMIIE third code of D210i") << u"NMIIE"_qs << u"D210i"_qs;
    QTest::newRow("NFJDE") << u"NFJDE123"_qs << u"F212i"_qs;
    QTest::newRow("NSODB") << u"NSODB"_qs << u"SO210i"_qs;
    QTest::newRow("unknown maker XYZBK") << u"XYZBK"_qs << u"不明"_qs;
    QTest::newRow("lower-case maker") << u"nmabk"_qs << u"不明"_qs;
    QTest::newRow("empty") << QString() << u"不明"_qs;
    QTest::newRow("maker only") << u"NMA"_qs << u"不明"_qs;
    QTest::newRow("one model letter B sorts before BD") << u"NMAB"_qs << u"不明"_qs;
    QTest::newRow("one model letter U sorts before UD") << u"NNEU"_qs << u"不明"_qs;
}

void TestModelName::names()
{
    QFETCH(QString, serial);
    QFETCH(QString, model);
    QCOMPARE(ModelNameFromSerial(serial), model);
}

QTEST_APPLESS_MAIN(TestModelName)
#include "tst_modelname.moc"
