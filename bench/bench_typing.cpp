// Typing into the real main window (offscreen) against the simulated handset on a
// pseudo-terminal: the latency from a key event to its frame at the handset, and a burst of
// typed characters against a handset that reads at the real line's 600 baud.
#include "core/CommandLine.h"
#include "core/frmMain.h"
#include "HandsetOnCom1.h"
#include "phonesim/Handset.h"
#include "settings/SettingsFiles.h"
#include "textentry/mdlGetBinary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QByteArray kHeader = QByteArray::fromHex("f202010000");

void typeLetter(QWidget* box, int i)
{
    const char letter = char('a' + i % 26);
    const auto key = Qt::Key(Qt::Key_A + i % 26);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QLatin1Char(letter)));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QLatin1Char(letter)));
    QApplication::sendEvent(box, &release);
}

QByteArray frameOf(int i)
{
    KeyCode code;
    const QChar letter(u'a' + i % 26);
    GetKeyCode(QStringView(&letter, 1), code);
    return kHeader + code.bytes();
}

bool latency(frmMain& w, phonesim::Handset& handset, int keys)
{
    std::vector<double> ms;
    QElapsedTimer clock;
    for (int i = 0; i < keys; ++i) {
        const int expected = int(handset.received().size()) + 8;
        clock.start();
        typeLetter(w.txtInput, i);
        if (!handset.waitForReceived(expected, 5000)) {
            std::fprintf(stderr, "key %d did not arrive\n", i);
            return false;
        }
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("key event to 8 bytes at the handset, %d keys: median %.3f ms, p99 %.3f ms, max %.3f ms\n", keys, median,
                p99, ms.back());
    const bool ok = median < 0.5 && p99 < 2.0;
    std::printf("target (median under 0.5 ms, p99 under 2 ms): %s\n", ok ? "met" : "MISSED");
    return ok;
}

bool burst(frmMain& w, phonesim::Handset& handset, int characters)
{
    handset.setPaced(true);
    const qsizetype before = handset.received().size();
    const qsizetype logBefore = handset.byteLog().size();
    QByteArray expected;
    for (int i = 0; i < characters; ++i)
        expected += frameOf(i);

    // A character a millisecond, far faster than the line, while a 10 ms timer measures
    // how late the event loop lets it run.
    constexpr int kTickMs = 10;
    double worstLateMs = 0;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kTickMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        worstLateMs = std::max(worstLateMs, double(sinceTick.nsecsElapsed()) / 1e6 - kTickMs);
        sinceTick.start();
    });
    int typed = 0;
    QTimer typist;
    typist.setTimerType(Qt::PreciseTimer);
    typist.setInterval(1);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        typeLetter(w.txtInput, typed++);
        if (typed == characters)
            typist.stop();
    });
    sinceTick.start();
    probe.start();
    typist.start();
    const qint64 lineMs = qint64(expected.size()) * phonesim::Handset::kPacedByteNs / 1'000'000;
    const bool arrived = handset.waitForReceived(int(before + expected.size()), int(lineMs * 12 / 10 + 10'000));
    probe.stop();

    const bool inOrder = handset.received().mid(before) == expected;
    const auto& log = handset.byteLog();
    const double spanNs = double(log.back().ns - log[logBefore].ns);
    const double lineShare = spanNs > 0 ? double(expected.size() - 1) * double(phonesim::Handset::kPacedByteNs) / spanNs : 0;
    std::printf("burst of %d characters at 600 baud: %s, %s, drained in %.1f s at %.1f%% of the line's rate, "
                "event loop at most %.1f ms late\n",
                characters, arrived ? "all arrived" : "INCOMPLETE", inOrder ? "in order" : "OUT OF ORDER", spanNs / 1e9,
                lineShare * 100, worstLateMs);
    const bool ok = arrived && inOrder && lineShare >= 0.99 && worstLateMs <= 20;
    std::printf("target (complete, in order, at least 99%% of the line's rate, under 20 ms late): %s\n",
                ok ? "met" : "MISSED");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int characters = argc > 1 ? std::max(100, atoi(argv[1])) : 2000;
    QTemporaryDir home;
    qputenv("YUBISAKI_HOME", home.path().toLocal8Bit());
    phonesim::Handset handset;
    if (!StartHandsetOnCom1(handset))
        return 2;
    // Letters as they are: no conversion, so each key is one frame.
    Settings settings;
    settings.IMEON = 0;
    const QString folder = home.path() + u'/';
    if (!WriteSettingsFileIn(folder, settings, MainWindowSettings{}).result.ok || !WriteKeyMapFileIn(folder, KeyMap{}).result.ok)
        return 2;

    frmMain w(ParseCommandLine({}));
    w.Form_Load();
    w.show();
    w.chkPower->setValue(1);
    if (!w.mscCOM().isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(handset.portPath()));
        return 2;
    }
    w.txtInput->setFocus();
    const bool fast = latency(w, handset, 2000);
    const bool drained = burst(w, handset, characters);
    w.chkPower->setValue(0);
    return fast && drained ? 0 : 1;
}
