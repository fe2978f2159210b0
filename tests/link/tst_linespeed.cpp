// The link as a real line treats it: the port closed with keys still queued against the
// simulated handset paced at 600 baud, the modem-status lines dropping (through an injected
// source, as a pseudo-terminal has none), and the window closed while the program waits.
#include "CpuTime.h"
#include "HandsetKeys.h"
#include "MacroWindowFixture.h"
#include "link/SerialLink.h"
#include "platform/SleepingWait.h"

#include <QFile>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/ioctl.h>

namespace {
constexpr int kAllLines = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR;
const QString kTwenty = u"abcdefghijklmnopqrst"_qs;
} // namespace

class TestLineSpeed : public QObject, private MacroWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void closingSendsTheCableOffLastAtTheLineSpeed_data();
    void closingSendsTheCableOffLastAtTheLineSpeed();
    void modemLinesDropping_data();
    void modemLinesDropping();
    void closingTheWindowWhileWaiting_data();
    void closingTheWindowWhileWaiting();
};

void TestLineSpeed::closingSendsTheCableOffLastAtTheLineSpeed_data()
{
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QString>("typed");
    QTest::newRow("power off") << u"power"_qs << kTwenty;
    QTest::newRow("exit") << u"exit"_qs << kTwenty;
    QTest::newRow("a query that opened the port") << u"query"_qs << kTwenty;
    // Far more than the handset's buffer: none of it may be left where the flush cannot reach.
    QTest::newRow("power off during a long paste") << u"power"_qs << kTwenty.repeated(60);
}

void TestLineSpeed::closingSendsTheCableOffLastAtTheLineSpeed()
{
    QFETCH(QString, closing);
    QFETCH(QString, typed);
    // The handset runs as its own process, reading the line while the program drains it.
    QProcess phonesim;
    phonesim.start(QCoreApplication::applicationDirPath() + u"/phonesim"_qs, {u"--headless"_qs, u"--paced"_qs});
    QVERIFY(phonesim.waitForReadyRead(10'000));
    const QByteArray portLine = phonesim.readLine().trimmed();
    QVERIFY2(portLine.startsWith("port "), portLine.constData());
    qputenv("YUBISAKI_COM1", portLine.mid(5));
    QByteArray out;
    const auto lines = [&] {
        out += phonesim.readAllStandardOutput();
        return out.trimmed().split('\n');
    };

    frmMain& w = start({}, [](Settings& s, KeyMap&) { s.REUDOcable = 1; });
    if (closing == u"query"_qs) {
        w.chkPower->setValue(0);
        w.setReplyTimeout(0.5f);
        // Keys go out on the port the query opened while it waits for a reply that never comes.
        QTimer::singleShot(100, &w, [&] {
            for (const QChar c : typed)
                w.typist().TypeCharacter(c);
        });
        w.cmdGetNumber->click();
    } else {
        w.txtInput->insert(typed);
        WaitSeconds(0.2f);
        if (closing == u"power"_qs)
            w.chkPower->setValue(0);
        else
            w.cmdExit_Click();
    }
    QVERIFY(!w.mscCOM().isOpen());
    // The keys still queued were dropped, and the log says so.
    QVERIFY(w.txtInputBuffer->logText().startsWith(u"送信を中止しました"_qs));
    QVERIFY(QTest::qWaitFor([&] { return lines().last() == "at AT-WT=0"; }, 10'000));
    WaitSeconds(0.5f);
    QCOMPARE(lines().last(), QByteArray("at AT-WT=0"));
    QVERIFY2(!out.contains("off settings"), out.constData());
    phonesim.terminate();
    QVERIFY(phonesim.waitForFinished(5000));
}

void TestLineSpeed::modemLinesDropping_data()
{
    QTest::addColumn<QString>("during");
    QTest::newRow("idle") << u"idle"_qs;
    QTest::newRow("typing") << u"typing"_qs;
    QTest::newRow("a number query") << u"query"_qs;
    QTest::newRow("a call-charge read") << u"charge"_qs;
    QTest::newRow("lines that flap") << u"flapping"_qs;
}

void TestLineSpeed::modemLinesDropping()
{
    QFETCH(QString, during);
    frmMain& w = start({});
    SerialPortService& port = w.mscCOM();
    // A pseudo-terminal has no modem lines: nothing is polled.
    QVERIFY(port.isOpen() && !port.watchingLines());
    int lines = kAllLines;
    port.setLineStateSource([&lines](int) { return std::optional<int>(lines); });
    w.chkPower->setValue(0);
    w.chkPower->setValue(1);
    QVERIFY(port.watchingLines());
    const auto drop = [&] { lines = TIOCM_CTS; };

    if (during == u"typing"_qs) {
        w.txtInput->insert(u"abc"_qs);
        QVERIFY(handset->waitForEvents(3, 5000));
        drop();
        QVERIFY(QTest::qWaitFor([&] { return port.hungUp(); }, 2000));
        w.txtInput->insert(u"def"_qs);
    } else if (during == u"query"_qs) {
        w.setReplyTimeout(3.0f);
        QTimer::singleShot(300, &w, drop);
        QElapsedTimer clock;
        clock.start();
        w.cmdGetNumber->click(); // the hang-up ends the wait for the reply
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(w.cmdGetNumber->isEnabled());
    } else if (during == u"charge"_qs) {
        w.setReplyTimeout(3.0f);
        w.chkGetStatus->setValue(1);
        handset->send(QByteArray("\xE2\x92", 2));
        WaitSeconds(0.2f); // the handler takes the first digit and waits for the next
        drop();
    } else if (during == u"flapping"_qs) {
        QTimer flap;
        connect(&flap, &QTimer::timeout, &w, [&] { lines = lines == kAllLines ? 0 : kAllLines; });
        flap.start(LineStateWatcher::kPollMs / 3);
        WaitSeconds(1.5f);
    } else {
        drop();
    }
    QVERIFY(QTest::qWaitFor([&] { return !boxes->shown.isEmpty(); }, 2000));
    WaitSeconds(0.5f);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, SerialLink::CablePulledText());

    // Nothing spins or polls afterwards.
    QVERIFY(!port.watchingLines());
    const double before = cpuSeconds();
    WaitSeconds(1.0f);
    QVERIFY2(cpuSeconds() - before < 0.1, qPrintable(QString::number(cpuSeconds() - before)));

    // The cable is back: off and on again, and typing works.
    lines = kAllLines;
    w.chkPower->setValue(0);
    w.chkPower->setValue(1);
    QVERIFY(port.isOpen() && !port.hungUp() && port.watchingLines());
    const int before2 = int(handset->events().size());
    w.txtInput->insert(u"z"_qs);
    QVERIFY(handset->waitForEvents(before2 + 1, 5000));
    QCOMPARE(boxes->shown.size(), 1);
}

void TestLineSpeed::closingTheWindowWhileWaiting_data()
{
    QTest::addColumn<QString>("waiting");
    QTest::newRow("a macro's <WAIT>30") << u"macro"_qs;
    QTest::newRow("a number query that gets no reply") << u"query"_qs;
}

void TestLineSpeed::closingTheWindowWhileWaiting()
{
    QFETCH(QString, waiting);
    writeMacro(u"w.mcr"_qs, {u"#w"_qs, u"<WAIT>30"_qs, u"<UP>"_qs});
    frmMain& w = start({u"w.mcr"_qs});
    // As the program itself runs: the end of the exit sequence quits the event loop.
    connect(&w, &frmMain::ended, QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    const QString settingsFile = home->filePath(u"setting.ini"_qs);
    const QString keyMapFile = home->filePath(u"keymap.ini"_qs);
    QTimer::singleShot(0, &w, [&] { (waiting == u"macro"_qs ? w.cmdMacroStart : w.cmdGetNumber)->click(); });
    QElapsedTimer sinceClose;
    double cpuAtClose = 0;
    QTimer::singleShot(300, &w, [&] {
        QFile::remove(settingsFile);
        QFile::remove(keyMapFile);
        cpuAtClose = cpuSeconds();
        sinceClose.start();
        w.close();
    });
    QCoreApplication::exec();
    QVERIFY2(sinceClose.elapsed() < 1000, qPrintable(QString::number(sinceClose.elapsed())));
    QVERIFY2(cpuSeconds() - cpuAtClose < 0.1, qPrintable(QString::number(cpuSeconds() - cpuAtClose)));
    QVERIFY(w.exited());
    QVERIFY(QFile::exists(settingsFile) && QFile::exists(keyMapFile));
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(KeyFrames(handset->events()).isEmpty());
}

QTEST_MAIN(TestLineSpeed)
#include "tst_linespeed.moc"
