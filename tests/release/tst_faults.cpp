// The handset's end vanishing in the middle of the work: one message about it, no CPU spin,
// and once the power is switched off and on again against a handset that is back, typing works.
#include "CpuTime.h"
#include "MacroWindowFixture.h"
#include "core/frmMain.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/SleepingWait.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

class TestFaults : public QObject, private MacroWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void handsetVanishes_data();
    void handsetVanishes();
};

void TestFaults::handsetVanishes_data()
{
    QTest::addColumn<QString>("during");
    QTest::newRow("typing") << u"typing"_qs;
    QTest::newRow("a macro run") << u"macro"_qs;
}

void TestFaults::handsetVanishes()
{
    QFETCH(QString, during);
    writeMacro(u"m.mcr"_qs, {u"#m"_qs, u"<LOOP>40"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs});
    frmMain& w = start({u"m.mcr"_qs}, [](Settings& s, KeyMap&) { s.MacroWait = 0.02f; });
    QVERIFY(w.mscCOM().isOpen());
    if (during == u"typing"_qs) {
        w.txtInput->insert(u"abc"_qs);
        QVERIFY(handset->waitForEvents(3, 5000));
        handset->hangUp();
        WaitSeconds(0.2f);
        for (const QString& key : {u"d"_qs, u"e"_qs, u"f"_qs, u"g"_qs})
            w.txtInput->insert(key);
    } else {
        connect(handset.get(), &phonesim::Handset::eventDecoded, &w, [this] {
            if (handset->events().size() == 5)
                QTimer::singleShot(0, handset.get(), [this] { handset->hangUp(); });
        });
        w.cmdMacroStart->click(); // returns when the run has walked to its end
    }
    WaitSeconds(0.3f);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, SerialLink::CablePulledText());

    // Nothing spins meanwhile.
    const double before = cpuSeconds();
    WaitSeconds(2.0f);
    QVERIFY2(cpuSeconds() - before < 0.2, qPrintable(QString::number(cpuSeconds() - before)));

    // The handset is back (a new device); off and on again, and typing works.
    phonesim::Handset back;
    QVERIFY(back.start());
    qputenv("YUBISAKI_COM1", back.portPath().toLocal8Bit());
    w.chkPower->setValue(0);
    w.chkPower->setValue(1);
    QVERIFY(w.mscCOM().isOpen());
    w.txtInput->insert(u"z"_qs);
    QVERIFY(back.waitForEvents(1, 5000));
    QCOMPARE(back.screen().text(), u"z"_qs);
    QCOMPARE(boxes->shown.size(), 1);
    w.chkPower->setValue(0);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
