// Wall time and CPU time of a piece of work, for the benchmarks that compare a sleeping wait
// with a busy one.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

inline double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
    const double cpu = CpuSeconds();
    f();
    return {double(clock.nsecsElapsed()) / 1e9, CpuSeconds() - cpu};
}

// The way a wait must not be written: events processed in a loop for that long.
inline void BusyWait(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.nsecsElapsed() < qint64(seconds * 1e9))
        QCoreApplication::processEvents();
}
