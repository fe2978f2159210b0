// Wall time and CPU time of a piece of work, for the benchmarks that compare a sleeping wait
// with a busy one.
#pragma once

#include "CpuTime.h"

#include <QCoreApplication>
#include <QElapsedTimer>

struct Measured {
    double wall;
    double cpu;
    double share() const { return wall > 0 ? 100.0 * cpu / wall : 0; } // percent of a core
};

template <typename F>
Measured Measure(F&& f)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    f();
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
}

// The way a wait must not be written: events processed in a loop for that long.
inline void BusyWait(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.nsecsElapsed() < qint64(seconds * 1e9))
        QCoreApplication::processEvents();
}
