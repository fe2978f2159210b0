// The handset's end vanishing in the middle of the work: one message about it, no CPU spin,
// and once the power is switched off and on again against a handset that is back, typing works.
#include "CpuTime.h"
#include "MacroWindowFixture.h"
#include "core/frmMain.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/SleepingWait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in a quarantine of up to 256 MB, which would look like
// growth; memory is measured here without it.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=0"; }
#endif

namespace {

long residentKb()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace

class TestFaults : public QObject, private MacroWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void handsetVanishes_data();
    void handsetVanishes();
    void floodOfRandomBytes();
};

void TestFaults::handsetVanishes_data()
{
    QTest::addColumn<QString>("during");
    QTest::newRow("typing") << u"typing"_qs;
    QTest::newRow("a macro run") << u"macro"_qs;
    QTest::newRow("a number query") << u"query"_qs;
    QTest::newRow("a call-charge read") << u"charge"_qs;
}

void TestFaults::handsetVanishes()
{
    QFETCH(QString, during);
    writeMacro(u"m.mcr"_qs, {u"#m"_qs, u"<LOOP>40"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs});
    frmMain& w = start({u"m.mcr"_qs}, [](Settings& s, KeyMap&) { s.MacroWait = 0.02f; });
    QVERIFY(w.mscCOM().isOpen());
    if (during == u"typing"_qs) {
        w.txtInput->insert(u"abc"_qs);
        QVERIFY(handset->waitForEvents(3, 5000));
        handset->hangUp();
        QVERIFY(QTest::qWaitFor([&] { return w.mscCOM().hungUp(); }, 5000));
        for (const QString& key : {u"d"_qs, u"e"_qs, u"f"_qs, u"g"_qs})
            w.txtInput->insert(key);
    } else if (during == u"query"_qs) {
        w.setReplyTimeout(2.0f);
        handset->setNumber(u"09012345678"_qs);
        phonesim::Handset::ReplyFaults faults;
        faults.vanishAfter = 3;
        handset->setReplyFaults(faults);
        w.cmdGetNumber->click(); // returns when the query has ended
        QVERIFY(w.cmdGetNumber->isEnabled());
    } else if (during == u"charge"_qs) {
        // Longer than this test waits: only the pulled cable can end the read.
        w.setReplyTimeout(60.0f);
        w.chkGetStatus->setValue(1);
        // Pulled while the handler waits for the charge's next digit (it reads with receive
        // events off), from inside that wait.
        bool pulledDuringRead = false;
        connect(handset.get(), &phonesim::Handset::bytesSent, &w, [&] {
            QTimer::singleShot(200, handset.get(), [&] {
                pulledDuringRead = w.mscCOM().receiveThreshold() == 0 && w.mscCOM().pendingCount() == 0;
                handset->hangUp();
            });
        });
        handset->send(QByteArray("\xE2\x92", 2));
        QVERIFY(QTest::qWaitFor([&] { return !boxes->shown.isEmpty(); }, 5000));
        QVERIFY(pulledDuringRead);
    } else {
        connect(handset.get(), &phonesim::Handset::eventDecoded, &w, [this] {
            if (handset->events().size() == 5)
                QTimer::singleShot(0, handset.get(), [this] { handset->hangUp(); });
        });
        w.cmdMacroStart->click(); // returns when the run has walked to its end
    }
    // No second message follows.
    WaitSeconds(0.3f);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, SerialLink::CablePulledText());

    // Nothing spins meanwhile.
    const double before = cpuSeconds();
    WaitSeconds(2.0f);
    QVERIFY2(cpuSeconds() - before < 0.2, qPrintable(QString::number(cpuSeconds() - before)));

    // The handset is back (a new device); off and on again, and typing works.
    phonesim::Handset back;
    QVERIFY(back.start());
    qputenv("YUBISAKI_COM1", back.portPath().toLocal8Bit());
    w.chkPower->setValue(0);
    w.chkPower->setValue(1);
    QVERIFY(w.mscCOM().isOpen());
    w.txtInput->insert(u"z"_qs);
    QVERIFY(back.waitForEvents(1, 5000));
    QCOMPARE(back.screen().text(), u"z"_qs);
    QCOMPARE(boxes->shown.size(), 1);
    w.chkPower->setValue(0);
}

void TestFaults::floodOfRandomBytes()
{
    // Ten seconds of random bytes with the receive switch on: the window keeps answering
    // (a timer of its event loop keeps its time), and memory does not grow with the flood.
    frmMain& w = start({});
    w.chkGetStatus->setValue(1);
    w.setReplyTimeout(0.05f);
    boxes->answers.clear(); // every question (an incoming call?) answered with its first button
    QRandomGenerator rng(10);
    qint64 sent = 0;
    double worstLateMs = 0;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    tick.setInterval(20);
    connect(&tick, &QTimer::timeout, &w, [&] {
        worstLateMs = std::max(worstLateMs, double(sinceTick.nsecsElapsed()) / 1e6 - 20);
        sinceTick.start();
        QByteArray burst(64, Qt::Uninitialized);
        for (char& b : burst)
            b = char(rng.bounded(256));
        handset->send(burst);
        sent += burst.size();
    });
    tick.start();
    long rssAtOneSecond = 0;
    while (clock.elapsed() < 10'000) {
        WaitSeconds(0.5f);
        if (rssAtOneSecond == 0 && clock.elapsed() >= 1000)
            rssAtOneSecond = residentKb();
    }
    tick.stop();
    const long rssAtEnd = residentKb();
    qInfo("%lld random bytes in 10 s; the event loop at most %.0f ms late; resident %ld kB after 1 s, %ld kB at the "
          "end; the log holds %lld characters",
          sent, worstLateMs, rssAtOneSecond, rssAtEnd, qint64(w.txtInputBuffer->logText().size()));
    QVERIFY(sent > 20'000);
    // Waits inside the handler (a charge whose digits never come) may hold a tick back by
    // their reply timeout, never longer.
    QVERIFY2(worstLateMs < 500, qPrintable(QString::number(worstLateMs)));
    QVERIFY2(rssAtEnd - rssAtOneSecond < 20 * 1024, qPrintable(QString::number(rssAtEnd - rssAtOneSecond)));
    QVERIFY(w.mscCOM().isOpen());
    // Still working: a key goes out.
    w.chkGetStatus->setValue(0);
    WaitSeconds(0.3f);
    const int before = int(handset->events().size());
    w.txtInput->insert(u"z"_qs);
    QVERIFY(handset->waitForEvents(before + 1, 5000));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
