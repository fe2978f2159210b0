// WaitSeconds and the sleeping wait: no events for a wait of 0 or less, at least the time
// asked for, events handled meanwhile, a wake that ends the sleep early, a deadline without
// spinning, and quitting.
#include "CpuTime.h"
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
        QTest::newRow("-1") << -1.0f;
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

    void wakeOrDeadlineEndsTheSleep()
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

        int checks = 0;
        clock.start();
        QVERIFY(!wait.until(QDeadlineTimer(60), [&checks] { return ++checks < 0; }));
        QVERIFY(clock.elapsed() >= 60);
        // One check before sleeping and one after the timer: no spinning in between.
        QVERIFY2(checks <= 3, qPrintable(QString::number(checks)));
    }

    void quittingEndsAWaitWithoutSpinning()
    {
        // Once the program quits, every event loop returns at once: a wait inside the main loop
        // must end then, not spin until its deadline.
        double waitedS = -1;
        double cpuS = -1;
        QTimer::singleShot(0, this, [&] {
            QTimer::singleShot(50, QCoreApplication::instance(), &QCoreApplication::quit);
            const double before = cpuSeconds();
            QElapsedTimer clock;
            clock.start();
            WaitSeconds(3.0f);
            waitedS = double(clock.elapsed()) / 1000;
            cpuS = cpuSeconds() - before;
        });
        QCoreApplication::exec();
        QVERIFY2(waitedS >= 0 && waitedS < 1.0, qPrintable(QString::number(waitedS)));
        QVERIFY2(cpuS < 0.1, qPrintable(QString::number(cpuS)));
    }
};

QTEST_GUILESS_MAIN(TestWaits)
#include "tst_waits.moc"
