// Macro runs in the real main window on the offscreen platform, against the simulated
// handset: through the start button, the pop-up menu and "/M"; ESC; the names that are
// refused; saving a macro file.
#include "HandsetKeys.h"
#include "MacroWindowFixture.h"
#include "core/frmMain.h"
#include "macros/MacroSave.h"
#include "phonesim/Handset.h"
#include "platform/Cp932.h"
#include "platform/SleepingWait.h"
#include "settings/MacroTitle.h"
#include "settings/SettingsFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr KeyCode kSentinel{3, 3, 12}; // F12 ends every test macro

} // namespace

class TestMacroRun : public QObject, private MacroWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void keysReachTheHandset_data();
    void keysReachTheHandset();
    void pausesAndTheLockedWindow();
    void escStopsARun_data();
    void escStopsARun();
    void commandLineRun();
    void commandLineRunWithoutAPort();
    void refusedNames_data();
    void refusedNames();
    void listedMacrosRunTheRightFile();
    void savingAMacro();

private:
    bool waitForSentinel();
};

bool TestMacroRun::waitForSentinel()
{
    return QTest::qWaitFor(
        [this] {
            for (const phonesim::WireEvent& e : handset->events())
                if (e.type == phonesim::WireEvent::Type::Key && e.code == kSentinel)
                    return true;
            return false;
        },
        10'000);
}

void TestMacroRun::keysReachTheHandset_data()
{
    QTest::addColumn<QStringList>("macro");
    QTest::addColumn<QString>("tweak");
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("screen");
    QTest::newRow("loop 3 around UP") << QStringList{u"<LOOP>3"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs} << QString()
                                      << u"311 311 311"_qs << QString();
    QTest::newRow("TEN-1 with the swap is the 7 key") << QStringList{u"<TEN-1>"_qs} << u"TenKeySwap"_qs << u"327"_qs
                                                      << QString();
    QTest::newRow("OK follows a remapped KEY_OK") << QStringList{u"<OK>"_qs} << u"OkIsA"_qs << u"362"_qs << QString();
    QTest::newRow("CR") << QStringList{u"<cr>"_qs} << QString() << u"331"_qs << QString();
    QTest::newRow("CTRL then F13") << QStringList{u"<CTRL>"_qs, u"<F13>"_qs} << QString() << u"9313"_qs << QString();
    QTest::newRow("text: kana, voiced kana, ASCII")
        << QStringList{u"<TEXT>かがa!"_qs} << QString() << QString() << u"かがa!"_qs;
}

void TestMacroRun::keysReachTheHandset()
{
    QFETCH(QStringList, macro);
    QFETCH(QString, tweak);
    QFETCH(QString, frames);
    QFETCH(QString, screen);
    writeMacro(u"m.mcr"_qs, QStringList{u"#m"_qs} + macro + QStringList{u"<F12>"_qs});
    frmMain& w = start({u"m.mcr"_qs}, [&](Settings& s, KeyMap& k) {
        if (tweak == u"TenKeySwap")
            s.TenKeySwap = 1;
        if (tweak == u"OkIsA")
            k.KEY_OK = 65;
    });
    QCOMPARE(w.cmbMacroList->count(), 1);
    w.cmdMacroStart->click();
    QVERIFY(waitForSentinel());
    if (!frames.isEmpty())
        QCOMPARE(KeyFrames(handset->events()), frames + u" 3312"_qs);
    if (!screen.isEmpty())
        QCOMPARE(handset->screen().text(), screen);
    QVERIFY(boxes->shown.isEmpty());
    // The first key typed afterwards reaches the handset, whatever keys the macro played and
    // wherever the focus was left.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.cmdMacroStart->setFocus();
    QTest::keyClick(w.cmdMacroStart, Qt::Key_Z);
    QVERIFY(handset->waitForEvents(int(handset->events().size()) + 1, 5000));
    QCOMPARE(handset->events().last().text, u"z"_qs);
}

void TestMacroRun::pausesAndTheLockedWindow()
{
    writeMacro(u"p.mcr"_qs, {u"#p"_qs, u"<LOOP>3"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs, u"<DIALOG>"_qs, u"<F12>"_qs});
    frmMain& w = start({u"p.mcr"_qs}, [](Settings& s, KeyMap&) { s.MacroWait = 0.2f; });
    QString titleDuring;
    bool exitEnabledDuring = true;
    bool inputReadOnlyDuring = false;
    boxes->onShow = [&](const ShownMessage&) {
        titleDuring = w.windowTitle();
        exitEnabledDuring = w.cmdExit->isEnabled();
        inputReadOnlyDuring = w.txtInput->isReadOnly();
    };
    QElapsedTimer clock;
    clock.start();
    w.cmdMacroStart->click();
    // Three presses, each followed by a pause, one more after the loop, one after the dialog and
    // one after F12.
    QVERIFY2(clock.elapsed() >= 6 * 200, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(waitForSentinel());
    const QList<phonesim::WireEvent>& events = handset->events();
    QCOMPARE(KeyFrames(events), u"311 311 311 3312"_qs);
    for (int i = 1; i < 3; ++i)
        QVERIFY(events[i].ns - events[i - 1].ns >= 190'000'000);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"OKを押すと続行します。"_qs);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Information);
    QCOMPARE(titleDuring, u"ユビサキ!(ESCで中止)"_qs);
    QVERIFY(!exitEnabledDuring);
    QVERIFY(inputReadOnlyDuring);
    QCOMPARE(w.windowTitle(), u"ユビサキ!"_qs);
    QVERIFY(w.cmdExit->isEnabled() && w.chkPower->isEnabled() && w.cmdMacroStart->isEnabled());
    QVERIFY(!w.txtInput->isReadOnly());
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
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
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
    connect(handset.get(), &phonesim::Handset::bytesReceived, &w, [&] {
        if (sinceEsc.isValid())
            lastArrivalMs = sinceEsc.elapsed();
    });
    boxes->onShow = [&](const ShownMessage&) { messageMs = sinceEsc.elapsed(); };
    w.cmdMacroStart->click();
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"ユーザによって中断されました。"_qs);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
    QVERIFY2(messageMs >= 0 && messageMs < 500, qPrintable(QString::number(messageMs)));
    QCOMPARE(w.windowTitle(), u"ユビサキ!"_qs);

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

void TestMacroRun::commandLineRun()
{
    writeMacro(u"test.mcr"_qs, {u"#test"_qs, u"<UP>"_qs, u"<F12>"_qs});
    frmMain& w = start({}, {}, {u"/M"_qs, u"test"_qs});
    QCOMPARE(w.chkPower->value(), 0);
    QVERIFY(waitForSentinel());
    QCOMPARE(KeyFrames(handset->events()), u"311 3312"_qs);
    // Power on before and off after; the window stays open.
    QVERIFY(QTest::qWaitFor([&] { return !w.mscCOM().isOpen(); }, 5000));
    QCOMPARE(w.chkPower->value(), 0);
    QVERIFY(w.isVisible());
    QVERIFY(boxes->shown.isEmpty());
}

void TestMacroRun::commandLineRunWithoutAPort()
{
    // The port's message is shown, the run walks with nothing sent, the window stays.
    writeMacro(u"test.mcr"_qs, {u"#test"_qs, u"<UP>"_qs, u"<DIALOG>done"_qs});
    qputenv("YUBISAKI_COM1", "/dev/yubisaki-missing");
    frmMain& w = start({}, {}, {u"/m"_qs, u"test"_qs});
    QVERIFY(QTest::qWaitFor([&] { return boxes->shown.size() >= 2; }, 5000));
    QCOMPARE(boxes->shown[0].text, SerialLink::InvalidPortText());
    QCOMPARE(boxes->shown[1].text, u"done"_qs);
    QCOMPARE(w.chkPower->value(), 0);
    QVERIFY(handset->events().isEmpty());
    QVERIFY(w.isVisible());
}

void TestMacroRun::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << u"../outside.mcr"_qs;
    QTest::newRow("sub-path") << u"sub/inside.mcr"_qs;
    QTest::newRow("absolute") << u"/tmp/x.mcr"_qs;
    QTest::newRow("backslash") << u"..\\outside.mcr"_qs;
    QTest::newRow("dot-dot") << u".."_qs;
}

void TestMacroRun::refusedNames()
{
    QFETCH(QString, name);
    // Files that the names would reach, each a macro that would send UP.
    QVERIFY(Cp932::WriteLines(home->filePath(u"outside.mcr"_qs), {u"#o"_qs, u"<UP>"_qs}).ok);
    QDir().mkpath(macroFolder() + u"sub"_qs);
    QVERIFY(Cp932::WriteLines(macroFolder() + u"sub/inside.mcr"_qs, {u"#i"_qs, u"<UP>"_qs}).ok);

    // Not listed from setting.ini, not run after "/M".
    frmMain& w = start({name}, {}, {u"/M"_qs, name});
    QCOMPARE(w.cmbMacroList->count(), 0);
    QVERIFY(QTest::qWaitFor([&] { return !boxes->shown.isEmpty(); }, 5000));
    QCOMPARE(boxes->shown[0].text, u"ファイルが見つかりませんでした。\r\n一度ご確認ください。"_qs);
    QVERIFY(QTest::qWaitFor([&] { return w.chkPower->value() == 0; }, 5000));
    QVERIFY(KeyFrames(handset->events()).isEmpty());
}

void TestMacroRun::listedMacrosRunTheRightFile()
{
    writeMacro(u"a.mcr"_qs, {u"#Alpha, with a comma"_qs, u"<UP>"_qs, u"<F12>"_qs});
    writeMacro(u"c.mcr"_qs, {u"<DOWN>"_qs, u"<F12>"_qs}); // no title line
    // b.mcr is listed in setting.ini but missing.
    frmMain& w = start({u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs});
    QCOMPARE(w.cmbMacroList->count(), 2);
    QCOMPARE(w.cmbMacroList->itemText(0), u"Alpha"_qs);
    QCOMPARE(w.cmbMacroList->itemText(1), u"c.mcr"_qs);
    // The second item, from the pop-up menu, is c.mcr and not the missing b.mcr.
    w.mnuMACRO[1]->trigger();
    QVERIFY(waitForSentinel());
    QCOMPARE(KeyFrames(handset->events()), u"312 3312"_qs);
    QCOMPARE(w.cmbMacroList->currentIndex(), 1);
    QVERIFY(boxes->shown.isEmpty());

    // With the power off the button does nothing.
    w.chkPower->setValue(0);
    const int before = int(handset->events().size());
    w.cmdMacroStart->click();
    QCOMPARE(int(handset->events().size()), before);
}

void TestMacroRun::savingAMacro()
{
    start({});
    QString file = u"new"_qs;
    QVERIFY(MacroSave(u"新しい"_qs, file, {u"<LOOP>2"_qs, u"<TEXT>かな"_qs, u"<LOOPEND>"_qs}));
    QCOMPARE(file, u"new.mcr"_qs);
    QFile saved(macroFolder() + file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), Cp932::Encode(u"#新しい\r\n<LOOP>2\r\n  <TEXT>かな\r\n<LOOPEND>\r\n"_qs));
    saved.close();

    // A refusal writes nothing; a folder that cannot be written is reported, the old file kept.
    QString bad = u"a?b"_qs;
    QVERIFY(!MacroSave(u"t"_qs, bad, {}));
    QCOMPARE(bad, u"a?b"_qs);
    // A file that cannot be replaced (a folder of that name) is reported.
    QVERIFY(QDir().mkpath(macroFolder() + u"TAKEN.MCR"_qs));
    QString again = u"TAKEN.MCR"_qs;
    QVERIFY(!MacroSave(u"other"_qs, again, {u"<UP>"_qs}));
    QVERIFY(boxes->shown.last().text.startsWith(u"マクロを保存できませんでした。"_qs));
    QVERIFY(QFileInfo(macroFolder() + u"TAKEN.MCR"_qs).isDir());
    QCOMPARE(again, u"TAKEN.MCR"_qs);
}

QTEST_MAIN(TestMacroRun)
#include "tst_macrorun.moc"
