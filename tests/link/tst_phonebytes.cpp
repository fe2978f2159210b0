// The meaning of single bytes from the handset: reply digits, notification kinds, serial groups.
#include "link/PhoneBytes.h"

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
    void hexWithoutLeadingZero_data();
    void hexWithoutLeadingZero();
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
    QTest::newRow("end byte is nothing") << 0xAA << QString();
    QTest::newRow("01 is nothing") << 0x01 << QString();
    QTest::newRow("signal level is nothing") << 0xC5 << QString();
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
    QTest::newRow("80 in area") << 0x80 << false << Notification::ServiceArea;
    QTest::newRow("81 out of area") << 0x81 << false << Notification::ServiceArea;
    QTest::newRow("82 is not an area byte") << 0x82 << false << Notification::Other;
    QTest::newRow("A5 announced") << 0xA5 << true << Notification::IncomingCall;
    QTest::newRow("A5 not announced") << 0xA5 << false << Notification::Other;
    QTest::newRow("E2 charge") << 0xE2 << false << Notification::CallCharge;
    QTest::newRow("E2 charge, calls announced") << 0xE2 << true << Notification::CallCharge;
}

void TestPhoneBytes::classify()
{
    QFETCH(int, byte);
    QFETCH(bool, announce);
    QFETCH(Notification, kind);
    QCOMPARE(Classify(quint8(byte), announce), kind);
}

void TestPhoneBytes::hexWithoutLeadingZero_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("hex");
    QTest::newRow("00") << 0x00 << u"0"_qs;
    QTest::newRow("0A") << 0x0A << u"A"_qs;
    QTest::newRow("5A") << 0x5A << u"5A"_qs;
    QTest::newRow("FF") << 0xFF << u"FF"_qs;
}

void TestPhoneBytes::hexWithoutLeadingZero()
{
    QFETCH(int, byte);
    QFETCH(QString, hex);
    QCOMPARE(SerialGroup(quint8(byte)), hex);
    QCOMPARE(DiagnosticLine(quint8(byte)), u"&h"_qs + hex);
}

QTEST_APPLESS_MAIN(TestPhoneBytes)
#include "tst_phonebytes.moc"
