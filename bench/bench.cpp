// Measures what users wait for: start-up, a PSP's arrival, adding a whole
// folder, listing a large folder, editing at the end of a long playlist,
// opening and saving a long playlist, sending music to the PSP. Prints the median of several runs
// of each: the handler alone, and the handler plus the pass of the event loop that paints its
// result, which is what the user sees. Figures over their limit are marked "OVER".

#include "app/application.h"
#include "app/frmmain.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/playlistfile.h"
#include "media/sendtrack.h"
#include "platform/volumeroot.h"
#include "send/musicsend.h"
#include "send/senddialogs.h"
#include "support/audiofiles.h"
#include "support/drops.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QWindow>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int runs = 7;
constexpr int codePage = 1252;

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

struct Timing
{
    double handler = 0;
    double painted = 0;
};

void report(const char *what, double milliseconds, double limit = 0)
{
    const char *mark = limit > 0 && milliseconds > limit ? "  OVER" : "";
    if (limit > 0)
        std::printf("%-62s %9.3f ms   (limit %g ms)%s\n", what, milliseconds, limit, mark);
    else
        std::printf("%-62s %9.3f ms\n", what, milliseconds);
    std::fflush(stdout);
}

void report(const char *what, const Timing &timing, double limit = 0)
{
    report(what, timing.handler, limit);
    const QByteArray painted = QByteArray("  ...and painted");
    report(painted.constData(), timing.painted);
}

void reportRatio(const char *what, double ratio, double limit)
{
    std::printf("%-62s %9.2f x    (limit %g x)%s\n", what, ratio, limit,
                ratio > limit ? "  OVER" : "");
    std::fflush(stdout);
}

// Runs every event that is waiting, the repaints included.
void paint()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Times one run of work after a fresh set-up, several times: the work alone,
// and up to the end of the repaint it causes.
Timing timeRuns(const std::function<void()> &setUp, const std::function<void()> &work)
{
    QList<double> handler;
    QList<double> painted;
    for (int run = 0; run < runs; ++run) {
        setUp();
        paint();
        QElapsedTimer timer;
        timer.start();
        work();
        handler.append(double(timer.nsecsElapsed()) / 1e6);
        paint();
        painted.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return {median(handler), median(painted)};
}

std::unique_ptr<FrmMain> newWindow()
{
    auto window = std::make_unique<FrmMain>(PlatformServices{[] { return quint16(0x0409); },
                                                             codePage, Shell::create(),
                                                             std::make_unique<VolumeNotifier>()});
    window->show();
    return window;
}

void arrive(FrmMain &window, const QString &root)
{
    Q_EMIT window.SysInfo1()->deviceArrival(VolumeNotifier::volumeDeviceType, 0, root, 0);
}

std::unique_ptr<FrmMain> connectedWindow(const QString &root)
{
    std::unique_ptr<FrmMain> window = newWindow();
    arrive(*window, root);
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
    report("start-up: process start to main window shown", median(times));
    std::printf("%-62s %9.1f MiB\n", "start-up: peak memory of the process (max RSS)",
                median(peaks));
}

void benchArrival(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    const QString music = drive.filePath(u"MUSIC"_s);
    makeFiles(music, 20000, u"Track %1 of a large card.mp3"_s);

    FileListBox lister;
    const Timing listing =
        timeRuns([&] { lister.setPath(QString()); }, [&] { lister.setPath(music); });
    report("list a folder of 20,000 files in natural order", listing);

    std::unique_ptr<FrmMain> window;
    const Timing arrival = timeRuns([&] { window = newWindow(); }, [&] { arrive(*window, root); });
    report("arrival of a PSP with 20,000 tracks, panels shown", arrival);
    reportRatio("  arrival / one listing of that folder", arrival.handler / listing.handler, 1.2);
}

void benchTrackLibrary(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    makeFiles(drive.filePath(u"MUSIC/Big album"_s), 5000, u"%1 Some track title.mp3"_s);
    makeFiles(drive.filePath(u"MUSIC/Huge folder"_s), 10000, u"Track %1.mp3"_s);
    makeFiles(drive.filePath(u"MUSIC/Whole card"_s), 20000, u"%1 Another track title.mp3"_s);
    std::unique_ptr<FrmMain> window = connectedWindow(root);
    const MainWindowControls &c = window->controls();

    c.tracks.Dir1->setPath(drive.filePath(u"MUSIC/Big album"_s));
    report("add all: 5,000 files, extent included",
           timeRuns([&] { c.playlist.List1->clear(); }, [&] { c.tracks.Command5->click(); }), 150);
    c.tracks.Dir1->setPath(drive.filePath(u"MUSIC/Whole card"_s));
    report("add all: 20,000 files, extent included",
           timeRuns([&] { c.playlist.List1->clear(); }, [&] { c.tracks.Command5->click(); }));

    FileListBox &tracks = *c.tracks.music;
    report("list a folder of 10,000 files in natural order",
           timeRuns([&] { tracks.setPath(QString()); },
                    [&] { tracks.setPath(drive.filePath(u"MUSIC/Huge folder"_s)); }),
           50);

    ListBox &list = *c.playlist.List1;
    const QStringList entries = longPlaylist(32767);
    const auto fill = [&] {
        list.clear();
        list.addItems(entries);
        list.setSelectedPosition(list.count() - 1);
    };
    report("remove the last of 32,767 entries",
           timeRuns(fill, [&] { c.playlist.Command1->click(); }), 5);
    report("move up the last of 32,767 entries",
           timeRuns(fill, [&] { c.playlist.Command2->click(); }), 5);
    const auto fillSecondLast = [&] {
        fill();
        list.setSelectedPosition(list.count() - 2);
    };
    report("move down the second last of 32,767 entries",
           timeRuns(fillSecondLast, [&] { c.playlist.Command3->click(); }), 5);
    std::unique_ptr<QMimeData> lastLine;
    report("drag and drop the last of 32,767 entries one place up",
           timeRuns(
               [&] {
                   fill();
                   lastLine.reset(list.dragData(list.count() - 1));
               },
               [&] { dropOn(list, *lastLine, list.count() - 2); }),
           5);
}

void benchPlaylistFile(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    std::unique_ptr<FrmMain> window = connectedWindow(root);
    const MainWindowControls &c = window->controls();

    for (const int count : {32767, 100000}) {
        const QString name = u"Long %1"_s.arg(count);
        c.playlist.List1->clear();
        c.playlist.List1->addItems(longPlaylist(count));
        c.playlist.Text1->setText(name);
        const QByteArray entries = QLocale(QLocale::English).toString(count).toLatin1();
        if (count == 32767) {
            report("save a 32,767-entry playlist",
                   timeRuns([] {}, [&] { c.menus.save->trigger(); }), 50);
        } else {
            c.menus.save->trigger();
        }
        const QString path = drive.filePath(u"PSP/PLAYLIST/MUSIC/"_s + name + u".m3u8"_s);
        std::printf("%-62s %9.2f MB\n",
                    ("  (size of the " + entries + "-entry playlist file)").constData(),
                    double(QFileInfo(path).size()) / 1e6);

        const std::unique_ptr<VolumeRoot> playlists = VolumeRoot::open(QFileInfo(path).path());
        const Timing reading = timeRuns(
            [] {},
            [&] { playlist::loadPlaylist(*playlists, QFileInfo(path).fileName(), codePage); });
        report(("read and decode a " + entries + "-entry playlist file").constData(),
               reading.handler);

        c.saved.File2->refresh();
        const int position = int(c.saved.File2->items().indexOf(name + u".m3u8"_s));
        // None of these tracks exists, so the check in the background greys
        // them all; each run starts once the previous one's marks are in.
        ListBox &list = *c.playlist.List1;
        QList<double> marking;
        const auto marksIn = [&] {
            QElapsedTimer waited;
            waited.start();
            while (list.greyedCount() < list.count() && waited.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            return double(waited.nsecsElapsed()) / 1e6;
        };
        const Timing opening = timeRuns(
            [&] {
                marksIn();
                c.saved.File2->setSelectedPosition(-1);
            },
            [&] { c.saved.File2->setSelectedPosition(position); });
        for (int run = 0; run < runs; ++run) {
            c.saved.File2->setSelectedPosition(position);
            marking.append(marksIn());
        }
        report(("open a " + entries + "-entry playlist, extent included").constData(), opening,
               count == 32767 ? 100 : 0);
        reportRatio("  opening / reading and decoding alone", opening.handler / reading.handler, 2);
        report("  ...every entry marked missing, in the background", median(marking));
    }
}

// Sends files to a fresh folder standing in for a PSP, conversions on a pool
// of workers and copies one at a time beside them, as a send does once
// started; the wall time in milliseconds.
double timeSend(const QStringList &files, int workers)
{
    QTemporaryDir psp;
    QDir(psp.path()).mkpath(u"MUSIC"_s);
    const std::unique_ptr<VolumeRoot> volume = VolumeRoot::open(psp.path());
    QList<SourceTrack> sources;
    for (const QString &file : files)
        sources.append(probeSource(file));
    const SendPlan plan = planSend(sources, listMusic(*volume), TargetFormat::Mp3);
    const std::atomic_bool cancelled{false};
    QThreadPool conversions;
    conversions.setMaxThreadCount(workers);
    QThreadPool copies;
    copies.setMaxThreadCount(1);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < sources.size(); ++i) {
        QThreadPool &lane = plan.tracks.at(i).method == SendMethod::Copy ? copies : conversions;
        lane.start([&, i] {
            sendTrack(*volume, u"MUSIC"_s, sources.at(i), plan.tracks.at(i), TargetFormat::Mp3,
                      cancelled);
        });
    }
    conversions.waitForDone();
    copies.waitForDone();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The same conversions by the ffmpeg program, one process per worker.
double timeFfmpeg(const QString &program, const QStringList &files, int processes)
{
    QTemporaryDir output;
    QElapsedTimer timer;
    timer.start();
    QList<std::shared_ptr<QProcess>> running;
    for (int i = 0; i < files.size() || !running.isEmpty();) {
        if (i < files.size() && running.size() < processes) {
            auto process = std::make_shared<QProcess>();
            process->start(program,
                           {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-i"_s, files.at(i),
                            u"-map"_s, u"0:a"_s, u"-c:a"_s, u"libmp3lame"_s, u"-q:a"_s, u"2"_s,
                            u"-ar"_s, u"44100"_s, u"-id3v2_version"_s, u"3"_s, u"-write_id3v1"_s,
                            u"1"_s, output.filePath(QString::number(i) + u".mp3"_s)});
            running.append(process);
            ++i;
            continue;
        }
        running.takeFirst()->waitForFinished(-1);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

double timeCopy(const QStringList &files)
{
    QTemporaryDir output;
    QElapsedTimer timer;
    timer.start();
    for (const QString &file : files) {
        QFile source(file);
        QFile target(output.filePath(QFileInfo(file).fileName()));
        source.open(QIODevice::ReadOnly);
        target.open(QIODevice::WriteOnly);
        while (!source.atEnd())
            target.write(source.read(1024 * 1024));
        target.flush();
        fsync(target.handle());
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

qint64 statusKib(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').at(0).toLongLong();
    }
    return 0;
}

// A send through the window, from the drop to the report: the longest the
// event loop went without turning, and how far memory rose above where it was.
void benchSendInWindow(const QStringList &files)
{
    QTemporaryDir psp;
    QDir(psp.path()).mkpath(u"PSP"_s);
    const std::unique_ptr<FrmMain> window = connectedWindow(psp.path() + u'/');
    paint();
    // Resets the process's peak memory to what it uses now.
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = statusKib("VmRSS:");

    bool done = false;
    QObject::connect(&window->send(), &MusicSend::finished, [&] { done = true; });
    window->send().start(files);
    QElapsedTimer timer;
    timer.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, timer.nsecsElapsed() - last);
        last = timer.nsecsElapsed();
        for (SendPlanDialog *plan : window->findChildren<SendPlanDialog *>()) {
            auto *start = plan->findChild<QPushButton *>(u"start"_s);
            if (plan->isVisible() && start->isEnabled())
                start->click();
        }
    });
    last = timer.nsecsElapsed();
    tick.start(1);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    tick.stop();
    const QByteArray what =
        "send of " + QByteArray::number(files.size()) + " tracks: longest stall of the event loop";
    report(what.constData(), double(longest) / 1e6, 50);
    std::printf(
        "%-62s %9.1f MiB   (limit 150 MiB)\n",
        ("send of " + QByteArray::number(files.size()) + " tracks: memory growth").constData(),
        double(statusKib("VmHWM:") - before) / 1024.0);
}

void reportFloor(const char *what, double ratio, double floor)
{
    std::printf("%-62s %9.2f x    (at least %g x)%s\n", what, ratio, floor,
                ratio < floor ? "  UNDER" : "");
    std::fflush(stdout);
}

void reportRuns(const char *what, const QList<double> &times)
{
    std::printf("%-62s %9.1f ms   (min %.1f ms)\n", what, median(times),
                *std::min_element(times.cbegin(), times.cend()));
    std::fflush(stdout);
}

void benchSend(bool inWindow)
{
    constexpr int sendRuns = 3;
    constexpr int copyRuns = 7;
    QTemporaryDir sources;
    QStringList flacs;
    QStringList waves;
    QStringList mixed;
    QStringList shortTracks;
    for (int i = 1; i <= 8; ++i) {
        flacs.append(sources.filePath(u"long %1.flac"_s.arg(i)));
        writeTone(flacs.constLast(), "flac", 60, 44100, 2, {{u"title"_s, u"Long"_s}});
        waves.append(sources.filePath(u"copy %1.wav"_s.arg(i)));
        writeTone(waves.constLast(), "wav", 120, 44100, 2);
        mixed.append({flacs.constLast(), waves.constLast()});
    }
    if (inWindow) {
        for (int i = 1; i <= 100; ++i) {
            shortTracks.append(sources.filePath(u"short %1.flac"_s.arg(i)));
            writeTone(shortTracks.constLast(), "flac", 10, 44100, 2, {{u"title"_s, u"Short"_s}});
        }
        benchSendInWindow(shortTracks);
    }

    const int cores = QThread::idealThreadCount();
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    QList<double> copies;
    QList<double> plain;
    for (int run = 0; run < copyRuns; ++run) {
        copies.append(timeSend(waves, cores));
        plain.append(timeCopy(waves));
    }
    reportRuns("copy 8 x 20 MB WAV as they are", copies);
    reportRuns("  ...plain file copy of the same files", plain);
    reportFloor("  ...our throughput against the plain copy's", median(plain) / median(copies),
                0.9);

    QList<double> ours;
    QList<double> theirs;
    QList<double> one;
    QList<double> both;
    copies.clear();
    for (int run = 0; run < sendRuns; ++run) {
        ours.append(timeSend(flacs, cores));
        if (!ffmpeg.isEmpty())
            theirs.append(timeFfmpeg(ffmpeg, flacs, cores));
        one.append(timeSend(flacs, 1));
        copies.append(timeSend(waves, cores));
        both.append(timeSend(mixed, cores));
    }
    reportRuns("convert 8 x 60 s FLAC to MP3, one worker per core", ours);
    reportRuns("  ...with one worker", one);
    reportFloor("  ...speed-up from one worker to one per core", median(one) / median(ours), 1.7);
    if (ffmpeg.isEmpty()) {
        std::printf("  ...ffmpeg is not installed: no comparison with it\n");
    } else {
        reportRuns("  ...ffmpeg program, one process per core", theirs);
        reportRatio("  ...ours against ffmpeg's wall time", median(ours) / median(theirs), 1.15);
    }
    reportRuns("send of those 8 FLAC and 8 WAV, in turn", both);
    reportRuns("  ...the 8 WAV alone", copies);
    reportRatio("  ...against the longer of conversions and copies alone",
                median(both) / std::max(median(ours), median(copies)), 1.15);
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
    // "--send" measures the send to the PSP alone, away from any window.
    if (argc > 1 && qstrcmp(argv[1], "--send") == 0) {
        benchSend(false);
        return 0;
    }
    benchStartup(QCoreApplication::applicationFilePath());
    benchSend(true);

    QTemporaryDir card;
    QDir(card.path()).mkpath(u"PSP"_s);
    benchArrival(card);

    QTemporaryDir library;
    QDir(library.path()).mkpath(u"PSP"_s);
    benchTrackLibrary(library);

    QTemporaryDir playlists;
    QDir(playlists.path()).mkpath(u"PSP"_s);
    benchPlaylistFile(playlists);
    return 0;
}
