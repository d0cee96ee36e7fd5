#pragma once

#include "audio/audioprotocol.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

// How one job of the audio helpers ended.
struct AudioJobResult
{
    enum class Status
    {
        Done,
        Damaged,       // the source says of itself what cannot be true
        Failed,        // reason: the libraries' or the system's words
        Crashed,       // the helper died on it; reason: what ended it
        Silent,        // the helper went quiet on it and was ended
        Cancelled,     // cancelAll() ended it
        HelperMissing, // no helper of this build could be started
    } status = Status::Failed;
    QString reason;
    SourceTrack source; // a probe's, when Done
    int writeError = 0; // a copy's, Failed: the errno of the write that failed
};

// Runs probes and conversions in the program's audio helper processes, one
// per core, each started when first needed and kept for the jobs after, so
// that a send pays for loading FFmpeg once per helper rather than per track.
// Lives on the interface thread and never waits there: it hands a queued job
// to the first free helper and answers through signals. Every job it takes
// reports exactly once. A helper that crashes, goes quiet for a minute or
// runs out of its memory costs its one job, reported at once, and the next
// job starts a new one. Each helper starts with nothing of the program's, in
// a scratch folder of its own, and reads only the files opened for it here:
// regular ones, no link followed at their end, nothing empty or of the
// system's own. A helper that cannot be used is said once; every job after
// it fails at once, without another start.
class AudioWorkers : public QObject
{
    Q_OBJECT
public:
    // program: the helper to run; count: how many run at most.
    explicit AudioWorkers(QObject *parent = nullptr, int count = 0,
                          const QString &program = helperProgram());
    ~AudioWorkers() override;

    // Where the helper is, relative to the program: the same in the build
    // tree as once installed.
    static QString helperProgram();
    // The template of a QTemporaryDir for files that helpers make: one the
    // program leaves behind, killed, is removed as the next one starts.
    static QString scratchTemplate();
    // How long a helper may stay quiet on a job before it is taken for hung.
    void setSilenceLimit(int milliseconds) { m_silenceLimitMs = milliseconds; }

    // Looks at a source; the result carries the SourceTrack.
    quint64 probe(const QString &path);
    // Converts a source into a new, tagged file at output, a local path in a
    // folder of the program's own (in the same file system as the system's
    // temporary folder, where the helper writes it first), at that quality.
    quint64 convert(const QString &path, TargetFormat format, const QString &output,
                    const TrackTags &tags, const Quality &quality = {});
    // Copies a source's audio as it is into a new, tagged file at output,
    // without what the PSP cannot read (see SendMethod::Rewrite); output
    // ends in the extension of its copy.
    quint64 rewrite(const QString &path, const QString &output, const TrackTags &tags);
    struct Mailbox;
    // Copies through the pool from other threads; it may outlive the pool,
    // and then copies nothing.
    class Copies
    {
    public:
        // One copy of many, into its own target.
        struct Copy
        {
            QString path;
            int target = -1;
        };
        // Copies sources, byte for byte, each into its target, a file open
        // for writing (the helper gets a descriptor of its own), all queued
        // at once so that the helpers take them in turn without waiting on
        // this thread. Waits on the calling thread, never the pool's; once
        // cancelled turns true, or the pool is gone, it ends the jobs and
        // returns Cancelled for those not done, whatever the helpers do;
        // returns once every one has ended, with their results in order.
        // copied tells the bytes done of the copy at that position.
        QList<AudioJobResult>
        copyAllAndWait(const QList<Copy> &copies, const std::atomic_bool &cancelled,
                       const std::function<void(qsizetype copy, qint64 bytes)> &copied) const;

    private:
        friend class AudioWorkers;
        std::shared_ptr<Mailbox> m_mailbox;
    };
    Copies copies() const;
    // Ends every job, the running ones with their helpers; each reports
    // Cancelled, from the event loop.
    void cancelAll();
    // Ends one job, as cancelAll() does.
    void cancel(quint64 job);
    // How many jobs run at once, one per helper.
    int count() const { return m_count; }

Q_SIGNALS:
    // A helper took the job.
    void started(quint64 job);
    void progressed(quint64 job, double seconds);
    void finished(quint64 job, const AudioJobResult &result);

private:
    struct Job
    {
        quint64 id = 0;
        audioprotocol::Frame frame;
        QString output;                    // where the helper's file goes once done
        std::shared_ptr<const int> target; // a copy's, closed with its last copy
    };
    struct Worker;
    struct Waiting;

    quint64 enqueue(audioprotocol::Frame frame, std::shared_ptr<const int> target = {});
    void answerWaiting(quint64 job, const AudioJobResult &result);
    void dispatch();
    struct Opened;
    void open(Worker &worker);
    void hand(Worker &worker, const Opened &opened);
    void collect(const Worker &worker, const Job &job, bool done);
    void startWorker();
    void silent(Worker &worker);
    void read(Worker &worker);
    void logErrors(Worker &worker);
    void jobEnded(Worker &worker, const AudioJobResult &result);
    void missing(Worker &worker, const QString &why);
    void remove(Worker &worker);

    QString m_program;
    int m_count;
    bool m_missing = false; // said once; no helper is started again
    int m_silenceLimitMs;
    quint64 m_lastJob = 0;
    QList<Job> m_queue;
    std::vector<std::unique_ptr<Worker>> m_workers;
    // Threads waiting on a copy reach the pool through it, while it lives.
    std::shared_ptr<Mailbox> m_mailbox;
    // By job: who waits, and for which of its copies.
    QHash<quint64, std::pair<std::shared_ptr<Waiting>, qsizetype>> m_waiting;
};
