// The link on a real pseudo-terminal through QSerialPort, with the simulated handset at the
// other end: the cable's commands, the opening sequences, a flood, receive events, port errors,
// hang-ups.
#include "CpuTime.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/SleepingWait.h"
#include "settings/Settings.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kPort = 3;

QByteArray frame(const KeyCode& code) { return QByteArray::fromHex("f202010000") + code.bytes(); }

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        handset = std::make_unique<phonesim::Handset>();
        QString error;
        QVERIFY2(handset->start(&error), qPrintable(error));
        qputenv("YUBISAKI_COM3", handset->portPath().toLocal8Bit());
        port = std::make_unique<SerialPortService>();
        boxes = std::make_unique<ScriptedMessageBoxes>();
        settings = Settings{};
        settings.ComPort = kPort;
        link = std::make_unique<SerialLink>(*port, settings);
    }

    void cleanup()
    {
        link.reset();
        port.reset();
        boxes.reset();
        handset.reset();
        qunsetenv("YUBISAKI_COM3");
    }

    void openingAndClosingSequences_data()
    {
        QTest::addColumn<int>("reudo");
        QTest::addColumn<QByteArray>("onOpen");
        QTest::addColumn<QByteArray>("onClose");
        QTest::newRow("REUDO cable") << 1 << QByteArray("ATQ1%B0\rAT-WT=1\r") << QByteArray("AT-WT=0\r");
        QTest::newRow("any value but 1 is a plain cable: nothing written") << 2 << QByteArray() << QByteArray();
    }

    void openingAndClosingSequences()
    {
        QFETCH(int, reudo);
        QFETCH(QByteArray, onOpen);
        QFETCH(QByteArray, onClose);
        settings.REUDOcable = std::int16_t(reudo);
        // Opened before the port takes the device for itself: only root may open it after that.
        const int fd = ::open(handset->portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QVERIFY(!link->OpenForUse().failed());
        QCOMPARE(port->settingsText(), u"600,e,8,1"_qs);
        // The device itself runs at 600 baud, 8 data bits, 1 stop bit (a pty drops the parity bit).
        termios tio{};
        QCOMPARE(tcgetattr(fd, &tio), 0);
        ::close(fd);
        QVERIFY(cfgetospeed(&tio) == B600 && (tio.c_cflag & CSIZE) == CS8 && !(tio.c_cflag & CSTOPB));
        // A key frame after opening shows that nothing else came before it.
        link->SendKeyCode(PhoneKeyCodes::OK);
        QVERIFY(!link->Close().failed());
        QVERIFY(!port->isOpen());
        const QByteArray expected = onOpen + frame(PhoneKeyCodes::OK) + onClose;
        QVERIFY(handset->waitForReceived(int(expected.size()), 5000));
        QCOMPARE(handset->received(), expected);
        QVERIFY(boxes->shown.isEmpty());
    }

    void aFloodIsHeldBackAndCutWhole()
    {
        // Far more than the device buffer holds: the device gets only its share ahead of the line,
        // so closing drops the rest whole and nothing of it follows the off command.
        settings.REUDOcable = 1;
        QVERIFY(!link->OpenForUse().failed());
        QByteArray expected("ATQ1%B0\rAT-WT=1\r");
        for (int i = 0; i < 5000; ++i) {
            const KeyCode& code = i % 2 ? PhoneKeyCodes::Up : PhoneKeyCodes::Down;
            link->SendKeyCode(code);
            expected += frame(code);
        }
        QVERIFY(handset->waitForReceived(64, 5000));
        QVERIFY(!link->Close().failed());
        QVERIFY(QTest::qWaitFor([&] { return handset->received().endsWith("\rAT-WT=0\r"); }, 5000));
        WaitSeconds(0.3f);
        const QByteArray sent = handset->received().chopped(9);
        QVERIFY2(sent.size() < 2 * SerialPortService::kTransmitBuffer && expected.startsWith(sent)
                     && sent.size() % 8 == 0,
                 qPrintable(QString::number(sent.size())));
        QVERIFY(boxes->shown.isEmpty());
    }

    void receiveEventsOneBytePerRunAndOneForAHangUp()
    {
        QVERIFY(!link->OpenForUse().failed());
        QByteArray seen;
        int runs = 0;
        bool consume = true;
        connect(port.get(), &SerialPortService::receiveEvent, this, [&] {
            ++runs;
            quint8 b = 0;
            if (consume && !port->readByte(b).failed())
                seen.append(char(b));
        });
        handset->send(QByteArray::fromHex("c78180"));
        QVERIFY(QTest::qWaitFor([&] { return port->pendingCount() == 3; }, 2000));
        QCOMPARE(runs, 0); // the threshold is 0 until someone asks for events
        port->setReceiveThreshold(1);
        QVERIFY(QTest::qWaitFor([&] { return seen.size() == 3; }, 2000));
        QCOMPARE(seen, QByteArray::fromHex("c78180"));
        QCOMPARE(runs, 3);

        // A handler that leaves its byte is not run again until another byte arrives.
        consume = false;
        handset->send(QByteArray::fromHex("c1"));
        QVERIFY(QTest::qWaitFor([&] { return runs == 4; }, 2000));
        const double before = cpuSeconds();
        WaitSeconds(0.2f);
        QCOMPARE(runs, 4);
        QVERIFY(cpuSeconds() - before < 0.1);

        // A hang-up is one more run, however long it lasts, and leaves nothing to read.
        quint8 b = 0;
        QVERIFY(!port->readByte(b).failed());
        handset->hangUp();
        QVERIFY(QTest::qWaitFor([&] { return runs == 5; }, 5000));
        WaitSeconds(0.5f);
        QVERIFY2(cpuSeconds() - before < 0.3, qPrintable(QString::number(cpuSeconds() - before)));
        QCOMPARE(runs, 5);
        QVERIFY(port->isOpen() && port->hungUp());
        QCOMPARE(port->pendingCount(), 0);
        // Typing on: one message for the first key, none for the next ones.
        link->SendKeyCode(PhoneKeyCodes::Up);
        link->SendKeyCode(PhoneKeyCodes::Down);
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].text, SerialLink::CablePulledText());
        QVERIFY(!link->Close().failed());
    }

    void portThatCannotOpen_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("no such device") << false << PortErrorNumber::InvalidPort << SerialLink::InvalidPortText();
        QTest::newRow("held by another port") << true << PortErrorNumber::PortInUse << SerialLink::PortInUseText();
    }

    void portThatCannotOpen()
    {
        QFETCH(bool, held);
        QFETCH(int, number);
        QFETCH(QString, text);
        // Held by another port, with its lock file, as another program holds it.
        QSerialPort holder(handset->portPath());
        if (held)
            QVERIFY(holder.open(QIODevice::ReadWrite));
        else
            qputenv("YUBISAKI_COM3", "/dev/yubisaki-no-such-device");
        const PortError error = link->OpenForUse();
        holder.close();
        QCOMPARE(error.number, number);
        QVERIFY(!port->isOpen());
        QVERIFY(SerialLink::ReportPowerSwitchError(error));
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].text, text);
        QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
        // Nothing is left behind: the next try opens as soon as the device is there.
        qputenv("YUBISAKI_COM3", handset->portPath().toLocal8Bit());
        QVERIFY(!link->OpenForUse().failed());
    }

    void writesToAClosedPortAreReportedOnce()
    {
        link->SendKeyCode(PhoneKeyCodes::Up);
        link->SendKeyCode(PhoneKeyCodes::Up);
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].icon, MsgIcon::None);
        QVERIFY2(boxes->shown[0].text.contains(u"エラー番号   : 8018\r\n"_qs), qPrintable(boxes->shown[0].text));
        // After a fresh opening a failure is worth telling again.
        QVERIFY(!link->OpenForUse().failed());
        link->Close();
        link->SendKeyCode(PhoneKeyCodes::Up);
        QCOMPARE(boxes->shown.size(), 2);
    }

private:
    std::unique_ptr<phonesim::Handset> handset;
    std::unique_ptr<SerialPortService> port;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    Settings settings;
    std::unique_ptr<SerialLink> link;
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
