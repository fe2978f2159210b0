// Typing at the real program on a real X server, with the key events X11 gives: one Shift
// press while it is held, scan codes on every key, the US and the Japanese layouts.
#include "HandsetKeys.h"
#include "RealDesktop.h"
#include "settings/SettingsFiles.h"

#include <QTest>

namespace {

// Kana (romaji or kana keyboard) input with the program's own conversion.
RealDesktop::SettingsEdit Kana(bool romaji = true)
{
    return [romaji](Settings& s, KeyMap&, MainWindowSettings& w) {
        s.DontUseIME = s.IMEON = w.AlphaOrKana = 1;
        w.KanaOrRoma = romaji ? 1 : 0;
    };
}

} // namespace

class TestRealTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void romajiPunctuation_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        const QString punctuation = u" minus period comma slash bracketleft bracketright"_qs;
        QTest::newRow("after a lone Shift") << u"shift"_qs + punctuation << u"ー。、・「」"_qs;
        QTest::newRow("after Shift+Enter") << u"shift+Return"_qs + punctuation << u"ー。、・「」"_qs;
        QTest::newRow("after Shift+F4") << u"shift+F4"_qs + punctuation << u"ー。、・「」"_qs;
        // Shift held once across both, as a person types them.
        QTest::newRow("two question marks") << u"down:shift slash slash up:shift a"_qs << u"？？あ"_qs;
    }

    void romajiPunctuation()
    {
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        RealDesktop desk;
        QVERIFY2(desk.startPoweredOn(Kana()), qPrintable(desk.error()));
        QVERIFY(desk.keys(keys));
        QVERIFY(desk.waitForScreen(expected, 5000, true));
    }

    void japaneseKeyboard_data()
    {
        QTest::addColumn<bool>("romaji");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        // X keycode 132 is the ¥ key, 97 the ろ key; both type "\\".
        QTest::newRow("romaji") << true << u"at bracketleft colon code:132 code:97"_qs << u"＠「：￥￥"_qs;
        // Shift+0 is を from its key-down alone, never its "~" (へ) as well.
        QTest::newRow("kana keyboard")
            << false << u"t at f bracketleft colon code:132 code:97 shift+code:97 shift+code:132 shift+0"_qs
            << u"がぱけろろろーを"_qs;
    }

    void japaneseKeyboard()
    {
        QFETCH(bool, romaji);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        RealDesktop desk({.layout = u"jp"_qs});
        QVERIFY2(desk.startPoweredOn(Kana(romaji)), qPrintable(desk.error()));
        QVERIFY(desk.keys(keys));
        QVERIFY(desk.waitForScreen(expected));
    }

    void keyCapture()
    {
        RealDesktop desk({.layout = u"jp"_qs});
        QVERIFY2(desk.start() && desk.startProgram(), qPrintable(desk.error()));
        QVERIFY(desk.key(u"alt+o"_qs));
        QVERIFY(desk.waitUntil([&] { return desk.windows().size() == 2; }));
        QVERIFY(desk.focus(desk.windows().at(1)));
        // A window's title is its own, with nothing of the program's name added.
        QCOMPARE(desk.windowTitle(desk.windows().at(1)), u"設定"_qs);
        // The tab bar has the focus: on to the key tab, then Tab from box to box (←, ↑, →, ↓ …),
        // and past the last box to OK.
        QVERIFY(desk.keys(u"Right Right Right Tab comma Tab at Tab bracketleft Tab Super_L"_qs
                          + u" Tab"_qs.repeated(9) + u" space"_qs));
        QVERIFY(desk.waitUntil([&] { return desk.windows().size() == 1; }));
        QVERIFY(desk.endProgram());
        const KeyMap keys = LoadSettingsIn(desk.home() + u'/', QSize(20000, 20000)).keyMap;
        QCOMPARE((QList<int>{keys.KEY_Left, keys.KEY_Up, keys.KEY_Right, keys.KEY_Down}), (QList<int>{188, 192, 219, 91}));
    }

    void noUndo()
    {
        // Half-width letters, one frame each; then every way to undo or redo, the input box's
        // context menu included (its Undo entry is "&Undo"); then one more letter.
        RealDesktop desk;
        QVERIFY2(desk.startPoweredOn([](Settings& s, KeyMap&, MainWindowSettings&) { s.IMEON = 0; }), qPrintable(desk.error()));
        QVERIFY(desk.type(u"abc"_qs));
        QVERIFY(desk.waitForScreen(u"abc"_qs));
        QVERIFY(desk.keys(u"ctrl+z ctrl+y ctrl+shift+z"_qs));
        QVERIFY(desk.click(QPoint(90, 18), 3));
        QVERIFY(desk.waitUntil([&] { return desk.windows().size() == 2 && desk.keyboardGrabbed(); }));
        // A key typed while the menu lets go of the keyboard would be lost to it.
        QVERIFY(desk.keys(u"u Escape"_qs));
        QVERIFY(desk.waitUntil([&] { return !desk.keyboardGrabbed(); }));
        QVERIFY(desk.key(u"z"_qs));
        QVERIFY(desk.waitForScreen(u"abcz"_qs));
        QCOMPARE(KeyFrameList(desk.handset().events()).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestRealTyping)
#include "tst_realtyping.moc"
