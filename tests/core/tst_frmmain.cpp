// The main window on the offscreen platform against the simulated handset: the power switch
// and the port's failures, the exit order, a lock left by a killed copy, and what is still on
// its way to a handset that reads at the real 600 baud (the indicator beside the input box, its
// count against the frames the handset has, the discard, a huge paste). A second copy of the
// real program is started in the release tests; the pop-up menu is used by the macro runs; that
// nothing polls while nothing is queued is the soak's idle check.
#include "MainWindowFixture.h"
#include "core/SingleInstance.h"
#include "platform/SleepingWait.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QSerialPort>

#include <csignal>
#include <unistd.h>

namespace {

// Holds a program folder's lock or a serial port until its input closes.
int holdUntilInputCloses(bool lock, const char* target)
{
    std::unique_ptr<SingleInstance> instance;
    QSerialPort port(QString::fromLocal8Bit(target));
    if (lock ? !(instance = std::make_unique<SingleInstance>(QString::fromLocal8Bit(target)))->acquired()
             : !port.open(QIODevice::ReadWrite))
        return 1;
    fputs("held\n", stdout);
    fflush(stdout);
    char buffer[16];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

// Switches the power on as a user without the right to the device, and says what was shown.
int powerWithoutPermission(const char* home, const char* device)
{
    if (::geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 97;
    qputenv("YUBISAKI_HOME", home);
    qputenv("YUBISAKI_COM1", device);
    ScriptedMessageBoxes boxes;
    frmMain w(ParseCommandLine({}));
    w.Form_Load();
    w.chkPower->setValue(1);
    for (const ShownMessage& shown : std::as_const(boxes.shown))
        std::printf("shown %s\n", qPrintable(QString(shown.text).replace(u"\r\n"_qs, u"|"_qs)));
    std::printf("power %d open %d\n", w.chkPower->value(), int(w.mscCOM().isOpen()));
    return 0;
}

// A helper copy of this test program that holds something until its input closes.
bool startHolder(QProcess& process, const QString& what, const QString& argument)
{
    process.start(QCoreApplication::applicationFilePath(), {what, argument});
    return process.waitForReadyRead(10000) && process.readLine().trimmed() == "held";
}

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

class TestFrmMain : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void powerSwitchAndTheExitOrder();
    void failedOpeningUnticks_data();
    void failedOpeningUnticks();
    void deviceWithoutPermission();
    void killedCopyDoesNotBlock();
    void countFallsThenTheDiscardDropsWholeFrames();
    void hugePasteLeavesTheWindowFree();

private:
    frmMain& startPaced();
};

// The switch opens and closes the port, the cable's commands with it; at exit the port closes,
// the cable's off command last, before setting.ini is written.
void TestFrmMain::powerSwitchAndTheExitOrder()
{
    Settings settings;
    settings.REUDOcable = 1;
    frmMain& w = startWindow(settings);
    const QByteArray before = fileBytes(settingsPath());
    QVERIFY(w.txtInput->isReadOnly() && !w.mscCOM().isOpen());
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QCOMPARE(w.chkPower->text(), u"OFF(&P)"_qs);
    QVERIFY(!w.txtInput->isReadOnly() && w.mscCOM().isOpen());
    // Switching from code takes the same path as a click.
    w.chkPower->setValue(0);
    QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
    QVERIFY(w.txtInput->isReadOnly() && !w.mscCOM().isOpen());
    QCOMPARE(w.chkGetStatus->value(), 0);
    QVERIFY(handset->waitForReceived(24, 5000));
    QCOMPARE(handset->received(), QByteArray("ATQ1%B0\rAT-WT=1\rAT-WT=0\r"));
    QVERIFY(boxes->shown.isEmpty());

    w.chkPower->setValue(1);
    QVERIFY(handset->waitForReceived(40, 5000));
    w.chkHideOn->setValue(0);
    QByteArray atCableOff;
    connect(&w.mscCOM(), &SerialPortService::written, this, [&](const QByteArray& block) {
        if (block == "AT-WT=0\r")
            atCableOff = fileBytes(settingsPath());
    });
    w.close();
    QVERIFY(w.exited());
    QVERIFY(!w.mscCOM().isOpen());
    QCOMPARE(atCableOff, before);
    QVERIFY(handset->waitForReceived(48, 5000));
    QVERIFY(handset->received().endsWith("AT-WT=0\r"));
    QVERIFY(fileBytes(settingsPath()).contains("HideOn=0\r\n"));
    QVERIFY(QFileInfo::exists(KeyMapFilePath(home->path() + u'/')));
}

void TestFrmMain::failedOpeningUnticks_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such device") << false
                                    << u"ポート番号が間違っています。\r\nもう一度正しいポートを設定してください。"_qs;
    QTest::newRow("held by another program")
        << true << u"ポートがすでに使われております。\r\n他のソフトで使用中でないか、もう一度ご確認ください。"_qs;
}

void TestFrmMain::failedOpeningUnticks()
{
    QFETCH(bool, held);
    QFETCH(QString, message);
    QProcess holder;
    if (held)
        QVERIFY(startHolder(holder, u"--hold-port"_qs, handset->portPath()));
    else
        qputenv("YUBISAKI_COM1", "/dev/yubisaki-missing");
    frmMain& w = openWindow();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QTest::mouseClick(w.chkPower, Qt::LeftButton);
        QCOMPARE(boxes->shown.size(), attempt);
        QCOMPARE(boxes->shown.back().text, message);
        QCOMPARE(boxes->shown.back().icon, MsgIcon::Critical);
        QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
        QVERIFY(w.txtInput->isReadOnly() && !w.mscCOM().isOpen());
    }
    holder.closeWriteChannel();
    if (held)
        QVERIFY(holder.waitForFinished(10000));
    else
        qputenv("YUBISAKI_COM1", handset->portPath().toLocal8Bit());
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(w.mscCOM().isOpen());
    QCOMPARE(boxes->shown.size(), 2);
}

void TestFrmMain::deviceWithoutPermission()
{
    QTemporaryDir other;
    QVERIFY(QFile::setPermissions(other.path(), QFileDevice::Permissions(0x7777)));
    const QString device = handset->portPath();
    QVERIFY(QFile::setPermissions(device, ::geteuid() == 0 ? QFile::ReadOwner | QFile::WriteOwner : QFileDevice::Permissions()));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--power-without-permission"_qs, other.path(), device});
    QVERIFY(child.waitForFinished(30'000));
    QVERIFY(QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner));
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    QCOMPARE(child.exitCode(), 0);
    // The user learns what to do about it, and the switch is off again.
    QVERIFY2(out.contains(u"権限がありません"_qs) && out.contains(u"dialout"_qs), qPrintable(out));
    QVERIFY2(out.contains(u"power 0 open 0"_qs), qPrintable(out));
}

void TestFrmMain::killedCopyDoesNotBlock()
{
    const QString folder = home->path() + u'/';
    QProcess holder;
    QVERIFY(startHolder(holder, u"--hold-lock"_qs, folder));
    QVERIFY(!SingleInstance(folder).acquired());
    ::kill(pid_t(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(10000));
    QVERIFY(QFileInfo::exists(folder + u".yubisaki.lock"_qs));
    QVERIFY(SingleInstance(folder).acquired());
}

frmMain& TestFrmMain::startPaced()
{
    position.HideOn = 0;
    frmMain& w = start();
    handset->setPaced(true);
    return w;
}

// The count goes up while the frames are written, then only down, agreeing with what the
// handset has within the frame on the wire; the discard drops whole frames and typing goes on.
void TestFrmMain::countFallsThenTheDiscardDropsWholeFrames()
{
    frmMain& w = startPaced();
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

void TestFrmMain::hugePasteLeavesTheWindowFree()
{
    // Ten thousand characters take a quarter of an hour on the line; the window must not
    // spend them in the log box's layout before the power switch can act.
    frmMain& w = startPaced();
    QElapsedTimer clock;
    clock.start();
    w.txtInput->insert(QString(10'000, u'a'));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(w.txtInputBuffer->logText().startsWith(QString(10'000, u'a')));
    w.chkPower->setValue(0);
    QVERIFY(!w.mscCOM().isOpen());
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--power-without-permission") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return powerWithoutPermission(argv[2], argv[3]);
    }
    if (argc == 3 && qstrncmp(argv[1], "--hold-", 7) == 0) {
        QCoreApplication app(argc, argv);
        return holdUntilInputCloses(qstrcmp(argv[1], "--hold-lock") == 0, argv[2]);
    }
    QApplication app(argc, argv);
    TestFrmMain test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmmain.moc"
