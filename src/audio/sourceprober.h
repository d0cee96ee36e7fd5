#pragma once

#include "audio/audioworkers.h"

#include <deque>
#include <QHash>
#include <QObject>
#include <QStringList>

// Looks at many sources through the audio helpers, for a send or a sync
// alike: one per helper at a time, for thousands handed over at once would
// hold the window while they are queued. A helper that cannot be used ends
// the looking at once, said once.
class SourceProber : public QObject
{
    Q_OBJECT
public:
    explicit SourceProber(AudioWorkers &workers, QObject *parent = nullptr);

    // Looks at each of paths, instead of what an earlier start asked for.
    void start(const QStringList &paths);
    // Drops what is still to come, the probes under way with it; nothing
    // more is told.
    void stop();
    bool running() const { return !m_jobs.isEmpty() || !m_waiting.empty(); }

Q_SIGNALS:
    // The source at index of the paths given to start(): Done with its
    // SourceTrack, Damaged, or Failed and why.
    void probed(qsizetype index, const AudioJobResult &result);
    // Every source is looked at, or no helper could be used (helperMissing):
    // then the rest is not, and probed() does not tell of it.
    void finished(bool helperMissing);

private:
    void next();
    void jobFinished(quint64 job, const AudioJobResult &result);

    AudioWorkers &m_workers;
    QStringList m_paths;
    QHash<quint64, qsizetype> m_jobs;
    std::deque<qsizetype> m_waiting;
};
