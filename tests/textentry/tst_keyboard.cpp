// Typing into the real main window on the offscreen platform, against the simulated handset:
// the named keys, the space rules, the mode toggles and what the input method may commit.
// Phrases typed in each input mode are typed with real key events in the real-X tests.
#include "HandsetKeys.h"
#include "MainWindowFixture.h"
#include "platform/DesktopServices.h"

#include <QAction>
#include <QInputMethodEvent>

namespace {

enum Mode { Unconverted, Alphabet, Kana, Romaji };

struct Keys {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
using KeySequence = QList<Keys>;

} // namespace

Q_DECLARE_METATYPE(KeySequence)

class TestKeyboard : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void namedKeys_data();
    void namedKeys();
    void modeTogglesWithThePowerOff();
    void inputMethodCommits_data();
    void inputMethodCommits();
    void badInputNeverSticks();

private:
    frmMain& start(Mode mode, const std::function<void(Settings&, KeyMap&)>& tweak = {});
    // Everything the handset decoded before the sentinel key F12 (3 3 12) arrived.
    QString framesUntilSentinel();
};

frmMain& TestKeyboard::start(Mode mode, const std::function<void(Settings&, KeyMap&)>& tweak)
{
    position.AlphaOrKana = mode == Kana || mode == Romaji ? 1 : 0;
    position.KanaOrRoma = mode == Romaji ? 1 : 0;
    return MainWindowFixture::start({}, [&](Settings& s, KeyMap& k) {
        s.IMEON = mode == Unconverted ? 0 : 1;
        if (tweak)
            tweak(s, k);
    });
}

QString TestKeyboard::framesUntilSentinel()
{
    window->keyboard().txtInput_KeyDown(123, 0);
    QStringList frames;
    if (!QTest::qWaitFor([&] { return (frames = KeyFrameList(handset->events())).endsWith(u"3312"_qs); }, 10'000))
        return u"sentinel missing"_qs;
    frames.removeLast();
    return frames.join(u' ');
}

void TestKeyboard::namedKeys_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<KeySequence>("keys");
    QTest::addColumn<QString>("tweak");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("log");
    const auto none = Qt::NoModifier;
    const auto shift = Qt::ShiftModifier;
    const auto pad = Qt::KeypadModifier;
    auto row = [&](const char* name, Mode mode, const QString& pending, KeySequence keys, const char* tweak,
                   const char* sent, const QString& box, const QString& log) {
        QTest::newRow(name) << int(mode) << pending << keys << QString::fromLatin1(tweak) << QString::fromLatin1(sent)
                            << box << log;
    };
    row("backspace, BS emulation", Romaji, {}, {{Qt::Key_Backspace, none, u"\b"_qs}}, "BSEmulation", "313 363", {}, {});
    row("shift+backspace", Romaji, {}, {{Qt::Key_Backspace, shift, u"\b"_qs}}, "", "963", {}, {});
    row("esc over pending text", Romaji, u"k"_qs, {{Qt::Key_Escape, none, u"\x1b"_qs}}, "", "", u"k"_qs, {});
    row("enter records a line break", Romaji, {}, {{Qt::Key_Return, none, u"\r"_qs}}, "", "362", {}, u"\r\n<CR>"_qs);
    row("shift+enter is CR", Romaji, {}, {{Qt::Key_Return, shift, u"\r"_qs}}, "", "331", {}, u"\r\n<CR>"_qs);
    row("typing after enter starts the new first line", Unconverted, {},
        {{Qt::Key_A, none, u"a"_qs}, {Qt::Key_Return, none, u"\r"_qs}, {Qt::Key_B, none, u"b"_qs}}, "",
        "146 362 147", {}, u"b\r\na<CR>"_qs);
    row("shift+F1 is F13", Romaji, {}, {{Qt::Key_F1, shift, {}}}, "", "3313", {}, {});
    row("keypad 7 swapped", Romaji, {}, {{Qt::Key_7, pad, u"7"_qs}}, "TenKeySwap", "321", {}, u"7"_qs);
    row("keypad minus recorded as -", Romaji, {}, {{Qt::Key_Minus, pad, u"-"_qs}}, "", "3211", {}, u"-"_qs);
    row("key map before F1", Romaji, {}, {{Qt::Key_F1, none, {}}}, "SubMenuF1", "364", {}, {});
    row("keypad before the key map", Romaji, {}, {{Qt::Key_0, pad, u"0"_qs}}, "OffHookPad0", "3210", {}, u"0"_qs);
    row("space, full-width, SpaceChange 1", Romaji, {}, {{Qt::Key_Space, none, u" "_qs}}, "", "361", {}, {});
    row("shift+space types ideographic space", Romaji, {}, {{Qt::Key_Space, shift, u" "_qs}}, "", "2914", {},
        u"　"_qs);
    row("n k a k go out half-width", Romaji, {},
        {{Qt::Key_N, none, u"n"_qs}, {Qt::Key_K, none, u"k"_qs}, {Qt::Key_A, none, u"a"_qs}, {Qt::Key_K, none, u"k"_qs}},
        "", "159 156 146 156", {}, u"nkak"_qs);
    row("alt+shift+letter types nothing", Unconverted, {}, {{Qt::Key_Q, Qt::AltModifier | shift, u"Q"_qs}}, "", "", {}, {});
}

void TestKeyboard::namedKeys()
{
    QFETCH(int, mode);
    QFETCH(QString, pending);
    QFETCH(KeySequence, keys);
    QFETCH(QString, tweak);
    QFETCH(QString, sent);
    QFETCH(QString, box);
    QFETCH(QString, log);
    frmMain& w = start(Mode(mode), [&](Settings& s, KeyMap& k) {
        if (tweak == u"BSEmulation")
            s.BSEmulation = 1;
        if (tweak == u"TenKeySwap")
            s.TenKeySwap = 1;
        if (tweak == u"SubMenuF1")
            k.KEY_SubMenu = 112;
        if (tweak == u"OffHookPad0")
            k.KEY_OffHook = 96;
    });
    if (!pending.isEmpty())
        QTest::keyClicks(w.txtInput, pending);
    QCOMPARE(w.txtInput->text(), pending);
    for (const Keys& k : keys)
        QTest::sendKeyEvent(QTest::Click, w.txtInput, k.key, k.text, k.modifiers);
    QCOMPARE(framesUntilSentinel(), sent);
    QCOMPARE(w.txtInput->text(), box);
    QCOMPARE(w.txtInputBuffer->logText(), log);
}

// The modes follow their controls with the power off too; nothing typed meanwhile is sent. The
// soak presses the mode keys in every mode.
void TestKeyboard::modeTogglesWithThePowerOff()
{
    frmMain& w = start(Unconverted);
    w.chkPower->setValue(0);
    auto lampRed = [&] { return w.inputModes().lampColour() == 255; };
    QVERIFY(!w.chkAlphaOrKana->isEnabled() && !w.mnuIME[1]->isEnabled() && !lampRed());
    QTest::mouseClick(w.chkIMEON, Qt::LeftButton);
    QVERIFY(w.chkAlphaOrKana->isEnabled() && w.mnuIME[0]->isChecked() && w.mnuIME[2]->isEnabled() && lampRed());
    w.mnuIME[1]->trigger();
    QCOMPARE(w.chkAlphaOrKana->text(), u"あ"_qs);
    QCOMPARE(w.mnuIME[1]->text(), u"あ"_qs);
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

void TestKeyboard::inputMethodCommits_data()
{
    QTest::addColumn<int>("dontUseIme");
    QTest::addColumn<QString>("screen");
    QTest::newRow("platform IME: passes through") << 0 << u"かなまみ"_qs;
    QTest::newRow("own conversion: refused") << 1 << QString();
}

void TestKeyboard::inputMethodCommits()
{
    QFETCH(int, dontUseIme);
    QFETCH(QString, screen);
    frmMain& w = start(Unconverted, [&](Settings& s, KeyMap&) { s.DontUseIME = std::int16_t(dontUseIme); });
    QCOMPARE(w.chkIMEON->isVisible(), dontUseIme == 1);
    QInputMethodEvent commit;
    // A lone surrogate cannot travel over D-Bus; another input context may still commit one.
    commit.setCommitString(u"かな漢字"_qs + QChar(0xD800) + u"😀まみ"_qs);
    QApplication::sendEvent(w.txtInput, &commit);
    QCOMPARE(framesUntilSentinel().isEmpty(), screen.isEmpty());
    QCOMPARE(handset->screen().text(), screen);
    QVERIFY(w.txtInput->text().isEmpty());
}

void TestKeyboard::badInputNeverSticks()
{
    RecordingDesktopServices desktop;
    frmMain& w = start(Kana);
    // Untypeable characters of every kind: nothing stays that could block.
    for (const QString& text : {u"😀😀"_qs, QString(QChar(0xD800)) + QChar(0xD800) + u"xy"_qs, u"漢字漢字漢"_qs}) {
        w.txtInput->insert(text);
        QVERIFY2(w.txtInput->text().isEmpty(), qPrintable(w.txtInput->text()));
    }
    // ConvertKana beeps for what it cannot place, and the text waits in the box.
    w.txtInput->insert(u"é"_qs);
    QCOMPARE(desktop.beeps, 1);
    QCOMPARE(w.txtInput->text(), u"é"_qs);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
