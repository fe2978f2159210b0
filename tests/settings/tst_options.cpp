// The options dialog over a real main window: opening with the link off, the two checks of OK
// and what OK stores and applies, the key-capture boxes, Enter and Esc per tab, the cable
// option, Cancel, help per tab and the device label of the port box.
#include "MainWindowFixture.h"
#include "core/frmMain.h"
#include "settings/KeyCaptureBox.h"
#include "settings/SettingsFiles.h"
#include "settings/frmOption.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Both records as the files would hold them: every field, in a form QCOMPARE can show.
QStringList Records(frmMain& w) { return SettingsFileLines(w.settings(), {}) + KeyMapFileLines(w.keyMap()); }

} // namespace

class TestOptions : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void openingSwitchesTheLinkOff();
    void loadFillsTheControls();
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
    void helpContextPerTab_data();
    void helpContextPerTab();
    void okAppliesToTheMainWindowAtOnce();
    void deviceLabelFollowsThePortText_data();
    void deviceLabelFollowsThePortText();

private:
    frmMain& start(const Settings& settings = {}, const QStringList& args = {});
    frmOption& open();
    std::unique_ptr<frmOption> dialog;
};

void TestOptions::init() { QVERIFY(setUpFixture()); }

void TestOptions::cleanup()
{
    dialog.reset();
    tearDownFixture();
    qunsetenv("YUBISAKI_COM3");
}

frmMain& TestOptions::start(const Settings& settings, const QStringList& args)
{
    if (!WriteSettingsFileIn(home->path() + u'/', settings, {}).result.ok)
        qFatal("setting.ini not written");
    window = std::make_unique<frmMain>(ParseCommandLine(args));
    window->Form_Load();
    window->show();
    return *window;
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
    frmMain& w = start();
    QVERIFY(w.cmdOption->isEnabled());
    QVERIFY(w.mnuCOMMAND[2]->isEnabled());
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(w.mscCOM().isOpen());

    bool portOpenWhileShown = true;
    bool modal = false;
    QString title;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* options = qobject_cast<frmOption*>(QApplication::activeModalWidget());
        if (!options)
            return;
        poll.stop();
        portOpenWhileShown = w.mscCOM().isOpen();
        modal = options->isModal();
        title = options->windowTitle();
        // The main window's flags change under the running dialog.
        options->chkMostFront->setChecked(true);
        options->cmdOK->click();
    });
    poll.start(10);
    QTest::mouseClick(w.cmdOption, Qt::LeftButton);
    QVERIFY(!poll.isActive());
    QVERIFY(modal);
    QCOMPARE(title, u"設定"_qs);
    QVERIFY(!portOpenWhileShown);
    QCOMPARE(w.chkPower->value(), 0);
    QCOMPARE(w.chkPower->text(), u"ON(&P)"_qs);
    QCOMPARE(w.chkGetStatus->value(), 0);
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(int(w.settings().MostFront), 1);
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
}

void TestOptions::loadFillsTheControls()
{
    Settings s;
    s.ComPort = 7;
    s.MacroWait = 0.25f;
    s.MostFront = 1;
    s.SpaceChange = 0;
    s.TenKeySwap = 1;
    s.MacroError = 0;
    frmMain& w = start(s);
    w.keyMap().KEY_OK = 113;
    frmOption& d = open();
    QCOMPARE(d.txtComPort->text(), u"7"_qs);
    QCOMPARE(d.txtMacroWait->text(), u"0.25"_qs);
    QVERIFY(d.chkMostFront->isChecked());
    QVERIFY(!d.chkSpaceChange->isChecked());
    QVERIFY(d.chkTenKeySwap->isChecked());
    QVERIFY(!d.chkMacroError->isChecked());
    QVERIFY(d.chkIMEON->isChecked());
    QCOMPARE(d.txtKey[0]->text(), u"37"_qs);
    QCOMPARE(d.findChild<QLineEdit*>(u"txtKeyOK"_qs)->text(), u"113"_qs);
    QCOMPARE(d.tbsOption->count(), 4);
    QCOMPARE(d.tbsOption->currentIndex(), 0);
    QCOMPARE(d.tbsOption->tabToolTip(3), u"キーの割り当てを変更します"_qs);
    QVERIFY(d.fraOption->isVisible());
    for (QFrame* other : {d.fraTextInput, d.fraMacro, d.fraKeyMap})
        QVERIFY(!other->isVisible());
    QVERIFY(d.cmdOK->isDefault());
    // Shown above other programs from the start when MostFront is 1.
    QVERIFY(d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
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
    QTest::newRow("port 1") << u"1"_qs << u"0"_qs << QString() << 1 << 0.0f;
    QTest::newRow("port 15") << u"15"_qs << u"0"_qs << QString() << 15 << 0.0f;
    QTest::newRow("port 2.5 stores 2") << u"2.5"_qs << u"0"_qs << QString() << 2 << 0.0f;
    QTest::newRow("port 3.5 stores 4") << u"3.5"_qs << u"0"_qs << QString() << 4 << 0.0f;
    QTest::newRow("port with blanks around") << u" 7 "_qs << u"0"_qs << QString() << 7 << 0.0f;
    QTest::newRow("port 0") << u"0"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port 16") << u"16"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port 15.5 rounds beyond") << u"15.5"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port empty") << QString() << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port letters") << u"com"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port digits then letters") << u"3x"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("port full-width digit") << u"３"_qs << u"0"_qs << portMessage << 0 << 0.0f;
    QTest::newRow("wait 0.25") << u"1"_qs << u"0.25"_qs << QString() << 1 << 0.25f;
    QTest::newRow("wait 1e1 is 10 seconds") << u"1"_qs << u"1e1"_qs << QString() << 1 << 10.0f;
    QTest::newRow("wait -1") << u"1"_qs << u"-1"_qs << waitMessage << 0 << 0.0f;
    QTest::newRow("wait letters") << u"1"_qs << u"abc"_qs << waitMessage << 0 << 0.0f;
    QTest::newRow("wait empty") << u"1"_qs << QString() << waitMessage << 0 << 0.0f;
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
    Settings s;
    s.ComPort = 5;
    s.MacroWait = 0.5f;
    frmMain& w = start(s);
    const QStringList before = Records(w);
    frmOption& d = open();
    d.txtComPort->setText(port);
    d.txtMacroWait->setText(wait);
    d.chkDontKeyLog->setChecked(true);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    if (message.isEmpty()) {
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(int(w.settings().ComPort), comPort);
        QCOMPARE(w.settings().MacroWait, macroWait);
        QCOMPARE(int(w.settings().DontKeyLog), 1);
        return;
    }
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, message);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Warning);
    QCOMPARE(boxes->shown[0].buttons, MsgButtons::Ok);
    QCOMPARE(boxes->shown[0].title, u"ユビサキ！"_qs);
    QVERIFY(d.isVisible());
    QCOMPARE(d.txtComPort->text(), port);
    QCOMPARE(d.txtMacroWait->text(), wait);
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
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << u"16"_qs;
    QTest::newRow("Shift+A stores A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << u"65"_qs;
    QTest::newRow("Ctrl+Home stores Home") << int(Qt::Key_Home) << int(Qt::ControlModifier) << u"36"_qs;
    QTest::newRow("Alt+H is a key, not the help button") << int(Qt::Key_H) << int(Qt::AltModifier) << u"72"_qs;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << int(Qt::KeypadModifier) << u"96"_qs;
}

void TestOptions::keyBoxesStoreTheKey()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, code);
    frmMain& w = start();
    frmOption& d = open();
    d.tbsOption->setCurrentIndex(3);
    KeyCaptureBox* box = d.txtKey[9]; // 文字種別切替
    box->setFocus();
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(box->text(), code);
    QVERIFY(!w.helpViewer().window());
    // Typing replaces the number; it never adds characters.
    QTest::keyClicks(box, u"ab"_qs);
    QCOMPARE(box->text(), u"66"_qs);
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(int(w.keyMap().KEY_CharChange), code.toInt());
    QCOMPARE(int(w.keyMap().KEY_OK), 13);
}

void TestOptions::enterAndEscPerTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text"); // of the focused box afterwards, when it is a key box
    QTest::addColumn<int>("result");   // -1: still open
    QTest::newRow("key tab: Enter is stored") << 3 << u"txtKeyLeft"_qs << int(Qt::Key_Return) << u"13"_qs << -1;
    QTest::newRow("key tab: keypad Enter is stored") << 3 << u"txtKeyUp"_qs << int(Qt::Key_Enter) << u"13"_qs << -1;
    QTest::newRow("key tab: Esc is stored") << 3 << u"txtKeyOK"_qs << int(Qt::Key_Escape) << u"27"_qs << -1;
    QTest::newRow("key tab: Esc on the tab strip cancels nothing")
        << 3 << u"tbsOption"_qs << int(Qt::Key_Escape) << QString() << -1;
    QTest::newRow("key tab: Enter on the tab strip presses nothing")
        << 3 << u"tbsOption"_qs << int(Qt::Key_Return) << QString() << -1;
    QTest::newRow("basic tab: Enter presses OK")
        << 0 << u"txtComPort"_qs << int(Qt::Key_Return) << QString() << int(QDialog::Accepted);
    QTest::newRow("basic tab: Esc cancels")
        << 0 << u"txtComPort"_qs << int(Qt::Key_Escape) << QString() << int(QDialog::Rejected);
    QTest::newRow("text tab: Enter presses OK")
        << 1 << u"chkDontUseIME"_qs << int(Qt::Key_Return) << QString() << int(QDialog::Accepted);
    QTest::newRow("macro tab: Esc cancels")
        << 2 << u"txtMacroWait"_qs << int(Qt::Key_Escape) << QString() << int(QDialog::Rejected);
}

void TestOptions::enterAndEscPerTab()
{
    QFETCH(int, tab);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, result);
    frmMain& w = start();
    const QStringList before = Records(w);
    frmOption& d = open();
    // Through the key tab and back, so that the roles are given back too.
    d.tbsOption->setCurrentIndex(3);
    d.tbsOption->setCurrentIndex(tab);
    QWidget* target = d.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key(key));
    if (result < 0) {
        QVERIFY(d.isVisible());
        if (!text.isEmpty())
            QCOMPARE(static_cast<QLineEdit*>(target)->text(), text);
        QCOMPARE(Records(w), before);
        return;
    }
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), result);
}

void TestOptions::cableOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("untick");
    QTest::addColumn<int>("stored");
    QTest::newRow("no /d: hidden, 1 kept") << QStringList{} << 1 << false << false << 1;
    QTest::newRow("no /d: hidden, 0 kept") << QStringList{} << 0 << false << false << 0;
    QTest::newRow("/D is not /d") << QStringList{u"/D"_qs} << 1 << false << false << 1;
    QTest::newRow("/d: shown, unticked stores 0") << QStringList{u"x/d"_qs} << 1 << true << true << 0;
}

void TestOptions::cableOption()
{
    QFETCH(QStringList, args);
    QFETCH(int, loaded);
    QFETCH(bool, shown);
    QFETCH(bool, untick);
    QFETCH(int, stored);
    Settings s;
    s.REUDOcable = std::int16_t(loaded);
    frmMain& w = start(s, args);
    frmOption& d = open();
    QCOMPARE(d.chkREUDE->isVisible(), shown);
    if (untick)
        QTest::mouseClick(d.chkREUDE, Qt::LeftButton);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(int(w.settings().REUDOcable), stored);
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
    frmMain& w = start({}, {u"/d"_qs});
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
    QVERIFY(boxes->shown.isEmpty());
}

void TestOptions::helpContextPerTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("topic");
    QTest::newRow("基本設定: 20") << 0 << u"settings.html"_qs;
    QTest::newRow("文字入力設定: 20") << 1 << u"settings.html"_qs;
    QTest::newRow("マクロ関係: 20") << 2 << u"settings.html"_qs;
    QTest::newRow("キー割り当て: 22") << 3 << u"keymap.html"_qs;
}

void TestOptions::helpContextPerTab()
{
    QFETCH(int, tab);
    QFETCH(QString, topic);
    frmMain& w = start();
    // A help window the main window opened before moves to the dialog, which alone takes input.
    QTest::mouseClick(w.cmdHelp, Qt::LeftButton);
    frmOption& d = open();
    d.tbsOption->setCurrentIndex(tab);
    QTest::mouseClick(d.cmdHelp, Qt::LeftButton);
    QCOMPARE(w.helpViewer().currentTopic(), topic);
    QVERIFY(w.helpViewer().window()->isVisible());
    QCOMPARE(w.helpViewer().window()->parentWidget(), &d);
    QVERIFY(d.isVisible());
}

void TestOptions::okAppliesToTheMainWindowAtOnce()
{
    frmMain& w = start();
    const QByteArray settingsFile = FileBytes(SettingsFilePath(home->path() + u'/'));
    QVERIFY(w.chkIMEON->isVisibleTo(&w));
    QVERIFY(!w.cmdOption->toolTip().isEmpty());
    frmOption& d = open();
    d.chkDontUseIME->setChecked(false);
    d.chkMostFront->setChecked(true);
    d.chkToolTipOff->setChecked(true);
    d.tbsOption->setCurrentIndex(3);
    d.txtKey[4]->setFocus();
    QTest::keyClick(d.txtKey[4], Qt::Key_F2);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(int(w.settings().DontUseIME), 0);
    QVERIFY(!w.chkIMEON->isVisibleTo(&w));
    QVERIFY(!w.chkKanaOrRoma->isVisibleTo(&w));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
    QVERIFY(w.cmdOption->toolTip().isEmpty());
    QVERIFY(w.picAntena->toolTip().isEmpty());
    QCOMPARE(int(w.keyMap().KEY_OK), 113);
    // OK changes memory only.
    QCOMPARE(FileBytes(SettingsFilePath(home->path() + u'/')), settingsFile);
}

void TestOptions::deviceLabelFollowsThePortText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label"); // %1 the program folder, %2 the handset's device
    QTest::newRow("COM1 from YUBISAKI_COM1") << u"1"_qs << u"→ %2"_qs;
    QTest::newRow("COM2 from a link in the program folder") << u"2"_qs << u"→ %1com2 → %2"_qs;
    QTest::newRow("COM3 names a missing device") << u"3"_qs << u"→ /dev/yubisaki-missing（見つかりません）"_qs;
    QTest::newRow("16 is no port") << u"16"_qs << QString();
    QTest::newRow("letters are no port") << u"x"_qs << QString();
}

void TestOptions::deviceLabelFollowsThePortText()
{
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QVERIFY(QFile::link(handset->portPath(), home->filePath(u"com2"_qs)));
    qputenv("YUBISAKI_COM3", "/dev/yubisaki-missing");
    start();
    frmOption& d = open();
    QCOMPARE(d.lblComDevice->text(), u"→ "_qs + handset->portPath());
    QVERIFY(d.lblComDevice->toolTip().contains(u"ln -s /dev/ttyUSB0 "_qs + home->path() + u"/com1"_qs));
    d.txtComPort->clear();
    QVERIFY(d.lblComDevice->text().isEmpty());
    d.txtComPort->setFocus();
    QTest::keyClicks(d.txtComPort, typed);
    label.replace(u"%1"_qs, home->path() + u'/').replace(u"%2"_qs, handset->portPath());
    QCOMPARE(d.lblComDevice->text(), label);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestOptions test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_options.moc"
