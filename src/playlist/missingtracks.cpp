#include "playlist/missingtracks.h"

#include "core/entry.h"

#include <QFileInfo>
#include <QSet>
#include <utility>

namespace {

// Entries checked between hand-overs: large enough that the window repaints
// rarely, small enough that marks appear while a long playlist on a slow card
// is still being checked.
constexpr int batchSize = 1024;

} // namespace

MissingTracks::MissingTracks(QObject *parent) : QObject(parent) {}

MissingTracks::~MissingTracks()
{
    cancel();
}

void MissingTracks::cancel()
{
    if (m_cancelled)
        *m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
    m_cancelled.reset();
}

void MissingTracks::check(const QString &driveRoot, const QStringList &entries)
{
    cancel();
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    // Results are handed to this object's thread; a cancelled check hands
    // over nothing more, and this object outlives the thread (cancel joins it).
    m_thread = std::thread([this, cancelled, driveRoot, entries] {
        QStringList missing;
        QSet<QString> seen;
        const auto handOver = [&] {
            if (missing.isEmpty() || *cancelled)
                return;
            QMetaObject::invokeMethod(
                this,
                [this, cancelled, batch = std::exchange(missing, {})] {
                    if (!*cancelled)
                        Q_EMIT found(batch);
                },
                Qt::QueuedConnection);
        };
        for (qsizetype i = 0; i < entries.size() && !*cancelled; ++i) {
            const QString &entry = entries.at(i);
            if (!namesTrack(entry) || seen.contains(entry))
                continue;
            seen.insert(entry);
            const QString path = entryFilePath(driveRoot, entry);
            if (path.isEmpty() || !QFileInfo(path).isFile())
                missing.append(entry);
            if ((i + 1) % batchSize == 0)
                handOver();
        }
        handOver();
        if (!*cancelled)
            QMetaObject::invokeMethod(
                this,
                [this, cancelled] {
                    if (!*cancelled)
                        Q_EMIT finished();
                },
                Qt::QueuedConnection);
    });
}
