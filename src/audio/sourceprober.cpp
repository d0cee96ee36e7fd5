#include "audio/sourceprober.h"

SourceProber::SourceProber(AudioWorkers &workers, QObject *parent)
    : QObject(parent), m_workers(workers)
{
    connect(&m_workers, &AudioWorkers::finished, this, &SourceProber::jobFinished);
}

void SourceProber::start(const QStringList &paths)
{
    stop();
    m_paths = paths;
    for (qsizetype i = 0; i < paths.size(); ++i)
        m_waiting.push_back(i);
    next();
    if (!running())
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
}

void SourceProber::stop()
{
    for (auto job = m_jobs.keyBegin(); job != m_jobs.keyEnd(); ++job)
        m_workers.cancel(*job);
    m_jobs.clear();
    m_waiting.clear();
}

void SourceProber::next()
{
    while (!m_waiting.empty() && m_jobs.size() < m_workers.count()) {
        m_jobs.insert(m_workers.probe(m_paths.at(m_waiting.front())), m_waiting.front());
        m_waiting.pop_front();
    }
}

void SourceProber::jobFinished(quint64 job, const AudioJobResult &result)
{
    const auto found = m_jobs.constFind(job);
    if (found == m_jobs.cend())
        return;
    const qsizetype index = *found;
    m_jobs.erase(found);
    if (result.status == AudioJobResult::Status::HelperMissing) {
        stop();
        Q_EMIT finished(true);
        return;
    }
    Q_EMIT probed(index, result);
    next();
    if (!running())
        Q_EMIT finished(false);
}
