// CPU used by a 2-second WaitSeconds, side by side with a loop that processes events for
// the same time (the way a wait must not be written).
#include "BenchMode.h"
#include "Measure.h"
#include "platform/SleepingWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    const float seconds = mode.size(2.0f, 0.2f);
    const Measured sleeping = Measure([&] { WaitSeconds(seconds); });
    const Measured busy = Measure([&] { BusyWait(seconds); });
    std::printf("WaitSeconds(%.1f): wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", double(seconds), sleeping.wall,
                sleeping.cpu, sleeping.share());
    std::printf("busy processEvents loop: wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", busy.wall, busy.cpu,
                busy.share());
    const double ratio = busy.cpu / std::max(sleeping.cpu, 1e-6);
    std::printf("busy / sleeping CPU: %.0fx\n", ratio);
    if (sleeping.wall < seconds) {
        std::fprintf(stderr, "WaitSeconds ended early\n");
        return 2;
    }
    return mode.verdict("under 1% of a core, at least 50x less than busy", sleeping.share() < 1.0 && ratio >= 50.0);
}
