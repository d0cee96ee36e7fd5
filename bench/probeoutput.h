#pragma once

#include <cstdio>
#include <ctime>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <sys/resource.h>

// Waits until window is on screen, then prints the CPU time the process has
// used since it began (every thread, user and system, in nanoseconds), the
// monotonic clock then, and the process's peak memory in KiB: what the
// benchmark reads from each start-up probe.
inline int printWhenShown(QWidget &window)
{
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const auto nanoseconds = [](clockid_t clock) {
        timespec now{};
        clock_gettime(clock, &now);
        return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
    };
    const long long cpu = nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    const long long shown = nanoseconds(CLOCK_MONOTONIC);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %lld %ld\n", cpu, shown, usage.ru_maxrss);
    return 0;
}
