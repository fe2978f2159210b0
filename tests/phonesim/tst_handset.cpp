// The simulated handset over its own pseudo-terminal: raw bytes in both directions, a
// monotonic byte log, pacing at the real line's speed, and a hang-up the other side sees.
#include "phonesim/Handset.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestHandset : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytesBothWays();
    void pacedReadingKeepsTheLineSpeed();
    void bytesLeftAtOtherSettingsAreFlagged();
    void linkAsComN();
    void hangUpIsSeenByThePort();
};

namespace {
bool openPort(QSerialPort& port, const QString& path)
{
    port.setPortName(path);
    port.setBaudRate(600);
    return port.open(QIODevice::ReadWrite);
}
} // namespace

void TestHandset::bytesBothWays()
{
    phonesim::Handset handset;
    QVERIFY(handset.start());
    QSerialPort port;
    QVERIFY(openPort(port, handset.portPath()));
    port.write(QByteArray::fromHex("f202010000020201") + QByteArray("AT-WT=1\r"));
    QVERIFY(handset.waitForEvents(2, 5000));
    QCOMPARE(handset.events()[0].describe(), u"key 2 2 1 か"_qs);
    QCOMPARE(handset.events()[1].describe(), u"at AT-WT=1"_qs);
    QCOMPARE(handset.screen().text(), u"か"_qs);
    QCOMPARE(handset.byteLog().size(), 16);
    for (qsizetype i = 1; i < handset.byteLog().size(); ++i)
        QVERIFY(handset.byteLog()[i].ns >= handset.byteLog()[i - 1].ns);

    handset.send(QByteArray::fromHex("c78180"));
    QVERIFY(QTest::qWaitFor([&] { return port.bytesAvailable() >= 3; }, 5000));
    QCOMPARE(port.readAll(), QByteArray::fromHex("c78180"));
}

void TestHandset::pacedReadingKeepsTheLineSpeed()
{
    phonesim::Handset handset;
    QVERIFY(handset.start());
    handset.setPaced(true);
    QSerialPort port;
    QVERIFY(openPort(port, handset.portPath()));
    port.write(QByteArray(30, 'x'));
    QVERIFY(handset.waitForReceived(30, 5000));
    const auto& log = handset.byteLog();
    const qint64 span = log.back().ns - log.front().ns;
    // 29 byte times between the first and the last byte, give or take one timer tick.
    QVERIFY2(span >= 28 * phonesim::Handset::kPacedByteNs, qPrintable(QString::number(span)));
    QVERIFY2(span <= 31 * phonesim::Handset::kPacedByteNs, qPrintable(QString::number(span)));
    QCOMPARE(handset.offSettingsCount(), 0);

    // What the line has not carried stays with the sender, as on a real port.
    port.write(QByteArray(200'000, 'y'));
    QVERIFY(handset.waitForReceived(35, 5000));
    QVERIFY(port.bytesToWrite() > 0);
    QVERIFY(handset.received().size() < 40);
}

void TestHandset::bytesLeftAtOtherSettingsAreFlagged()
{
    // Qt puts the settings from before opening back at close; the pseudo-terminal starts at
    // 9600 baud, so what the line had not carried yet then leaves at that speed, faster.
    phonesim::Handset handset;
    QVERIFY(handset.start());
    handset.setPaced(true);
    QSignalSpy flagged(&handset, &phonesim::Handset::offSettingsReceived);
    QSerialPort port;
    QVERIFY(openPort(port, handset.portPath()));
    port.write(QByteArray(40, 'z'));
    QVERIFY(port.waitForBytesWritten(1000));
    QVERIFY(handset.waitForReceived(3, 5000));
    port.close();
    QVERIFY(handset.waitForReceived(40, 5000));
    const auto& log = handset.byteLog();
    QVERIFY(!log.front().offSettings());
    QCOMPARE(log.back().baud, 9600);
    QVERIFY2(handset.offSettingsCount() > 20, qPrintable(QString::number(handset.offSettingsCount())));
    QVERIFY(!flagged.isEmpty());
    QCOMPARE(flagged.first().at(1).toInt(), 9600);
    const qint64 fastSpan = log.back().ns - log[log.size() - 11].ns;
    QVERIFY2(fastSpan < 10 * phonesim::Handset::kPacedByteNs / 4, qPrintable(QString::number(fastSpan)));
}

void TestHandset::linkAsComN()
{
    QTemporaryDir dir;
    phonesim::Handset handset;
    QVERIFY(handset.start());
    QVERIFY(handset.linkAs(dir.path(), 2));
    QVERIFY(handset.linkAs(dir.path(), 2)); // replaces its own older link
    QSerialPort port;
    QVERIFY(openPort(port, dir.filePath(u"com2"_qs)));
    port.write(QByteArray::fromHex("8e"));
    QVERIFY(handset.waitForEvents(1, 5000));
    QCOMPARE(handset.events()[0].type, phonesim::WireEvent::Type::NumberRequest);
}

void TestHandset::hangUpIsSeenByThePort()
{
    phonesim::Handset handset;
    QVERIFY(handset.start());
    QSerialPort port;
    QVERIFY(openPort(port, handset.portPath()));
    QSignalSpy errors(&port, &QSerialPort::errorOccurred);
    port.write(QByteArray::fromHex("f2020100000202")); // most of a frame, which the hang-up cuts
    QVERIFY(QTest::qWaitFor([&] { return handset.byteLog().size() == 7; }, 5000));
    handset.hangUp();
    QVERIFY(!handset.isConnected());
    QVERIFY(QTest::qWaitFor([&] { return !errors.isEmpty(); }, 5000));
    // Close at once, as the program does: otherwise Qt repeats the error without end.
    port.close();
    QVERIFY(errors.first().first().value<QSerialPort::SerialPortError>() != QSerialPort::NoError);
    // The next connection's first frame decodes as sent.
    QVERIFY(handset.start() && openPort(port, handset.portPath()));
    port.write(QByteArray::fromHex("f202010000020201"));
    QVERIFY(handset.waitForEvents(1, 5000));
    QCOMPARE(handset.events().last().describe(), u"key 2 2 1 か"_qs);
}

QTEST_GUILESS_MAIN(TestHandset)
#include "tst_handset.moc"
