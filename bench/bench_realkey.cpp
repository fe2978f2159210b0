// From an X key event (XTest) to the last byte of its frame at the simulated handset, with
// the real program on its own Xvfb: once with fcitx5 running and the desktop input method
// allowed (DontUseIME 0, IMEON 0, so that every key travels through fcitx5 and back and the
// lamp asks for its state), once without an input method. The handset is not paced here, and
// reads in this process, as the tests' handset does.
#include "BenchMode.h"
#include "RealDesktop.h"

#include "platform/SleepingWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kWarmUp = 20;
constexpr int kFrameBytes = 8;

struct Figures {
    double median;
    double p99;
    double worst;
};

std::optional<Figures> Run(bool withInputMethod, int keys)
{
    RealDesktop desk({.inputMethod = withInputMethod, .paced = false});
    const bool started = desk.start() && desk.writeSettings([&](Settings& s, KeyMap&, MainWindowSettings&) {
        s.DontUseIME = withInputMethod ? 0 : 1;
        s.IMEON = 0;
    }) && desk.startProgram() && desk.powerOn();
    if (!started) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(desk.error()));
        return std::nullopt;
    }
    std::vector<double> ms;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kWarmUp + keys; ++i) {
        // One key at a time on an idle line: a frame takes about 150 ms at 600 baud, and what the
        // line cannot carry yet waits in the program.
        WaitSeconds(0.15f);
        const qsizetype before = desk.handset().received().size();
        qint64 arrived = 0;
        const qint64 pressed = clock.nsecsElapsed();
        if (!desk.key(QString(QChar(u'a' + i % 26)))
            || !desk.waitUntil([&] {
                   if (desk.handset().received().size() < before + kFrameBytes)
                       return false;
                   arrived = clock.nsecsElapsed();
                   return true;
               }, 3000)) {
            std::fprintf(stderr, "key %d: no frame\n", i);
            return std::nullopt;
        }
        if (i >= kWarmUp)
            ms.push_back(double(arrived - pressed) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return Figures{ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    const int keys = mode.size(300, 20);
    const std::optional<Figures> with = Run(true, keys);
    const std::optional<Figures> without = Run(false, keys);
    if (!with || !without)
        return 2;
    std::printf("%d keys, XTest key event to the frame's last byte at the handset\n", keys);
    std::printf("with fcitx5, DontUseIME 0: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n", with->median,
                with->p99, with->worst);
    std::printf("without an input method:   median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n",
                without->median, without->p99, without->worst);
    return mode.verdict("with fcitx5: median under 1 ms, 99th percentile under 3 ms", with->median < 1.0 && with->p99 < 3.0);
}
