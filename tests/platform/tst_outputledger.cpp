// The model of what is still on its way: the line's own speed against what the device
// reports, what a discard counts as dropped, and the drain before a port closes.
#include "platform/OutputLedger.h"
#include "platform/PortDrain.h"
#include "platform/PortSettings.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

constexpr qint64 kByte = 11 * 1'000'000'000LL / 600; // 600,e,8,1

// n key frames written as header and code, all handed to the device at time 0.
OutputLedger framesHanded(int n)
{
    OutputLedger ledger;
    ledger.setByteNs(kByte);
    for (int i = 0; i < n; ++i) {
        ledger.written(5, false);
        ledger.written(3, true);
    }
    ledger.handed(8 * n, 0);
    return ledger;
}

} // namespace

class TestOutputLedger : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void byteTimes_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<qint64>("ns");
        QTest::newRow("the link's 600,e,8,1: 11 bits") << u"600,e,8,1"_qs << kByte;
        QTest::newRow("9600,n,8,1: 10 bits") << u"9600,n,8,1"_qs << qint64(10 * 1e9 / 9600);
        QTest::newRow("1200,o,7,2: 11 bits") << u"1200,o,7,2"_qs << qint64(11 * 1e9 / 1200);
    }

    void byteTimes()
    {
        QFETCH(QString, settings);
        QFETCH(qint64, ns);
        QCOMPARE(ByteNanoseconds(*ParsePortSettings(settings)), ns);
    }

    void drainsAtTheLineSpeed_data()
    {
        QTest::addColumn<qint64>("atNs");
        QTest::addColumn<qint64>("reported"); // by the device
        QTest::addColumn<qint64>("inDevice");
        QTest::addColumn<qint64>("dropped"); // frames a discard then drops
        QTest::newRow("all at once") << qint64(0) << qint64(0) << qint64(40) << qint64(5);
        QTest::newRow("inside the second frame: it and the three after") << 12 * kByte << qint64(0) << qint64(28) << qint64(4);
        QTest::newRow("on a frame's end") << 16 * kByte << qint64(0) << qint64(24) << qint64(3);
        QTest::newRow("the device says more") << 12 * kByte << qint64(35) << qint64(35) << qint64(5);
        QTest::newRow("never more than was handed") << qint64(0) << qint64(500) << qint64(40) << qint64(5);
        QTest::newRow("drained") << 41 * kByte << qint64(0) << qint64(0) << qint64(0);
    }

    void drainsAtTheLineSpeed()
    {
        QFETCH(qint64, atNs);
        QFETCH(qint64, reported);
        QFETCH(qint64, inDevice);
        QFETCH(qint64, dropped);
        OutputLedger ledger = framesHanded(5);
        QCOMPARE(ledger.inDevice(atNs, reported), inDevice);
        QCOMPARE(ledger.discard(atNs, reported), dropped);
        QCOMPARE(ledger.inDevice(atNs, 0), 0);
        // A header still waiting for its code counts too.
        ledger.written(5, false);
        QCOMPARE(ledger.discard(atNs, 0), 1);
    }

    void drainSleepsUntilTheLineIsDone_data()
    {
        QTest::addColumn<qint64>("lineMs"); // how long the rest takes on the line; -1: it never leaves
        QTest::addColumn<bool>("drained");
        QTest::addColumn<int>("atLeastMs");
        QTest::newRow("the line finishes, then its last byte settles") << qint64(100) << true << 150;
        QTest::newRow("a device that stopped sending ends at the deadline") << qint64(-1) << false << 300;
    }

    void drainSleepsUntilTheLineIsDone()
    {
        QFETCH(qint64, lineMs);
        QFETCH(bool, drained);
        QFETCH(int, atLeastMs);
        QElapsedTimer clock;
        clock.start();
        int asked = 0;
        const auto remainingNs = [&] {
            ++asked;
            return lineMs < 0 ? qint64(1'000'000'000) : lineMs * 1'000'000 - clock.nsecsElapsed();
        };
        QCOMPARE(DrainOutput(remainingNs, QDeadlineTimer(300), 50'000'000), drained);
        QVERIFY2(clock.elapsed() >= atLeastMs && clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // It sleeps between questions rather than spinning.
        QVERIFY2(asked <= 20, qPrintable(QString::number(asked)));
    }
};

QTEST_APPLESS_MAIN(TestOutputLedger)
#include "tst_outputledger.moc"
