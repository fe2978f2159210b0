// Latency from SendKeyCode to the 8 bytes being readable at the simulated handset's end
// of a pseudo-terminal, over many frames.
#include "link/SerialLink.h"
#include "BenchMode.h"
#include "HandsetOnCom1.h"
#include "IdleLine.h"
#include "phonesim/Handset.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int frames = BenchMode(argc, argv).size(300, 20);

    phonesim::Handset handset;
    if (!StartHandsetOnCom1(handset))
        return 2;
    SerialPortService port;
    Settings settings;
    SerialLink link(port, settings);
    if (link.OpenForUse().failed()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(handset.portPath()));
        return 2;
    }

    std::vector<double> ms;
    ms.reserve(std::size_t(frames));
    QElapsedTimer clock;
    for (int i = 0; i < frames; ++i) {
        if (!WaitForIdleLine(port)) {
            std::fprintf(stderr, "the line is still busy before frame %d\n", i);
            return 2;
        }
        const int expected = int(handset.received().size()) + 8;
        clock.start();
        link.SendKeyCode(KeyCode{2, std::uint8_t(1 + i % 15), std::uint8_t(1 + i % 5)});
        if (!handset.waitForReceived(expected, 5000)) {
            std::fprintf(stderr, "frame %d did not arrive\n", i);
            return 2;
        }
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("SendKeyCode to 8 bytes at the handset, %d frames: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                frames, median, p99, ms.back());
    return BenchMode(argc, argv).verdict("median under 0.2 ms, p99 under 1 ms", median < 0.2 && p99 < 1.0);
}
