// WaitSeconds and the sleeping wait: no events for a wait of 0 or less (or NaN), at least the
// time asked for, events handled meanwhile, and a wake that ends the sleep early. The CPU a wait
// costs is measured by the link tests, and a wait ended by quitting by the fault tests.
#include "platform/SleepingWait.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

class TestWaits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waitSeconds_data()
    {
        QTest::addColumn<float>("seconds");
        QTest::newRow("0") << 0.0f;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("0.1") << 0.1f;
    }

    void waitSeconds()
    {
        QFETCH(float, seconds);
        bool ran = false;
        QMetaObject::invokeMethod(this, [&ran] { ran = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        WaitSeconds(seconds);
        // Events run during a wait, and only during one that waits at all.
        QCOMPARE(ran, seconds > 0);
        const qint64 ms = clock.elapsed();
        QVERIFY2(seconds > 0 ? clock.nsecsElapsed() >= 100'000'000 : ms < 50, qPrintable(QString::number(ms)));
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }

    void wakeEndsTheSleep()
    {
        SleepingWait wait;
        bool done = false;
        QTimer::singleShot(20, this, [&] {
            done = true;
            wait.wake();
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(wait.until(QDeadlineTimer(5000), [&done] { return done; }));
        QVERIFY(clock.elapsed() < 4000);
    }
};

QTEST_GUILESS_MAIN(TestWaits)
#include "tst_waits.moc"
