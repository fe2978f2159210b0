// The link on a real pseudo-terminal through QSerialPort, with the simulated handset at the
// other end: the device's settings, the cable's commands under a flood, receive events, a port
// held elsewhere, hang-ups. Beside them, the parts under the port: the model of what is still on its way, and the
// drain before a port closes. The waits are seen in the query (a key typed during its wait, the
// pause before the model request), the fault tests (quitting) and the macro runs (ESC).
#include "CpuTime.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/OutputLedger.h"
#include "platform/PortDrain.h"
#include "platform/PortSettings.h"
#include "platform/SleepingWait.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>

#include <optional>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray frame(const KeyCode& code) { return QByteArray::fromHex("f202010000") + code.bytes(); }

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

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        rig.emplace();
        QString error;
        QVERIFY2(rig->handset.start(&error), qPrintable(error));
        qputenv("YUBISAKI_COM3", rig->handset.portPath().toLocal8Bit());
        rig->settings.ComPort = 3; // YUBISAKI_COM3
    }

    void cleanup() { rig.reset(); }

    void aPlainCableGetsKeysAloneAtTheLineSettings()
    {
        // Any value but 1 is a plain cable: nothing but the keys is written. The cable's commands
        // are pinned by the flood below and by the query's own opening.
        rig->settings.REUDOcable = 2;
        // Opened before the port takes the device for itself: only root may open it after that.
        const int fd = ::open(rig->handset.portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QVERIFY(!rig->link.OpenForUse().failed());
        QCOMPARE(rig->port.settingsText(), u"600,e,8,1"_qs);
        // The device itself runs at 600 baud, 8 data bits, 1 stop bit (a pty drops the parity bit).
        termios tio{};
        QCOMPARE(tcgetattr(fd, &tio), 0);
        ::close(fd);
        QVERIFY(cfgetospeed(&tio) == B600 && (tio.c_cflag & CSIZE) == CS8 && !(tio.c_cflag & CSTOPB));
        rig->link.SendKeyCode(PhoneKeyCodes::OK);
        QVERIFY(!rig->link.Close().failed());
        QVERIFY(rig->handset.waitForReceived(8, 5000));
        QCOMPARE(rig->handset.received(), frame(PhoneKeyCodes::OK));
        QVERIFY(rig->boxes.shown.isEmpty());
    }

    void aFloodIsHeldBackAndCutWhole()
    {
        // Far more than the device buffer holds: the device gets only its share ahead of the line,
        // so closing drops the rest whole and nothing of it follows the off command.
        rig->settings.REUDOcable = 1;
        QVERIFY(!rig->link.OpenForUse().failed());
        QByteArray expected("ATQ1%B0\rAT-WT=1\r");
        for (int i = 0; i < 5000; ++i) {
            const KeyCode& code = i % 2 ? PhoneKeyCodes::Up : PhoneKeyCodes::Down;
            rig->link.SendKeyCode(code);
            expected += frame(code);
        }
        QVERIFY(rig->handset.waitForReceived(64, 5000));
        QVERIFY(!rig->link.Close().failed());
        QVERIFY(QTest::qWaitFor([&] { return rig->handset.received().endsWith("\rAT-WT=0\r"); }, 5000));
        WaitSeconds(0.3f);
        const QByteArray sent = rig->handset.received().chopped(9);
        QVERIFY2(sent.size() < 2 * SerialPortService::kTransmitBuffer && expected.startsWith(sent)
                     && sent.size() % 8 == 0,
                 qPrintable(QString::number(sent.size())));
        QVERIFY(rig->boxes.shown.isEmpty());
    }

    void receiveEventsOneBytePerRunAndOneForAHangUp()
    {
        QVERIFY(!rig->link.OpenForUse().failed());
        QByteArray seen;
        int runs = 0;
        bool consume = true;
        connect(&rig->port, &SerialPortService::receiveEvent, this, [&] {
            ++runs;
            quint8 b = 0;
            if (consume && !rig->port.readByte(b).failed())
                seen.append(char(b));
        });
        rig->handset.send(QByteArray::fromHex("c78180"));
        QVERIFY(QTest::qWaitFor([&] { return rig->port.pendingCount() == 3; }, 2000));
        QCOMPARE(runs, 0); // the threshold is 0 until someone asks for events
        rig->port.setReceiveThreshold(1);
        QTRY_COMPARE_WITH_TIMEOUT(seen, QByteArray::fromHex("c78180"), 2000);
        QCOMPARE(runs, 3);

        // A handler that leaves its byte is not run again until another byte arrives.
        consume = false;
        rig->handset.send(QByteArray::fromHex("c1"));
        QVERIFY(QTest::qWaitFor([&] { return runs == 4; }, 2000));
        const double before = cpuSeconds();
        WaitSeconds(0.2f);
        QCOMPARE(runs, 4);
        QVERIFY(cpuSeconds() - before < 0.1);

        // A hang-up is one more run, however long it lasts, and leaves nothing to read.
        quint8 b = 0;
        QVERIFY(!rig->port.readByte(b).failed());
        rig->handset.hangUp();
        QVERIFY(QTest::qWaitFor([&] { return runs == 5; }, 5000));
        WaitSeconds(0.5f);
        QVERIFY2(cpuSeconds() - before < 0.3, qPrintable(QString::number(cpuSeconds() - before)));
        QCOMPARE(runs, 5);
        QVERIFY(rig->port.isOpen() && rig->port.hungUp());
        QCOMPARE(rig->port.pendingCount(), 0);
    }

    void portHeldByAnotherProgram()
    {
        // Held by another port, with its lock file, as another program holds it. A device that is
        // not there at all goes the same way, and its message is the main window's test.
        QSerialPort holder(rig->handset.portPath());
        QVERIFY(holder.open(QIODevice::ReadWrite));
        const PortError error = rig->link.OpenForUse();
        holder.close();
        QCOMPARE(error.number, PortErrorNumber::PortInUse);
        QVERIFY(SerialLink::ReportPowerSwitchError(error));
        // Keys written to the closed port meanwhile are told once, and again after a fresh opening.
        rig->link.SendKeyCode(PhoneKeyCodes::Up);
        rig->link.SendKeyCode(PhoneKeyCodes::Up);
        QCOMPARE(rig->boxes.shown.size(), 2);
        QCOMPARE(rig->boxes.shown[0].text, SerialLink::PortInUseText());
        QCOMPARE(rig->boxes.shown[0].icon, MsgIcon::Critical);
        QVERIFY2(rig->boxes.shown[1].text.contains(u"エラー番号   : 8018\r\n"_qs), qPrintable(rig->boxes.shown[1].text));
        QCOMPARE(rig->boxes.shown[1].icon, MsgIcon::None);
        // Nothing is left behind: the next try opens as soon as the device is free.
        QVERIFY(!rig->link.OpenForUse().failed());
        rig->link.Close();
        rig->link.SendKeyCode(PhoneKeyCodes::Up);
        QCOMPARE(rig->boxes.shown.size(), 3);
    }

    void ledgerDrainsAtTheLineSpeed_data()
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

    void ledgerDrainsAtTheLineSpeed()
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

    void ledgerFinishesAFrameTheDeviceBegan()
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

private:
    // The handset at the other end, the port to it and the link over it, torn down in reverse:
    // the link and the port first, the handset last.
    struct Rig {
        phonesim::Handset handset;
        ScriptedMessageBoxes boxes;
        SerialPortService port;
        Settings settings;
        SerialLink link{port, settings};
    };
    std::optional<Rig> rig;
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
