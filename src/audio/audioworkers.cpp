#include "audio/audioworkers.h"

#include "core/background.h"
#include "platform/folderentries.h"
#include "platform/helperprocess.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(lcAudio, "zarvello.audio")

namespace {

// Long enough for any track to show progress, or a helper to start on a
// loaded machine; a helper quiet for longer is taken for hung.
constexpr int silenceLimitMs = 60000;
// A log line of the helper is cut there rather than held without end.
constexpr qsizetype longestLogLine = 64 * 1024;
// What the program may wait for its helpers as it ends.
constexpr int endingWaitMs = 100;
// A helper's scratch folder: the program's process id after it, so that
// what a program that was killed left behind can be told and removed.
constexpr QLatin1String scratchPrefix("zarvello-audio-");

} // namespace

QString AudioWorkers::scratchTemplate()
{
    return QDir::tempPath() + u'/' + scratchPrefix +
           QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX");
}

namespace {

// Removes the scratch folders of programs that are gone (killed, or crashed).
void removeScratchOfTheGone()
{
    const QDir temporary(QDir::tempPath());
    const QStringList folders = temporary.entryList({QString(scratchPrefix) + u'*'},
                                                    QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QString &folder : folders) {
        bool number = false;
        const qint64 pid =
            QStringView(folder).mid(scratchPrefix.size()).split(u'-').value(0).toLongLong(&number);
        if (number && platform::processGone(pid))
            QDir(temporary.filePath(folder)).removeRecursively();
    }
}

// The pictures a conversion falls back on for a cover, beside its source.
// Listed for every track of an album: by the listing alone, which looks at
// none of the album's files.
int openCover(const QString &sourcePath)
{
    const QDir folder = QFileInfo(sourcePath).dir();
    const QList<FolderEntry> files = platform::readFolder(folder.path(), FolderEntry::Files);
    for (const QLatin1String wanted :
         {QLatin1String("cover.jpg"), QLatin1String("folder.jpg"), QLatin1String("front.jpg")}) {
        for (const FolderEntry &file : files) {
            QString refused;
            if (file.name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            if (const int opened = platform::openForHelper(folder.filePath(file.name), refused);
                opened >= 0)
                return opened;
        }
    }
    return -1;
}

} // namespace

struct AudioWorkers::Worker
{
    ~Worker() { platform::closeFile(files); }

    QProcess *process = nullptr;
    QTemporaryDir scratch{AudioWorkers::scratchTemplate()};
    int files = -1; // the program's end of the helper's file channel
    QTimer *watchdog = nullptr;
    QByteArray output;
    QByteArray errors;
    bool ready = false;   // answered the hello as a helper of this build
    bool removed = false; // waiting to be pruned
    std::optional<Job> job;
};

// The copies a thread waits on.
struct AudioWorkers::Waiting
{
    struct Copy
    {
        std::optional<AudioJobResult> result;
        qint64 bytes = 0;
        quint64 job = 0;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Copy> copies;
};

struct AudioWorkers::Mailbox
{
    std::mutex mutex;
    AudioWorkers *pool = nullptr; // null once it is gone

    // Runs work on the pool's thread, with the pool, unless it is gone.
    template <typename Work> bool post(Work work)
    {
        const std::lock_guard locked(mutex);
        AudioWorkers *const alive = pool;
        return alive &&
               QMetaObject::invokeMethod(
                   alive, [alive, work = std::move(work)] { work(*alive); }, Qt::QueuedConnection);
    }

    bool gone()
    {
        const std::lock_guard locked(mutex);
        return !pool;
    }
};

// The files of a job, opened for its helper; closed once handed.
struct AudioWorkers::Opened
{
    std::shared_ptr<const int> source;
    std::shared_ptr<const int> cover;
    QString refused; // why the source was not opened
};

namespace {

std::shared_ptr<const int> ownedFile(int file)
{
    return std::shared_ptr<const int>(new int(file), [](const int *owned) {
        platform::closeFile(*owned);
        delete owned;
    });
}

// How often a thread waiting on a copy looks at its progress and at Cancel.
constexpr int waitingLookMs = 50;

// A helper that has not ended yet is left to end on its own: one stuck in
// the kernel would hold whoever waited for it.
void forget(QProcess *process)
{
    process->kill();
    process->setParent(nullptr);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

} // namespace

AudioWorkers::AudioWorkers(QObject *parent, int count, const QString &program)
    : QObject(parent), m_program(program),
      m_count(count > 0 ? count : std::max(1, QThread::idealThreadCount())),
      m_silenceLimitMs(silenceLimitMs)
{
    m_mailbox = std::make_shared<Mailbox>();
    m_mailbox->pool = this;
    connect(this, &AudioWorkers::finished, this, &AudioWorkers::answerWaiting);
    connect(this, &AudioWorkers::progressed, this, [this](quint64 job, double bytes) {
        if (const auto found = m_waiting.constFind(job); found != m_waiting.cend()) {
            const auto &[waiting, copy] = *found;
            const std::lock_guard locked(waiting->mutex);
            waiting->copies.at(size_t(copy)).bytes = qint64(bytes);
            waiting->changed.notify_all();
        }
    });
}

AudioWorkers::~AudioWorkers()
{
    {
        const std::lock_guard locked(m_mailbox->mutex);
        m_mailbox->pool = nullptr;
    }
    for (const quint64 job : m_waiting.keys())
        answerWaiting(job, {AudioJobResult::Status::Cancelled, {}, {}, 0});
    // Nothing more is reported: the helpers are ended as they are, and what
    // does not end at once is no longer waited for.
    const QDeadlineTimer ending(endingWaitMs);
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (!worker->removed) {
            worker->process->disconnect(this);
            worker->process->kill();
        }
    }
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (!worker->removed && worker->process->state() != QProcess::NotRunning &&
            !worker->process->waitForFinished(int(std::max<qint64>(1, ending.remainingTime()))))
            forget(worker->process);
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

AudioWorkers::Copies AudioWorkers::copies() const
{
    Copies copies;
    copies.m_mailbox = m_mailbox;
    return copies;
}

QList<AudioJobResult>
AudioWorkers::Copies::copyAllAndWait(const QList<Copy> &copies, const std::atomic_bool &cancelled,
                                     const std::function<void(qsizetype, qint64)> &copied) const
{
    const AudioJobResult cancel{AudioJobResult::Status::Cancelled, {}, {}, 0};
    const auto waiting = std::make_shared<Waiting>();
    waiting->copies.resize(size_t(copies.size()));
    QList<std::shared_ptr<const int>> owned;
    for (const Copy &copy : copies)
        owned.append(ownedFile(platform::duplicateFile(copy.target)));
    if (std::any_of(owned.cbegin(), owned.cend(), [](const auto &own) { return *own < 0; }))
        return QList<AudioJobResult>(copies.size(), cancel);
    const bool posted = m_mailbox->post([waiting, copies, owned](AudioWorkers &pool) {
        const std::lock_guard locked(waiting->mutex);
        for (qsizetype i = 0; i < copies.size(); ++i) {
            audioprotocol::Frame frame;
            frame.kind = audioprotocol::Kind::Copy;
            frame.path = copies.at(i).path;
            const quint64 job = pool.enqueue(frame, owned.at(i));
            waiting->copies.at(size_t(i)).job = job;
            pool.m_waiting.insert(job, {waiting, i});
        }
    });
    if (!posted)
        return QList<AudioJobResult>(copies.size(), cancel);
    std::vector<qint64> told(size_t(copies.size()), 0);
    std::unique_lock locked(waiting->mutex);
    for (;;) {
        if (std::all_of(waiting->copies.cbegin(), waiting->copies.cend(),
                        [](const Waiting::Copy &copy) { return copy.result.has_value(); }))
            break;
        if (cancelled || m_mailbox->gone()) {
            QList<AudioJobResult> results;
            for (const Waiting::Copy &copy : waiting->copies)
                results.append(copy.result.value_or(cancel));
            locked.unlock();
            // Queued or running, they end there; no one waits for them. The
            // jobs are known by then: posted work runs in order.
            m_mailbox->post([waiting](AudioWorkers &pool) {
                for (const Waiting::Copy &copy : waiting->copies) {
                    if (pool.m_waiting.remove(copy.job) > 0)
                        pool.cancel(copy.job);
                }
            });
            return results;
        }
        bool toldAny = false;
        for (size_t i = 0; i < told.size(); ++i) {
            const qint64 bytes = waiting->copies.at(i).bytes;
            if (bytes > told.at(i)) {
                told.at(i) = bytes;
                toldAny = true;
                locked.unlock();
                copied(qsizetype(i), bytes);
                locked.lock();
            }
        }
        if (!toldAny)
            waiting->changed.wait_for(locked, std::chrono::milliseconds(waitingLookMs));
    }
    QList<AudioJobResult> results;
    for (const Waiting::Copy &copy : waiting->copies)
        results.append(*copy.result);
    return results;
}

void AudioWorkers::answerWaiting(quint64 job, const AudioJobResult &result)
{
    if (const auto found = m_waiting.constFind(job); found != m_waiting.cend()) {
        const auto [waiting, copy] = *found;
        m_waiting.erase(found);
        const std::lock_guard locked(waiting->mutex);
        waiting->copies.at(size_t(copy)).result = result;
        waiting->changed.notify_all();
    }
}

void AudioWorkers::cancel(quint64 job)
{
    bool found = false;
    for (qsizetype i = 0; i < m_queue.size() && !found; ++i) {
        if ((found = m_queue.at(i).id == job))
            m_queue.removeAt(i);
    }
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (found || !worker->job || worker->removed || worker->job->id != job)
            continue;
        found = true;
        worker->job.reset();
        remove(*worker);
    }
    if (found)
        QMetaObject::invokeMethod(
            this,
            [this, job] {
                Q_EMIT finished(job, {AudioJobResult::Status::Cancelled, {}, {}, 0});
            },
            Qt::QueuedConnection);
}

quint64 AudioWorkers::enqueue(audioprotocol::Frame frame, std::shared_ptr<const int> target)
{
    m_queue.append({++m_lastJob, std::move(frame), {}, std::move(target)});
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
        remove(*worker);
    }
    QMetaObject::invokeMethod(
        this,
        [this, cancelled] {
            for (const quint64 job : cancelled)
                Q_EMIT finished(job, {AudioJobResult::Status::Cancelled, {}, {}, 0});
        },
        Qt::QueuedConnection);
}

void AudioWorkers::dispatch()
{
    if (m_missing) {
        for (const Job &job : std::exchange(m_queue, {}))
            Q_EMIT finished(job.id, {AudioJobResult::Status::HelperMissing, {}, {}, 0});
        return;
    }
    qsizetype alive = 0;
    qsizetype starting = 0;
    for (const std::unique_ptr<Worker> &worker : m_workers) {
        if (worker->removed)
            continue;
        ++alive;
        if (!worker->ready) {
            ++starting;
            continue;
        }
        if (!worker->job && !m_queue.isEmpty()) {
            worker->job = m_queue.takeFirst();
            open(*worker);
        }
    }
    for (; m_queue.size() > starting && alive < m_count; ++starting, ++alive)
        startWorker();
}

namespace {

bool converts(const audioprotocol::Frame &frame)
{
    return frame.kind == audioprotocol::Kind::Convert || frame.kind == audioprotocol::Kind::Rewrite;
}

} // namespace

void AudioWorkers::open(Worker &worker)
{
    // Off this thread, by the rules for a user's file: the helper opens none.
    // An open that does not end is the watchdog's.
    worker.watchdog->start();
    const quint64 id = worker.job->id;
    background::run(
        this,
        [path = worker.job->frame.path, cover = converts(worker.job->frame)] {
            Opened opened;
            opened.source = ownedFile(platform::openForHelper(path, opened.refused));
            if (*opened.source >= 0 && cover)
                opened.cover = ownedFile(openCover(path));
            return opened;
        },
        [this, id](const Opened &opened) {
            for (const std::unique_ptr<Worker> &each : m_workers) {
                if (!each->removed && each->job && each->job->id == id)
                    return hand(*each, opened);
            }
        });
}

void AudioWorkers::hand(Worker &worker, const Opened &opened)
{
    Job &job = *worker.job;
    QString refused = opened.refused;
    if (refused.isEmpty()) {
        QList<int> files{*opened.source};
        if (opened.cover && *opened.cover >= 0)
            files.append(*opened.cover);
        if (job.target)
            files.append(*job.target);
        if (!platform::handFiles(worker.files, files))
            refused = QStringLiteral("the audio helper is gone");
    }
    // Handed: the helper has its own.
    job.target.reset();
    if (!refused.isEmpty()) {
        jobEnded(worker, {AudioJobResult::Status::Failed, refused, {}, 0});
        return;
    }
    if (converts(job.frame)) {
        job.output = job.frame.output;
        job.frame.output = QStringLiteral("%1.%2").arg(job.id).arg(QFileInfo(job.output).suffix());
    }
    worker.process->write(audioprotocol::encode(job.frame));
    worker.watchdog->start();
    Q_EMIT started(job.id);
}

void AudioWorkers::collect(const Worker &worker, const Job &job, bool done)
{
    if (job.output.isEmpty())
        return;
    const QString made = worker.scratch.filePath(job.frame.output);
    // The same file system, as a rule: a rename.
    QFile::remove(job.output);
    if (!done || (!QFile::rename(made, job.output) && QFile::copy(made, job.output)))
        QFile::remove(made);
}

void AudioWorkers::startWorker()
{
    // Once, as the first helper starts rather than the program: a start-up
    // that never sends pays nothing for it.
    static std::once_flag swept;
    std::call_once(swept, [] { background::run(removeScratchOfTheGone); });
    m_workers.push_back(std::make_unique<Worker>());
    Worker *worker = m_workers.back().get();
    worker->process = new QProcess(this);
    worker->watchdog = new QTimer(this);
    worker->watchdog->setSingleShot(true);
    worker->watchdog->setInterval(m_silenceLimitMs);
    connect(worker->watchdog, &QTimer::timeout, this, [this, worker] { silent(*worker); });
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
                if (!worker->ready) {
                    missing(*worker, cause);
                    return;
                }
                // Gone before its job is reported, so that no job goes to it.
                const std::optional<Job> job = std::exchange(worker->job, std::nullopt);
                remove(*worker);
                using Status = AudioJobResult::Status;
                if (job)
                    Q_EMIT finished(job->id,
                                    {crashed ? Status::Crashed : Status::Failed, cause, {}, 0});
                dispatch();
            });
    const platform::FileChannel channel = platform::makeFileChannel();
    worker->files = channel.program;
    if (!worker->scratch.isValid() || channel.helper < 0) {
        platform::closeFile(channel.helper);
        missing(*worker, QStringLiteral("no scratch folder or file channel for it"));
        return;
    }
    platform::startBare(*worker->process, worker->scratch.path(), channel.helper);
    worker->process->start(m_program, {});
    platform::closeFile(channel.helper);
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
    while (!worker.removed) {
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
            static std::once_flag said;
            if (!frame->reason.isEmpty())
                std::call_once(said, [&] {
                    qCWarning(lcAudio).noquote()
                        << "The audio helpers run without being locked in:" << frame->reason;
                });
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
            jobEnded(worker, {AudioJobResult::Status::Done, {}, frame->source, 0});
            break;
        case audioprotocol::Kind::Converted:
            jobEnded(worker,
                     {frame->status == Conversion::Status::Done ? AudioJobResult::Status::Done
                      : frame->status == Conversion::Status::Damaged
                          ? AudioJobResult::Status::Damaged
                          : AudioJobResult::Status::Failed,
                      frame->reason,
                      {},
                      frame->writeError});
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

void AudioWorkers::jobEnded(Worker &worker, const AudioJobResult &result)
{
    const Job job = *std::exchange(worker.job, std::nullopt);
    worker.watchdog->stop();
    collect(worker, job, result.status == AudioJobResult::Status::Done);
    Q_EMIT finished(job.id, result);
    dispatch();
}

void AudioWorkers::silent(Worker &worker)
{
    if (!worker.ready) {
        missing(worker, QStringLiteral("it did not answer"));
        return;
    }
    // Reported now, whether or not the helper ends: one stuck in a read of
    // its source may not.
    const std::optional<Job> job = std::exchange(worker.job, std::nullopt);
    remove(worker);
    if (job)
        Q_EMIT finished(job->id, {AudioJobResult::Status::Silent, {}, {}, 0});
    dispatch();
}

void AudioWorkers::missing(Worker &worker, const QString &why)
{
    if (!std::exchange(m_missing, true))
        qCWarning(lcAudio).noquote() << "The audio helper" << m_program << "cannot be used:" << why;
    remove(worker);
    const QList<Job> failed = std::exchange(m_queue, {});
    for (const Job &job : failed)
        Q_EMIT finished(job.id, {AudioJobResult::Status::HelperMissing, {}, {}, 0});
}

void AudioWorkers::remove(Worker &worker)
{
    if (worker.removed)
        return;
    worker.removed = true;
    worker.process->disconnect(this);
    worker.watchdog->stop();
    if (worker.process->state() == QProcess::NotRunning)
        worker.process->deleteLater();
    else
        forget(worker.process);
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
