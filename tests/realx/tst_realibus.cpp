// The real program beside a real IBus with anthy and no fcitx5, on a Japanese keyboard: with
// DontUseIME 0 it is asked and told over IBus's own bus.
#include "RealDesktop.h"

#include <QTest>

class TestRealIBus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convertsWithIBus();
};

void TestRealIBus::convertsWithIBus()
{
    RealDesktop desk({.layout = QStringLiteral("jp"), .ibus = true});
    QVERIFY2(desk.start(), qPrintable(desk.error()));
    QCOMPARE(desk.inputMethodState(), RealDesktop::kInactive);
    QVERIFY(desk.writeSettings([](Settings& s, KeyMap&, MainWindowSettings& w) {
        s.DontUseIME = 0;
        s.IMEON = 1;
        w.AlphaOrKana = 1;
        w.KanaOrRoma = 1;
    }));
    QVERIFY2(desk.startProgram() && desk.powerOn(), qPrintable(desk.error()));
    // IMEON 1: anthy is the engine while the box has the focus, and it converts.
    QVERIFY(desk.waitUntil([&] { return desk.inputMethodState() == RealDesktop::kActive; }));
    QVERIFY(desk.keys(u"k a n a Return"_qs));
    QVERIFY2(desk.waitForScreen(u"かな"_qs), qPrintable(desk.handset().screen().text()));
    // The exit puts back the keyboard's engine the user had.
    QVERIFY(desk.endProgram());
    QCOMPARE(desk.inputMethodState(), RealDesktop::kInactive);
}

QTEST_GUILESS_MAIN(TestRealIBus)
#include "tst_realibus.moc"
