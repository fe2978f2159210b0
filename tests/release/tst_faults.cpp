// The line failing under the program: the handset's end vanishing or the modem-status lines
// dropping in the middle of the work give one message, no CPU spin, and once the power is
// switched off and on again, typing works; the port closed with keys still queued against the
// handset paced at 600 baud; the window closed while the program waits.
#include "CpuTime.h"
#include "HandsetKeys.h"
#include "MainWindowFixture.h"
#include "platform/SleepingWait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <sys/ioctl.h>

constexpr int kAllLines = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR;

class TestFaults : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }

    void lineLost_data()
    {
        QTest::addColumn<bool>("modemLines"); // the modem-status lines drop; else the pseudo-terminal hangs up
        QTest::addColumn<QString>("during");
        for (const char* during : {"typing", "macro", "query", "charge"})
            QTest::addRow("cable pulled: %s", during) << false << QString::fromLatin1(during);
        for (const char* during : {"idle", "typing", "query", "charge", "flapping"})
            QTest::addRow("lines drop: %s", during) << true << QString::fromLatin1(during);
    }

    void lineLost()
    {
        QFETCH(bool, modemLines);
        QFETCH(QString, during);
        writeMacro(u"m.mcr"_qs, {u"#m"_qs, u"<LOOP>40"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs});
        frmMain& w = start({u"m.mcr"_qs}, [](Settings& s, KeyMap&, MainWindowSettings&) { s.MacroWait = 0.02f; });
        SerialPortService& port = w.mscCOM();
        // A pseudo-terminal has no modem lines: nothing is polled, unless a source says otherwise.
        QVERIFY(port.isOpen() && !port.watchingLines());
        int lines = kAllLines;
        if (modemLines) {
            port.setLineStateSource([&lines](int) { return std::optional<int>(lines); });
            w.chkPower->setValue(0);
            w.chkPower->setValue(1);
            QVERIFY(port.watchingLines());
        }
        const auto pull = [&] { modemLines ? void(lines = TIOCM_CTS) : handset->hangUp(); };
        bool lostDuringRead = during != u"charge"_qs; // only a charge is being read

        if (during == u"typing"_qs) {
            w.txtInput->insert(u"abc"_qs);
            QVERIFY(handset->waitForEvents(3, 5000));
            pull();
            QVERIFY(QTest::qWaitFor([&] { return port.hungUp(); }, 5000));
            w.txtInput->insert(u"def"_qs);
        } else if (during == u"query"_qs) {
            w.setReplyTimeout(3.0f);
            if (modemLines) {
                QTimer::singleShot(300, &w, pull);
            } else {
                handset->setNumber(u"09012345678"_qs);
                handset->setReplyFaults({.vanishAfter = 3}); // inside the reply
            }
            const QDeadlineTimer twoSeconds(2000);
            w.cmdGetNumber->click(); // the hang-up ends the wait for the reply
            QVERIFY(!twoSeconds.hasExpired() && w.cmdGetNumber->isEnabled());
        } else if (during == u"charge"_qs) {
            // Longer than this test waits: only the lost line can end the read.
            w.setReplyTimeout(60.0f);
            w.chkGetStatus->setValue(1);
            // Lost while the handler waits for the charge's next digit (it reads with receive
            // events off), from inside that wait.
            connect(handset.get(), &phonesim::Handset::bytesSent, &w, [&] {
                QTimer::singleShot(200, handset.get(), [&] {
                    lostDuringRead = port.receiveThreshold() == 0 && port.pendingCount() == 0;
                    pull();
                });
            });
            handset->send(QByteArray("\xE2\x92", 2));
        } else if (during == u"macro"_qs) {
            connect(handset.get(), &phonesim::Handset::eventDecoded, &w, [&] {
                if (handset->events().size() == 5)
                    QTimer::singleShot(0, handset.get(), pull);
            });
            w.cmdMacroStart->click(); // returns when the run has walked to its end
        } else if (during == u"flapping"_qs) {
            QTimer flap;
            connect(&flap, &QTimer::timeout, &w, [&] { lines = lines == kAllLines ? 0 : kAllLines; });
            flap.start(LineStateWatcher::kPollMs / 3);
            WaitSeconds(1.5f);
        } else {
            pull();
        }
        // One message, and no second one follows.
        QTRY_COMPARE_WITH_TIMEOUT(boxes->shown.value(0).text, SerialLink::CablePulledText(), 5000);
        WaitSeconds(0.5f);
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(lostDuringRead);

        // Nothing spins or polls meanwhile.
        QVERIFY(!port.watchingLines());
        const double before = cpuSeconds();
        WaitSeconds(1.0f);
        QVERIFY2(cpuSeconds() - before < 0.15, qPrintable(QString::number(cpuSeconds() - before)));

        // The cable is back (a pulled one as a new device): off and on again, and typing works.
        phonesim::Handset back;
        QVERIFY(back.start());
        if (!modemLines)
            qputenv("YUBISAKI_COM1", back.portPath().toLocal8Bit());
        phonesim::Handset& now = modemLines ? *handset : back;
        lines = kAllLines;
        w.chkPower->setValue(0);
        w.chkPower->setValue(1);
        QVERIFY(port.isOpen() && !port.hungUp() && port.watchingLines() == modemLines);
        w.txtInput->insert(u"z"_qs);
        QVERIFY(QTest::qWaitFor([&] { return now.screen().text().endsWith(u'z'); }, 5000));
        QCOMPARE(boxes->shown.size(), 1);
        w.chkPower->setValue(0);
    }

    void closingSendsTheCableOffLastAtTheLineSpeed_data()
    {
        QTest::addColumn<QString>("closing");
        QTest::addColumn<int>("repeats");
        QTest::newRow("exit") << u"exit"_qs << 1;
        QTest::newRow("a query that opened the port") << u"query"_qs << 1;
        // Far more than the handset's buffer: none of it may be left where the flush cannot reach.
        QTest::newRow("power off during a long paste") << u"power"_qs << 60;
    }

    void closingSendsTheCableOffLastAtTheLineSpeed()
    {
        QFETCH(QString, closing);
        QFETCH(int, repeats);
        const QString letters = u"abcdefghijklmnopqrst"_qs.repeated(repeats);
        // The handset runs as its own process, reading the line while the program drains it.
        QProcess phonesim;
        phonesim.start(QCoreApplication::applicationDirPath() + u"/phonesim"_qs, {u"--headless"_qs, u"--paced"_qs});
        QVERIFY(phonesim.waitForReadyRead(10'000));
        const QByteArray portLine = phonesim.readLine().trimmed();
        QVERIFY2(portLine.startsWith("port "), portLine.constData());
        qputenv("YUBISAKI_COM1", portLine.mid(5));
        QByteArray out;
        const auto lastLine = [&] { return (out += phonesim.readAllStandardOutput()).trimmed().split('\n').last(); };

        frmMain& w = start({}, [](Settings& s, KeyMap&, MainWindowSettings&) { s.REUDOcable = 1; });
        if (closing == u"query"_qs) {
            w.chkPower->setValue(0);
            w.setReplyTimeout(0.5f);
            // Keys go out on the port the query opened while it waits for a reply that never comes.
            QTimer::singleShot(100, &w, [&] {
                for (const QChar c : letters)
                    w.typist().TypeCharacter(c);
            });
            w.cmdGetNumber->click();
        } else {
            w.txtInput->insert(letters);
            WaitSeconds(0.2f);
            closing == u"power"_qs ? w.chkPower->setValue(0) : w.cmdExit_Click();
        }
        QVERIFY(!w.mscCOM().isOpen());
        // The keys still queued were dropped, and the log says so.
        QVERIFY(w.txtInputBuffer->logText().startsWith(u"送信を中止しました"_qs));
        QVERIFY(QTest::qWaitFor([&] { return lastLine() == "at AT-WT=0"; }, 10'000));
        WaitSeconds(0.5f);
        QCOMPARE(lastLine(), QByteArray("at AT-WT=0"));
        QVERIFY2(!out.contains("off settings"), out.constData());
        phonesim.terminate();
        QVERIFY(phonesim.waitForFinished(5000));
    }

    void closingTheWindowWhileWaiting_data()
    {
        QTest::addColumn<QString>("waiting");
        QTest::newRow("a macro's <WAIT>30") << u"macro"_qs;
        QTest::newRow("a number query that gets no reply") << u"query"_qs;
    }

    void closingTheWindowWhileWaiting()
    {
        QFETCH(QString, waiting);
        writeMacro(u"w.mcr"_qs, {u"#w"_qs, u"<WAIT>30"_qs, u"<UP>"_qs});
        frmMain& w = start({u"w.mcr"_qs});
        // As the program itself runs: the end of the exit sequence quits the event loop.
        connect(&w, &frmMain::ended, QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        const QString folder = home->path() + u'/';
        const QStringList files{SettingsFilePath(folder), KeyMapFilePath(folder)};
        QTimer::singleShot(0, &w, [&] { (waiting == u"macro"_qs ? w.cmdMacroStart : w.cmdGetNumber)->click(); });
        QElapsedTimer sinceClose;
        double cpuAtClose = 0;
        QTimer::singleShot(300, &w, [&] {
            for (const QString& file : files)
                QFile::remove(file);
            cpuAtClose = cpuSeconds();
            sinceClose.start();
            w.close();
        });
        QCoreApplication::exec();
        QVERIFY2(sinceClose.elapsed() < 1000, qPrintable(QString::number(sinceClose.elapsed())));
        QVERIFY2(cpuSeconds() - cpuAtClose < 0.1, qPrintable(QString::number(cpuSeconds() - cpuAtClose)));
        QVERIFY(w.exited());
        QVERIFY(QFile::exists(files[0]) && QFile::exists(files[1]));
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(KeyFrames(handset->events()).isEmpty());
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
