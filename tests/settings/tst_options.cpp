// The options dialog over a real main window: opening with the link off, the checks of OK and
// what OK stores and applies, the key-capture boxes, Cancel and help per tab. Enter and Esc on
// the key tab are typed for real in the real-X tests.
#include "MainWindowFixture.h"
#include "settings/KeyCaptureBox.h"
#include "settings/frmOption.h"

#include <QTabBar>

namespace {

// Both records as the files would hold them: every field, in a form QCOMPARE can show.
QStringList Records(frmMain& w) { return SettingsFileLines(w.settings(), {}) + KeyMapFileLines(w.keyMap()); }

} // namespace

class TestOptions : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void okAndCancelKeepWhatWasLoaded();
    void okAppliesTheKeysAndFlagsAtOnce();
};

// Every field goes into its control and comes back unchanged through OK; help follows the tab
// into the dialog, which alone takes input. Esc is Cancel: nothing changed in the dialog then
// reaches the main window.
void TestOptions::okAndCancelKeepWhatWasLoaded()
{
    frmMain& w = startWindow(Settings{1.28f, 7, 0, 1, 0, 1, 0, 1, u"N504i"_qs, 0, 0.25f, 1, 1, 1, 1}, {}, {u"/d"_qs});
    w.keyMap() = KeyMap{35, 33, 34, 19, 145, 46, 8, 27, 45, 36, 40, 38};
    const QStringList before = Records(w);
    QTest::mouseClick(w.cmdHelp, Qt::LeftButton);
    const std::unique_ptr<frmOption> d = w.newOptionDialog();
    d->show();
    for (const auto& [tab, topic] : {std::pair{3, u"keymap.html"_qs}, std::pair{0, u"settings.html"_qs}}) {
        d->tbsOption->setCurrentIndex(tab);
        QTest::mouseClick(d->cmdHelp, Qt::LeftButton);
        QCOMPARE(w.helpViewer().currentTopic(), topic);
        QCOMPARE(w.helpViewer().window()->parentWidget(), d.get());
    }
    QVERIFY(d->cmdOK->isDefault());
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(Records(w), before);

    const std::unique_ptr<frmOption> c = w.newOptionDialog();
    c->show();
    c->txtComPort->setText(u"9"_qs);
    c->txtMacroWait->setText(u"3"_qs);
    for (QCheckBox* box : c->findChildren<QCheckBox*>())
        box->toggle();
    for (KeyCaptureBox* box : c->txtKey)
        QTest::keyClick(box, Qt::Key_F5);
    QCOMPARE(c->txtKey[11]->text(), u"116"_qs);
    QTest::keyClick(c->txtComPort, Qt::Key_Escape);
    QVERIFY(!c->isVisible());
    QCOMPARE(c->result(), int(QDialog::Rejected));
    QCOMPARE(Records(w), before);
    QVERIFY(w.cmdOption->toolTip().isEmpty() && !w.chkIMEON->isVisibleTo(&w) && boxes->shown.isEmpty());
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// Opening switches the link off. The key boxes store the key, not a character or a modifier, and
// never act as the dialog's own keys. OK from the running dialog applies everything to the main
// window at once, in memory only, and may put it on top.
void TestOptions::okAppliesTheKeysAndFlagsAtOnce()
{
    frmMain& w = startWindow({}, {}, {u"x/d"_qs});
    const QByteArray settingsFile = FileBytes(settingsPath());
    const QStringList before = Records(w);
    QTest::mouseClick(w.chkPower, Qt::LeftButton);
    QVERIFY(w.mscCOM().isOpen());
    bool portOpenWhileShown = true, reached = false;
    const auto edit = [&](frmOption& d) {
        portOpenWhileShown = w.mscCOM().isOpen();
        d.chkDontUseIME->setChecked(false);
        d.chkMostFront->setChecked(true);
        d.chkToolTipOff->setChecked(true);
        QVERIFY(d.chkREUDE->isVisible());
        QTest::mouseClick(d.chkREUDE, Qt::LeftButton);
        d.tbsOption->setCurrentIndex(3);
        for (const auto& [box, key, modifier, code] :
             {std::tuple{d.txtKey[4], Qt::Key_F1, Qt::ShiftModifier, u"112"_qs},
              std::tuple{d.txtKey[9], Qt::Key_H, Qt::AltModifier, u"72"_qs},
              std::tuple{d.txtKey[10], Qt::Key_0, Qt::KeypadModifier, u"96"_qs}}) {
            box->setFocus();
            QTest::keyClicks(box, u"ab"_qs);
            QCOMPARE(box->text(), u"66"_qs);
            QTest::keyClick(box, key, modifier);
            QCOMPARE(box->text(), code);
        }
        // A refused value keeps the dialog open with what was typed, and changes nothing; the box
        // to correct is shown and has the focus. The port is checked first.
        d.txtMacroWait->setText(u"1e39"_qs); // beyond single precision
        for (const auto& [port, box, message] :
             {std::tuple{u"16"_qs, d.txtComPort, u"ポート番号は1～15の範囲で指定してください。"_qs},
              std::tuple{u"3.5"_qs, d.txtMacroWait, u"マクロ実行中のウェイトをもう一度ご確認ください。"_qs}}) {
            d.txtComPort->setText(port);
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
            QVERIFY(d.isVisible() && d.chkMostFront->isChecked());
            QCOMPARE(boxes->shown.last().text, message);
            QCOMPARE(Records(w), before);
            QVERIFY(box->isVisible());
            QTRY_VERIFY(box->hasFocus());
        }
        d.txtMacroWait->setText(u"0.25"_qs);
        QVERIFY(!w.helpViewer().window());
        QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    };
    whenModal<frmOption>(
        [&](frmOption& d) {
            edit(d);
            // A failed check above leaves it open: closed, so that the fault fails instead of hanging.
            if (d.isVisible())
                d.reject();
        },
        reached);
    QTest::mouseClick(w.cmdOption, Qt::LeftButton);
    QVERIFY(reached && !portOpenWhileShown);
    QVERIFY(w.chkPower->value() == 0 && w.chkGetStatus->value() == 0 && boxes->shown.size() == 2);
    QCOMPARE((QList<int>{w.keyMap().KEY_OK, w.keyMap().KEY_CharChange, w.keyMap().KEY_OffHook,
                         w.settings().REUDOcable, w.settings().ComPort}), (QList<int>{112, 72, 96, 1, 4}));
    QVERIFY(!w.chkIMEON->isVisibleTo(&w) && !w.chkKanaOrRoma->isVisibleTo(&w));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w.isVisible());
    QVERIFY(w.cmdOption->toolTip().isEmpty() && w.picAntena->toolTip().isEmpty());
    QCOMPARE(FileBytes(settingsPath()), settingsFile);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
