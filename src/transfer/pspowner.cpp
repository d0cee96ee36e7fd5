#include "transfer/pspowner.h"

void PspOwner::hold(const QObject *writer, std::shared_ptr<const WriterLock> lock, Counter count)
{
    m_writer = writer;
    m_lock = std::move(lock);
    m_count = std::move(count);
}

void PspOwner::letGo(const QObject *writer)
{
    if (writer != m_writer)
        return;
    m_writer = nullptr;
    m_lock.reset();
    m_count = {};
}

std::optional<PspOwner::Tally> PspOwner::leave()
{
    // Counted before the writer ends, when it still knows.
    std::optional<Tally> tally;
    if (m_count)
        tally = m_count();
    Q_EMIT left();
    letGo(m_writer);
    return tally;
}
