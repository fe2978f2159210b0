// The model of what is still on its way: the line's own speed against what the device
// reports, what a discard counts as dropped, a frame the device took only part of, and the
// drain before a port closes.
#include "platform/OutputLedger.h"
#include "platform/PortDrain.h"
#include "platform/PortSettings.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

constexpr qint64 kByte = 11 * 1'000'000'000LL / 600; // 600,e,8,1: start, parity and stop bits too

// n key frames written as header and code, `handed` bytes of them given to the device at time 0,
// at the link's own settings.
OutputLedger framesHanded(int n, qint64 handed)
{
    OutputLedger ledger;
    ledger.setByteNs(ByteNanoseconds(*ParsePortSettings(u"600,e,8,1")));
    for (int i = 0; i < n; ++i) {
        ledger.written(5, false);
        ledger.written(3, true);
    }
    ledger.handed(handed, 0);
    return ledger;
}

} // namespace

class TestOutputLedger : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        OutputLedger ledger = framesHanded(5, 40);
        QCOMPARE(ledger.inDevice(atNs, reported), inDevice);
        QCOMPARE(ledger.discard(atNs, reported), dropped);
        QCOMPARE(ledger.inDevice(atNs, 0), 0);
        // A header still waiting for its code counts too.
        ledger.written(5, false);
        QCOMPARE(ledger.discard(atNs, 0), 1);
    }

    void aFrameTheDeviceBeganIsFinished()
    {
        // A short write: the device took half of the second frame. Dropping what waits keeps its
        // rest, else the next frame's header would complete it on the wire.
        OutputLedger ledger = framesHanded(3, 12);
        QCOMPARE(ledger.dropWaiting(), 1);
        QCOMPARE(ledger.notHanded(), 4);
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
