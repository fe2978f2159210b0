// What the handset says back, through the main window against the simulated handset: the
// number, model and serial query with its faults and timeouts, and the notifications.
#include "MainWindowFixture.h"
#include "link/mdlGetPdcType.h"

#include <QSignalSpy>

using Faults = phonesim::Handset::ReplyFaults;

Q_DECLARE_METATYPE(Faults)

namespace {

// The log's lines; a blank one in the middle would be a fault, so only the last line's end is dropped.
QStringList logLines(const frmMain& w)
{
    QStringList lines = w.txtInputBuffer->logText().split(u"\r\n"_qs);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Bars shown on the picture's bottom row: the level the user reads off.
int greenBars(AntennaPicture* picture)
{
    const QImage image = picture->grab().toImage();
    int bars = 0;
    for (int level = 1; level <= 15; ++level) {
        const QColor c = image.pixelColor(13 + 3 * (level - 1), image.height() - 2);
        bars += c.green() > 150 && c.red() < 100 ? 1 : 0;
    }
    return bars;
}

} // namespace

class TestPhoneTalk : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }

    void query_data()
    {
        QTest::addColumn<bool>("powerOn");
        QTest::addColumn<QString>("number");
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("pdcType");
        QTest::addColumn<QStringList>("wire"); // what the handset read, with a key typed meanwhile

        const QString number = u"99100000000"_qs;
        const QStringList full{u"電話番号:99100000000"_qs, u"製造番号:NMABK12ABCD"_qs, u"機種名  :P504i"_qs};
        const QStringList keyFirst{u"request number"_qs, u"key 3"_qs, u"request model"_qs};
        const QStringList keyLast{u"request number"_qs, u"request model"_qs, u"key 3"_qs};
        // Every reply comes half a second late; where the faults start at the second reply, the number's
        // comes at once and whole, and the faults are in the model's.
        QTest::newRow("eleven digits, then model and serial") << true << number << Faults{} << full << u"P504i"_qs
                                                              << keyFirst;
        QTest::newRow("power off: the port opened for the query alone")
            << false << number << Faults{} << full << u"P504i"_qs
            << QStringList{u"at AT-WT=0"_qs, u"request number"_qs, u"request model"_qs, u"at AT-WT=0"_qs};
        QTest::newRow("signal byte inside the model reply")
            << true << number << Faults{.fromReply = 1, .insertAt = 10, .inserted = QByteArray(1, char(0xC3))} << full
            << u"P504i"_qs << keyLast;
        QTest::newRow("model reply starting with 6B")
            << true << number << Faults{.fromReply = 1, .garble = true}
            << QStringList{u"電話番号:99100000000"_qs, u"データ取得に失敗しました。"_qs} << u"D503i"_qs << keyLast;
        QTest::newRow("model reply stops midway") << true << number << Faults{.fromReply = 1, .cutAfter = 30}
                                                  << QStringList{u"電話番号:99100000000"_qs} << u"D503i"_qs << keyLast;
        QTest::newRow("no answer to the number request") << true << QString() << Faults{} << QStringList() << u"D503i"_qs
                                                         << keyFirst.first(2);
    }

    void query()
    {
        QFETCH(bool, powerOn);
        QFETCH(QString, number);
        QFETCH(Faults, faults);
        QFETCH(QStringList, lines);
        QFETCH(QString, pdcType);
        QFETCH(QStringList, wire);

        frmMain& w = openWindow();
        w.chkPower->setValue(powerOn);
        w.setReplyTimeout(1.0f);
        w.settings().PdcType = u"D503i"_qs;
        w.settings().REUDOcable = 1;
        handset->setNumber(number);
        handset->setSerial(u"NMABK12ABCD"_qs);
        faults.delayMs = 500; // the key below comes while a reply is awaited
        handset->setReplyFaults(faults);
        const qsizetype before = handset->events().size();
        w.cmdClear->setFocus();
        bool switchUsable = false;
        // The power switch rests while the query holds a port it opened; a key typed while the late
        // reply is awaited still goes out.
        int requests = 0;
        connect(handset.get(), &phonesim::Handset::eventDecoded, &w, [&](const phonesim::WireEvent& e) {
            using Type = phonesim::WireEvent::Type;
            if ((e.type == Type::NumberRequest || e.type == Type::ModelRequest) && ++requests == faults.fromReply + 1)
                QTimer::singleShot(0, &w, [&] {
                    switchUsable = w.chkPower->isEnabled();
                    QTest::keyClick(w.txtInput, Qt::Key_Up);
                });
        });

        w.cmdGetNumber->click();

        QCOMPARE(switchUsable, powerOn);
        QCOMPARE(logLines(w), lines);
        QCOMPARE(w.settings().PdcType, pdcType);
        QVERIFY(handset->waitForEvents(int(before + wire.size()), 5000));
        const QList<phonesim::WireEvent> events = handset->events().mid(before);
        QStringList seen;
        for (const phonesim::WireEvent& e : events)
            seen << e.describe().section(u' ', 0, 1);
        QCOMPARE(seen, wire);
        // The handset gets a tenth of a second after the number's reply before the model request.
        const qsizetype asked = seen.indexOf(u"request number"_qs), model = seen.indexOf(u"request model"_qs);
        if (asked >= 0 && model > asked)
            QVERIFY(events[model].ns - events[asked].ns >= 100'000'000);
        QVERIFY(w.chkPower->isEnabled() && w.cmdGetNumber->isEnabled());
        QCOMPARE(w.chkPower->value(), int(powerOn));
        QCOMPARE(w.mscCOM().isOpen(), powerOn);
        QCOMPARE(w.mscCOM().receiveThreshold(), 0);
        if (powerOn)
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtInput));
    }

    void notifications_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("bars");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QStringList>("areaChanges");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("sentinelMs");

        const QStringList none;
        const QStringList sentinel{u"圏外"_qs};
        QTest::newRow("C7 81 80") << QByteArray("\xC7\x81\x80") << none << 7 << u"14db"_qs
                                  << QStringList{u"圏外"_qs, u"圏内"_qs, u"圏外"_qs} << none << 0;
        QTest::newRow("charge 2100, a signal byte inside")
            << QByteArray("\xE2\x92\xC5\x91\x9A\x9A\xAA") << none << 0 << QString() << sentinel
            << QStringList{u"先ほどの通話にかかった料金は 2100円 でした。"_qs} << 0;
        // An announced call, answered or not, is the soak's: it checks the question and the off-hook key.
        QTest::newRow("incoming call not announced, /d")
            << QByteArray("\xA5") << QStringList{u"/d"_qs} << 0 << QString() << sentinel << QStringList{u"&hA5"_qs} << 0;
        // Well after the charge read gave up: the sentinel only shows if events are back on.
        QTest::newRow("charge digits that never come") << QByteArray("\xE2\x92") << none << 0 << QString() << sentinel
                                                       << none << 1500;
    }

    void notifications()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, args);
        QFETCH(int, bars);
        QFETCH(QString, printed);
        QFETCH(QStringList, areaChanges);
        QFETCH(QStringList, lines);
        QFETCH(int, sentinelMs);

        frmMain& w = openWindow(args);
        w.setReplyTimeout(0.3f);
        w.chkPower->setValue(1);
        w.chkGetStatus->setValue(1);
        QSignalSpy area(w.txtNonArea, &QLineEdit::textChanged);

        handset->send(bytes);
        // The last byte says "out of the service area": once it shows, everything before it was handled.
        QTimer::singleShot(sentinelMs, handset.get(), [this] { handset->send(QByteArray("\x81")); });
        QTRY_COMPARE_WITH_TIMEOUT(area.size(), int(areaChanges.size()), 5000);
        QStringList changes;
        for (const QList<QVariant>& change : area)
            changes << change.at(0).toString();
        QCOMPARE(changes, areaChanges);

        QCOMPARE(greenBars(w.picAntena), bars);
        QCOMPARE(w.picAntena->printedText(), printed);
        QCOMPARE(logLines(w), lines);
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(w.mscCOM().receiveThreshold(), 1);
    }

    void modelNameFromSerial()
    {
        // A range's last code, the code after it (which a later, higher range would take without
        // its lower bound), and a lone code after a range.
        QCOMPARE(ModelNameFromSerial(u"NMABL"_qs), u"P504i"_qs);
        QCOMPARE(ModelNameFromSerial(u"NMABM"_qs), u"不明"_qs);
        QCOMPARE(ModelNameFromSerial(u"NNEIS"_qs), u"N502it"_qs);
    }
};

QTEST_MAIN(TestPhoneTalk)
#include "tst_phonetalk.moc"
