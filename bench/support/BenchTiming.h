#pragma once

// What the benchmarks share: how many runs a median is taken over, the median itself and
// one printed line per figure against its baseline.
//
// Times are wall-clock times. On a machine that other work shares, DW_BENCH_CPU_TIME=1 takes
// the CPU time of the measuring thread instead: what other processes do then does not count,
// but neither does waiting (for the disk, or for another thread).
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace dwfm::bench {

inline int runs = 5;

// Stops the benchmark with a reason: a figure measured on a broken set-up means nothing.
[[noreturn]] inline void die(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::exit(2);
}

// The benchmark's first argument, when given, is the number of runs.
inline void readRuns(int argc, char **argv)
{
    if (argc > 1)
        runs = std::max(1, std::atoi(argv[1]));
}

// Takes `option` when it is the first argument, so that readRuns finds the runs after it.
inline bool takeOption(int &argc, char **&argv, const char *option)
{
    if (argc < 2 || std::strcmp(argv[1], option) != 0)
        return false;
    --argc;
    ++argv;
    return true;
}

// A stopwatch for one measured stretch, by the wall clock or by the thread's CPU time.
class Stopwatch {
public:
    Stopwatch() { m_wall.start(); m_cpu = cpuMs(); }
    double elapsedMs() const { return cpuTime() ? cpuMs() - m_cpu : double(m_wall.nsecsElapsed()) / 1e6; }
    static bool cpuTime()
    {
        static const bool cpu = qEnvironmentVariableIntValue("DW_BENCH_CPU_TIME") != 0;
        return cpu;
    }

private:
    static double cpuMs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

// The median time in ms of the runs of `body`; `prepare` runs untimed before each.
inline double medianMs(const std::function<void()> &body, const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const Stopwatch watch;
        body();
        times.push_back(watch.elapsedMs());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One line: the figure, its baseline, their ratio and, for a `limit` above 0, whether the
// ratio stays within it.
inline void report(const char *what, double ms, double baselineMs, double limit)
{
    const double ratio = ms / baselineMs;
    std::printf("%-50s %8.1f ms  baseline %8.1f ms  ratio %5.2f", what, ms, baselineMs, ratio);
    if (limit > 0)
        std::printf("  (at most %.1fx: %s)", limit, ratio <= limit ? "ok" : "OVER");
    std::printf("\n");
}

} // namespace dwfm::bench
