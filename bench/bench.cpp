// Measures what users wait for: start-up, adding a whole folder, listing a
// large folder, editing at the end of a long playlist, opening and saving a
// long playlist. Prints the median of several runs of each.

#include "app/application.h"
#include "app/frmmain.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int runs = 7;

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void report(const char *what, double milliseconds, const char *limit)
{
    std::printf("%-58s %9.3f ms   (limit %s)\n", what, milliseconds, limit);
    std::fflush(stdout);
}

// Times one run of work after a fresh set-up, several times.
double timeRuns(const std::function<void()> &setUp, const std::function<void()> &work)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        setUp();
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

std::unique_ptr<FrmMain> connectedWindow(const QString &root)
{
    auto window = std::make_unique<FrmMain>(PlatformServices{
        [] { return quint16(0x0409); }, 1252, Shell::create(), std::make_unique<VolumeNotifier>()});
    window->show();
    Q_EMIT window->SysInfo1()->deviceArrival(VolumeNotifier::volumeDeviceType, 0, root, 0);
    return window;
}

void makeFiles(const QString &folder, int count, const QString &pattern)
{
    QDir().mkpath(folder);
    for (int i = 1; i <= count; ++i) {
        QFile file(folder + u'/' + pattern.arg(i));
        file.open(QIODevice::WriteOnly);
    }
}

QStringList longPlaylist(int entries)
{
    QStringList lines;
    for (int i = 0; i < entries; ++i)
        lines.append(
            u"\\MUSIC\\Artist %1\\Album %2\\%3 A track name of ordinary length.mp3"_s.arg(i % 97)
                .arg(i % 13)
                .arg(i));
    return lines;
}

// Run in a child process: show the main window as the program does, then say
// when it was exposed and how much memory the process used at its peak.
int startupChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication();
    FrmMain window(PlatformServices::system());
    window.showCentred();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 shown = monotonicNanoseconds();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %ld\n", static_cast<long long>(shown), usage.ru_maxrss);
    return 0;
}

void benchStartup(const QString &program)
{
    QList<double> times;
    QList<double> peaks;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        const qint64 started = monotonicNanoseconds();
        child.start(program, {u"--startup-child"_s});
        child.waitForFinished(30000);
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2) {
            std::printf("start-up run failed: %s\n", child.readAllStandardError().constData());
            return;
        }
        times.append(double(fields[0].toLongLong() - started) / 1e6);
        peaks.append(fields[1].toDouble() / 1024.0);
    }
    report("start-up: process start to main window shown", median(times), "none");
    std::printf("%-58s %9.1f MiB\n", "start-up: peak memory of the process (max RSS)",
                median(peaks));
}

void benchTrackLibrary(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    makeFiles(drive.filePath(u"MUSIC/Big album"_s), 5000, u"%1 Some track title.mp3"_s);
    makeFiles(drive.filePath(u"MUSIC/Huge folder"_s), 10000, u"Track %1.mp3"_s);
    std::unique_ptr<FrmMain> window = connectedWindow(root);

    window->controls().tracks.Dir1->setPath(drive.filePath(u"MUSIC/Big album"_s));
    report("add all: 5,000 files, extent included",
           timeRuns([&] { window->controls().playlist.List1->clear(); },
                    [&] { window->controls().tracks.Command5->click(); }),
           "150 ms");

    FileListBox &tracks = *window->controls().tracks.music;
    report("list a folder of 10,000 files in natural order",
           timeRuns([] {}, [&] { tracks.setPath(drive.filePath(u"MUSIC/Huge folder"_s)); }),
           "50 ms");

    ListBox &list = *window->controls().playlist.List1;
    const QStringList entries = longPlaylist(32767);
    const auto fill = [&] {
        list.clear();
        list.addItems(entries);
        list.setSelectedPosition(list.count() - 1);
    };
    report("remove the last of 32,767 entries",
           timeRuns(fill, [&] { window->controls().playlist.Command1->click(); }), "5 ms");
    report("move up the last of 32,767 entries",
           timeRuns(fill, [&] { window->controls().playlist.Command2->click(); }), "5 ms");
    const auto fillSecondLast = [&] {
        fill();
        list.setSelectedPosition(list.count() - 2);
    };
    report("move down the second last of 32,767 entries",
           timeRuns(fillSecondLast, [&] { window->controls().playlist.Command3->click(); }),
           "5 ms");
}

void benchPlaylistFile(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    const QStringList entries = longPlaylist(32767);
    std::unique_ptr<FrmMain> window = connectedWindow(root);

    window->controls().playlist.List1->addItems(entries);
    window->controls().playlist.Text1->setText(u"Long"_s);
    report("save a 32,767-entry playlist",
           timeRuns([] {}, [&] { window->controls().menus.save->trigger(); }), "50 ms");
    const qint64 size = QFileInfo(drive.filePath(u"PSP/PLAYLIST/MUSIC/Long.m3u8"_s)).size();
    std::printf("%-58s %9.2f MB\n", "  (size of that playlist file)", double(size) / 1e6);

    window->controls().saved.File2->refresh();
    report("open a 32,767-entry playlist, extent included",
           timeRuns([] {}, [&] { window->controls().saved.File2->setSelectedPosition(0); }),
           "100 ms");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--startup-child") == 0)
        return startupChild(argc, argv);

    QApplication app(argc, argv);
    prepareApplication();
    messagebox::recordInsteadOfShowing();
    std::printf("Zarvello benchmark, median of %d runs\n\n", runs);
    benchStartup(QCoreApplication::applicationFilePath());

    QTemporaryDir library;
    QDir(library.path()).mkpath(u"PSP"_s);
    benchTrackLibrary(library);

    QTemporaryDir playlists;
    QDir(playlists.path()).mkpath(u"PSP"_s);
    benchPlaylistFile(playlists);
    return 0;
}
