// The main window on the offscreen platform against the simulated handset: the power switch
// and the port's failures, the exit order, a lock left by a killed copy, and what is still on
// its way to a handset that reads at the real 600 baud (the indicator beside the input box, its
// count against the frames the handset has, the discard, a huge paste). A second copy of the
// real program is started in the release tests; the pop-up menu is used by the macro runs; that
// nothing polls while nothing is queued is the soak's idle check.
#include "ChildProcess.h"
#include "HandsetKeys.h"
#include "MainWindowFixture.h"
#include "core/SingleInstance.h"

#include <QElapsedTimer>
#include <QProgressBar>

class TestFrmMain : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void powerSwitchAndTheExitOrder();
    void failedOpeningUnticks();
    void killedCopyDoesNotBlock();
    void countFallsThenTheDiscardDropsWholeFrames();
    void hugePasteLeavesTheWindowFree();
};

// The switch opens the port; at exit the cable's off command goes out before setting.ini is
// written. What the cable's commands are is the link's test; that the off command is the last
// thing on the wire at exit, and switching off, are the fault tests'.
void TestFrmMain::powerSwitchAndTheExitOrder()
{
    frmMain& w = startWindow(Settings{.REUDOcable = 1});
    const QByteArray before = FileBytes(settingsPath());
    QVERIFY(w.txtInput->isReadOnly() && !w.mscCOM().isOpen());
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QCOMPARE(w.chkPower->text(), u"OFF(&P)"_qs);
    QVERIFY(!w.txtInput->isReadOnly() && w.mscCOM().isOpen());
    w.chkHideOn->setValue(0);
    QByteArray atCableOff;
    connect(&w.mscCOM(), &SerialPortService::written, this, [&](const QByteArray& block) {
        if (block == "AT-WT=0\r")
            atCableOff = FileBytes(settingsPath());
    });
    w.close();
    QVERIFY(w.exited());
    QCOMPARE(atCableOff, before);
    QVERIFY(FileBytes(settingsPath()).contains("HideOn=0\r\n"));
}

// A device that cannot be opened is reported at each try and leaves the switch off; the next try
// opens it once it is there. What each failure says is the serial link's own test, but for a user
// without the right to the device, who learns here what to do about it.
void TestFrmMain::failedOpeningUnticks()
{
    const QString device = handset->portPath();
    qputenv("YUBISAKI_COM1", "/dev/yubisaki-missing");
    frmMain& w = openWindow();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QTest::mouseClick(w.chkPower, Qt::LeftButton);
        QCOMPARE(boxes->shown.size(), attempt);
        QCOMPARE(boxes->shown.back().text, SerialLink::InvalidPortText());
        QVERIFY(w.chkPower->value() == 0 && w.chkPower->text() == u"ON(&P)"_qs);
        QVERIFY(w.txtInput->isReadOnly() && !w.mscCOM().isOpen());
    }
    qputenv("YUBISAKI_COM1", device.toLocal8Bit());
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(w.mscCOM().isOpen());
    QCOMPARE(boxes->shown.size(), 2);
    w.chkPower->setValue(0);
    QVERIFY(QFile::setPermissions(device, ::geteuid() == 0 ? QFile::ReadOwner | QFile::WriteOwner : QFileDevice::Permissions()));
    QCOMPARE(inChild(true, [&] {
        w.chkPower->setValue(1);
        const QString shown = boxes->shown.value(2).text;
        qInfo("shown: %s", qPrintable(shown));
        const bool told = shown.contains(u"権限がありません"_qs) && shown.contains(u"dialout"_qs);
        return told && w.chkPower->value() == 0 ? 0 : 1;
    }), 0);
}

void TestFrmMain::killedCopyDoesNotBlock()
{
    const QString folder = home->path() + u'/';
    // A copy killed while it holds the folder's lock leaves the lock file behind.
    QCOMPARE(inChild(false, [&] { return SingleInstance(folder).acquired() ? raise(SIGKILL) : 1; }), 128 + SIGKILL);
    QVERIFY(QFile::exists(folder + u".yubisaki.lock"_qs));
    QVERIFY(SingleInstance(folder).acquired());
}

// The count goes up while the frames are written, then only down, agreeing with what the
// handset has within the frame on the wire; the discard drops whole frames and typing goes on.
void TestFrmMain::countFallsThenTheDiscardDropsWholeFrames()
{
    frmMain& w = start({}, [](Settings&, KeyMap&, MainWindowSettings& p) { p.HideOn = 0; });
    handset->setPaced(true);
    const auto keys = [&] { return int(KeyFrameList(handset->events()).size()); };
    const QRect inputBefore = w.txtInput->geometry();
    QList<qint64> counts;
    QList<int> received;
    connect(&w.mscCOM(), &SerialPortService::outputQueueChanged, this, [&](const SerialPortService::Queue& q) {
        counts << q.frames;
        received << keys();
    });
    w.txtInput->insert(u"abcdefghijklmnopqrstuvwxyzabcdefghijklmn"_qs);
    // 40 frames take about six seconds: long enough for the bar.
    QVERIFY(w.fraSendQueue->isVisible() && w.fraSendQueue->barSendQueue->isVisible());
    QVERIFY(w.fraSendQueue->lblSendQueue->text().startsWith(u"送信待ち"_qs));
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
    // A frame short of the 40 shows in the count below.
    (void)QTest::qWaitFor([&] { return keys() + dropped >= 40; }, 2000);
    const int arrived = keys();
    QCOMPARE(arrived + dropped, 40);
    // No frame is cut, so the next one is not taken for the rest of one.
    w.txtInput->insert(u"z"_qs);
    QVERIFY(QTest::qWaitFor([&] { return keys() == arrived + 1; }, 5000));
    QVERIFY(handset->screen().text().endsWith(u'z'));
    for (const phonesim::WireEvent& e : handset->events())
        QVERIFY(e.type != phonesim::WireEvent::Type::Garbage);
}

void TestFrmMain::hugePasteLeavesTheWindowFree()
{
    // Ten thousand characters take a quarter of an hour on the line; the window must not
    // spend them in the log box's layout before the power switch can act.
    frmMain& w = start({}, [](Settings&, KeyMap&, MainWindowSettings& p) { p.HideOn = 0; });
    handset->setPaced(true);
    QElapsedTimer clock;
    clock.start();
    w.txtInput->insert(QString(10'000, u'a'));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(w.txtInputBuffer->logText().startsWith(QString(10'000, u'a')));
    w.chkPower->setValue(0);
    QVERIFY(!w.mscCOM().isOpen());
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
