// Starts as the program does, linked as the program is, and once the main
// window is on screen prints the CPU time the process has used since it began
// (every thread, user and system, in nanoseconds), the monotonic clock then,
// and the process's peak memory in KiB. The benchmark runs it many times.

#include "app/application.h"
#include "app/frmmain.h"
#include "app/sessioninstance.h"
#include "platform/displayplatform.h"

#include <cstdio>
#include <ctime>
#include <QApplication>
#include <QWindow>
#include <sys/resource.h>

namespace {

long long nanoseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    SessionInstance session;
    // Another start's instance would take this one's window.
    if (session.handOver(QString()))
        return 1;
    FrmMain window(PlatformServices::system());
    window.showCentred();
    session.listenOnceShown(*window.windowHandle());
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const long long cpu = nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    const long long shown = nanoseconds(CLOCK_MONOTONIC);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %lld %ld\n", cpu, shown, usage.ru_maxrss);
    return 0;
}
