// Wall-clock and CPU time of one call, for the benchmarks that compare ways of waiting.
#pragma once

#include <QElapsedTimer>

#include <sys/resource.h>

inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Measured {
    double wall;
    double cpu;
};

template <typename F>
Measured measure(F&& f)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    f();
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
}
