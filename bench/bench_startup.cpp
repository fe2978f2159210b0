// Start-up of the real program, from spawning it to its window's first paint, and its peak
// resident memory, on the platform QT_QPA_PLATFORM names (offscreen unless set).
#include "BenchMode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Run {
    double shownMs = -1;
    long peakKb = 0;
};

Run startOnce(const std::string& program)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const double start = nowMs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    Run run;
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    // The probe prints one line after the first paint; a blocking read sleeps until then.
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    if (line.rfind("shown", 0) == 0)
        run.shownMs = nowMs() - start;
    // The rest of what it says, to its end: a closed pipe would cut its exit short.
    char rest[256];
    while (read(out[0], rest, sizeof rest) > 0) {
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.shownMs = -1;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    const BenchMode mode(argc, argv);
    const int runs = mode.size(20, 3);
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 2;
    // The program sits beside this benchmark. (Built with snprintf: GCC 12 warns falsely
    // about std::string concatenation here.)
    char* slash = std::strrchr(self, '/');
    if (!slash)
        return 2;
    char path[PATH_MAX + 16] = {};
    std::snprintf(path, sizeof path, "%.*s/yubisaki", int(slash - self), self);
    const std::string program(path);

    char folder[] = "/tmp/yubisaki-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 2;
    setenv("YUBISAKI_HOME", folder, 1);
    setenv("YUBISAKI_CLOSE_WHEN_SHOWN", "1", 1);
    setenv("QT_QPA_PLATFORM", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "offscreen", 0);
    // Nothing to open: the power stays off, so no port is needed.
    const Run first = startOnce(program); // creates the two settings files
    if (first.shownMs < 0) {
        std::fprintf(stderr, "%s did not start\n", program.c_str());
        return 2;
    }
    std::vector<double> ms;
    long peakKb = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = startOnce(program);
        if (run.shownMs < 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 2;
        }
        ms.push_back(run.shownMs);
        peakKb = std::max(peakKb, run.peakKb);
    }
    char cleanup[64] = {};
    std::snprintf(cleanup, sizeof cleanup, "rm -rf %s", folder);
    if (std::system(cleanup) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder);
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("start-up to first paint (%s), %d runs: median %.1f ms, worst %.1f ms (first start %.1f ms); "
                "peak resident memory %.1f MB\n",
                std::getenv("QT_QPA_PLATFORM"), runs, median, ms.back(), first.shownMs, double(peakKb) / 1024.0);
    return mode.verdict("under 150 ms, under 60 MB", median < 150.0 && peakKb < 60 * 1024);
}
