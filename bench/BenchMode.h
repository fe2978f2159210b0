// How a benchmark runs: in full, its figures judged against its target; or, given --short as
// its first argument, as the tests run it: a few iterations and short waits, the figures printed
// but not judged, so that a benchmark that breaks fails the tests and a slow machine never does.
// A broken run (nothing arrived, a wait that did not wait) exits 2 in either mode.
#pragma once

#include <cstdio>
#include <cstring>

class BenchMode {
public:
    BenchMode(int argc, char** argv) : short_(argc > 1 && std::strcmp(argv[1], "--short") == 0) {}
    bool isShort() const { return short_; }
    // `full` in a full run, `brief` in a short one.
    template <typename T>
    T size(T full, T brief) const
    {
        return short_ ? brief : full;
    }
    // Says whether the target was met; the exit status: 1 when a full run missed it.
    int verdict(const char* target, bool met) const
    {
        std::printf("target (%s): %s\n", target, short_ ? "not judged in a short run" : met ? "met" : "MISSED");
        return met || short_ ? 0 : 1;
    }

private:
    bool short_;
};
