// A burst of typed characters in the real main window (offscreen) against the simulated
// handset reading at the real line's 600 baud: all frames arrive, in order, the line is kept
// busy, and the event loop keeps running meanwhile.
#include "BenchMode.h"
#include "TypingWindow.h"
#include "phonesim/Handset.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

int burst(frmMain& w, phonesim::Handset& handset, int characters, const BenchMode& mode)
{
    // One key first, so that fonts and the first paint are not counted as the loop's lateness.
    TypeLetter(w, 0);
    if (!handset.waitForReceived(int(handset.received().size()) + 8, 5000))
        return 2;
    handset.setPaced(true);
    const qsizetype before = handset.received().size();
    const qsizetype logBefore = handset.byteLog().size();
    QByteArray expected;
    for (int i = 0; i < characters; ++i)
        expected += LetterFrame(i);

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
        TypeLetter(w, typed++);
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
    if (!arrived || !inOrder)
        return 2;
    return mode.verdict("at least 99% of the line's rate, under 20 ms late", lineShare >= 0.99 && worstLateMs <= 20);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    const int characters = mode.size(2000, 20);
    phonesim::Handset handset;
    QTemporaryDir home;
    std::unique_ptr<frmMain> w = OpenTypingWindow(home, handset);
    if (!w)
        return 2;
    const int status = burst(*w, handset, characters, mode);
    w->chkPower->setValue(0);
    return status;
}
