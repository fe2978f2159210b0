// CPU used by a 2-second WaitSeconds, side by side with a loop that processes events for
// the same time (the way a wait must not be written).
#include "CpuMeasure.h"
#include "platform/SleepingWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const float seconds = 2.0f;
    const Measured sleeping = measure([&] { WaitSeconds(seconds); });
    const Measured busy = measure([&] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < qint64(seconds * 1000))
            QCoreApplication::processEvents();
    });
    std::printf("WaitSeconds(%.1f): wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", double(seconds), sleeping.wall,
                sleeping.cpu, 100.0 * sleeping.cpu / sleeping.wall);
    std::printf("busy processEvents loop: wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", busy.wall, busy.cpu,
                100.0 * busy.cpu / busy.wall);
    const double ratio = busy.cpu / std::max(sleeping.cpu, 1e-6);
    std::printf("busy / sleeping CPU: %.0fx\n", ratio);
    const bool ok = sleeping.wall >= seconds && 100.0 * sleeping.cpu / sleeping.wall < 1.0 && ratio >= 50.0;
    std::printf("target (under 1%% of a core, at least 50x less than busy): %s\n", ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
