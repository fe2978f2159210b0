// The main window on the offscreen platform against the simulated handset: start-up, the
// power switch, the display, tooltips, the pop-up menu, clearing, help, and the exit order.
#include "MainWindowFixture.h"
#include "core/SingleInstance.h"
#include "core/frmMain.h"
#include "phonesim/Handset.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* const kToolTipControls[] = {
    "chkPower", "txtInput", "chkHideOn", "cmdExit", "cmdMacroSetting", "cmbMacroList", "cmdMacroStart",
    "cmdOption", "cmdKeyHelp", "cmdHelp", "chkGetStatus", "cmdGetNumber", "txtInputBuffer", "cmdClear",
    "cmdAbout", "fraRxLevel", "picAntena", "chkIMEON", "chkAlphaOrKana", "chkKanaOrRoma", "txtNonArea"};

int holdLock(const char* folder)
{
    SingleInstance instance(QString::fromLocal8Bit(folder));
    if (!instance.acquired())
        return 1;
    fputs("held\n", stdout);
    fflush(stdout);
    char buffer[16];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

int holdPort(const char* path)
{
    QSerialPort port(QString::fromLocal8Bit(path));
    if (!port.open(QIODevice::ReadWrite))
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
    void init();
    void cleanup();
    void startsWithThePowerOff();
    void positionIsClampedToTheScreen_data();
    void positionIsClampedToTheScreen();
    void toolTips_data();
    void toolTips();
    void mostFrontAfterActivation_data();
    void mostFrontAfterActivation();
    void powerSwitch_data();
    void powerSwitch();
    void failedOpeningUnticks_data();
    void failedOpeningUnticks();
    void deviceWithoutPermission();
    void typedTextReachesTheHandset();
    void compactDisplay();
    void rightClickMenu_data();
    void rightClickMenu();
    void clearEmptiesTheBoxes();
    void helpOpensTheContents();
    void closeBoxClosesThePortBeforeWriting();
    void secondCopyTouchesNothing();
    void killedCopyDoesNotBlock();

private:
    frmMain& start(const QStringList& args = {});
    void writeSettings(const Settings& settings, const MainWindowSettings& window = {});
    QString settingsPath() const { return SettingsFilePath(home->path() + u'/'); }
};

void TestFrmMain::init()
{
    QVERIFY(setUpFixture());
}

void TestFrmMain::cleanup()
{
    tearDownFixture();
}

frmMain& TestFrmMain::start(const QStringList& args)
{
    window = std::make_unique<frmMain>(ParseCommandLine(args));
    window->Form_Load();
    window->show();
    return *window;
}

void TestFrmMain::writeSettings(const Settings& settings, const MainWindowSettings& w)
{
    QVERIFY(WriteSettingsFileIn(home->path() + u'/', settings, w).result.ok);
}

void TestFrmMain::startsWithThePowerOff()
{
    frmMain& w = start();
    QCOMPARE(w.windowTitle(), u"ユビサキ！"_qs);
    QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
    QCOMPARE(w.chkPower->value(), 0);
    QVERIFY(w.txtInput->isReadOnly());
    QVERIFY(!w.mscCOM().isOpen());
    QVERIFY(QFileInfo::exists(settingsPath()));
    QCOMPARE(w.picAntena->blackBoxes().size(), 1);
    QVERIFY(boxes->shown.isEmpty());
}

void TestFrmMain::positionIsClampedToTheScreen_data()
{
    QTest::addColumn<int>("xpos");
    QTest::addColumn<int>("expectedX");
    QTest::newRow("left of the screen") << -50 << 0;
    QTest::newRow("beyond the screen's width") << 10'000'000 << 0;
    QTest::newRow("on the screen") << 1500 << 100;
}

void TestFrmMain::positionIsClampedToTheScreen()
{
    QFETCH(int, xpos);
    QFETCH(int, expectedX);
    MainWindowSettings position;
    position.Xpos = xpos;
    writeSettings(Settings{}, position);
    frmMain& w = start();
    QCOMPARE(w.x(), frmMain::TwipsToPixels(frmMain::PixelsToTwips(expectedX, 96), w.logicalDpiX()));
}

void TestFrmMain::toolTips_data()
{
    QTest::addColumn<int>("toolTipOff");
    QTest::newRow("shown") << 0;
    QTest::newRow("suppressed") << 1;
}

void TestFrmMain::toolTips()
{
    QFETCH(int, toolTipOff);
    Settings settings;
    settings.ToolTipOff = std::int16_t(toolTipOff);
    writeSettings(settings);
    frmMain& w = start();
    for (const char* name : kToolTipControls) {
        const QWidget* control = w.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(control, name);
        QCOMPARE(control->toolTip().isEmpty(), toolTipOff == 1);
    }
    if (toolTipOff == 0) {
        QCOMPARE(w.chkPower->toolTip(), u"電源ボタンです"_qs);
        QCOMPARE(w.picAntena->toolTip(), w.fraRxLevel->toolTip());
        QCOMPARE(w.chkAlphaOrKana->toolTip(), u"ひがらな/英数字を選択できます。「Caps」キーでON/OFFできます。"_qs);
    }
}

void TestFrmMain::mostFrontAfterActivation_data()
{
    QTest::addColumn<int>("mostFront");
    QTest::addColumn<bool>("flagBefore");
    QTest::addColumn<bool>("flagAfter");
    QTest::newRow("1 sets it") << 1 << false << true;
    QTest::newRow("0 clears it") << 0 << true << false;
    QTest::newRow("2 leaves it set") << 2 << true << true;
    QTest::newRow("2 leaves it clear") << 2 << false << false;
}

void TestFrmMain::mostFrontAfterActivation()
{
    QFETCH(int, mostFront);
    QFETCH(bool, flagBefore);
    QFETCH(bool, flagAfter);
    Settings settings;
    settings.MostFront = std::int16_t(mostFront);
    writeSettings(settings);
    frmMain& w = start();
    w.setWindowFlag(Qt::WindowStaysOnTopHint, flagBefore);
    w.show();
    QEvent activation(QEvent::ActivationChange);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QApplication::sendEvent(&w, &activation);
    QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), flagAfter);
    QVERIFY(w.isVisible());
}

void TestFrmMain::powerSwitch_data()
{
    QTest::addColumn<int>("reudo");
    QTest::addColumn<QByteArray>("onBytes");
    QTest::addColumn<QByteArray>("offBytes");
    QTest::newRow("REUDO cable") << 1 << QByteArray("ATQ1%B0\rAT-WT=1\r") << QByteArray("AT-WT=0\r");
    QTest::newRow("plain cable") << 0 << QByteArray() << QByteArray();
}

void TestFrmMain::powerSwitch()
{
    QFETCH(int, reudo);
    QFETCH(QByteArray, onBytes);
    QFETCH(QByteArray, offBytes);
    Settings settings;
    settings.REUDOcable = std::int16_t(reudo);
    writeSettings(settings);
    frmMain& w = start();
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QCOMPARE(w.chkPower->value(), 1);
    QCOMPARE(w.chkPower->text(), u"OFF(&P)"_qs);
    QVERIFY(!w.txtInput->isReadOnly());
    QVERIFY(w.mscCOM().isOpen());
    // Switching from code takes the same path as a click.
    w.chkPower->setValue(0);
    QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
    QVERIFY(w.txtInput->isReadOnly());
    QVERIFY(!w.mscCOM().isOpen());
    QCOMPARE(w.chkGetStatus->value(), 0);
    if (!onBytes.isEmpty())
        QVERIFY(handset->waitForReceived(int((onBytes + offBytes).size()), 5000));
    QCOMPARE(handset->received(), onBytes + offBytes);
    QVERIFY(boxes->shown.isEmpty());
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
    frmMain& w = start();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QTest::mouseClick(w.chkPower, Qt::LeftButton);
        QCOMPARE(boxes->shown.size(), attempt);
        QCOMPARE(boxes->shown.back().text, message);
        QCOMPARE(boxes->shown.back().icon, MsgIcon::Critical);
        QCOMPARE(w.chkPower->value(), 0);
        QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
        QVERIFY(w.txtInput->isReadOnly());
        QVERIFY(!w.mscCOM().isOpen());
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

void TestFrmMain::typedTextReachesTheHandset()
{
    Settings unconverted;
    unconverted.IMEON = 0;
    writeSettings(unconverted);
    frmMain& w = start();
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QTest::keyClicks(w.txtInput, u"ab"_qs);
    QVERIFY(handset->waitForEvents(2, 5000));
    QCOMPARE(handset->screen().text(), u"ab"_qs);
    QCOMPARE(w.txtInputBuffer->logText(), u"ab"_qs);
    QVERIFY(w.txtInput->text().isEmpty());
    // With the power off the box is locked and nothing goes out.
    w.chkPower->setValue(0);
    QTest::keyClicks(w.txtInput, u"c"_qs);
    QVERIFY(w.txtInput->text().isEmpty());
    QCOMPARE(handset->events().size(), 2);
}

void TestFrmMain::compactDisplay()
{
    frmMain& w = start();
    QCOMPARE(w.chkHideOn->value(), 1);
    w.chkHideOn->setValue(0);
    for (QWidget* lower : std::initializer_list<QWidget*>{w.txtInputBuffer, w.lblNonArea, w.txtNonArea, w.chkGetStatus})
        QVERIFY(!lower->isEnabled());
    w.chkHideOn->setValue(1);
    QVERIFY(w.txtInputBuffer->isEnabled());
}

void TestFrmMain::rightClickMenu_data()
{
    QTest::addColumn<int>("macros");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("three macros, three titles") << 3 << QStringList{u"朝の挨拶"_qs, u"マクロ2"_qs, u"マクロ3"_qs};
    QTest::newRow("no macros, one (なし)") << 0 << QStringList{u"(なし)"_qs};
}

void TestFrmMain::rightClickMenu()
{
    QFETCH(int, macros);
    QFETCH(QStringList, shown);
    MainWindowSettings state;
    state.HideOn = 0;
    if (macros > 0) {
        state.MacroFiles.clear();
        QVERIFY(QDir(home->path()).mkdir(u"Macro"_qs));
        for (int i = 0; i < macros; ++i) {
            const QString name = QStringLiteral("m%1.mcr").arg(i);
            state.MacroFiles.append(name);
            QVERIFY(Cp932::WriteLines(home->filePath(u"Macro/"_qs + name), {u"#"_qs + shown[i], u"<OK>"_qs}).ok);
        }
    }
    writeSettings(Settings{}, state);
    frmMain& w = start();
    QCOMPARE(w.cmbMacroList->count(), macros);
    QVERIFY(w.Form_MouseUp(Qt::RightButton, w.mapToGlobal(QPoint(5, 5))));
    QStringList visible;
    for (QAction* entry : w.mnuMACRO) {
        if (entry->isVisible())
            visible.append(entry->text());
    }
    QCOMPARE(visible, shown);
    w.mnuMENU->close();
    QVERIFY(!w.Form_MouseUp(Qt::LeftButton, QPoint()));
    w.chkHideOn->setValue(1);
    QVERIFY(!w.Form_MouseUp(Qt::RightButton, QPoint()));
    QVERIFY(!w.mnuMENU->isVisible());
}

void TestFrmMain::clearEmptiesTheBoxes()
{
    frmMain& w = start();
    w.txtInputBuffer->prependLine(u"電話番号:0901234"_qs);
    w.txtNonArea->setText(u"圏外"_qs);
    w.picAntena->clearDrawing();
    w.picAntena->printText({35, 0}, u"14db"_qs);
    QTest::mouseClick(w.cmdClear, Qt::LeftButton);
    QVERIFY(w.txtInputBuffer->logText().isEmpty());
    QVERIFY(w.txtNonArea->text().isEmpty());
    QVERIFY(w.txtInput->text().isEmpty());
    QVERIFY(w.picAntena->printedText().isEmpty());
    QCOMPARE(w.picAntena->blackBoxes().size(), 1);
    // The black box covers every bar from 13 pixels in.
    QCOMPARE(w.picAntena->blackBoxes()[0].left(), frmMain::TwipsToPixels(195, w.picAntena->logicalDpiX()));
}

void TestFrmMain::helpOpensTheContents()
{
    frmMain& w = start();
    QTest::mouseClick(w.cmdHelp, Qt::LeftButton);
    QVERIFY(w.helpViewer().window());
    QCOMPARE(w.helpViewer().currentTopic(), u"index.html"_qs);
    QVERIFY(boxes->shown.isEmpty());
}

void TestFrmMain::closeBoxClosesThePortBeforeWriting()
{
    Settings settings;
    settings.REUDOcable = 1;
    writeSettings(settings);
    const QByteArray before = fileBytes(settingsPath());
    frmMain& w = start();
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(handset->waitForReceived(16, 5000));
    w.chkHideOn->setValue(0);

    // What setting.ini holds at the moment the cable's off command goes out.
    QByteArray atCableOff;
    connect(&w.mscCOM(), &SerialPortService::written, this, [&](const QByteArray& block) {
        if (block == "AT-WT=0\r")
            atCableOff = fileBytes(settingsPath());
    });
    w.close();
    QVERIFY(w.exited());
    QVERIFY(!w.mscCOM().isOpen());
    QCOMPARE(atCableOff, before);
    QVERIFY(handset->waitForReceived(24, 5000));
    QVERIFY(handset->received().endsWith("AT-WT=0\r"));
    const QByteArray after = fileBytes(settingsPath());
    QVERIFY(after.contains("HideOn=0\r\n"));
    QVERIFY(QFileInfo::exists(KeyMapFilePath(home->path() + u'/')));
}

void TestFrmMain::secondCopyTouchesNothing()
{
    frmMain& first = start();
    first.hide();
    const QString settingsFile = settingsPath();
    const QString keyMapFile = KeyMapFilePath(home->path() + u'/');
    const QByteArray settingsBefore = fileBytes(settingsFile);
    const QByteArray keyMapBefore = fileBytes(keyMapFile);
    const QDateTime settingsTime = QFileInfo(settingsFile).lastModified();
    const QDateTime keyMapTime = QFileInfo(keyMapFile).lastModified();

    QProcess holder;
    QVERIFY(startHolder(holder, u"--hold-lock"_qs, home->path() + u'/'));
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"YUBISAKI_MESSAGE_LOG"_qs, home->filePath(u"messages.txt"_qs));
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(YUBISAKI_EXECUTABLE), {});
    QVERIFY(second.waitForFinished(30000));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    const QString messages = QString::fromUtf8(fileBytes(home->filePath(u"messages.txt"_qs)));
    QCOMPARE(messages, QStringLiteral("%1\tユビサキ！\tすでに起動していますよ！\n").arg(int(MsgIcon::Critical)));
    QCOMPARE(fileBytes(settingsFile), settingsBefore);
    QCOMPARE(fileBytes(keyMapFile), keyMapBefore);
    QCOMPARE(QFileInfo(settingsFile).lastModified(), settingsTime);
    QCOMPARE(QFileInfo(keyMapFile).lastModified(), keyMapTime);
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
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(argv[2]);
    if (argc == 4 && qstrcmp(argv[1], "--power-without-permission") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return powerWithoutPermission(argv[2], argv[3]);
    }
    if (argc == 3 && qstrcmp(argv[1], "--hold-port") == 0) {
        QCoreApplication app(argc, argv);
        return holdPort(argv[2]);
    }
    QApplication app(argc, argv);
    TestFrmMain test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmmain.moc"
