#include "playlist/missingtracks.h"

#include "core/background.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "platform/volumeroot.h"

#include <utility>

namespace {

// Entries checked between hand-overs: large enough that the window repaints
// rarely, small enough that marks appear while a long playlist on a slow card
// is still being checked.
constexpr int batchSize = 1024;

// Looks tracks up through the volume, never following its links, which may
// lead anywhere on the computer.
class TrackFinder
{
public:
    explicit TrackFinder(const QString &driveRoot)
        : m_root(folderpath::rootForm(driveRoot)), m_volume(VolumeRoot::open(driveRoot))
    {}

    bool has(const QString &entry) const
    {
        const QString path = entryFilePath(m_root, entry);
        return !path.isEmpty() && m_volume &&
               m_volume->status(path.mid(m_root.size())).kind == VolumeRoot::Kind::File;
    }

private:
    const QString m_root;
    const std::unique_ptr<VolumeRoot> m_volume;
};

} // namespace

MissingTracks::MissingTracks(QObject *parent) : QObject(parent) {}

MissingTracks::~MissingTracks()
{
    cancel();
}

void MissingTracks::cancel()
{
    m_run.cancel();
    m_run = {};
}

void MissingTracks::check(const QString &driveRoot, const QStringList &entries)
{
    cancel();
    const auto work = [driveRoot, entries](QPromise<Batch> &promise) {
        // How many entries hold each text; each text is checked once, at
        // its first entry.
        QHash<QString, int> lines;
        lines.reserve(entries.size());
        for (const QString &entry : entries)
            ++lines[entry];
        QHash<QString, int> missing;
        TrackFinder tracks(driveRoot);
        const auto handOver = [&] {
            if (!missing.isEmpty())
                promise.addResult(
                    std::make_shared<QHash<QString, int>>(std::exchange(missing, {})));
        };
        for (qsizetype i = 0; i < entries.size() && !promise.isCanceled(); ++i) {
            const QString &entry = entries.at(i);
            const int holding = lines.take(entry);
            if (holding > 0 && namesTrack(entry) && !tracks.has(entry))
                missing.insert(entry, holding);
            if ((i + 1) % batchSize == 0)
                handOver();
        }
        handOver();
    };
    const auto mark = [this](const Batch &batch) {
        Q_EMIT found(*batch);
        // Let go once marked: the future keeps every batch until the check
        // is over, and freeing a long playlist's all at once would stall the
        // window.
        *batch = {};
    };
    m_run = background::stream<Batch>(this, work, mark, [this] {
        m_run = {};
        Q_EMIT finished();
    });
}
