// Macro runs in the real main window on the offscreen platform, against the simulated
// handset: through the start button, the pop-up menu and "/M"; the window's controls and menu
// during and after a run; ESC; the names that are refused.
#include "HandsetKeys.h"
#include "MainWindowFixture.h"
#include "platform/SleepingWait.h"

#include <QElapsedTimer>

class TestMacroRun : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void keysReachTheHandset();
    void escStopsARun_data();
    void escStopsARun();
    void commandLine_data();
    void commandLine();
};

// Runs from the button and from the pop-up menu. During a run the window and its menu are locked
// as their rules say, and after it each control is as its rule has it now. The menu's second item,
// listed after a missing one, plays text with voiced kana, a loop, a keypad key under the swap and
// OK under a remapped KEY_OK; the first key typed afterwards reaches the handset.
void TestMacroRun::keysReachTheHandset()
{
    writeMacro(u"a.mcr"_qs, {u"#Alpha, with a comma"_qs, u"<DIALOG>"_qs});
    writeMacro(u"c.mcr"_qs, {u"<TEXT>かがa!"_qs, u"<LOOP>3"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs, u"<TEN-1>"_qs, u"<OK>"_qs,
                             u"<F12>"_qs}); // no title line
    frmMain& w = start({u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs}, [](Settings& s, KeyMap& k, MainWindowSettings&) {
        s.IMEON = 1;
        s.TenKeySwap = 1;
        k.KEY_OK = 65;
    });
    // The full window has no pop-up menu. From the compact one with the IME switch on, a run makes
    // the display full and the IME off; meanwhile the menu's items do nothing.
    const auto popUp = [&] { return w.Form_MouseUp(Qt::RightButton, w.mapToGlobal(QPoint(5, 5))); };
    QVERIFY(!popUp());
    w.chkHideOn->setValue(0);
    QStringList during;
    boxes->onShow = [&](const ShownMessage&) {
        during << w.windowTitle() << QString::number(w.txtInput->isReadOnly());
        QVERIFY(popUp());
        for (QAction* entry : {w.mnuCOMMAND[0], w.mnuCOMMAND[1], w.mnuCOMMAND[2], w.mnuIME[0], w.mnuIME[1]})
            if (entry->isEnabled())
                during << entry->text();
        w.mnuMACRO[1]->trigger();
        w.mnuMENU->close();
        w.chkHideOn->setValue(1);
        w.chkIMEON->setValue(0);
        for (QWidget* control : std::initializer_list<QWidget*>{w.chkGetStatus, w.chkIMEON, w.cmbMacroList, w.cmdExit})
            if (control->isEnabled())
                during << control->objectName();
    };
    w.cmdMacroStart->click();
    QCOMPARE(boxes->shown.value(0).text, u"OKを押すと続行します。"_qs); // the only message, as the end says
    QCOMPARE(during, (QStringList{u"ユビサキ!(ESCで中止)"_qs, u"1"_qs}));
    QCOMPARE(w.cmbMacroList->currentIndex(), 0);
    QCOMPARE(w.windowTitle(), u"ユビサキ!"_qs);
    QVERIFY(w.chkGetStatus->isEnabled() && w.chkIMEON->isEnabled() && w.cmdExit->isEnabled());
    QVERIFY(!w.txtInput->isReadOnly());
    QVERIFY(!w.chkAlphaOrKana->isEnabled() && !w.chkKanaOrRoma->isEnabled());
    // The menu follows its buttons again and lists the same items as the list.
    w.chkHideOn->setValue(0);
    QVERIFY(popUp());
    QVERIFY(w.mnuCOMMAND[0]->isEnabled() && w.mnuCOMMAND[1]->isEnabled() && !w.mnuIME[1]->isEnabled());
    QCOMPARE(w.mnuMACRO[0]->text(), u"Alpha"_qs);
    QVERIFY(w.mnuMACRO[1]->text() == u"c.mcr"_qs && w.mnuMACRO[1]->isVisible() && !w.mnuMACRO[2]->isVisible());
    w.mnuMACRO[1]->trigger();
    w.mnuMENU->close();
    // F12, which ends the macro.
    QVERIFY(QTest::qWaitFor([&] { return SentinelArrived(*handset); }, 10'000));
    QCOMPARE(KeyFrameList(handset->events()).mid(5).join(u' '), u"311 311 311 327 362 3312"_qs);
    QCOMPARE(handset->screen().text(), u"かがa!"_qs);
    QCOMPARE(w.cmbMacroList->currentIndex(), 1);
    // The first key typed afterwards reaches the handset, whatever keys the macro played and
    // wherever the focus was left.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.cmdMacroStart->setFocus();
    QTest::keyClick(w.cmdMacroStart, Qt::Key_Z);
    QVERIFY(handset->waitForEvents(int(handset->events().size()) + 1, 5000));
    QCOMPARE(handset->events().last().text, u"z"_qs);
    // With the power off the button runs nothing: no second dialog.
    w.chkPower->setValue(0);
    w.cmbMacroList->setCurrentIndex(0);
    w.cmdMacroStart->click();
    QCOMPARE(boxes->shown.size(), 1);
}

void TestMacroRun::escStopsARun_data()
{
    QTest::addColumn<QStringList>("macro");
    QTest::addColumn<int>("escAtMs");
    QTest::newRow("ESC ends a <WAIT>30 at once") << QStringList{u"<WAIT>30"_qs, u"<UP>"_qs} << 100;
    QTest::newRow("2,000 keys with no pause, against the line's speed")
        << QStringList{u"<LOOP>2000"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs} << 2000;
}

void TestMacroRun::escStopsARun()
{
    QFETCH(QStringList, macro);
    QFETCH(int, escAtMs);
    handset->setPaced(true);
    writeMacro(u"e.mcr"_qs, QStringList{u"#e"_qs} + macro);
    frmMain& w = start({u"e.mcr"_qs});
    QElapsedTimer sinceEsc;
    qint64 queuedAtEsc = -1;
    qsizetype receivedAtEsc = 0;
    qint64 lastArrivalMs = -1;
    qint64 messageMs = -1;
    QTimer::singleShot(escAtMs, &w, [&] {
        queuedAtEsc = w.mscCOM().outputQueue().bytes;
        receivedAtEsc = handset->received().size();
        sinceEsc.start();
        QTest::keyClick(w.txtInput, Qt::Key_Escape);
    });
    connect(handset.get(), &phonesim::Handset::bytesReceived, &w,
            [&] { lastArrivalMs = sinceEsc.isValid() ? sinceEsc.elapsed() : lastArrivalMs; });
    boxes->onShow = [&](const ShownMessage&) { messageMs = sinceEsc.elapsed(); };
    w.cmdMacroStart->click();
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"ユーザによって中断されました。"_qs);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
    QVERIFY2(messageMs >= 0 && messageMs < 500, qPrintable(QString::number(messageMs)));

    // The run kept within the port's 512-byte buffer: what was queued at ESC still arrives,
    // nothing more, and the line falls silent within 10 s; meanwhile the discard is offered.
    QVERIFY2(queuedAtEsc >= 0 && queuedAtEsc <= SerialPortService::kTransmitBuffer,
             qPrintable(QString::number(queuedAtEsc)));
    QCOMPARE(w.fraSendQueue->isVisible(), queuedAtEsc > 16);
    QVERIFY(QTest::qWaitFor([&] { return w.mscCOM().outputQueue().bytes == 0; }, 12'000));
    WaitSeconds(0.5f);
    const qsizetype afterEsc = handset->received().size() - receivedAtEsc;
    // The ESC that stops the run is not also the clear key. The byte on the line counts in both;
    // the handset may lag the program's line model by the time its reading was woken late.
    QVERIFY2(afterEsc >= queuedAtEsc - 1 && afterEsc <= queuedAtEsc + 24, qPrintable(QString::number(afterEsc)));
    QVERIFY2(lastArrivalMs < 10'000, qPrintable(QString::number(lastArrivalMs)));
    const QStringList frames = KeyFrameList(handset->events());
    QVERIFY(!frames.contains(u"363"_qs));
    if (macro.size() == 2)
        QVERIFY(frames.isEmpty()); // the command after the wait never ran

    // A key typed afterwards arrives.
    w.txtInput->insert(u"z"_qs);
    QVERIFY(handset->waitForEvents(int(handset->events().size()) + 1, 5000));
    QCOMPARE(handset->events().last().text, u"z"_qs);
}

void TestMacroRun::commandLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("frames");
    QTest::newRow("a name without .mcr") << u"test"_qs << u"311 3312"_qs;
    QTest::newRow("parent folder") << u"../outside.mcr"_qs << QString();
    QTest::newRow("sub-path") << u"sub/inside.mcr"_qs << QString();
    QTest::newRow("backslash") << u"..\\outside.mcr"_qs << QString();
}

// "/M" switches the power on, runs the macro and switches it off; the window stays open. Names
// that lead out of the macro folder are neither listed from setting.ini nor run.
void TestMacroRun::commandLine()
{
    QFETCH(QString, name);
    QFETCH(QString, frames);
    writeMacro(u"test.mcr"_qs, {u"#test"_qs, u"<UP>"_qs, u"<F12>"_qs});
    // Each refused name reaches a file there, a macro that would send UP. Here a backslash is part
    // of a file name, but a stored list from Windows means a way out.
    QDir().mkpath(macroFolder() + u"sub"_qs);
    if (frames.isEmpty())
        writeMacro(name, {u"#o"_qs, u"<UP>"_qs});

    frmMain& w = start({name}, {}, {u"/M"_qs, name});
    // The message, or F12, which ends the good macro.
    const auto ended = [&] { return !boxes->shown.isEmpty() || SentinelArrived(*handset); };
    QVERIFY(QTest::qWaitFor(ended, 10'000));
    QVERIFY(QTest::qWaitFor([&] { return !w.mscCOM().isOpen() && w.chkPower->value() == 0; }, 5000));
    QCOMPARE(KeyFrames(handset->events()), frames);
    QVERIFY(w.isVisible());
    // No stored name here is a file in the macro folder: "test" is run as test.mcr but not listed.
    QCOMPARE(w.cmbMacroList->count(), 0);
    QCOMPARE(boxes->shown.size(), frames.isEmpty() ? 1 : 0);
    QCOMPARE(boxes->shown.value(0).text, frames.isEmpty() ? u"ファイルが見つかりませんでした。\r\n一度ご確認ください。"_qs : QString());
}

QTEST_MAIN(TestMacroRun)
#include "tst_macrorun.moc"
