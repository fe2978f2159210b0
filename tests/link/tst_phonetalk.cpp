// What the handset says back, through the main window against the simulated handset: the
// number, model and serial query, its timeouts and a port that cannot open, and the notifications.
#include "MainWindowFixture.h"
#include "link/PhoneBytes.h"
#include "link/mdlGetPdcType.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using phonesim::Handset;
using phonesim::WireEvent;

namespace {

QStringList logLines(const frmMain& w)
{
    QStringList lines = w.txtInputBuffer->logText().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
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

    void queryLogs_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("cutAfter");
        QTest::addColumn<bool>("garble");
        QTest::addColumn<int>("signalAt");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("pdcType");
        QTest::addColumn<int>("modelRequests");

        const QStringList full{QStringLiteral("電話番号:99100000000"), QStringLiteral("製造番号:NMABK12ABCD"),
                               QStringLiteral("機種名  :P504i")};
        QTest::newRow("eleven digits, then model and serial") << u"99100000000"_qs << -1 << false << -1 << full << u"P504i"_qs << 1;
        QTest::newRow("signal byte inside the model reply") << u"99100000000"_qs << -1 << false << 10 << full << u"P504i"_qs << 1;
        QTest::newRow("model reply starting with 6B")
            << u"99100000000"_qs << -1 << true << -1
            << QStringList{u"電話番号:99100000000"_qs, u"データ取得に失敗しました。"_qs} << u"D503i"_qs << 1;
        QTest::newRow("model reply stops midway")
            << u"99100000000"_qs << 30 << false << -1 << QStringList{u"電話番号:99100000000"_qs} << u"D503i"_qs << 1;
        QTest::newRow("no answer to the number request") << QString() << -1 << false << -1 << QStringList() << u"D503i"_qs << 0;
    }

    void queryLogs()
    {
        QFETCH(QString, number);
        QFETCH(int, cutAfter);
        QFETCH(bool, garble);
        QFETCH(int, signalAt);
        QFETCH(QStringList, lines);
        QFETCH(QString, pdcType);
        QFETCH(int, modelRequests);

        frmMain& w = start(true);
        w.setReplyTimeout(0.3f);
        w.settings().PdcType = u"D503i"_qs;
        handset->setNumber(number);
        handset->setSerial(u"NMABK12ABCD"_qs);
        Handset::ReplyFaults faults;
        faults.fromReply = 1; // the number's reply whole, the faults in the model's
        faults.cutAfter = cutAfter;
        faults.garble = garble;
        faults.insertAt = signalAt;
        faults.inserted = QByteArray(1, char(0xC3));
        handset->setReplyFaults(faults);
        const QString printed = w.picAntena->printedText();

        w.cmdGetNumber->click();

        QCOMPARE(logLines(w), lines);
        QCOMPARE(w.settings().PdcType, pdcType);
        QCOMPARE(int(std::ranges::count(handset->events(), WireEvent::Type::ModelRequest, &WireEvent::type)), modelRequests);
        QCOMPARE(w.picAntena->printedText(), printed);
        QVERIFY(w.cmdGetNumber->isEnabled());
        QCOMPARE(w.mscCOM().receiveThreshold(), 0);
    }

    void queryOpensAClosedPortForItself_data()
    {
        QTest::addColumn<bool>("powerOn");
        QTest::newRow("power off") << false;
        QTest::newRow("power on") << true;
    }

    void queryOpensAClosedPortForItself()
    {
        QFETCH(bool, powerOn);
        frmMain& w = start(powerOn);
        w.settings().REUDOcable = 1;
        handset->setNumber(u"09012345678"_qs);
        handset->setSerial(u"NMABK12ABCD"_qs);
        Handset::ReplyFaults faults;
        faults.delayMs = 300;
        handset->setReplyFaults(faults);
        const int before = int(handset->events().size());
        w.cmdClear->setFocus();
        bool switchUsable = false;
        // Keys typed while the query waits for its reply still go out, between its requests.
        QTimer::singleShot(100, &w, [&] {
            switchUsable = w.chkPower->isEnabled();
            if (powerOn)
                QTest::keyClick(w.txtInput, Qt::Key_Up);
        });

        w.cmdGetNumber->click();

        QCOMPARE(switchUsable, powerOn);
        QVERIFY(w.chkPower->isEnabled() && w.cmdGetNumber->isEnabled());
        QCOMPARE(w.mscCOM().isOpen(), powerOn);
        QCOMPARE(logLines(w).size(), 3);
        QVERIFY(handset->waitForEvents(before + (powerOn ? 3 : 4), 5000));
        QStringList seen;
        for (qsizetype i = before; i < handset->events().size(); ++i)
            seen << handset->events().at(i).describe().section(u' ', 0, 1);
        if (powerOn) {
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtInput));
            QCOMPARE(seen, (QStringList{u"request number"_qs, u"key 3"_qs, u"request model"_qs}));
            return;
        }
        QCOMPARE(seen, (QStringList{u"at AT-WT=0"_qs, u"request number"_qs, u"request model"_qs, u"at AT-WT=0"_qs}));
        QCOMPARE(w.chkPower->value(), 0);
    }

    void notifications_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("bars");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QStringList>("areaChanges");
        QTest::addColumn<QStringList>("lines");

        const QStringList none;
        const QStringList sentinel{u"圏外"_qs};
        const QStringList debug{u"/d"_qs};
        QTest::newRow("C7 81 80") << QByteArray("\xC7\x81\x80") << none << 7 << u"14db"_qs
                                  << QStringList{u"圏外"_qs, u"圏内"_qs, u"圏外"_qs} << none;
        QTest::newRow("charge 2100") << QByteArray("\xE2\x92\x91\x9A\x9A\xAA") << none << 0 << QString() << sentinel
                                     << QStringList{u"先ほどの通話にかかった料金は 2100円 でした。"_qs};
        QTest::newRow("signal byte inside a charge") << QByteArray("\xE2\xC5\x93\xAA") << none << 0 << QString()
                                                     << sentinel << QStringList{u"先ほどの通話にかかった料金は 3円 でした。"_qs};
        // An announced call, answered or not, is the soak's: it checks the question and the off-hook key.
        QTest::newRow("incoming call not announced, /d")
            << QByteArray("\xA5") << debug << 0 << QString() << sentinel << QStringList{u"&hA5"_qs};
    }

    void notifications()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, args);
        QFETCH(int, bars);
        QFETCH(QString, printed);
        QFETCH(QStringList, areaChanges);
        QFETCH(QStringList, lines);

        frmMain& w = start(true, args);
        w.chkGetStatus->setValue(1);
        QCOMPARE(w.mscCOM().receiveThreshold(), 1);
        QSignalSpy area(w.txtNonArea, &QLineEdit::textChanged);

        // The last byte says "out of the service area": once it shows, everything before it was handled.
        handset->send(bytes + char(0x81));
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

    void chargeDigitsThatNeverCome()
    {
        frmMain& w = start(true);
        w.setReplyTimeout(0.3f);
        w.chkGetStatus->setValue(1);
        QSignalSpy area(w.txtNonArea, &QLineEdit::textChanged);
        handset->send(QByteArray("\xE2\x92", 2));
        // Well after the charge read gave up, a notification that only shows if events are back on.
        QTimer::singleShot(1500, handset.get(), [this] { handset->send(QByteArray("\x81")); });
        QVERIFY(area.wait(5000));
        QCOMPARE(w.txtNonArea->text(), u"圏外"_qs);
        QVERIFY(logLines(w).isEmpty());
        QCOMPARE(w.mscCOM().receiveThreshold(), 1);
    }

    void modelName_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("model");
        QTest::newRow("range end NMABL") << u"NMABL"_qs << u"P504i"_qs;
        QTest::newRow("past the range NMABM") << u"NMABM"_qs << u"不明"_qs;
        QTest::newRow("lone code after a range NNEIS") << u"NNEIS"_qs << u"N502it"_qs;
        QTest::newRow("gap between range and code NNEIR") << u"NNEIR"_qs << u"不明"_qs;
        QTest::newRow("NMIIE third code of D210i") << u"NMIIE"_qs << u"D210i"_qs;
    }

    void modelName()
    {
        QFETCH(QString, serial);
        QFETCH(QString, model);
        QCOMPARE(ModelNameFromSerial(serial), model);
    }

private:
    frmMain& start(bool powerOn, const QStringList& args = {})
    {
        if (openWindow(args); powerOn)
            window->chkPower->setValue(1);
        return *window;
    }
};

QTEST_MAIN(TestPhoneTalk)
#include "tst_phonetalk.moc"
