// The main window on the offscreen platform against the simulated handset: the power switch
// and the port's failures, the exit order, and a lock left by a killed copy. A second copy of
// the real program is started in the release tests; the pop-up menu is used by the macro runs.
#include "MainWindowFixture.h"
#include "core/SingleInstance.h"

#include <QFileInfo>
#include <QProcess>
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
