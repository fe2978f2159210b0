// Macro runs in the real main window (offscreen): the interpreter's cost per key command with
// the power off (nothing on the wire), the CPU a 5-second <WAIT> uses beside a busy loop, how
// soon ESC stops a run of key commands against the simulated handset, and, against the handset
// paced at 600 baud, how far a run with no pause gets ahead of the line and how soon the line
// falls silent after ESC.
#include "BenchMode.h"
#include "Measure.h"
#include "TypingWindow.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "platform/SleepingWait.h"
#include "settings/MacroTitle.h"

#include <QDir>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

bool writeMacro(const QTemporaryDir& home, const QString& file, const QStringList& lines)
{
    const QString folder = MacroFolder(home.path() + u'/');
    return QDir().mkpath(folder) && Cp932::WriteLines(folder + file, lines).ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    phonesim::Handset handset;
    QTemporaryDir home;
    ScriptedMessageBoxes boxes;
    std::unique_ptr<frmMain> w = OpenTypingWindow(home, handset);
    if (!w)
        return 2;
    const int kCommands = mode.size(1000, 50);
    const double waitSeconds = mode.size(5.0, 0.3);
    const int escRuns = mode.size(20, 3);
    QStringList keys{u"#keys"_qs};
    for (int i = 0; i < kCommands; ++i)
        keys << (i % 2 ? u"<UP>"_qs : u"<DOWN>"_qs);
    if (!writeMacro(home, u"keys.mcr"_qs, keys) || !writeMacro(home, u"wait.mcr"_qs, {u"#w"_qs, u"<WAIT>"_qs + QString::number(waitSeconds)})
        || !writeMacro(home, u"forever.mcr"_qs, {u"#f"_qs, u"<LOOP>2147483647"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs}))
        return 2;

    // The interpreter alone: the key handling runs, the power is off so nothing is sent.
    w->chkPower->setValue(0);
    w->macros().MacroRun(u"keys.mcr"_qs); // warm-up
    const Measured keyRun = Measure([&] { w->macros().MacroRun(u"keys.mcr"_qs); });
    const double perCommandUs = keyRun.wall * 1e6 / kCommands;
    std::printf("%d key commands, MacroWait 0, power off: %.1f us a command\n", kCommands, perCommandUs);

    const Measured waiting = Measure([&] { w->macros().MacroRun(u"wait.mcr"_qs); });
    const Measured busy = Measure([&] { BusyWait(waitSeconds); });
    std::printf("<WAIT>%g: wall %.3f s, CPU %.4f s (%.2f%% of a core); a busy loop: CPU %.3f s (%.1f%%)\n", waitSeconds, waiting.wall,
                waiting.cpu, waiting.share(), busy.cpu, busy.share());

    // ESC pressed while key frames go out; the run has stopped when its message shows.
    w->chkPower->setValue(1);
    std::vector<double> escMs;
    QElapsedTimer sinceEsc;
    boxes.onShow = [&](const ShownMessage&) { escMs.push_back(double(sinceEsc.nsecsElapsed()) / 1e6); };
    for (int run = 0; run < escRuns; ++run) {
        QTimer::singleShot(50 + run % 7, w.get(), [&] {
            sinceEsc.start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, u"\x1b"_qs);
            QApplication::sendEvent(w->txtInput, &press);
        });
        w->macros().MacroRun(u"forever.mcr"_qs);
    }
    std::sort(escMs.begin(), escMs.end());
    w->chkPower->setValue(0);
    if (escMs.size() != std::size_t(escRuns) || waiting.wall < waitSeconds) {
        std::fprintf(stderr, "a run did not stop on ESC, or <WAIT> did not wait\n");
        return 2;
    }
    std::printf("ESC to the run stopped, %d runs: median %.2f ms, worst %.2f ms\n", escRuns,
                escMs[escMs.size() / 2], escMs.back());

    // The same keys against the line's real speed; ESC after a few seconds.
    handset.setPaced(true);
    w->chkPower->setValue(1);
    qint64 ahead = 0;
    QTimer sample;
    sample.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sample, &QTimer::timeout, w.get(),
                     [&] { ahead = std::max(ahead, w->mscCOM().outputQueue().bytes); });
    sample.start(5);
    QElapsedTimer sinceLineEsc;
    double lastArrivalS = -1;
    QObject::connect(&handset, &phonesim::Handset::bytesReceived, w.get(), [&] {
        if (sinceLineEsc.isValid())
            lastArrivalS = double(sinceLineEsc.nsecsElapsed()) / 1e9;
    });
    QTimer::singleShot(mode.size(3000, 1000), w.get(), [&] {
        // ESC is also the clear key: its own frame comes on top of the run's.
        sample.stop();
        sinceLineEsc.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, u"\x1b"_qs);
        QApplication::sendEvent(w->txtInput, &press);
    });
    boxes.onShow = {};
    // A short run's keys would all fit in the transmit buffer before ESC: it loops instead.
    w->macros().MacroRun(mode.isShort() ? u"forever.mcr"_qs : u"keys.mcr"_qs);
    while (w->mscCOM().outputQueue().bytes > 0 && sinceLineEsc.elapsed() < 30'000)
        WaitSeconds(0.1f);
    WaitSeconds(1.0f);
    w->chkPower->setValue(0);
    if (ahead <= 0 || lastArrivalS < 0) {
        std::fprintf(stderr, "nothing reached the paced handset\n");
        return 2;
    }
    std::printf("%d keys, MacroWait 0, handset paced at 600 baud: at most %lld bytes ahead of the line; the line silent "
                "%.2f s after ESC\n",
                kCommands, ahead, lastArrivalS);
    return mode.verdict("under 50 us a command, under 1% of a core, ESC under 50 ms, at most 512 bytes ahead, silent "
                        "within 10 s of ESC",
                        perCommandUs < 50 && waiting.share() < 1.0 && escMs.back() < 50
                            && ahead <= SerialPortService::kTransmitBuffer && lastArrivalS < 10);
}
