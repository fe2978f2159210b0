// The meaning of what the handset sends: reply digits, notification kinds, serial groups and
// the model named by a serial number.
#include "link/PhoneBytes.h"
#include "link/mdlGetPdcType.h"

#include <QTest>

using namespace PhoneBytes;
Q_DECLARE_METATYPE(PhoneBytes::Notification)

class TestPhoneBytes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyDigit_data();
    void replyDigit();
    void classify_data();
    void classify();
    void serialGroup();
    void modelName_data();
    void modelName();
};

void TestPhoneBytes::replyDigit_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("digit");
    QTest::newRow("9A is zero") << 0x9A << u"0"_qs;
    QTest::newRow("91 is one") << 0x91 << u"1"_qs;
    QTest::newRow("99 is nine") << 0x99 << u"9"_qs;
    QTest::newRow("90 is nothing") << 0x90 << QString();
    QTest::newRow("9B is nothing") << 0x9B << QString();
}

void TestPhoneBytes::replyDigit()
{
    QFETCH(int, byte);
    QFETCH(QString, digit);
    QCOMPARE(ReplyDigit(quint8(byte)), digit);
}

void TestPhoneBytes::classify_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<bool>("announce");
    QTest::addColumn<Notification>("kind");
    QTest::newRow("C0 lowest level") << 0xC0 << false << Notification::SignalLevel;
    QTest::newRow("CF highest level") << 0xCF << false << Notification::SignalLevel;
    QTest::newRow("BF below the levels") << 0xBF << false << Notification::Other;
    QTest::newRow("D0 above the levels") << 0xD0 << false << Notification::Other;
    QTest::newRow("81 out of area") << 0x81 << false << Notification::ServiceArea;
    QTest::newRow("82 is not an area byte") << 0x82 << false << Notification::Other;
    QTest::newRow("A5 announced") << 0xA5 << true << Notification::IncomingCall;
    QTest::newRow("A5 not announced") << 0xA5 << false << Notification::Other;
    QTest::newRow("E2 charge") << 0xE2 << true << Notification::CallCharge;
}

void TestPhoneBytes::classify()
{
    QFETCH(int, byte);
    QFETCH(bool, announce);
    QFETCH(Notification, kind);
    QCOMPARE(Classify(quint8(byte), announce), kind);
}

void TestPhoneBytes::serialGroup()
{
    QCOMPARE(SerialGroup(0x0A), u"A"_qs);
    QCOMPARE(SerialGroup(0xFF), u"FF"_qs);
    QCOMPARE(DiagnosticLine(0x00), u"&h0"_qs);
}

void TestPhoneBytes::modelName_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("model");
    QTest::newRow("range start NMABK") << u"NMABK12ABCD"_qs << u"P504i"_qs;
    QTest::newRow("range end NMABL") << u"NMABL"_qs << u"P504i"_qs;
    QTest::newRow("past the range NMABM") << u"NMABM"_qs << u"不明"_qs;
    QTest::newRow("lone code after a range NNEIS") << u"NNEIS"_qs << u"N502it"_qs;
    QTest::newRow("gap between range and code NNEIR") << u"NNEIR"_qs << u"不明"_qs;
    QTest::newRow("NMIIE third code of D210i") << u"NMIIE"_qs << u"D210i"_qs;
    QTest::newRow("lower-case maker") << u"nmabk"_qs << u"不明"_qs;
    QTest::newRow("empty") << QString() << u"不明"_qs;
    QTest::newRow("one model letter B sorts before BD") << u"NMAB"_qs << u"不明"_qs;
}

void TestPhoneBytes::modelName()
{
    QFETCH(QString, serial);
    QFETCH(QString, model);
    QCOMPARE(ModelNameFromSerial(serial), model);
}

QTEST_APPLESS_MAIN(TestPhoneBytes)
#include "tst_phonebytes.moc"
