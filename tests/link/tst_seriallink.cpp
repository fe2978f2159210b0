// The link on a real pseudo-terminal through QSerialPort, with the simulated handset at the
// other end: key frames, the cable's commands, the opening sequences, port errors, hang-ups.
#include "CpuTime.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/SleepingWait.h"
#include "settings/Settings.h"
#include "textentry/TypeCharacter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_METATYPE(KeyCode)

namespace {

constexpr int kPort = 3;

QByteArray frame(const KeyCode& code) { return QByteArray::fromHex("f202010000") + code.bytes(); }

struct RecordingSinks : TypingSinks {
    QString log;
    int clears = 0;
    void insertIntoLog(const QString& character) override { log += character; }
    void clearInput() override { ++clears; }
};

// Holds a port open in a child process until its standard input closes.
int holdPort(const char* path)
{
    QSerialPort port(QString::fromLocal8Bit(path));
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    fputs("held\n", stdout);
    fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keyFrameIsHeaderThenPayload();
    void openingAndClosingSequences_data();
    void openingAndClosingSequences();
    void queryOpeningSetsTheCableOff();
    void reopeningTheSamePortWorks();
    void aFloodIsHeldBackAndCutWhole();
    void typedTextReachesTheScreen_data();
    void typedTextReachesTheScreen();
    void keyLogCanBeTurnedOff();
    void receiveEventsOneBytePerRun();
    void missingDeviceIs8002();
    void portHeldByAnotherProcessIs8005();
    void malformedSettingsAreRefused_data();
    void malformedSettingsAreRefused();
    void hangUpRaisesOneEventAndDoesNotSpin();
    void writesToAClosedPortAreReportedOnce();

private:
    std::unique_ptr<phonesim::Handset> handset;
    std::unique_ptr<SerialPortService> port;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    Settings settings;
    std::unique_ptr<SerialLink> link;
};

void TestSerialLink::init()
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

void TestSerialLink::cleanup()
{
    link.reset();
    port.reset();
    boxes.reset();
    handset.reset();
    qunsetenv("YUBISAKI_COM3");
}

void TestSerialLink::keyFrameIsHeaderThenPayload()
{
    QVERIFY(!link->OpenForUse().failed());
    QSignalSpy writes(port.get(), &SerialPortService::written);
    link->SendKeyCode(QByteArray::fromHex("03020e"));
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes[0][0].toByteArray(), QByteArray::fromHex("f202010000"));
    QCOMPARE(writes[1][0].toByteArray(), QByteArray::fromHex("03020e"));
    QVERIFY(handset->waitForReceived(8, 5000));
    QCOMPARE(handset->received(), QByteArray::fromHex("f20201000003020e"));
    QCOMPARE(handset->events().size(), 1);
    QCOMPARE(handset->events()[0].type, phonesim::WireEvent::Type::Key);
    QCOMPARE(handset->events()[0].code, PhoneKeyCodes::OffHook);
    QVERIFY(boxes->shown.isEmpty());
}

void TestSerialLink::openingAndClosingSequences_data()
{
    QTest::addColumn<int>("reudo");
    QTest::addColumn<QByteArray>("onOpen");
    QTest::addColumn<QByteArray>("onClose");
    QTest::newRow("REUDO cable") << 1 << QByteArray("ATQ1%B0\rAT-WT=1\r") << QByteArray("AT-WT=0\r");
    QTest::newRow("plain cable writes nothing") << 0 << QByteArray() << QByteArray();
    QTest::newRow("any value but 1 is a plain cable") << 2 << QByteArray() << QByteArray();
}

void TestSerialLink::openingAndClosingSequences()
{
    QFETCH(int, reudo);
    QFETCH(QByteArray, onOpen);
    QFETCH(QByteArray, onClose);
    settings.REUDOcable = std::int16_t(reudo);
    // Opened before the port takes the device for itself: only root may open it after that.
    const int fd = ::open(handset->portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QVERIFY(!link->OpenForUse().failed());
    QVERIFY(port->isOpen());
    QCOMPARE(port->portNumber(), kPort);
    QCOMPARE(port->settingsText(), u"600,e,8,1"_qs);

    // The device itself runs at 600 baud, 8 data bits, 1 stop bit (a pty drops the parity bit).
    termios tio{};
    QCOMPARE(tcgetattr(fd, &tio), 0);
    ::close(fd);
    QCOMPARE(cfgetospeed(&tio), speed_t(B600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QVERIFY(!(tio.c_cflag & CSTOPB));

    // A key frame after opening shows that nothing else came before it.
    const QByteArray marker = frame(PhoneKeyCodes::OK);
    link->SendKeyCode(PhoneKeyCodes::OK);
    QSignalSpy writes(port.get(), &SerialPortService::written);
    QVERIFY(!link->Close().failed());
    QVERIFY(!port->isOpen());
    QCOMPARE(writes.size(), onClose.isEmpty() ? 0 : 1);
    const QByteArray expected = onOpen + marker + onClose;
    QVERIFY(handset->waitForReceived(int(expected.size()), 5000));
    QCOMPARE(handset->received(), expected);
}

void TestSerialLink::queryOpeningSetsTheCableOff()
{
    settings.REUDOcable = 1;
    QVERIFY(!link->OpenForQuery().failed());
    QVERIFY(!port->write(QByteArray::fromHex("8e")).failed());
    QVERIFY(!link->Close().failed());
    QVERIFY(handset->waitForEvents(3, 5000));
    QCOMPARE(handset->received(), QByteArray("AT-WT=0\r\x8e" "AT-WT=0\r"));
    QCOMPARE(handset->events()[1].type, phonesim::WireEvent::Type::NumberRequest);
}

void TestSerialLink::reopeningTheSamePortWorks()
{
    for (int round = 0; round < 3; ++round) {
        const PortError error = link->OpenForUse();
        QVERIFY2(!error.failed(), qPrintable(error.description));
        link->SendKeyCode(PhoneKeyCodes::Up);
        QVERIFY(handset->waitForReceived(8 * (round + 1), 5000));
        link->Close();
    }
    QVERIFY(boxes->shown.isEmpty());
}

void TestSerialLink::aFloodIsHeldBackAndCutWhole()
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
    QVERIFY(handset->waitForReceived(int(SerialPortService::kTransmitBuffer), 5000));
    QVERIFY(!link->Close().failed());
    QVERIFY(QTest::qWaitFor([&] { return handset->received().endsWith("\rAT-WT=0\r"); }, 5000));
    WaitSeconds(0.3f);
    const QByteArray sent = handset->received().chopped(9);
    QVERIFY2(sent.size() < 2 * SerialPortService::kTransmitBuffer && expected.startsWith(sent),
             qPrintable(QString::number(sent.size())));
    QVERIFY(boxes->shown.isEmpty());
}

void TestSerialLink::typedTextReachesTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<KeyCode>>("codes");
    QTest::addColumn<QString>("screen");
    QTest::newRow("voiced split が") << u"が"_qs << QList<KeyCode>{{2, 2, 1}, {2, 10, 4}} << u"が"_qs;
    QTest::newRow("voiced split じ") << u"じ"_qs << QList<KeyCode>{{2, 3, 2}, {2, 10, 4}} << u"じ"_qs;
    QTest::newRow("semi-voiced row ぱぴぷぺぽ")
        << u"ぱぴぷぺぽ"_qs
        << QList<KeyCode>{{2, 6, 1}, {2, 10, 5}, {2, 6, 2}, {2, 10, 5}, {2, 6, 3}, {2, 10, 5}, {2, 6, 4}, {2, 10, 5}, {2, 6, 5}, {2, 10, 5}}
        << u"ぱぴぷぺぽ"_qs;
    QTest::newRow("half-width ｶ and ﾞ stay two") << u"ｶﾞ"_qs << QList<KeyCode>{{1, 2, 1}, {1, 10, 4}} << u"ｶﾞ"_qs;
    QTest::newRow("ab") << u"ab"_qs << QList<KeyCode>{{1, 4, 6}, {1, 4, 7}} << u"ab"_qs;
    QTest::newRow("kanji dropped, a sent") << u"漢a"_qs << QList<KeyCode>{{1, 4, 6}} << u"a"_qs;
}

void TestSerialLink::typedTextReachesTheScreen()
{
    QFETCH(QString, text);
    QFETCH(QList<KeyCode>, codes);
    QFETCH(QString, screen);
    QVERIFY(!link->OpenForUse().failed());
    RecordingSinks sinks;
    Typist typist(*link, settings, sinks);
    typist.TypeCharacter(text);
    QVERIFY(handset->waitForEvents(int(codes.size()), 5000));
    QList<KeyCode> sent;
    for (const phonesim::WireEvent& event : handset->events())
        sent.append(event.code);
    QCOMPARE(sent, codes);
    QCOMPARE(handset->screen().text(), screen);
    QCOMPARE(sinks.clears, codes.isEmpty() ? 0 : 1); // the input box is emptied once the text went out
    QString echoed;
    for (const KeyCode& code : codes)
        echoed += CharacterForKeyCode(code);
    QCOMPARE(sinks.log, echoed);
}

void TestSerialLink::keyLogCanBeTurnedOff()
{
    QVERIFY(!link->OpenForUse().failed());
    RecordingSinks sinks;
    Typist typist(*link, settings, sinks);
    typist.TypeCharacter(u"ア"_qs);
    typist.TypeCharacter(u"ゔ"_qs);
    QCOMPARE(sinks.clears, 0);
    settings.DontKeyLog = 1;
    typist.TypeCharacter(u"あ"_qs);
    QCOMPARE(sinks.clears, 1);
    QVERIFY(sinks.log.isEmpty());
    QVERIFY(handset->waitForEvents(1, 5000));
    QCOMPARE(handset->received(), frame(KeyCode{2, 1, 1}));
}

void TestSerialLink::receiveEventsOneBytePerRun()
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
    SleepingWait wait;
    connect(port.get(), &SerialPortService::activity, &wait, &SleepingWait::wake);
    QVERIFY(wait.until(QDeadlineTimer(2000), [&] { return port->pendingCount() == 3; }));
    WaitSeconds(0.05f);
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
}

void TestSerialLink::missingDeviceIs8002()
{
    qputenv("YUBISAKI_COM3", "/dev/yubisaki-no-such-device");
    const PortError error = link->OpenForUse();
    QCOMPARE(error.number, 8002);
    QVERIFY(!port->isOpen());
    QVERIFY(SerialLink::ReportPowerSwitchError(error));
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"ポート番号が間違っています。\r\nもう一度正しいポートを設定してください。"_qs);
    QCOMPARE(boxes->shown[0].title, u"ユビサキ！"_qs);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
    QCOMPARE(boxes->shown[0].buttons, MsgButtons::Ok);
    // Nothing is left behind: the next try opens as soon as the device is there.
    qputenv("YUBISAKI_COM3", handset->portPath().toLocal8Bit());
    QVERIFY(!link->OpenForUse().failed());
}

void TestSerialLink::portHeldByAnotherProcessIs8005()
{
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold-port"_qs, handset->portPath()});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    const PortError error = link->OpenForUse();
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(error.number, 8005);
    QVERIFY(SerialLink::ReportPowerSwitchError(error));
    QCOMPARE(boxes->shown.value(0).text,
             u"ポートがすでに使われております。\r\n他のソフトで使用中でないか、もう一度ご確認ください。"_qs);
    QCOMPARE(boxes->shown.value(0).icon, MsgIcon::Critical);
}

void TestSerialLink::malformedSettingsAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("three fields") << u"600,e,8"_qs;
    QTest::newRow("five fields") << u"600,e,8,1,1"_qs;
    QTest::newRow("letters for baud") << u"fast,e,8,1"_qs;
    QTest::newRow("zero baud") << u"0,e,8,1"_qs;
    QTest::newRow("unknown parity") << u"600,x,8,1"_qs;
    QTest::newRow("nine data bits") << u"600,e,9,1"_qs;
    QTest::newRow("three stop bits") << u"600,e,8,3"_qs;
}

void TestSerialLink::malformedSettingsAreRefused()
{
    QFETCH(QString, text);
    const PortError error = port->setSettings(text);
    QCOMPARE(error.number, PortErrorNumber::InvalidSettings);
    QCOMPARE(port->settingsText(), u"600,e,8,1"_qs);
    QCOMPARE(ParsePortSettings(u" 9600 , N , 7 , 1.5 "),
             (PortSettings{9600, PortSettings::Parity::None, 7, PortSettings::StopBits::OneAndHalf}));
}

void TestSerialLink::hangUpRaisesOneEventAndDoesNotSpin()
{
    QVERIFY(!link->OpenForUse().failed());
    port->setReceiveThreshold(1);
    QSignalSpy events(port.get(), &SerialPortService::receiveEvent);
    const double before = cpuSeconds();
    handset->hangUp();
    QVERIFY(events.wait(5000));
    WaitSeconds(0.5f);
    QVERIFY2(cpuSeconds() - before < 0.25, qPrintable(QString::number(cpuSeconds() - before)));
    QCOMPARE(events.size(), 1);
    QVERIFY(port->isOpen());
    QVERIFY(port->hungUp());
    QCOMPARE(port->pendingCount(), 0);
    quint8 b = 0;
    QCOMPARE(port->readByte(b).number, PortErrorNumber::NoByte);

    // Typing on: one message for the first key, none for the next ones.
    link->SendKeyCode(PhoneKeyCodes::Up);
    link->SendKeyCode(PhoneKeyCodes::Down);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, SerialLink::CablePulledText());
    QVERIFY(boxes->shown[0].text.startsWith(u"途中でケーブルを抜かないで下さい(;´Д｀)\r\n"));
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
    QVERIFY(!link->Close().failed());
    QVERIFY(!port->isOpen());
}

void TestSerialLink::writesToAClosedPortAreReportedOnce()
{
    link->SendKeyCode(PhoneKeyCodes::Up);
    link->SendKeyCode(PhoneKeyCodes::Up);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::None);
    const QStringList lines = boxes->shown[0].text.split(u"\r\n"_qs);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], u"エラーです。"_qs);
    QCOMPARE(lines[1], u"オブジェクト : mscCOM"_qs);
    QCOMPARE(lines[2], u"エラー番号   : 8018"_qs);
    QCOMPARE(lines[4], u"Ver 1.28"_qs);
    // After a fresh opening a failure is worth telling again.
    QVERIFY(!link->OpenForUse().failed());
    link->Close();
    link->SendKeyCode(PhoneKeyCodes::Up);
    QCOMPARE(boxes->shown.size(), 2);
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-port") == 0) {
        QCoreApplication app(argc, argv);
        return holdPort(argv[2]);
    }
    QCoreApplication app(argc, argv);
    TestSerialLink test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_seriallink.moc"
