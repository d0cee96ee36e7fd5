// Measures what users wait for: start-up, a PSP's arrival, adding a whole
// folder, listing a large folder, editing at the end of a long playlist,
// opening and saving a long playlist, marking its missing tracks, sending
// music to the PSP, planning a large send, a second send of tracks already
// there, importing a desktop player's playlist, reading a huge .pls, a flood
// of calls over the session bus. Prints the median of several
// runs of each: the handler alone, and the handler plus the pass of the event loop that paints its
// result, which is what the user sees. The two sides of a ratio run in turn (A B A B ...) under the
// same conditions, timed in CPU time of the window's thread, which other programs on the machine
// hardly disturb; a ratio is that of the two minimums. Figures over their limit are marked "OVER".

#include "app/application.h"
#include "app/frmmain.h"
#include "audio/audioworkers.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/background.h"
#include "core/playlistfile.h"
#include "core/playlistreaders.h"
#include "core/sendrecord.h"
#include "platform/sessioninstance.h"
#include "platform/volumeroot.h"
#include "send/musicsend.h"
#include "send/senddialogs.h"
#include "support/audiofiles.h"
#include "support/drops.h"
#include "support/loopvolume.h"
#include "transfer/sendtrack.h"
#include "transfer/syncsession.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int runs = 7;
// The sides of a ratio run more often: on a busy machine their minimums
// take more runs to settle.
constexpr int ratioRuns = 15;
constexpr int codePage = 1252;
const QString floodId = u"org.example.ZarvelloBench"_s;

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The event loop's longest time between two ticks of a 1 ms timer, in wall
// time and in the thread's own CPU time, from start() to stop(); eachTick
// runs on every tick.
class StallProbe
{
public:
    explicit StallProbe(std::function<void()> eachTick = {})
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this, eachTick = std::move(eachTick)] {
            const qint64 now = m_clock.nsecsElapsed();
            const double cpu = threadCpuMilliseconds();
            m_longest = std::max(m_longest, now - std::exchange(m_last, now));
            m_longestCpu = std::max(m_longestCpu, cpu - std::exchange(m_lastCpu, cpu));
            if (eachTick)
                eachTick();
        });
    }

    void start()
    {
        m_clock.start();
        m_last = 0;
        m_lastCpu = threadCpuMilliseconds();
        m_tick.start(1);
    }
    void stop() { m_tick.stop(); }
    double longestMilliseconds() const { return double(m_longest) / 1e6; }
    double longestCpuMilliseconds() const { return m_longestCpu; }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    double m_lastCpu = 0;
    double m_longestCpu = 0;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double minimum(const QList<double> &values)
{
    return *std::min_element(values.cbegin(), values.cend());
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

void reportSpread(const char *what, const QList<double> &milliseconds, double limit = 0)
{
    const QByteArray line =
        QByteArray(what) + " (min " + QByteArray::number(minimum(milliseconds), 'f', 3) + ")";
    report(line.constData(), median(milliseconds), limit);
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

// One side of a ratio: a set-up, untimed, then the work timed.
struct Side
{
    const char *what;
    std::function<void()> setUp;
    std::function<void()> work;
    double limit = 0;
};

// Times both sides in turn, A B A B ..., each in CPU time of this thread, and
// reports the minimum and median of each and the ratio of the minimums.
void reportInterleaved(const Side &a, const Side &b, const char *ratio, double limit)
{
    QList<double> times[2];
    for (int run = 0; run < ratioRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const Side &timed = side == 0 ? a : b;
            timed.setUp();
            paint();
            background::threads().waitForDone();
            const double start = threadCpuMilliseconds();
            timed.work();
            times[side].append(threadCpuMilliseconds() - start);
        }
    }
    reportSpread(a.what, times[0], a.limit);
    reportSpread(b.what, times[1], b.limit);
    reportRatio(ratio, minimum(times[0]) / minimum(times[1]), limit);
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
    Q_EMIT window.SysInfo1().deviceArrival(VolumeNotifier::volumeDeviceType, 0, root, 0);
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

// Starts the program, as linked for shipping, several times over, in turn
// with a bare Qt window of the same kind; each start says how much CPU time it
// took to show its window.
void benchStartup()
{
    constexpr int starts = 10;
    struct Probe
    {
        const char *program;
        QList<double> cpu;
        QList<double> wall;
        QList<double> peaks;
    } probes[] = {{ZARVELLO_STARTUP_PROBE, {}, {}, {}}, {ZARVELLO_QTWINDOW_PROBE, {}, {}, {}}};
    // A session of their own, with its own bus, so that a Zarvello running meanwhile takes none
    // of them; its folder in memory, as desktops give it.
    const QString memory = u"/dev/shm"_s;
    const QTemporaryDir session((QDir(memory).exists() ? memory : QDir::tempPath()) +
                                u"/zarvello-XXXXXX"_s);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, session.path());
    QProcess bus;
    bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    if (!bus.waitForReadyRead(10000)) {
        std::printf("start-up not measured: dbus-daemon gives no session bus\n");
        return;
    }
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, QString::fromUtf8(bus.readLine().trimmed()));
    for (int run = 0; run < starts; ++run) {
        for (Probe &probe : probes) {
            QProcess child;
            child.setProcessEnvironment(environment);
            const qint64 started = monotonicNanoseconds();
            child.start(QString::fromLocal8Bit(probe.program), {});
            child.waitForFinished(30000);
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            if (fields.size() != 3) {
                std::printf("start-up run failed: %s\n", child.readAllStandardError().constData());
                return;
            }
            probe.cpu.append(fields[0].toDouble() / 1e6);
            probe.wall.append(double(fields[1].toLongLong() - started) / 1e6);
            probe.peaks.append(fields[2].toDouble() / 1024.0);
        }
    }
    bus.terminate();
    bus.waitForFinished();
    const Probe &program = probes[0];
    const Probe &bare = probes[1];
    reportSpread("start-up to main window shown, CPU time of the process", program.cpu);
    reportSpread("  ...the same in elapsed time", program.wall);
    std::printf("%-62s %9.1f MiB\n", "start-up: peak memory of the process (max RSS)",
                median(program.peaks));
    reportSpread("  ...a bare Qt window of the same kind, CPU time", bare.cpu);
    // The goal: a start costs at most a quarter more than Qt's own.
    constexpr double goal = 1.25;
    const double ofMedians = median(program.cpu) / median(bare.cpu);
    std::printf("%-62s %9.2f x    (min %.2f x; limit %g x)%s\n",
                "  ...the program against the bare Qt window", ofMedians,
                minimum(program.cpu) / minimum(bare.cpu), goal, ofMedians > goal ? "  OVER" : "");
}

void benchArrival(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    const QString music = drive.filePath(u"MUSIC"_s);
    makeFiles(music, 20000, u"Track %1 of a large card.mp3"_s);

    FileListBox lister;
    std::unique_ptr<FrmMain> window;
    reportInterleaved(
        {"arrival of a PSP with 20,000 tracks, panels shown", [&] { window = newWindow(); },
         [&] {
             arrive(*window, root);
         }},
        {"list a folder of 20,000 files in natural order", [&] { lister.setPath(QString()); },
         [&] {
             lister.setPath(music);
         }},
        "  arrival / one listing of that folder", 1.2);
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
        c.saved.File2->refresh();
        const int position = int(c.saved.File2->items().indexOf(name + u".m3u8"_s));
        ListBox &list = *c.playlist.List1;
        // None of these tracks exists, so the check in the background greys
        // them all; each run starts once the previous one's marks are in, on
        // an empty list, so that neither side pays for the list before.
        const auto settle = [&] {
            QElapsedTimer waited;
            waited.start();
            while (list.greyedCount() < list.count() && waited.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            c.saved.File2->setSelectedPosition(-1);
            list.clear();
        };
        LoadedPlaylist read;
        reportInterleaved(
            {("open a " + entries + "-entry playlist, extent included").constData(), settle,
             [&] { c.saved.File2->setSelectedPosition(position); }, count == 32767 ? 100. : 0.},
            {("read and decode a " + entries + "-entry playlist file").constData(),
             [&] {
                 settle();
                 read = {};
             },
             [&] {
                 read =
                     playlistfile::loadPlaylist(*playlists, QFileInfo(path).fileName(), codePage);
             }},
            "  opening / reading and decoding alone", 2);

        // While the marks come in, a timer due every millisecond notes how
        // late it runs: the longest wait is the longest the window froze,
        // and the CPU time this thread spent in that wait is what the
        // program took of it, the rest being other programs on the machine.
        QList<double> stalls;
        QList<double> busy;
        QList<double> counted;
        QList<double> clearing;
        for (int run = 0; run < runs; ++run) {
            settle();
            paint();
            QElapsedTimer sinceOpening;
            sinceOpening.start();
            c.saved.File2->setSelectedPosition(position);
            QTimer tick;
            tick.setTimerType(Qt::PreciseTimer);
            tick.setInterval(1);
            qint64 last = sinceOpening.nsecsElapsed();
            qint64 longest = 0;
            double lastCpu = threadCpuMilliseconds();
            double longestCpu = 0;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                const qint64 now = sinceOpening.nsecsElapsed();
                const double nowCpu = threadCpuMilliseconds();
                longest = std::max(longest, now - last - 1000000);
                longestCpu = std::max(longestCpu, nowCpu - lastCpu);
                last = now;
                lastCpu = nowCpu;
            });
            tick.start();
            while (list.greyedCount() < list.count() && sinceOpening.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            counted.append(double(sinceOpening.nsecsElapsed()) / 1e6);
            tick.stop();
            stalls.append(double(longest) / 1e6);
            busy.append(longestCpu);
            busy.append(longestCpu);
            const double start = threadCpuMilliseconds();
            list.clear();
            clearing.append(threadCpuMilliseconds() - start);
        }
        reportSpread("  ...opening to the final count of missing entries", counted);
        reportSpread("  ...longest stall of the window while they are marked", stalls, 16);
        reportSpread("  ...of which CPU time of the window's thread", busy, 16);
        reportSpread(("clear a fully marked " + entries + "-entry playlist (CPU)").constData(),
                     clearing, 1);
    }
}

// Sends files to a fresh folder standing in for a PSP as a send does: the
// helpers look at them, then convert on as many helpers as asked, each
// converted track copied on a lane of its own beside the plain copies. The
// wall time in milliseconds from the plan to the last track, with the
// helpers already started by looking at the sources.
double timeSend(const QStringList &files, int workers)
{
    QTemporaryDir psp;
    QTemporaryDir scratch;
    QDir(psp.path()).mkpath(u"MUSIC"_s);
    const std::unique_ptr<VolumeRoot> volume = VolumeRoot::open(psp.path());
    AudioWorkers helpers(nullptr, workers);
    QList<SourceTrack> sources(files.size());
    QHash<quint64, int> jobs;
    qsizetype left = files.size();
    QEventLoop loop;
    const auto oneDone = [&] {
        if (--left == 0)
            loop.quit();
    };
    auto looked = QObject::connect(&helpers, &AudioWorkers::finished,
                                   [&](quint64 job, const AudioJobResult &result) {
                                       sources[jobs.value(job)] = result.source;
                                       oneDone();
                                   });
    for (int i = 0; i < files.size(); ++i)
        jobs.insert(helpers.probe(files.at(i)), i);
    loop.exec();
    QObject::disconnect(looked);

    const SendPlan plan = planSend(sources, listMusic(*volume), TargetFormat::Mp3, codePage);
    const std::atomic_bool cancelled{false};
    std::atomic<qint64> progress{0};
    QThreadPool copies;
    copies.setMaxThreadCount(1);
    const AudioWorkers::Copies throughHelpers = helpers.copies();
    RecordJournal journal(listMusic(*volume).record);
    const auto copy = [&](int i, const QString &local) {
        copies.start([&, i, local] {
            // A source is read in a helper, as a send reads it; each copy a
            // group of its own, as it comes.
            const PlannedTrack &track = plan.tracks.at(i);
            const RecordedTrack recorded{sources.at(i).identity(), u"copy"_s,
                                         track.folder + u'/' + track.fileName, 0};
            sendTracks(*volume, u"MUSIC"_s,
                       {{local, track, recorded, 0, local == sources.at(i).path}}, journal,
                       cancelled, progress, throughHelpers);
            if (local != sources.at(i).path)
                QFile::remove(local);
            QMetaObject::invokeMethod(&loop, oneDone, Qt::QueuedConnection);
        });
    };
    QObject::connect(&helpers, &AudioWorkers::finished, [&](quint64 job, const AudioJobResult &) {
        copy(jobs.value(job), scratch.filePath(QString::number(jobs.value(job)) + u".mp3"_s));
    });
    QElapsedTimer timer;
    timer.start();
    left = sources.size();
    jobs.clear();
    for (int i = 0; i < sources.size(); ++i) {
        if (plan.tracks.at(i).method == SendMethod::Copy)
            copy(i, sources.at(i).path);
        else
            jobs.insert(helpers.convert(sources.at(i).path, TargetFormat::Mp3,
                                        scratch.filePath(QString::number(i) + u".mp3"_s),
                                        sources.at(i).tags),
                        i);
    }
    loop.exec();
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

qint64 statusKib(const char *field, const QString &process = u"self"_s)
{
    QFile status(u"/proc/%1/status"_s.arg(process));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').at(0).toLongLong();
    }
    return 0;
}

// What a send through the window cost it: the longest the event loop went
// without turning, in milliseconds, the most CPU time the window's thread
// took between two turns (the rest of a stall is other work on the machine),
// and how far memory rose, in KiB.
struct SendInWindow
{
    double longestStall = 0;
    double longestBusy = 0;
    qint64 memoryGrowth = 0;
};

// A send through the window to a folder standing in for a PSP, from the
// start to the report, Start pressed the moment it can be.
SendInWindow sendInWindow(const QStringList &files)
{
    QTemporaryDir psp;
    QDir(psp.path()).mkpath(u"PSP"_s);
    QDir(psp.path()).mkpath(u"MUSIC"_s);
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
    StallProbe probe([&] {
        for (SendPlanDialog *plan : window->findChildren<SendPlanDialog *>()) {
            auto *start = plan->findChild<QPushButton *>(u"start"_s);
            if (plan->isVisible() && start->isEnabled())
                start->click();
        }
    });
    probe.start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    probe.stop();
    return {probe.longestMilliseconds(), probe.longestCpuMilliseconds(),
            statusKib("VmHWM:") - before};
}

// The longest stall of the event loop and the memory growth of one send.
void benchSendInWindow(const QStringList &files)
{
    const SendInWindow sent = sendInWindow(files);
    const QByteArray what =
        "send of " + QByteArray::number(files.size()) + " tracks: longest stall of the event loop";
    report(what.constData(), sent.longestStall, 16);
    std::printf(
        "%-62s %9.1f MiB   (limit 150 MiB)\n",
        ("send of " + QByteArray::number(files.size()) + " tracks: memory growth").constData(),
        double(sent.memoryGrowth) / 1024.0);
}

// A send of 10,000 copies of a small file, in 100 album folders, to a
// folder standing in for a PSP: the longest stall of the event loop, which
// must not grow with the number of tracks.
void benchLargeSend()
{
    constexpr int albums = 100;
    constexpr int perAlbum = 100;
    constexpr int stallRuns = 3;
    QTemporaryDir sources;
    const QString small = sources.filePath(u"small.wav"_s);
    writeTone(small, "wav", 0.1, 44100, 1);
    for (int album = 0; album < albums; ++album) {
        const QString folder = sources.filePath(u"Artist/Album %1"_s.arg(album));
        QDir().mkpath(folder);
        for (int track = 0; track < perAlbum; ++track)
            QFile::copy(small, folder + u"/%1 A track.wav"_s.arg(track, 3, 10, QLatin1Char('0')));
    }
    QList<double> stalls;
    QList<double> busy;
    for (int run = 0; run < stallRuns; ++run) {
        const SendInWindow sent = sendInWindow({sources.filePath(u"Artist"_s)});
        stalls.append(sent.longestStall);
        busy.append(sent.longestBusy);
    }
    reportSpread("send of 10,000 copies of a small file: longest stall", stalls, 16);
    reportSpread("  ...of which CPU time of the window's thread", busy, 16);
}

// Recording a track on a folder standing in for a PSP, as a send does after
// each copy: a line added to the journal and flushed to the disk, and, once
// the journal is long, the record of 10,000 tracks written whole.
void benchRecordJournal()
{
    constexpr int recorded = 10000;
    constexpr int added = 2000;
    const auto track = [](int i) -> RecordedTrack {
        return {{u"/home/user/Music/Artist %1/Album/%2 A track.flac"_s.arg(i / 100).arg(i),
                 30000000, 1700000000000},
                u"mp3 V2"_s,
                u"Artist %1 - Album/%2 A track.mp3"_s.arg(i / 100).arg(i),
                4000000};
    };
    QTemporaryDir psp;
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(psp.path());
    SendRecord record;
    for (int i = 0; i < recorded; ++i)
        record.put(track(i));
    RecordJournal journal(record);
    if (!journal.save(*root))
        std::printf("  (the record could not be written)\n");
    QList<double> times;
    for (int i = recorded; i < recorded + added; ++i) {
        const qint64 start = monotonicNanoseconds();
        if (!journal.put(*root, {track(i)}))
            std::printf("  (a track could not be recorded)\n");
        times.append(double(monotonicNanoseconds() - start) / 1e6);
    }
    reportSpread("recording a track: a line added to the journal", times);
    report("  ...the longest, with the record written whole",
           *std::max_element(times.cbegin(), times.cend()));
}

// The audio helpers this program started, by process id.
QStringList helperProcesses()
{
    QStringList found;
    const QString parent = QString::number(QCoreApplication::applicationPid());
    for (const QString &process : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/%1/stat"_s.arg(process));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The parent's id is the second field after the name in brackets.
        const QByteArray afterName = stat.readAll().split(')').constLast();
        if (afterName.split(' ').value(2) == parent.toLatin1() &&
            QFile::symLinkTarget(u"/proc/%1/exe"_s.arg(process))
                .endsWith(u"zarvello-audio-worker"_s))
            found.append(process);
    }
    return found;
}

// One helper converting a track of each length: the helper's peak memory,
// and how far the program's own rose meanwhile, which should not depend on
// the length.
void benchHelperMemory(const QTemporaryDir &sources)
{
    for (const int minutes : {1, 20}) {
        const QString track = sources.filePath(u"memory %1.flac"_s.arg(minutes));
        writeTone(track, "flac", minutes * 60, 44100, 2, {{u"title"_s, u"Memory"_s}});
        QTemporaryDir scratch;
        AudioWorkers helper(nullptr, 1);
        QEventLoop loop;
        QObject::connect(&helper, &AudioWorkers::finished, &loop, &QEventLoop::quit);
        helper.probe(track);
        loop.exec();
        QFile clear(u"/proc/self/clear_refs"_s);
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        const qint64 before = statusKib("VmRSS:");
        helper.convert(track, TargetFormat::Mp3, scratch.filePath(u"out.mp3"_s), {});
        loop.exec();
        qint64 helperPeak = 0;
        for (const QString &process : helperProcesses())
            helperPeak = std::max(helperPeak, statusKib("VmHWM:", process));
        const QByteArray what = "convert a " + QByteArray::number(minutes) + "-minute FLAC: ";
        std::printf("%-62s %9.1f MiB   (limit 64 MiB)%s\n",
                    (what + "helper's peak memory").constData(), double(helperPeak) / 1024.0,
                    helperPeak > 64 * 1024 ? "  OVER" : "");
        std::printf("%-62s %9.1f MiB\n", (what + "program's memory growth").constData(),
                    double(statusKib("VmHWM:") - before) / 1024.0);
        std::fflush(stdout);
    }
}

// A ratio of wall times, from their medians (judged) and their minimums.
void reportWallRatio(const char *what, double ofMedians, double ofMinimums, double bound,
                     bool floor)
{
    const bool missed = floor ? ofMedians < bound : ofMedians > bound;
    std::printf("%-62s %9.2f x    (min %.2f x; %s %g x)%s\n", what, ofMedians, ofMinimums,
                floor ? "at least" : "limit", bound, missed ? (floor ? "  UNDER" : "  OVER") : "");
    std::fflush(stdout);
}

void reportRuns(const char *what, const QList<double> &times)
{
    std::printf("%-62s %9.1f ms   (min %.1f ms)\n", what, median(times), minimum(times));
    std::fflush(stdout);
}

// The wall time of starting one audio helper and having it look at a
// source, locked in or not.
double timeHelperStart(const QString &source, bool confined)
{
    if (confined)
        qunsetenv("ZARVELLO_WORKER_UNCONFINED");
    else
        qputenv("ZARVELLO_WORKER_UNCONFINED", "1");
    QElapsedTimer timer;
    timer.start();
    {
        AudioWorkers helper(nullptr, 1);
        QEventLoop loop;
        QObject::connect(&helper, &AudioWorkers::finished, &loop, &QEventLoop::quit);
        helper.probe(source);
        loop.exec();
    }
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    qunsetenv("ZARVELLO_WORKER_UNCONFINED");
    return elapsed;
}

void benchHelperStart(const QTemporaryDir &sources)
{
    // Only a helper built with the tests heeds it: without, both sides are locked in.
    qputenv("ZARVELLO_WORKER_TEST_JOBS", "1");
    const QString source = sources.filePath(u"start.flac"_s);
    writeTone(source, "flac", 1, 44100, 2);
    QList<double> locked;
    QList<double> open;
    for (int run = 0; run < ratioRuns; ++run) {
        locked.append(timeHelperStart(source, true));
        open.append(timeHelperStart(source, false));
    }
    reportRuns("start an audio helper locked in, and look at a source", locked);
    reportRuns("  ...the same helper not locked in", open);
    reportWallRatio("  ...locked in against not", median(locked) / median(open),
                    minimum(locked) / minimum(open), 1.2, false);
}

void benchSend(bool inWindow)
{
    constexpr int sendRuns = 5;
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
    benchHelperMemory(sources);
    benchHelperStart(sources);

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
    reportWallRatio("  ...our throughput against the plain copy's", median(plain) / median(copies),
                    minimum(plain) / minimum(copies), 0.9, true);

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
    reportWallRatio("  ...speed-up from one worker to one per core", median(one) / median(ours),
                    minimum(one) / minimum(ours), 1.7, true);
    if (ffmpeg.isEmpty()) {
        std::printf("  ...ffmpeg is not installed: no comparison with it\n");
    } else {
        reportRuns("  ...ffmpeg program, one process per core", theirs);
        reportWallRatio("  ...ours against ffmpeg's wall time", median(ours) / median(theirs),
                        minimum(ours) / minimum(theirs), 1.0, false);
    }
    reportRuns("send of those 8 FLAC and 8 WAV, in turn", both);
    reportRuns("  ...the 8 WAV alone", copies);
    reportWallRatio("  ...against the longer of conversions and copies alone",
                    median(both) / std::max(median(ours), median(copies)),
                    minimum(both) / std::max(minimum(ours), minimum(copies)), 1.15, false);
}

// Plans a send of 10,000 tracks, 1,000 albums of two discs, a tenth of the
// titles and of the artists in Japanese, to a PSP holding 2,000 tracks that
// its record says are the first 2,000 sources: CPU time of planning alone, in
// a Western code page (names spelled) and in the Japanese one.
void benchPlanning()
{
    QList<SourceTrack> sources;
    for (int i = 0; i < 10000; ++i) {
        SourceTrack source;
        source.path =
            u"/home/user/Music/Artist %1/Album %2/%3.flac"_s.arg(i / 100).arg(i / 10).arg(i);
        source.method = SendMethod::Convert;
        source.seconds = 200;
        source.tags.artist =
            i / 100 % 10 == 0 ? u"夜遊び楽団 %1"_s.arg(i / 100) : u"Artist %1"_s.arg(i / 100);
        source.tags.album = u"Album %1"_s.arg(i / 10);
        source.tags.title = i % 10 == 0 ? u"夜に駆ける %1 🌙"_s.arg(i)
                                        : u"A track name of ordinary length %1"_s.arg(i);
        source.tags.track = i % 5 + 1;
        source.tags.disc = i % 10 / 5 + 1;
        sources.append(source);
    }
    MusicListing listing;
    listing.musicFolder = u"MUSIC"_s;
    listing.freeBytes = qint64(8) << 30;
    for (int album = 0; album < 200; ++album) {
        MusicListing::Folder folder{
            {u"Artist %1 - Album %2"_s.arg(album / 10).arg(album), FolderEntry::Kind::Folder}, {}};
        for (int track = 1; track <= 10; ++track) {
            folder.files.append({u"%1 Old track.mp3"_s.arg(track, 2, 10, QLatin1Char('0')),
                                 FolderEntry::Kind::File, false, 4000000});
            listing.record.put({sources.at(album * 10 + track - 1).identity(), u"mp3 V2"_s,
                                folder.entry.name + u'/' + folder.files.constLast().name, 4000000});
        }
        listing.entries.append(folder);
    }
    for (const int page : {codePage, 932}) {
        QList<double> times;
        for (int run = 0; run < runs; ++run) {
            const double start = threadCpuMilliseconds();
            const SendPlan plan = planSend(sources, listing, TargetFormat::Mp3, page);
            times.append(threadCpuMilliseconds() - start);
        }
        reportSpread(page == codePage ? "Planning 10,000 tracks" : "  ...in the Japanese code page",
                     times, 100);
    }
}

// Milliseconds from the start of a send to its plan, which is then cancelled.
double timeToPlan(MusicSend &send, const QWidget &window, const QStringList &files)
{
    QElapsedTimer timer;
    timer.start();
    send.start(files);
    SendPlanDialog *planned = nullptr;
    while (!planned) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        for (SendPlanDialog *plan : window.findChildren<SendPlanDialog *>()) {
            if (plan->isVisible() && plan->findChild<QPushButton *>(u"start"_s)->isEnabled())
                planned = plan;
        }
    }
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    planned->reject();
    paint();
    return elapsed;
}

// A second send of 1,000 tracks, all on a folder standing in for the PSP as
// its record says: from the start of the send, through listing, looking and
// planning, to the plan shown. In turn with the same send to a copy without
// the record, where every source is looked at by the audio helpers.
void benchSecondSend()
{
    constexpr int tracks = 1000;
    QTemporaryDir computer;
    QTemporaryDir recorded;
    QTemporaryDir unrecorded;
    SendRecord record;
    QStringList files;
    for (int i = 0; i < tracks; ++i) {
        const QString track = u"Artist %1 - Album/%2 A track.wav"_s.arg(i % 50).arg(i);
        QDir().mkpath(QFileInfo(computer.filePath(track)).path());
        writeTone(computer.filePath(track), "wav", 0.1, 44100, 1);
        files.append(computer.filePath(track));
        for (const QTemporaryDir *psp : {&recorded, &unrecorded}) {
            QDir().mkpath(QFileInfo(psp->filePath(u"MUSIC/"_s + track)).path());
            QFile::copy(files.constLast(), psp->filePath(u"MUSIC/"_s + track));
        }
        record.put({SourceIdentity::of(files.constLast()), u"copy"_s, track,
                    QFileInfo(files.constLast()).size()});
    }
    if (!sendrecord::write(*VolumeRoot::open(recorded.path()), record))
        std::printf("  (the record could not be written)\n");
    QWidget window;
    QLineEdit lettre;
    PspOwner recordedOwner;
    PspOwner unrecordedOwner;
    MusicSend fromRecord(
        window, lettre, lettre, codePage, [&] { return VolumeRoot::open(recorded.path()); },
        recordedOwner);
    MusicSend lookingAtAll(
        window, lettre, lettre, codePage, [&] { return VolumeRoot::open(unrecorded.path()); },
        unrecordedOwner);
    // The helpers start on the first send: not timed.
    timeToPlan(lookingAtAll, window, files);
    QList<double> times[2];
    for (int run = 0; run < runs; ++run) {
        times[0].append(timeToPlan(fromRecord, window, files));
        times[1].append(timeToPlan(lookingAtAll, window, files));
    }
    reportSpread("second send of 1,000 tracks there: start to plan", times[0], 500);
    reportSpread("  ...without a record, every source looked at", times[1]);
}

// One sync of a folder standing in for a PSP: from its start to its plan, the
// jobs the audio helpers were given, and the longest stall of the event loop
// until it ended.
struct Synced
{
    double toPlan = 0;
    double longestStall = 0;
    int jobs = 0;
    bool upToDate = false;
};

Synced syncOnce(AudioWorkers &workers, const QString &psp, const QList<SyncEntry> &list)
{
    Synced synced;
    PspOwner owner;
    SyncSession session(workers, owner);
    const QMetaObject::Connection counting =
        QObject::connect(&workers, &AudioWorkers::started, [&] { ++synced.jobs; });
    bool planned = false;
    bool finished = false;
    QObject::connect(&session, &SyncSession::planned, [&] { planned = true; });
    QObject::connect(&session, &SyncSession::finished, [&] { finished = true; });
    QElapsedTimer timer;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, timer.nsecsElapsed() - last);
        last = timer.nsecsElapsed();
    });
    timer.start();
    tick.start(1);
    session.start(VolumeRoot::open(psp), list, codePage, TargetFormat::Mp3, {}, Language::English);
    while (!planned)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    synced.toPlan = double(timer.nsecsElapsed()) / 1e6;
    synced.upToDate = session.upToDate();
    if (!synced.upToDate) {
        session.go(SyncSession::Removals::None);
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    tick.stop();
    QObject::disconnect(counting);
    synced.longestStall = double(longest) / 1e6;
    return synced;
}

// A list of 10,000 tracks already on a folder standing in for a full card,
// as a sync recorded them: nothing is looked at again. Then one of them
// changes: it alone is looked at and converted.
void benchSync()
{
    constexpr int albums = 100;
    constexpr int perAlbum = 100;
    QTemporaryDir computer;
    QTemporaryDir psp;
    QDir(psp.path()).mkpath(u"PSP"_s);
    const QString tone = computer.filePath(u"tone.flac"_s);
    writeTone(tone, "flac", 0.1, 44100, 1);
    SendRecord record;
    QByteArray playlist;
    for (int album = 0; album < albums; ++album) {
        const QString folder = u"Artist - Album %1"_s.arg(album);
        QDir().mkpath(computer.filePath(u"Music/"_s + folder));
        QDir().mkpath(psp.filePath(u"MUSIC/"_s + folder));
        for (int track = 0; track < perAlbum; ++track) {
            const QString name = u"%1 A track"_s.arg(track, 3, 10, QLatin1Char('0'));
            const QString source = computer.filePath(u"Music/%1/%2.flac"_s.arg(folder, name));
            QFile::copy(tone, source);
            playlist += source.toUtf8() + '\n';
            const QString file = folder + u'/' + name + u".mp3"_s;
            QFile written(psp.filePath(u"MUSIC/"_s + file));
            if (written.open(QIODevice::WriteOnly))
                written.write(QByteArray(4096, 'x'));
            record.put({SourceIdentity::of(source), u"mp3 V2"_s, file, 4096, true});
        }
    }
    if (!sendrecord::write(*VolumeRoot::open(psp.path()), record))
        std::printf("  (the record could not be written)\n");
    const QList<SyncEntry> list{{computer.filePath(u"Music"_s), SyncEntry::Kind::Folder}};
    AudioWorkers workers;
    QList<double> toPlan;
    QList<double> stalls;
    int jobs = 0;
    bool upToDate = true;
    for (int run = 0; run < runs; ++run) {
        const Synced synced = syncOnce(workers, psp.path(), list);
        toPlan.append(synced.toPlan);
        stalls.append(synced.longestStall);
        jobs += synced.jobs;
        upToDate = upToDate && synced.upToDate;
    }
    reportSpread("sync of 10,000 tracks, nothing changed: start to up to date", toPlan, 1000);
    std::printf("  ...up to date every time: %s; jobs of the audio helpers: %d (limit 0)\n",
                upToDate ? "yes" : "NO", jobs);
    reportSpread("  ...longest stall of the event loop", stalls, 16);

    // The same tracks in a playlist, on a drive that is not mounted now:
    // nothing is there to look at, and nothing is removed.
    QFile all(computer.filePath(u"All.m3u8"_s));
    if (all.open(QIODevice::WriteOnly))
        all.write(playlist);
    all.close();
    QDir(computer.path()).rename(u"Music"_s, u"Away"_s);
    QList<double> missing;
    bool held = true;
    for (int run = 0; run < runs; ++run) {
        PspOwner owner;
        SyncSession session(workers, owner);
        bool planned = false;
        QObject::connect(&session, &SyncSession::planned, [&] { planned = true; });
        QElapsedTimer timer;
        timer.start();
        session.start(VolumeRoot::open(psp.path()), {{all.fileName(), SyncEntry::Kind::Playlist}},
                      codePage, TargetFormat::Mp3, {}, Language::English);
        while (!planned)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        missing.append(double(timer.nsecsElapsed()) / 1e6);
        held = held && session.outline().unavailable.size() == 1 &&
               session.decision().removals.isEmpty();
    }
    QDir(computer.path()).rename(u"Away"_s, u"Music"_s);
    reportSpread("sync of a playlist of 10,000 tracks all missing: start to plan", missing, 500);
    std::printf("  ...said unavailable, nothing removed: %s\n", held ? "yes" : "NO");

    // Twice: the first also starts an audio helper.
    for (const double seconds : {0.2, 0.3}) {
        writeTone(computer.filePath(u"Music/Artist - Album 7/042 A track.flac"_s), "flac", seconds,
                  44100, 1);
        const Synced changed = syncOnce(workers, psp.path(), list);
        std::printf("sync of 10,000 tracks, one changed: jobs of the audio helpers: %d "
                    "(one look, one conversion: 2)\n",
                    changed.jobs);
        report("  ...longest stall of the event loop", changed.longestStall, 16);
    }
}

// Both sides write on a fresh ext4 volume of their own, as a PSP's memory
// card would be, where the machine lets the benchmark mount one; in a
// folder of the computer's disk otherwise.
class FirstSyncVolume
{
public:
    FirstSyncVolume()
    {
        if (LoopVolume::unavailableReason().isEmpty() && m_volume.mount(m_mountPoint.path()))
            m_path = m_mountPoint.path();
        else
            m_path = m_folder.path();
    }
    ~FirstSyncVolume() { m_volume.unmount(); }
    const QString &path() const { return m_path; }
    bool isVolume() const { return m_path == m_mountPoint.path(); }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_mountPoint;
    LoopVolume m_volume{QString(), 1024};
    QString m_path;
};

// The first sync of 10,000 small tracks the PSP plays as they are, every one
// flushed and recorded before it takes its name, against rsync --fsync of
// the same folder; each into a fresh volume of the same kind, in turn.
void benchFirstSync()
{
    const QString rsync = QStandardPaths::findExecutable(u"rsync"_s);
    if (rsync.isEmpty()) {
        std::printf("first sync of 10,000 tracks: rsync is not installed, no comparison\n");
        return;
    }
    QTemporaryDir computer;
    const QString tone = computer.filePath(u"tone.mp3"_s);
    writeTone(tone, "mp3", 0.5, 44100, 1);
    // Ready for the PSP, its tag of the version the PSP reads: copied as it
    // is, where FFmpeg's own would have it rewritten.
    TagLib::MPEG::File tagged(QFile::encodeName(tone).constData());
    tagged.ID3v2Tag(true)->setTitle("Tone");
    tagged.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3);
    for (int album = 0; album < 100; ++album) {
        const QString folder = computer.filePath(u"Music/Album %1"_s.arg(album));
        QDir().mkpath(folder);
        for (int track = 0; track < 100; ++track)
            QFile::copy(tone, folder + u"/%1 Track.mp3"_s.arg(track, 3, 10, QLatin1Char('0')));
    }
    const QList<SyncEntry> list{{computer.filePath(u"Music"_s), SyncEntry::Kind::Folder}};
    AudioWorkers workers;
    QList<double> ours;
    QList<double> planning;
    QList<double> theirs;
    bool onVolumes = true;
    bool whole = true;
    constexpr int firstSyncRuns = 3;
    for (int run = 0; run < firstSyncRuns; ++run) {
        const FirstSyncVolume psp;
        QDir(psp.path()).mkpath(u"PSP"_s);
        QElapsedTimer timer;
        timer.start();
        const Synced synced = syncOnce(workers, psp.path(), list);
        ours.append(double(timer.nsecsElapsed()) / 1e6);
        planning.append(synced.toPlan);
        int there = 0;
        for (QDirIterator it(psp.path() + u"/MUSIC"_s, {u"*.mp3"_s}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext(); it.next())
            ++there;
        whole = whole && there == 10000 &&
                sendrecord::read(*VolumeRoot::open(psp.path())).tracks().size() == 10000;
        const FirstSyncVolume copy;
        onVolumes = onVolumes && psp.isVolume() && copy.isVolume();
        timer.restart();
        QProcess::execute(rsync, {u"-r"_s, u"--fsync"_s, computer.filePath(u"Music/"_s),
                                  copy.path() + u"/MUSIC"_s});
        theirs.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("(each side on %s)\n",
                onVolumes ? "a fresh ext4 loop volume" : "a folder of the computer's disk");
    reportRuns("first sync of 10,000 small tracks, copied as they are", ours);
    reportRuns("  ...of which start to plan", planning);
    reportRuns("  ...rsync --fsync of the same folder", theirs);
    reportWallRatio("  ...ours against rsync's", median(ours) / median(theirs),
                    minimum(ours) / minimum(theirs), 1.5, false);
    std::printf("  ...every track there and recorded: %s\n", whole ? "yes" : "NO");
}

constexpr int importedTracks = 1000;

QString writePlaylist(const QTemporaryDir &folder, const QStringList &tracks)
{
    QByteArray text = "#EXTM3U\n";
    for (const QString &track : tracks)
        text += "#EXTINF:200,Artist - A track\n" + track.toUtf8() + '\n';
    const QString path = folder.filePath(u"Desktop mix.m3u8"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

// Drops the playlist on the emptied current playlist, pressing the send's
// Start (if asked) the moment it can be pressed; milliseconds from the drop
// to the filled playlist.
double importOnce(FrmMain &window, const QString &playlist)
{
    const MainWindowControls &c = window.controls();
    c.menus.mnnew->trigger();
    paint();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(playlist)});
    QElapsedTimer timer;
    timer.start();
    dropOn(*c.playlist.List1, data, 0);
    while (c.playlist.List1->count() < importedTracks && timer.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        for (auto *start : window.findChildren<QPushButton *>(u"start"_s)) {
            if (start->isVisible() && start->isEnabled())
                start->click();
        }
    }
    paint();
    return double(timer.nsecsElapsed()) / 1e6;
}

void reportImport(const char *what, const QList<double> &times)
{
    report(what, median(times), 1000);
    report("  ...fastest run", *std::min_element(times.cbegin(), times.cend()));
}

// Drop to filled playlist: a desktop player's playlist of 1,000 tracks that
// are all on the PSP, either named there (a copy of a PSP playlist) or on
// the computer and sent before, so that the send finds them all there.
void benchImport(const QTemporaryDir &drive)
{
    const QString root = drive.path() + u'/';
    QStringList onPsp;
    QStringList onComputer;
    QTemporaryDir computer;
    for (int i = 0; i < importedTracks; ++i) {
        const QString album = u"Artist %1 - Album"_s.arg(i % 50);
        const QString track = u"%1/%2 A track.wav"_s.arg(album).arg(i);
        QDir().mkpath(root + u"MUSIC/"_s + album);
        QDir().mkpath(computer.filePath(album));
        QFile(root + u"MUSIC/"_s + track).open(QIODevice::WriteOnly);
        writeTone(computer.filePath(track), "wav", 0.1, 44100, 1);
        onPsp.append(root + u"MUSIC/"_s + track);
        onComputer.append(computer.filePath(track));
    }
    const QString named = writePlaylist(computer, onPsp);
    QTemporaryDir sentFolder;
    const QString sent = writePlaylist(sentFolder, onComputer);

    std::unique_ptr<FrmMain> window = connectedWindow(root);
    // The first import sends them; after it, every track is there.
    importOnce(*window, sent);
    QList<double> namedTimes;
    QList<double> sentTimes;
    for (int run = 0; run < runs; ++run) {
        namedTimes.append(importOnce(*window, named));
        sentTimes.append(importOnce(*window, sent));
    }
    reportImport("import 1,000 tracks named on the PSP: drop to filled playlist", namedTimes);
    reportImport("import 1,000 tracks sent before: drop to filled playlist", sentTimes);
}

// The reader alone, from bytes in memory: a file this large is refused
// before it is read, but the reader must not be what limits the size.
void benchPlsReading()
{
    constexpr int entries = 1000000;
    QByteArray text = "[playlist]\r\n";
    for (int i = 1; i <= entries; ++i) {
        const QByteArray number = QByteArray::number(i);
        text += "File" + number + "=C:\\Music\\Artist " + QByteArray::number(i % 50) + "\\Album\\" +
                number + " A track.mp3\r\nTitle" + number + "=Artist - A track\r\n";
    }
    text += "NumberOfEntries=1000000\r\nVersion=2\r\n";
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const ParsedPlaylist listed = readPls(text, codePage);
        times.append(double(timer.nsecsElapsed()) / 1e6);
        if (listed.locations.size() != entries)
            std::printf("  (the .pls read %lld entries)\n", qlonglong(listed.locations.size()));
    }
    reportSpread("Reading a 1,000,000-entry .pls", times);
}

// A session bus of the benchmark's own, where the measures call no program
// of the session, taken by the application object made after it.
struct PrivateBus
{
    PrivateBus()
    {
        daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (daemon.waitForReadyRead(10000))
            qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished();
    }
    QProcess daemon;
};

// Another program of the session that calls Open with calls addresses, none
// of them a PSP, as fast as the bus takes them, then waits for every answer:
// the bench program started again, so that its memory is not the window's.
int sendOpens(int calls)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QList<QDBusPendingCall> sent;
    for (int i = 0; i < calls; ++i) {
        QDBusMessage open = QDBusMessage::createMethodCall(
            floodId, u"/org/example/ZarvelloBench"_s, u"org.freedesktop.Application"_s, u"Open"_s);
        const QString uri =
            i % 2 == 0 ? u"file:///nonexistent/folder %1"_s.arg(i) : u"mtp://psp/%1"_s.arg(i);
        open << QStringList{uri} << QVariantMap();
        sent.append(bus.asyncCall(open));
    }
    for (QDBusPendingCall &call : sent)
        call.waitForFinished();
    return 0;
}

// 10,000 Open calls from another program while the window runs: the longest
// the window's event loop went without turning, from the first call to the
// last request let through, and how far memory rose once they were over.
void benchBusFlood(const char *self)
{
    constexpr int calls = 10000;
    constexpr int floodRuns = 5;
    const std::unique_ptr<FrmMain> window = newWindow();
    platform::SessionInstance session(floodId);
    if (session.handOver(QString())) {
        std::printf("%-62s   another instance owns the name: not measured\n", "bus flood");
        return;
    }
    QObject::connect(&session, &platform::SessionInstance::requested, window.get(),
                     &FrmMain::takeOverStart);
    QList<double> stalls;
    QList<double> busy;
    QList<double> growth;
    for (int run = 0; run < floodRuns; ++run) {
        paint();
        const qint64 before = statusKib("VmRSS:");
        QProcess sender;
        sender.start(QString::fromLocal8Bit(self), {u"--send-opens"_s, QString::number(calls)});
        StallProbe probe;
        probe.start();
        while (sender.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The last request is let through a moment after the last call.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        probe.stop();
        paint();
        stalls.append(probe.longestMilliseconds());
        busy.append(probe.longestCpuMilliseconds());
        growth.append(double(statusKib("VmRSS:") - before) / 1024.0);
        messagebox::takeShown();
    }
    reportSpread("10,000 Open calls over the bus: longest stall", stalls, 16);
    reportSpread("  ...of which CPU time of the window's thread", busy, 16);
    std::printf("%-62s %9.1f MiB   (min %.1f MiB, limit 5 MiB)%s\n",
                "  ...memory after them, over before", median(growth), minimum(growth),
                median(growth) > 5 ? "  OVER" : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    // The other program of the bus flood, started by it.
    if (argc > 2 && qstrcmp(argv[1], "--send-opens") == 0) {
        QCoreApplication app(argc, argv);
        return sendOpens(QByteArray(argv[2]).toInt());
    }
    // Before any thread starts, so that every thread sees the volumes the
    // first sync mounts.
    (void)LoopVolume::unavailableReason();
    const PrivateBus bus;
    QApplication app(argc, argv);
    prepareApplication();
    messagebox::recordInsteadOfShowing();
    if (argc > 1 && qstrcmp(argv[1], "--help") == 0) {
        std::printf("zarvello_bench [option]: every measure, or one part of them:\n"
                    "  --send        the send to the PSP, away from any window\n"
                    "  --plan        the planning of a send\n"
                    "  --large-send  the longest stall during a send of 10,000 tracks, and\n"
                    "                the recording of each track on the PSP\n"
                    "  --sync        a sync of 10,000 tracks, and a first sync against rsync\n"
                    "  --first-sync  the first sync against rsync alone\n"
                    "  --startup     start-up\n"
                    "  --helpers     the start of an audio helper, locked in or not\n"
                    "  --bus         10,000 Open calls over the session bus\n");
        return 0;
    }
    std::printf("Zarvello benchmark, median of %d runs\n\n", runs);
    // "--send" measures the send to the PSP alone, away from any window.
    if (argc > 1 && qstrcmp(argv[1], "--send") == 0) {
        benchSend(false);
        return 0;
    }
    // "--plan" measures the planning of a send alone.
    if (argc > 1 && qstrcmp(argv[1], "--plan") == 0) {
        benchPlanning();
        benchSecondSend();
        return 0;
    }
    // "--helpers" measures what locking a helper in costs its start.
    if (argc > 1 && qstrcmp(argv[1], "--helpers") == 0) {
        const QTemporaryDir sources;
        benchHelperStart(sources);
        return 0;
    }
    // "--first-sync" measures the first sync of 10,000 tracks alone.
    if (argc > 1 && qstrcmp(argv[1], "--first-sync") == 0) {
        benchFirstSync();
        return 0;
    }
    // "--sync" measures a sync of 10,000 tracks alone.
    if (argc > 1 && qstrcmp(argv[1], "--sync") == 0) {
        benchSync();
        benchFirstSync();
        return 0;
    }
    // "--large-send" measures the stalls of a send of 10,000 tracks alone.
    if (argc > 1 && qstrcmp(argv[1], "--large-send") == 0) {
        benchLargeSend();
        benchRecordJournal();
        return 0;
    }
    // "--bus" measures a flood of calls over the session bus alone.
    if (argc > 1 && qstrcmp(argv[1], "--bus") == 0) {
        benchBusFlood(argv[0]);
        return 0;
    }
    benchStartup();
    // "--startup" measures start-up alone.
    if (argc > 1 && qstrcmp(argv[1], "--startup") == 0)
        return 0;
    benchPlanning();
    benchSecondSend();
    benchSend(true);
    benchLargeSend();
    benchRecordJournal();
    benchSync();
    benchFirstSync();

    QTemporaryDir card;
    QDir(card.path()).mkpath(u"PSP"_s);
    benchArrival(card);

    QTemporaryDir library;
    QDir(library.path()).mkpath(u"PSP"_s);
    benchTrackLibrary(library);

    QTemporaryDir playlists;
    QDir(playlists.path()).mkpath(u"PSP"_s);
    benchPlaylistFile(playlists);

    QTemporaryDir imported;
    QDir(imported.path()).mkpath(u"PSP"_s);
    benchImport(imported);

    benchPlsReading();
    benchBusFlood(argv[0]);
    return 0;
}
