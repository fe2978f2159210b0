// Typing at the real program on a real X server, with the key events X11 gives: one Shift
// press while it is held, scan codes on every key, the US and the Japanese layouts.
#include "RealDesktop.h"

#include <QTest>

class TestRealTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void romajiPunctuation_data();
    void romajiPunctuation();
};

namespace {

// Romaji input with the program's own conversion, the power on.
bool StartInRomaji(RealDesktop& desk)
{
    return desk.start()
           && desk.writeSettings([](Settings& s, KeyMap&, MainWindowSettings& w) {
                  s.DontUseIME = 1;
                  s.IMEON = 1;
                  w.AlphaOrKana = 1;
                  w.KanaOrRoma = 1;
              })
           && desk.startProgram() && desk.powerOn();
}

} // namespace

void TestRealTyping::romajiPunctuation_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a word") << QString() << u"kannji"_qs << u"かんじ"_qs;
}

void TestRealTyping::romajiPunctuation()
{
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    RealDesktop desk;
    QVERIFY2(StartInRomaji(desk), qPrintable(desk.error()));
    QVERIFY(before.isEmpty() || desk.key(before));
    QVERIFY(desk.type(typed));
    const bool arrived = desk.waitUntil([&] { return desk.handset().screen().text().endsWith(expected); });
    QVERIFY2(arrived, qPrintable(desk.handset().screen().text()));
}

QTEST_GUILESS_MAIN(TestRealTyping)
#include "tst_realtyping.moc"
