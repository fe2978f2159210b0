// What is still on its way to a handset that reads at the real 600 baud: the indicator beside
// the input box, its count against the frames the handset has, the discard, and no polling
// while nothing is queued.
#include "CpuTime.h"
#include "MainWindowFixture.h"
#include "platform/SleepingWait.h"

#include <QElapsedTimer>
#include <QProgressBar>

#include <sys/resource.h>

namespace {

int keyEvents(const phonesim::Handset& handset, int* garbage = nullptr)
{
    int keys = 0;
    for (const phonesim::WireEvent& e : handset.events()) {
        if (e.type == phonesim::WireEvent::Type::Key)
            ++keys;
        else if (garbage && e.type == phonesim::WireEvent::Type::Garbage)
            ++*garbage;
    }
    return keys;
}

const QString kForty = u"abcdefghijklmnopqrstuvwxyzabcdefghijklmn"_qs;

} // namespace

class TestSendQueue : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void countFallsThenTheDiscardDropsWholeFrames();
    void nothingRunsWhenNothingIsQueued();
    void hugePasteLeavesTheWindowFree();

private:
    frmMain& start();
};

frmMain& TestSendQueue::start()
{
    Settings settings;
    settings.IMEON = 0;
    MainWindowSettings full;
    full.HideOn = 0;
    frmMain& w = startWindow(settings, full);
    w.chkPower->setValue(1);
    handset->setPaced(true);
    return w;
}

// The count goes up while the frames are written, then only down, agreeing with what the
// handset has within the frame on the wire; the discard drops whole frames and typing goes on.
void TestSendQueue::countFallsThenTheDiscardDropsWholeFrames()
{
    frmMain& w = start();
    const QRect inputBefore = w.txtInput->geometry();
    QList<qint64> counts;
    QList<int> received;
    connect(&w.mscCOM(), &SerialPortService::outputQueueChanged, this, [&](const SerialPortService::Queue& q) {
        counts << q.frames;
        received << keyEvents(*handset);
    });
    w.txtInput->insert(kForty);
    QVERIFY(w.fraSendQueue->isVisible());
    QVERIFY(w.fraSendQueue->lblSendQueue->text().startsWith(u"送信待ち"_qs));
    QVERIFY(w.fraSendQueue->barSendQueue->isVisible()); // 40 frames take about six seconds
    QVERIFY(handset->waitForEvents(15, 20'000));
    const qsizetype peak = std::max_element(counts.begin(), counts.end()) - counts.begin();
    QVERIFY(counts[peak] >= 39 && counts.size() - peak > 5);
    for (qsizetype i = peak + 1; i < counts.size(); ++i) {
        QVERIFY(counts[i] <= counts[i - 1]);
        QVERIFY2(std::abs(counts[i] - (40 - received[i])) <= 1,
                 qPrintable(QStringLiteral("%1 queued, %2 received").arg(counts[i]).arg(received[i])));
    }
    QCOMPARE(w.txtInput->geometry(), inputBefore);

    w.fraSendQueue->cmdSendDiscard->click();
    const QString top = w.txtInputBuffer->logText().section(u"\r\n"_qs, 0, 0);
    QVERIFY2(top.startsWith(u"送信を中止しました（"_qs) && top.endsWith(u"文字）"_qs), qPrintable(top));
    const int dropped = top.mid(10).chopped(3).toInt();
    // What the device already holds (half a second of the line) still goes out, whole.
    QVERIFY(QTest::qWaitFor([&] { return !w.fraSendQueue->isVisible(); }, 1000));
    QCOMPARE(w.mscCOM().outputQueue().bytes, 0);
    WaitSeconds(0.3f);
    const int arrived = keyEvents(*handset);
    QCOMPARE(arrived + dropped, 40);
    // No frame is cut, so the next one is not taken for the rest of one.
    w.txtInput->insert(u"z"_qs);
    QVERIFY(QTest::qWaitFor([&] { return keyEvents(*handset) == arrived + 1; }, 5000));
    QVERIFY(handset->screen().text().endsWith(u'z'));
    int garbage = 0;
    keyEvents(*handset, &garbage);
    QCOMPARE(garbage, 0);
}

void TestSendQueue::nothingRunsWhenNothingIsQueued()
{
    frmMain& w = start();
    w.txtInput->insert(u"ab"_qs);
    QVERIFY(handset->waitForEvents(2, 5000));
    QVERIFY(QTest::qWaitFor([&] { return w.mscCOM().outputQueue().bytes == 0; }, 2000));
    WaitSeconds(0.3f);
    int reports = 0;
    connect(&w.mscCOM(), &SerialPortService::outputQueueChanged, this, [&] { ++reports; });
    const double before = cpuSeconds();
    WaitSeconds(5.0f);
    const double used = cpuSeconds() - before;
    QCOMPARE(reports, 0);
    QVERIFY2(used < 0.1, qPrintable(QString::number(used)));
}

void TestSendQueue::hugePasteLeavesTheWindowFree()
{
    // Ten thousand characters take a quarter of an hour on the line; the window must not
    // spend them in the log box's layout before the power switch can act.
    frmMain& w = start();
    QElapsedTimer clock;
    clock.start();
    w.txtInput->insert(QString(10'000, u'a'));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(w.txtInputBuffer->logText().startsWith(QString(10'000, u'a')));
    w.chkPower->setValue(0);
    QVERIFY(!w.mscCOM().isOpen());
}

QTEST_MAIN(TestSendQueue)
#include "tst_sendqueue.moc"
