#include "playlist/missingtracks.h"

#include "core/entry.h"
#include "core/folderpath.h"
#include "platform/volumeroot.h"

#include <atomic>
#include <thread>
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

// One check, shared by its thread and, until it is given up, by the object
// that started it. It lives on the window's thread, where its results reach
// that object; the last of the two to let it go has it deleted there.
class MissingTracks::Run : public QObject
{
public:
    explicit Run(MissingTracks &by) : owner(by) {}

    // Hands a result over to the window's thread, unless the check is given
    // up by the time it gets there.
    template <class Emit> static void handOver(const std::shared_ptr<Run> &run, Emit emitter)
    {
        QMetaObject::invokeMethod(
            run.get(),
            [run = run.get(), emitter = std::move(emitter)] {
                if (!run->cancelled)
                    emitter(run->owner);
            },
            Qt::QueuedConnection);
    }

    // Gone once the check is given up, which it is before it goes.
    MissingTracks &owner;
    std::atomic_bool cancelled{false};
};

MissingTracks::MissingTracks(QObject *parent) : QObject(parent) {}

MissingTracks::~MissingTracks()
{
    cancel();
}

void MissingTracks::cancel()
{
    if (!m_run)
        return;
    m_run->cancelled = true;
    m_run.reset();
}

void MissingTracks::check(const QString &driveRoot, const QStringList &entries)
{
    cancel();
    std::shared_ptr<Run> run(new Run(*this), [](Run *done) { done->deleteLater(); });
    m_run = run;
    std::thread([run, driveRoot, entries] {
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
                Run::handOver(run, [batch = std::exchange(missing, {})](MissingTracks &to) {
                    Q_EMIT to.found(batch);
                });
        };
        for (qsizetype i = 0; i < entries.size() && !run->cancelled; ++i) {
            const QString &entry = entries.at(i);
            const int holding = lines.take(entry);
            if (holding > 0 && namesTrack(entry) && !tracks.has(entry))
                missing.insert(entry, holding);
            if ((i + 1) % batchSize == 0)
                handOver();
        }
        handOver();
        Run::handOver(run, [](MissingTracks &to) { Q_EMIT to.finished(); });
    }).detach();
}
