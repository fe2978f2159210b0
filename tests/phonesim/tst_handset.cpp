// The simulated handset the other tests type at: its decoder however the bytes are split and
// after garbage, its screen's editing rules, pacing at the real line's speed, and the bytes
// that left at other settings flagged.
#include "phonesim/Handset.h"
#include "phonesim/HandsetScreen.h"
#include "phonesim/WireDecoder.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

class TestHandset : public QObject {
    Q_OBJECT
    // The handset reading at 600 baud, and a port at its other end.
    std::unique_ptr<phonesim::Handset> handset;
    QSerialPort port;
    bool open()
    {
        if (!handset->start())
            return false;
        port.setPortName(handset->portPath());
        port.setBaudRate(600);
        return port.open(QIODevice::ReadWrite);
    }

private Q_SLOTS:
    void init()
    {
        handset = std::make_unique<phonesim::Handset>();
        handset->setPaced(true);
        QVERIFY(open());
    }
    void cleanup() { port.close(); }

    void patternsAtEverySplit_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("events"); // garbage left out
        const QByteArray a = QByteArray::fromHex("f202010000010406"), ka = QByteArray::fromHex("f202010000020201");
        QTest::newRow("a query in a row")
            << QByteArray("AT-WT=0\r") + QByteArray::fromHex("8e") + QByteArray::fromHex("b30d0002") + QByteArray(34, '\0')
            << QStringList{u"at AT-WT=0"_qs, u"request number"_qs, u"request model"_qs};
        QTest::newRow("half a header, then a frame") << QByteArray::fromHex("f20201") + a
                                                     << QStringList{u"key 1 4 6 a"_qs};
        QTest::newRow("AT without CR, then a frame") << QByteArray("AT-W") + ka << QStringList{u"key 2 2 1 か"_qs};
        QTest::newRow("model request cut short, then a frame")
            << QByteArray::fromHex("b30d000200000001") + a << QStringList{u"key 1 4 6 a"_qs};
    }

    void patternsAtEverySplit()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, events);
        for (qsizetype split = 0; split <= bytes.size(); ++split) {
            phonesim::WireDecoder decoder;
            QStringList got;
            QByteArray all;
            for (const QByteArray& part : {bytes.left(split), bytes.mid(split)})
                for (const phonesim::WireEvent& e : decoder.feed(part)) {
                    all += e.bytes;
                    if (e.type != phonesim::WireEvent::Type::Garbage)
                        got << e.describe();
                }
            QCOMPARE(got, events);
            QCOMPARE(all, bytes); // every byte accounted for, none pending
        }
    }

    void screen_data()
    {
        QTest::addColumn<QList<KeyCode>>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("column");
        const KeyCode ka{2, 2, 1}, ha{2, 6, 1}, a{2, 1, 1}, voiced{2, 10, 4};
        QTest::newRow("か then ″ shows が") << QList<KeyCode>{ka, voiced} << u"が"_qs << 1;
        QTest::newRow("held CLEAR wipes the text") << QList<KeyCode>{a, ka, KeyCode{9, 6, 3}} << QString() << 0;
        QTest::newRow("up keeps the column in range, then insert")
            << QList<KeyCode>{a, PhoneKeyCodes::CR, ka, ka, PhoneKeyCodes::Up, ha} << u"あは\nかか"_qs << 2;
    }

    void screen()
    {
        QFETCH(QList<KeyCode>, keys);
        QFETCH(QString, text);
        QFETCH(int, column);
        phonesim::HandsetScreen screen;
        for (const KeyCode& key : keys)
            screen.apply(key);
        QCOMPARE(screen.text(), text);
        QCOMPARE(screen.cursorColumn(), column);
    }

    void pacedReadingKeepsTheLineSpeed()
    {
        constexpr qint64 byteNs = phonesim::Handset::kPacedByteNs;
        QSignalSpy flagged(handset.get(), &phonesim::Handset::offSettingsReceived);
        port.write(QByteArray(30, 'x'));
        QVERIFY(handset->waitForReceived(30, 5000));
        const auto& log = handset->byteLog();
        const qint64 span = log.back().ns - log.front().ns;
        // 29 byte times between the first and the last byte, give or take one timer tick.
        QVERIFY2(span >= 28 * byteNs && span <= 31 * byteNs, qPrintable(QString::number(span)));
        QCOMPARE(handset->offSettingsCount(), 0);

        // What the line has not carried stays with the sender, as on a real port.
        port.write(QByteArray(200'000, 'y'));
        QVERIFY(handset->waitForReceived(35, 5000));
        QVERIFY(port.bytesToWrite() > 0);
        QVERIFY(handset->received().size() < 40);
        // Qt puts the settings from before opening back at close; the pseudo-terminal starts at
        // 9600 baud, so what the device still held then leaves at that speed, faster, flagged.
        port.close();
        QVERIFY(QTest::qWaitFor([&] { return handset->offSettingsCount() > 20; }, 5000));
        QCOMPARE(flagged.value(0).value(1).toInt(), 9600);
        const qint64 fastSpan = log.back().ns - log[log.size() - 11].ns;
        QVERIFY2(fastSpan < 10 * byteNs / 4, qPrintable(QString::number(fastSpan)));
    }

    void aFrameCutByAHangUpIsDropped()
    {
        port.write(QByteArray::fromHex("f2020100000202")); // most of a frame, which the hang-up cuts
        QVERIFY(handset->waitForReceived(7, 5000));
        handset->hangUp();
        port.close();
        // The next connection's first frame decodes as sent, not joined to the cut one.
        QVERIFY(open());
        port.write(QByteArray::fromHex("f202010000020201"));
        QVERIFY(handset->waitForEvents(1, 5000));
        QCOMPARE(handset->events().last().describe(), u"key 2 2 1 か"_qs);
    }
};

QTEST_GUILESS_MAIN(TestHandset)
#include "tst_handset.moc"
