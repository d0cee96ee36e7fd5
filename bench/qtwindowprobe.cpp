// What Qt itself costs to start here and now: a main window of the same kind
// as the program's, with a menu bar, a label, a list, a text box and a button,
// none of them ours. Prints what the start-up probe prints once it is on
// screen, for the benchmark to set the program's start beside it.

#include <cstdio>
#include <ctime>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
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
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("New"));
    window.menuBar()->addAction(QStringLiteral("About"));
    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    layout->addWidget(new QLabel(QStringLiteral("Connect your PSP")));
    auto *list = new QListWidget;
    list->addItems({QStringLiteral("One"), QStringLiteral("Two")});
    layout->addWidget(list);
    layout->addWidget(new QLineEdit(QStringLiteral("New playlist")));
    layout->addWidget(new QPushButton(QStringLiteral("Delete")));
    window.setCentralWidget(client);
    window.resize(618, 369);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const long long cpu = nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    const long long shown = nanoseconds(CLOCK_MONOTONIC);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %lld %ld\n", cpu, shown, usage.ru_maxrss);
    return 0;
}
