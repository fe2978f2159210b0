// The options dialog over a real main window: opening with the link off, the checks of OK and
// what OK stores and applies, the key-capture boxes, Enter and Esc per tab, the cable option,
// Cancel, help per tab and the device label of the port box.
#include "MainWindowFixture.h"
#include "settings/KeyCaptureBox.h"
#include "settings/frmOption.h"

#include <QTabBar>
#include <QTextBrowser>
#include <QTimer>

namespace {

// Both records as the files would hold them: every field, in a form QCOMPARE can show.
QStringList Records(frmMain& w) { return SettingsFileLines(w.settings(), {}) + KeyMapFileLines(w.keyMap()); }

} // namespace

class TestOptions : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup();
    void openingSwitchesTheLinkOff();
    void okKeepsWhatWasLoaded();
    void okChecks_data();
    void okChecks();
    void keyBoxesStoreTheKey_data();
    void keyBoxesStoreTheKey();
    void enterAndEscPerTab_data();
    void enterAndEscPerTab();
    void cableOption_data();
    void cableOption();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void okAppliesToTheMainWindowAtOnce();
    void deviceLabelFollowsThePortText_data();
    void deviceLabelFollowsThePortText();

private:
    frmOption& open();
    std::unique_ptr<frmOption> dialog;
};

void TestOptions::cleanup()
{
    dialog.reset();
    tearDownFixture();
    qunsetenv("YUBISAKI_COM3");
}

frmOption& TestOptions::open()
{
    dialog = window->newOptionDialog();
    dialog->show();
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("options dialog not active");
    return *dialog;
}

void TestOptions::openingSwitchesTheLinkOff()
{
    frmMain& w = startWindow();
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(w.mscCOM().isOpen());
    bool portOpenWhileShown = true;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* options = qobject_cast<frmOption*>(QApplication::activeModalWidget());
        if (!options)
            return;
        poll.stop();
        portOpenWhileShown = w.mscCOM().isOpen();
        // The main window's flags change under the running dialog.
        options->chkMostFront->setChecked(true);
        options->cmdOK->click();
    });
    poll.start(10);
    QTest::mouseClick(w.cmdOption, Qt::LeftButton);
    QVERIFY(!poll.isActive());
    QVERIFY(!portOpenWhileShown);
    QCOMPARE(w.chkPower->value(), 0);
    QCOMPARE(w.chkGetStatus->value(), 0);
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
}

// Every field goes into its control and comes back unchanged through OK; help follows the tab
// into the dialog, which alone takes input.
void TestOptions::okKeepsWhatWasLoaded()
{
    frmMain& w = startWindow(Settings{1.28f, 7, 0, 1, 0, 1, 0, 1, u"N504i"_qs, 0, 0.25f, 1, 1, 1, 1}, {}, {u"/d"_qs});
    w.keyMap() = KeyMap{35, 33, 34, 19, 145, 46, 8, 27, 45, 36, 40, 38};
    const QStringList before = Records(w);
    QTest::mouseClick(w.cmdHelp, Qt::LeftButton);
    frmOption& d = open();
    for (const auto& [tab, topic] : {std::pair{3, u"keymap.html"_qs}, std::pair{0, u"settings.html"_qs}}) {
        d.tbsOption->setCurrentIndex(tab);
        QTest::mouseClick(d.cmdHelp, Qt::LeftButton);
        QCOMPARE(w.helpViewer().currentTopic(), topic);
        QCOMPARE(w.helpViewer().window()->parentWidget(), &d);
    }
    QVERIFY(d.cmdOK->isDefault());
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(Records(w), before);
    QVERIFY(boxes->shown.isEmpty());
}

void TestOptions::okChecks_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("wait");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("comPort");
    QTest::addColumn<float>("macroWait");
    const QString portMessage = u"ポート番号は1～15の範囲で指定してください。"_qs;
    const QString waitMessage = u"マクロ実行中のウェイトをもう一度ご確認ください。"_qs;
    QTest::newRow("port 3.5 stores 4") << u"3.5"_qs << u"0"_qs << QString() << 4 << 0.0f;
    QTest::newRow("wait 1e1 is 10 seconds") << u"15"_qs << u"1e1"_qs << QString() << 15 << 10.0f;
    QTest::newRow("port 16") << u"16"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("wait beyond single precision") << u"1"_qs << u"1e39"_qs << waitMessage << 0 << 0.0f;
    QTest::newRow("both wrong: only the port message") << u"0"_qs << u"-1"_qs << portMessage << 0 << 0.0f;
}

void TestOptions::okChecks()
{
    QFETCH(QString, port);
    QFETCH(QString, wait);
    QFETCH(QString, message);
    QFETCH(int, comPort);
    QFETCH(float, macroWait);
    frmMain& w = startWindow(Settings{1.28f, 5, 1, 1, 0, 0, 1, 0, u"P504i"_qs, 1, 0.5f, 0, 0, 0, 0});
    const QStringList before = Records(w);
    frmOption& d = open();
    d.txtComPort->setText(port);
    d.txtMacroWait->setText(wait);
    d.chkDontKeyLog->setChecked(true);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.isVisible(), !message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(int(w.settings().ComPort), comPort);
        QCOMPARE(w.settings().MacroWait, macroWait);
        QCOMPARE(int(w.settings().DontKeyLog), 1);
        return;
    }
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, message);
    QVERIFY(d.chkDontKeyLog->isChecked());
    QCOMPARE(Records(w), before);
    // The box to correct is shown and has the focus.
    QLineEdit* wrong = message.startsWith(u"ポート") ? d.txtComPort : d.txtMacroWait;
    QVERIFY(wrong->isVisible());
    QTRY_VERIFY(wrong->hasFocus());
}

void TestOptions::keyBoxesStoreTheKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("code");
    QTest::newRow("Shift+F1 stores F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << u"112"_qs;
    QTest::newRow("Alt+H is a key, not the help button") << int(Qt::Key_H) << int(Qt::AltModifier) << u"72"_qs;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << int(Qt::KeypadModifier) << u"96"_qs;
}

void TestOptions::keyBoxesStoreTheKey()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, code);
    frmMain& w = startWindow();
    frmOption& d = open();
    d.tbsOption->setCurrentIndex(3);
    KeyCaptureBox* box = d.txtKey[9]; // 文字種別切替
    box->setFocus();
    // Typing replaces the number; it never adds characters.
    QTest::keyClicks(box, u"ab"_qs);
    QCOMPARE(box->text(), u"66"_qs);
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(box->text(), code);
    QVERIFY(!w.helpViewer().window());
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(int(w.keyMap().KEY_CharChange), code.toInt());
    QCOMPARE(int(w.keyMap().KEY_OK), 13);
}

void TestOptions::enterAndEscPerTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result"); // -1: still open, the key stored in the focused box
    QTest::newRow("key tab: Enter is stored") << 3 << u"txtKeyLeft"_qs << int(Qt::Key_Return) << -1;
    QTest::newRow("key tab: Esc is stored") << 3 << u"txtKeyOK"_qs << int(Qt::Key_Escape) << -1;
    QTest::newRow("basic tab: Enter presses OK") << 0 << u"txtComPort"_qs << int(Qt::Key_Return) << 1;
}

void TestOptions::enterAndEscPerTab()
{
    QFETCH(int, tab);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, result);
    frmMain& w = startWindow();
    const QStringList before = Records(w);
    frmOption& d = open();
    // Through the key tab and back, so that the roles are given back too.
    d.tbsOption->setCurrentIndex(3);
    d.tbsOption->setCurrentIndex(tab);
    auto* target = d.findChild<QLineEdit*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(d.isVisible(), result < 0);
    if (result >= 0)
        QCOMPARE(d.result(), result);
    else
        QCOMPARE(target->text(), key == Qt::Key_Return ? u"13"_qs : u"27"_qs);
    QCOMPARE(Records(w), before);
}

void TestOptions::cableOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no /d: hidden, kept") << QStringList{} << false;
    QTest::newRow("/d: shown, unticked stores 0") << QStringList{u"x/d"_qs} << true;
}

void TestOptions::cableOption()
{
    QFETCH(QStringList, args);
    QFETCH(bool, shown);
    Settings s;
    s.REUDOcable = 1;
    frmMain& w = startWindow(s, {}, args);
    frmOption& d = open();
    QCOMPARE(d.chkREUDE->isVisible(), shown);
    if (shown)
        QTest::mouseClick(d.chkREUDE, Qt::LeftButton);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(int(w.settings().REUDOcable), shown ? 0 : 1);
}

void TestOptions::cancelChangesNothing_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("title bar") << 2;
}

void TestOptions::cancelChangesNothing()
{
    QFETCH(int, way);
    frmMain& w = startWindow({}, {}, {u"/d"_qs});
    const QStringList before = Records(w);
    const QString toolTip = w.cmdOption->toolTip();
    frmOption& d = open();
    d.txtComPort->setText(u"9"_qs);
    d.txtMacroWait->setText(u"3"_qs);
    for (QCheckBox* box : d.findChildren<QCheckBox*>())
        box->toggle();
    d.tbsOption->setCurrentIndex(3);
    for (KeyCaptureBox* box : d.txtKey) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F5);
        QCOMPARE(box->text(), u"116"_qs);
    }
    d.tbsOption->setCurrentIndex(0);
    d.txtComPort->setFocus();
    switch (way) {
    case 0: QTest::mouseClick(d.cmdCancel, Qt::LeftButton); break;
    case 1: QTest::keyClick(d.txtComPort, Qt::Key_Escape); break;
    default: d.close(); break;
    }
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(Records(w), before);
    QCOMPARE(w.cmdOption->toolTip(), toolTip);
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.chkIMEON->isVisibleTo(&w));
}

void TestOptions::okAppliesToTheMainWindowAtOnce()
{
    frmMain& w = startWindow();
    const QByteArray settingsFile = fileBytes(settingsPath());
    QVERIFY(w.chkIMEON->isVisibleTo(&w));
    frmOption& d = open();
    d.chkDontUseIME->setChecked(false);
    d.chkMostFront->setChecked(true);
    d.chkToolTipOff->setChecked(true);
    d.tbsOption->setCurrentIndex(3);
    d.txtKey[4]->setFocus();
    QTest::keyClick(d.txtKey[4], Qt::Key_F2);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!w.chkIMEON->isVisibleTo(&w) && !w.chkKanaOrRoma->isVisibleTo(&w));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
    QVERIFY(w.cmdOption->toolTip().isEmpty() && w.picAntena->toolTip().isEmpty());
    QCOMPARE(int(w.keyMap().KEY_OK), 113);
    // OK changes memory only.
    QCOMPARE(fileBytes(settingsPath()), settingsFile);
}

void TestOptions::deviceLabelFollowsThePortText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label"); // %1 the program folder, %2 the handset's device
    QTest::newRow("COM2 from a link in the program folder") << u"2"_qs << u"→ %1com2 → %2"_qs;
    QTest::newRow("COM3 names a missing device") << u"3"_qs << u"→ /dev/yubisaki-missing（見つかりません）"_qs;
    QTest::newRow("16 is no port") << u"16"_qs << QString();
}

void TestOptions::deviceLabelFollowsThePortText()
{
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QVERIFY(QFile::link(handset->portPath(), home->filePath(u"com2"_qs)));
    qputenv("YUBISAKI_COM3", "/dev/yubisaki-missing");
    startWindow();
    frmOption& d = open();
    QCOMPARE(d.lblComDevice->text(), u"→ "_qs + handset->portPath());
    QVERIFY(d.lblComDevice->toolTip().contains(u"ln -s /dev/ttyUSB0 "_qs + home->path() + u"/com1"_qs));
    d.txtComPort->clear();
    d.txtComPort->setFocus();
    QTest::keyClicks(d.txtComPort, typed);
    label.replace(u"%1"_qs, home->path() + u'/').replace(u"%2"_qs, handset->portPath());
    QCOMPARE(d.lblComDevice->text(), label);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
