// Typing into the real main window on the offscreen platform, against the simulated handset:
// the named keys, the space rules, the mode toggles and what the input method may commit.
// Phrases typed in each input mode are typed with real key events in the real-X tests.
#include "HandsetKeys.h"
#include "MainWindowFixture.h"
#include "platform/DesktopServices.h"

#include <QInputMethodEvent>

class TestKeyboard : public QObject, private MainWindowFixture {
    Q_OBJECT
    enum Mode { Unconverted, Kana, Romaji };

private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }

    // Every row has the keypad's rows swapped, F1 for the sub-menu and keypad 0 for off-hook.
    void namedKeys_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("bsEmulation");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("log");
        auto row = [](const char* name, Mode mode, const QKeySequence& keys, bool bsEmulation, const char* sent,
                      const QString& box, const QString& log) {
            QTest::newRow(name) << int(mode) << keys << bsEmulation << QString::fromLatin1(sent) << box << log;
        };
        const auto pad = Qt::KeypadModifier;
        row("backspace, BS emulation", Romaji, Qt::Key_Backspace, true, "313 363", {}, {});
        row("shift+backspace", Romaji, Qt::SHIFT | Qt::Key_Backspace, false, "963", {}, {});
        row("esc over pending text", Romaji, QKeySequence(Qt::Key_K, Qt::Key_Escape), false, "", u"k"_qs, {});
        row("typing after enter starts the new first line", Unconverted,
            QKeySequence(Qt::Key_A, Qt::Key_Return, Qt::Key_B), false, "146 362 147", {}, u"b\r\na<CR>"_qs);
        // Keypad 7 is swapped, keypad minus recorded as "-"; the keypad comes before the key map,
        // the key map before F1.
        row("keypad and key map", Romaji,
            QKeySequence(pad | Qt::Key_7, pad | Qt::Key_Minus, pad | Qt::Key_0, QKeyCombination(Qt::Key_F1)), false,
            "321 3211 3210 364", {}, u"7-0"_qs);
        // SpaceChange 1: a space is the full-width key, Shift+space types an ideographic space.
        row("space and shift+space", Romaji, QKeySequence(QKeyCombination(Qt::Key_Space), Qt::SHIFT | Qt::Key_Space),
            false, "361 2914", {}, u"　"_qs);
        row("n k a k go out half-width", Romaji, QKeySequence(Qt::Key_N, Qt::Key_K, Qt::Key_A, Qt::Key_K), false,
            "159 156 146 156", {}, u"nkak"_qs);
        row("alt+shift+letter types nothing", Unconverted, Qt::ALT | Qt::SHIFT | Qt::Key_Q, false, "", {}, {});
    }

    void namedKeys()
    {
        QFETCH(int, mode);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, bsEmulation);
        QFETCH(QString, sent);
        QFETCH(QString, box);
        QFETCH(QString, log);
        frmMain& w = start(Mode(mode), [&](Settings& s, KeyMap& k, MainWindowSettings&) {
            s.BSEmulation = bsEmulation;
            s.TenKeySwap = 1;
            k.KEY_SubMenu = 112;
            k.KEY_OffHook = 96;
        });
        QTest::keySequence(w.txtInput, keys);
        QCOMPARE(framesUntilSentinel(), sent);
        QCOMPARE(w.txtInput->text(), box);
        QCOMPARE(w.txtInputBuffer->logText(), log);
    }

    // The modes follow their controls with the power off too; nothing typed meanwhile is sent. The
    // soak presses the mode keys in every mode.
    void modeTogglesWithThePowerOff()
    {
        frmMain& w = start(Unconverted);
        w.chkPower->setValue(0);
        auto lampRed = [&] { return w.inputModes().lampColour() == 255; };
        QVERIFY(!w.chkAlphaOrKana->isEnabled() && !w.mnuIME[1]->isEnabled() && !lampRed());
        QTest::mouseClick(w.chkIMEON, Qt::LeftButton);
        QVERIFY(w.chkAlphaOrKana->isEnabled() && w.mnuIME[0]->isChecked() && w.mnuIME[2]->isEnabled() && lampRed());
        w.mnuIME[1]->trigger();
        QCOMPARE((QStringList{w.chkAlphaOrKana->text(), w.mnuIME[1]->text()}), (QStringList{u"あ"_qs, u"あ"_qs}));
        QTest::sendKeyEvent(QTest::Click, w.txtInput, Qt::Key_Zenkaku_Hankaku, QString(), Qt::NoModifier);
        QVERIFY(w.chkIMEON->value() == 0 && !w.mnuIME[1]->isEnabled() && !lampRed());
        // With IME off the mode keys leave the modes alone.
        QTest::sendKeyEvent(QTest::Click, w.txtInput, Qt::Key_Muhenkan, QString(), Qt::NoModifier);
        QCOMPARE(w.chkKanaOrRoma->value(), 0);
        for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_F1, Qt::Key_Backspace})
            QTest::keyClick(w.txtInput, key);
        QVERIFY(w.txtInput->text().isEmpty());
        w.chkPower->setValue(1);
        QCOMPARE(framesUntilSentinel(), QString());
    }

    // The desktop input method's commits pass through; when the program converts itself, the real-X
    // tests see the input method refused.
    void inputMethodCommits()
    {
        frmMain& w = start(Unconverted, [&](Settings& s, KeyMap&, MainWindowSettings&) { s.DontUseIME = 0; });
        QInputMethodEvent commit;
        // A lone surrogate cannot travel over D-Bus; another input context may still commit one.
        commit.setCommitString(u"かな漢字"_qs + QChar(0xD800) + u"😀まみ"_qs);
        QApplication::sendEvent(w.txtInput, &commit);
        // One frame for each character the handset can show, none for the rest.
        QCOMPARE(framesUntilSentinel().split(u' ').size(), 4);
        QCOMPARE(handset->screen().text(), u"かなまみ"_qs);
        QVERIFY(w.txtInput->text().isEmpty());
    }

    void badInputNeverSticks()
    {
        RecordingDesktopServices desktop;
        frmMain& w = start(Kana);
        // Untypeable characters of every kind, nothing else: nothing stays that could block. Those
        // among typeable ones are the input method's test.
        w.txtInput->insert(u"😀漢"_qs + QChar(0xD800) + u"字"_qs);
        QVERIFY2(w.txtInput->text().isEmpty(), qPrintable(w.txtInput->text()));
        // ConvertKana beeps for what it cannot place, and the text waits in the box.
        w.txtInput->insert(u"é"_qs);
        QCOMPARE(desktop.beeps, 1);
        QCOMPARE(w.txtInput->text(), u"é"_qs);
    }

private:
    frmMain& start(Mode mode, const SettingsEdit& tweak = {})
    {
        return MainWindowFixture::start({}, [&](Settings& s, KeyMap& k, MainWindowSettings& p) {
            p.AlphaOrKana = mode == Kana || mode == Romaji ? 1 : 0;
            p.KanaOrRoma = mode == Romaji ? 1 : 0;
            s.IMEON = mode == Unconverted ? 0 : 1;
            if (tweak)
                tweak(s, k, p);
        });
    }

    // Everything the handset decoded before the sentinel key F12 (3 3 12) arrived.
    QString framesUntilSentinel()
    {
        window->keyboard().txtInput_KeyDown(123, 0);
        if (!QTest::qWaitFor([&] { return SentinelArrived(*handset); }, 10'000))
            return u"sentinel missing"_qs;
        QStringList frames = KeyFrameList(handset->events());
        frames.removeLast();
        return frames.join(u' ');
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
