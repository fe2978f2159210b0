// The simulated handset's decoder and screen: every pattern however the bytes are split,
// resynchronisation after garbage, random bytes survived, and the screen's editing rules.
#include "phonesim/HandsetScreen.h"
#include "phonesim/WireDecoder.h"

#include <QRandomGenerator>
#include <QTest>

using phonesim::WireDecoder;
using phonesim::WireEvent;

Q_DECLARE_METATYPE(WireEvent::Type)

namespace {
QByteArray frame(KeyCode code) { return QByteArray::fromHex("f202010000") + code.bytes(); }
const QByteArray kModelRequest = QByteArray::fromHex("b30d0002") + QByteArray(34, '\0');

QStringList describeAll(const QList<WireEvent>& events)
{
    QStringList lines;
    for (const WireEvent& e : events)
        lines.append(e.describe());
    return lines;
}
} // namespace

class TestWireDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void patternsAtEverySplit_data();
    void patternsAtEverySplit();
    void garbageThenFrameResynchronises_data();
    void garbageThenFrameResynchronises();
    void randomBytesAreSurvived();
    void screen_data();
    void screen();
};

void TestWireDecoder::patternsAtEverySplit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("key frame か") << frame({2, 2, 1}) << QStringList{u"key 2 2 1 か"_qs};
    QTest::newRow("a query in a row") << QByteArray("AT-WT=0\r") + QByteArray::fromHex("8e") + kModelRequest
                                      << QStringList{u"at AT-WT=0"_qs, u"request number"_qs, u"request model"_qs};
}

void TestWireDecoder::patternsAtEverySplit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, events);
    for (qsizetype split = 0; split <= bytes.size(); ++split) {
        WireDecoder decoder;
        QList<WireEvent> got = decoder.feed(bytes.left(split));
        got += decoder.feed(bytes.mid(split));
        QCOMPARE(describeAll(got), events);
        QCOMPARE(decoder.pendingSize(), 0);
    }
}

void TestWireDecoder::garbageThenFrameResynchronises_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::newRow("half a header") << QByteArray::fromHex("f20201");
    QTest::newRow("AT without CR") << QByteArray("AT-W");
    QTest::newRow("model request cut short") << QByteArray::fromHex("b30d000200000001");
}

void TestWireDecoder::garbageThenFrameResynchronises()
{
    QFETCH(QByteArray, garbage);
    WireDecoder decoder;
    const QList<WireEvent> events = decoder.feed(garbage + frame({1, 4, 6}));
    QVERIFY(!events.isEmpty());
    QCOMPARE(events.back().describe(), u"key 1 4 6 a"_qs);
    QByteArray swallowed;
    for (qsizetype i = 0; i + 1 < events.size(); ++i) {
        QCOMPARE(events[i].type, WireEvent::Type::Garbage);
        swallowed += events[i].bytes;
    }
    QCOMPARE(swallowed, garbage);
}

void TestWireDecoder::randomBytesAreSurvived()
{
    QRandomGenerator random(20261207);
    WireDecoder decoder;
    qsizetype fed = 0;
    qsizetype accounted = 0;
    while (fed < 1024 * 1024) {
        QByteArray chunk(random.bounded(1, 300), Qt::Uninitialized);
        for (char& c : chunk)
            c = char(random.bounded(256));
        // Bytes the decoder's patterns are made of, so partial matches happen often.
        if (random.bounded(4) == 0)
            chunk += QByteArray::fromHex("f20201b30d41548e").left(random.bounded(1, 8));
        fed += chunk.size();
        for (const WireEvent& event : decoder.feed(chunk))
            accounted += event.bytes.size();
        QVERIFY(decoder.pendingSize() <= 64);
    }
    QCOMPARE(accounted + decoder.pendingSize(), fed);
    // Whatever was pending, a valid frame after a clearly invalid byte comes through.
    const QList<WireEvent> tail = decoder.feed(QByteArray(1, '\x01') + frame({2, 1, 1}));
    QVERIFY(!tail.isEmpty());
    QCOMPARE(tail.back().describe(), u"key 2 1 1 あ"_qs);
}

void TestWireDecoder::screen_data()
{
    QTest::addColumn<QList<KeyCode>>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    const KeyCode ka{2, 2, 1}, ha{2, 6, 1}, a{2, 1, 1}, voiced{2, 10, 4};
    const KeyCode halfKa{1, 2, 1}, halfVoiced{1, 10, 4};
    QTest::newRow("か then ″ shows が") << QList<KeyCode>{ka, voiced} << u"が"_qs << 1;
    QTest::newRow("あ then ″ stays two") << QList<KeyCode>{a, voiced} << u"あ″"_qs << 2;
    QTest::newRow("half-width ｶ ﾞ stay two") << QList<KeyCode>{halfKa, halfVoiced} << u"ｶﾞ"_qs << 2;
    QTest::newRow("CR breaks the line") << QList<KeyCode>{a, PhoneKeyCodes::CR, ka} << u"あ\nか"_qs << 1;
    QTest::newRow("CLEAR at line start joins lines")
        << QList<KeyCode>{a, PhoneKeyCodes::CR, PhoneKeyCodes::Clear, ka} << u"あか"_qs << 2;
    QTest::newRow("held CLEAR wipes the text") << QList<KeyCode>{a, ka, KeyCode{9, 6, 3}} << QString() << 0;
    QTest::newRow("left then insert") << QList<KeyCode>{a, ka, PhoneKeyCodes::Left, ha} << u"あはか"_qs << 2;
    QTest::newRow("up keeps the column in range")
        << QList<KeyCode>{a, PhoneKeyCodes::CR, ka, ka, PhoneKeyCodes::Up, ha} << u"あは\nかか"_qs << 2;
}

void TestWireDecoder::screen()
{
    QFETCH(QList<KeyCode>, keys);
    QFETCH(QString, text);
    QFETCH(int, column);
    phonesim::HandsetScreen screen;
    for (const KeyCode& key : keys)
        screen.apply(key);
    QCOMPARE(screen.text(), text);
    QCOMPARE(screen.cursorColumn(), column);
}

QTEST_APPLESS_MAIN(TestWireDecoder)
#include "tst_wiredecoder.moc"
