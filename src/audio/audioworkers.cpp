#include "audio/audioworkers.h"

#include "platform/helperprocess.h"

#include <algorithm>
#include <optional>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(lcAudio, "zarvello.audio")

namespace {

// Long enough for any track to show progress, or a helper to start on a
// loaded machine; a helper quiet for longer is taken for hung.
constexpr int silenceLimitMs = 60000;
// A log line of the helper is cut there rather than held without end.
constexpr qsizetype longestLogLine = 64 * 1024;

} // namespace

struct AudioWorkers::Worker
{
    QProcess *process = nullptr;
    QTimer *watchdog = nullptr;
    QByteArray output;
    QByteArray errors;
    bool ready = false;   // answered the hello as a helper of this build
    bool dying = false;   // killed by cancelAll(): its end reports nothing
    bool silent = false;  // killed for going quiet
    bool removed = false; // waiting to be pruned
    std::optional<Job> job;
};

AudioWorkers::AudioWorkers(QObject *parent, int count, const QString &program)
    : QObject(parent), m_program(program),
      m_count(count > 0 ? count : std::max(1, QThread::idealThreadCount()))
{}

AudioWorkers::~AudioWorkers()
{
    // Nothing more is reported: the helpers are ended as they are.
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (worker->removed)
            continue;
        worker->process->disconnect(this);
        worker->process->kill();
        // Ended for sure: no wait beyond the system's reaping it.
        worker->process->waitForFinished();
    }
}

QString AudioWorkers::helperProgram()
{
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/" ZARVELLO_HELPER_PATH "/zarvello-audio-worker");
}

quint64 AudioWorkers::probe(const QString &path)
{
    audioprotocol::Frame frame;
    frame.kind = audioprotocol::Kind::Probe;
    frame.path = path;
    return enqueue(frame);
}

quint64 AudioWorkers::convert(const QString &path, TargetFormat format, const QString &output,
                              const TrackTags &tags, const Quality &quality)
{
    audioprotocol::Frame frame;
    frame.kind = audioprotocol::Kind::Convert;
    frame.path = path;
    frame.format = format;
    frame.quality = quality;
    frame.output = output;
    frame.tags = tags;
    return enqueue(frame);
}

quint64 AudioWorkers::rewrite(const QString &path, const QString &output, const TrackTags &tags)
{
    audioprotocol::Frame frame;
    frame.kind = audioprotocol::Kind::Rewrite;
    frame.path = path;
    frame.format = output.endsWith(QStringLiteral(".mp3")) ? TargetFormat::Mp3 : TargetFormat::Aac;
    frame.output = output;
    frame.tags = tags;
    return enqueue(frame);
}

quint64 AudioWorkers::enqueue(audioprotocol::Frame frame)
{
    m_queue.append({++m_lastJob, std::move(frame)});
    // From the event loop, so that the caller knows the job before it starts.
    QMetaObject::invokeMethod(this, &AudioWorkers::dispatch, Qt::QueuedConnection);
    return m_lastJob;
}

void AudioWorkers::cancelAll()
{
    QList<quint64> cancelled;
    for (const Job &job : std::as_const(m_queue))
        cancelled.append(job.id);
    m_queue.clear();
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (!worker->job || worker->removed)
            continue;
        cancelled.append(worker->job->id);
        worker->job.reset();
        worker->dying = true;
        worker->watchdog->stop();
        worker->process->kill();
    }
    QMetaObject::invokeMethod(
        this,
        [this, cancelled] {
            for (const quint64 job : cancelled)
                Q_EMIT finished(job, {AudioJobResult::Status::Cancelled, {}, {}});
        },
        Qt::QueuedConnection);
}

void AudioWorkers::dispatch()
{
    QList<quint64> handed;
    qsizetype alive = 0;
    qsizetype starting = 0;
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (worker->removed || worker->dying)
            continue;
        ++alive;
        if (!worker->ready) {
            ++starting;
        } else if (!worker->job && !m_queue.isEmpty()) {
            worker->job = m_queue.takeFirst();
            worker->process->write(audioprotocol::encode(worker->job->frame));
            worker->watchdog->start();
            handed.append(worker->job->id);
        }
    }
    for (; m_queue.size() > starting && alive < m_count; ++starting, ++alive)
        startWorker();
    for (const quint64 job : std::as_const(handed))
        Q_EMIT started(job);
}

void AudioWorkers::startWorker()
{
    m_workers.push_back(std::make_unique<Worker>());
    Worker *worker = m_workers.back().get();
    worker->process = new QProcess(this);
    worker->watchdog = new QTimer(this);
    worker->watchdog->setSingleShot(true);
    worker->watchdog->setInterval(silenceLimitMs);
    connect(worker->watchdog, &QTimer::timeout, this, [worker] {
        worker->silent = true;
        worker->process->kill();
    });
    connect(worker->process, &QProcess::readyReadStandardOutput, this,
            [this, worker] { read(*worker); });
    connect(worker->process, &QProcess::readyReadStandardError, this,
            [this, worker] { logErrors(*worker); });
    connect(worker->process, &QProcess::errorOccurred, this,
            [this, worker](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart)
                    missing(*worker, worker->process->errorString());
            });
    connect(worker->process, &QProcess::finished, this,
            [this, worker](int code, QProcess::ExitStatus status) {
                logErrors(*worker);
                const bool crashed = status == QProcess::CrashExit;
                const QString cause =
                    crashed ? platform::crashCause(code) : QStringLiteral("exit code %1").arg(code);
                if (!worker->ready && !worker->dying) {
                    missing(*worker, cause);
                    return;
                }
                // Gone before its job is reported, so that no job goes to it.
                const std::optional<Job> job = std::exchange(worker->job, std::nullopt);
                remove(*worker);
                using Status = AudioJobResult::Status;
                if (job)
                    Q_EMIT finished(job->id, {worker->silent ? Status::Silent
                                              : crashed      ? Status::Crashed
                                                             : Status::Failed,
                                              cause,
                                              {}});
                dispatch();
            });
    worker->process->start(m_program, {});
    if (worker->removed)
        return;
    audioprotocol::Frame hello;
    hello.kind = audioprotocol::Kind::Hello;
    hello.version = audioprotocol::version;
    hello.build = audioprotocol::buildId();
    worker->process->write(audioprotocol::encode(hello));
    worker->watchdog->start();
}

void AudioWorkers::read(Worker &worker)
{
    worker.output += worker.process->readAllStandardOutput();
    bool broken = false;
    while (!worker.removed && !worker.dying) {
        const std::optional<audioprotocol::Frame> frame =
            audioprotocol::takeFrame(worker.output, broken);
        if (!frame)
            break;
        worker.watchdog->start();
        if (!worker.ready) {
            if (frame->kind != audioprotocol::Kind::Hello ||
                frame->version != audioprotocol::version ||
                frame->build != audioprotocol::buildId()) {
                missing(worker, QStringLiteral("it is of protocol %1, build %2")
                                    .arg(frame->version)
                                    .arg(frame->build));
                return;
            }
            worker.ready = true;
            worker.watchdog->stop();
            dispatch();
            continue;
        }
        if (!worker.job)
            continue;
        switch (frame->kind) {
        case audioprotocol::Kind::Progress:
            Q_EMIT progressed(worker.job->id, frame->seconds);
            break;
        case audioprotocol::Kind::Probed:
            ended(worker, {AudioJobResult::Status::Done, {}, frame->source});
            break;
        case audioprotocol::Kind::Converted:
            ended(worker,
                  {frame->status == Conversion::Status::Done      ? AudioJobResult::Status::Done
                   : frame->status == Conversion::Status::Damaged ? AudioJobResult::Status::Damaged
                                                                  : AudioJobResult::Status::Failed,
                   frame->reason,
                   {}});
            break;
        default:
            broken = true;
        }
    }
    // What is no answer of ours ends the helper, and its job with it.
    if (broken && !worker.removed)
        worker.process->kill();
}

void AudioWorkers::logErrors(Worker &worker)
{
    worker.errors += worker.process->readAllStandardError();
    qsizetype end;
    while ((end = worker.errors.indexOf('\n')) >= 0 || worker.errors.size() > longestLogLine) {
        const qsizetype cut = end >= 0 ? end : longestLogLine;
        qCWarning(lcAudio).noquote() << QString::fromUtf8(worker.errors.left(cut)).trimmed();
        worker.errors.remove(0, cut + (end >= 0 ? 1 : 0));
    }
}

void AudioWorkers::ended(Worker &worker, const AudioJobResult &result)
{
    const quint64 job = worker.job->id;
    worker.job.reset();
    worker.watchdog->stop();
    Q_EMIT finished(job, result);
    dispatch();
}

void AudioWorkers::missing(Worker &worker, const QString &why)
{
    qCWarning(lcAudio).noquote() << "The audio helper" << m_program << "cannot be used:" << why;
    worker.process->kill();
    remove(worker);
    const QList<Job> failed = std::exchange(m_queue, {});
    for (const Job &job : failed)
        Q_EMIT finished(job.id, {AudioJobResult::Status::HelperMissing, {}, {}});
}

void AudioWorkers::remove(Worker &worker)
{
    if (worker.removed)
        return;
    worker.removed = true;
    worker.process->disconnect(this);
    worker.watchdog->stop();
    worker.process->deleteLater();
    worker.watchdog->deleteLater();
    // Pruned from the event loop: the caller may still hold it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_workers.erase(
                std::remove_if(m_workers.begin(), m_workers.end(),
                               [](const std::unique_ptr<Worker> &w) { return w->removed; }),
                m_workers.end());
        },
        Qt::QueuedConnection);
}
