#include "transfer/sendrun.h"

#include "core/background.h"
#include "platform/volumeroot.h"

#include <algorithm>
#include <cerrno>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

struct SendRun::Copied
{
    QList<int> indexes; // the group's tracks, by source index
    QList<TrackSent> sent;
    QStringList removed; // replaced files gone from the volume
};

struct SendRun::RecordWritten
{
    Result<> written;
    QList<RecordedTrack> measured; // those of the tracks to measure that are there
    QStringList removed;           // replaced files gone from the volume
};

namespace {

Q_LOGGING_CATEGORY(lcVolumes, "zarvello.volumes")

// A group of copies shares the waits on the medium, which cost small tracks
// more than their bytes do; bounded so that a volume pulled out loses little
// work, and the progress shown moves.
constexpr qsizetype groupTracks = 64;
constexpr qint64 groupBytes = 16 * 1024 * 1024;

void warnUnrecorded(const FileError &error)
{
    // What was sent is there all the same: the record only misses it.
    qCWarning(lcVolumes).noquote()
        << "The record of what was sent could not be written:" << error.message;
}

const Phrase &reasonFor(SourceTrack::Refusal refusal)
{
    switch (refusal) {
    case SourceTrack::Refusal::NotAudio:
        return texts::sendWhyNotAudio;
    case SourceTrack::Refusal::TooLarge:
        return texts::sendWhyTooLarge;
    case SourceTrack::Refusal::Damaged:
        return texts::sendWhyDamaged;
    default:
        return texts::sendWhyUnreadable;
    }
}

const Phrase &reasonFor(TrackOutcome outcome)
{
    switch (outcome) {
    case TrackOutcome::FolderRefused:
        return texts::sendWhyFolder;
    case TrackOutcome::NameTaken:
        return texts::sendWhyNameTaken;
    case TrackOutcome::MediumFull:
        return texts::sendWhyNoRoom;
    case TrackOutcome::WriteFailed:
        return texts::sendWhyWrite;
    case TrackOutcome::Unreadable:
        return texts::sendWhyUnreadable;
    case TrackOutcome::Damaged:
        return texts::sendWhyDamaged;
    default:
        return texts::sendWhyCancelled;
    }
}

} // namespace

QList<RecordedTrack> SendRun::measure(const VolumeRoot &volume, const QString &musicFolder,
                                      QList<RecordedTrack> toMeasure)
{
    QList<RecordedTrack> measured;
    // Each album folder listed once: its files, by name.
    QHash<QString, QHash<QString, VolumeRoot::Entry>> folders;
    for (RecordedTrack &track : toMeasure) {
        const QString folder = track.file.section(u'/', 0, -2);
        auto listed = folders.find(folder);
        if (listed == folders.end()) {
            listed = folders.insert(folder, {});
            for (const VolumeRoot::Entry &entry :
                 volume.entries(musicFolder + u'/' + folder).valueOr({})) {
                if (entry.kind == VolumeRoot::Kind::File)
                    listed->insert(entry.name, entry);
            }
        }
        const auto file = listed->constFind(track.file.section(u'/', -1));
        if (file == listed->cend())
            continue;
        track.bytes = file->size;
        track.modified = file->modified;
        measured.append(track);
    }
    return measured;
}

QStringList SendRun::removeReplaced(const VolumeRoot &volume, const QString &musicFolder,
                                    RecordJournal &journal, const QStringList &files)
{
    QStringList removed;
    for (const QString &file : files) {
        const Result<> gone = volume.remove(musicFolder + u'/' + file);
        if (gone || gone.error().errorNumber == ENOENT)
            removed.append(file);
    }
    // A file gone that the record still names is no harm: it counts only
    // while it is there.
    (void)journal.remove(volume, removed);
    return removed;
}

QString whyNotSent(const SourceTrack &source, const PlannedTrack &track,
                   const std::optional<TrackEnding> &ending, Language language)
{
    if (track.method == SendMethod::Refuse)
        return reasonFor(source.refusal).in(language);
    if (track.noRoom)
        return texts::sendWhyNoRoom.in(language);
    if (!ending || ending->outcome != TrackOutcome::NotConverted)
        return reasonFor(ending ? ending->outcome : TrackOutcome::Cancelled).in(language);
    using Status = AudioJobResult::Status;
    const QString cause = ending->helper == Status::Crashed
                              ? texts::sendWhyHelperCrashed.in(language).arg(ending->reason)
                          : ending->helper == Status::Silent
                              ? texts::sendWhyHelperSilent.in(language)
                              : ending->reason;
    return texts::sendWhyNotConverted.in(language).arg(cause);
}

SendRun::SendRun(AudioWorkers &workers, QObject *parent) : QObject(parent), m_workers(workers)
{
    connect(&m_workers, &AudioWorkers::started, this, &SendRun::jobStarted);
    connect(&m_workers, &AudioWorkers::progressed, this, &SendRun::jobProgressed);
    connect(&m_workers, &AudioWorkers::finished, this, &SendRun::jobFinished);
}

SendRun::~SendRun()
{
    abandon();
}

void SendRun::start(std::shared_ptr<const VolumeRoot> volume, const QString &musicFolder,
                    const QList<SourceTrack> &sources, const SendPlan &plan, TargetFormat format,
                    const Quality &quality, const SendRecord &record, bool kept)
{
    if (m_state != State::Idle)
        return;
    m_state = State::Sending;
    m_volume = std::move(volume);
    m_musicFolder = musicFolder;
    m_sources = sources;
    m_plan = plan;
    m_format = format;
    m_quality = quality;
    m_record = record;
    m_kept = kept;
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_progress = std::make_shared<std::atomic<qint64>>(0);
    m_endings = QList<std::optional<TrackEnding>>(m_sources.size());
    m_counted = QList<qint64>(m_sources.size(), 0);
    for (int i = 0; i < m_plan.tracks.size(); ++i) {
        const PlannedTrack &track = m_plan.tracks.at(i);
        if (track.alreadyThere && !m_record.byFile(track.folder + u'/' + track.fileName))
            m_toMeasure.append(recordedTrackOf(i, -1));
        if (track.method == SendMethod::Refuse || track.alreadyThere || track.noRoom)
            continue;
        ++m_queued;
        (track.method == SendMethod::Copy ? m_toCopy : m_toConvert).push_back(i);
    }
    if (m_queued > 0 || !m_toMeasure.isEmpty())
        m_journal = std::make_shared<RecordJournal>(m_record);
    // Making a folder waits on the disk: not here.
    if (!m_toConvert.empty())
        background::run(
            this, [] { return std::make_shared<QTemporaryDir>(AudioWorkers::scratchTemplate()); },
            [this](const std::shared_ptr<QTemporaryDir> &scratch) { scratchMade(scratch); });
    dispatch();
    writeRecord();
    if (m_queued == 0)
        QMetaObject::invokeMethod(this, &SendRun::beginFinishing, Qt::QueuedConnection);
}

void SendRun::scratchMade(const std::shared_ptr<QTemporaryDir> &scratch)
{
    if (!running())
        return;
    m_scratch = scratch;
    dispatch();
}

void SendRun::dispatch()
{
    if (m_state != State::Sending || *m_cancelled)
        return;
    // One job per helper: what waits stays here, where a cancel drops it.
    while (m_scratch && !m_toConvert.empty() && m_jobs.size() < m_workers.count()) {
        const int index = m_toConvert.front();
        m_toConvert.pop_front();
        const SourceTrack &source = m_sources.at(index);
        const QString output = scratchFileOf(index);
        m_jobs.insert(
            m_plan.tracks.at(index).method == SendMethod::Rewrite
                ? m_workers.rewrite(source.path, output, source.tags)
                : m_workers.convert(source.path, m_format, output, source.tags, m_quality),
            index);
    }
    copyNext();
}

void SendRun::copyNext()
{
    if (m_copying || (m_converted.empty() && m_toCopy.empty()))
        return;
    // Converted tracks first, so that their files leave the computer soon.
    QList<TrackToSend> group;
    QList<int> indexes;
    qint64 bytes = 0;
    for (std::deque<int> *queue : {&m_converted, &m_toCopy}) {
        const bool converted = queue == &m_converted;
        while (!queue->empty() && group.size() < groupTracks &&
               (group.isEmpty() || bytes + m_plan.tracks.at(queue->front()).bytes <= groupBytes)) {
            const int index = queue->front();
            queue->pop_front();
            const PlannedTrack &track = m_plan.tracks.at(index);
            bytes += track.bytes;
            // One name shown for the group; a converted track was shown as
            // its conversion started.
            if (!converted && group.isEmpty())
                trackStarted(index);
            // A user's file is read in a helper; a converted one is ours.
            group.append({converted ? scratchFileOf(index) : m_sources.at(index).path, track,
                          recordedTrackOf(index, 0), m_counted.at(index), !converted});
            indexes.append(index);
        }
    }
    m_copying = true;
    // Copies wait on the disk rather than on a core: one group at a time,
    // beside the conversions instead of taking their turns. Converted files
    // are read from the scratch folder until the last copy is over.
    background::run(
        this,
        [volume = m_volume, music = m_musicFolder, group, indexes, cancelled = m_cancelled,
         progress = m_progress, scratch = m_scratch, journal = m_journal,
         helpers = m_workers.copies()] {
            Copied copied;
            copied.indexes = indexes;
            copied.sent =
                sendTracks(*volume, music, group, *journal, *cancelled, *progress, helpers);
            QStringList replaced;
            for (qsizetype i = 0; i < group.size(); ++i) {
                const TrackToSend &each = group.at(i);
                // A converted or rewritten track's file is the program's own.
                if (!each.throughHelpers)
                    QFile::remove(each.localFile);
                const TrackSent &sent = copied.sent.at(i);
                if (sent.written.outcome == TrackOutcome::Sent && sent.recorded &&
                    !each.track.replaces.isEmpty() && !replacesInPlace(each.track))
                    replaced.append(each.track.replaces);
            }
            if (!replaced.isEmpty())
                copied.removed = removeReplaced(*volume, music, *journal, replaced);
            return copied;
        },
        [this](const Copied &copied) {
            m_copying = false;
            for (qsizetype i = 0; i < copied.indexes.size(); ++i) {
                const int index = copied.indexes.at(i);
                const TrackSent &sent = copied.sent.at(i);
                if (running() && sent.written.outcome == TrackOutcome::Sent)
                    recordSent(index, sent.written, sent.recorded);
            }
            if (running())
                m_record.remove(copied.removed);
            for (qsizetype i = 0; i < copied.indexes.size(); ++i)
                endTrack(copied.indexes.at(i), copied.sent.at(i).written.outcome);
        });
}

void SendRun::jobStarted(quint64 job)
{
    if (m_state == State::Sending && m_jobs.contains(job))
        trackStarted(m_jobs.value(job));
}

void SendRun::jobProgressed(quint64 job, double seconds)
{
    const auto found = m_jobs.constFind(job);
    if (m_state != State::Sending || found == m_jobs.cend())
        return;
    // Converting counts for half of a track's bytes, copying for the rest.
    const int index = *found;
    const double length = m_sources.at(index).seconds;
    const qint64 half = m_plan.tracks.at(index).bytes / 2;
    const qint64 reached = length > 0 ? std::min(half, qint64(double(half) * seconds / length)) : 0;
    if (reached > m_counted.at(index))
        *m_progress += reached - std::exchange(m_counted[index], reached);
}

void SendRun::jobFinished(quint64 job, const AudioJobResult &result)
{
    const auto found = m_jobs.constFind(job);
    if (found == m_jobs.cend())
        return;
    const int index = *found;
    m_jobs.erase(found);
    using Status = AudioJobResult::Status;
    switch (result.status) {
    case Status::Done:
        if (*m_cancelled) {
            endTrack(index, TrackOutcome::Cancelled);
        } else {
            m_converted.push_back(index);
            dispatch();
        }
        return;
    case Status::Damaged:
        endTrack(index, TrackOutcome::Damaged);
        return;
    case Status::Cancelled:
        endTrack(index, TrackOutcome::Cancelled);
        return;
    case Status::HelperMissing:
        m_helperMissing = true;
        endTrack(index, TrackOutcome::HelperMissing);
        return;
    default:
        endTrack(index, TrackOutcome::NotConverted, result);
        return;
    }
}

void SendRun::trackStarted(int index)
{
    if (m_inFlight.contains(index))
        return;
    m_inFlight.append(index);
    Q_EMIT progressed();
}

void SendRun::endTrack(int index, TrackOutcome outcome, const AudioJobResult &helper)
{
    if (!running() || !noteEnding(index, outcome, helper))
        return;
    // Nothing more could be converted: stop, keeping what is finished. A
    // track with no room is left out alone: smaller ones after it may fit.
    if (outcome == TrackOutcome::HelperMissing)
        stopTheRest();
    Q_EMIT progressed();
    dispatch();
    if (m_done == m_queued)
        beginFinishing();
}

bool SendRun::noteEnding(int index, TrackOutcome outcome, const AudioJobResult &helper)
{
    if (m_endings.at(index))
        return false;
    m_endings[index] = TrackEnding{outcome, helper.status, helper.reason};
    ++m_done;
    m_inFlight.removeOne(index);
    const PlannedTrack &track = m_plan.tracks.at(index);
    if (outcome == TrackOutcome::Sent)
        m_filled.insert(track.folder);
    // A conversion that ends here counts for its whole track.
    if (track.method != SendMethod::Copy && outcome != TrackOutcome::Sent &&
        m_counted.at(index) < track.bytes)
        *m_progress += track.bytes - std::exchange(m_counted[index], track.bytes);
    Q_EMIT trackEnded(index);
    return true;
}

void SendRun::recordSent(int index, const TrackWritten &sent, const Result<> &recorded)
{
    const PlannedTrack &track = m_plan.tracks.at(index);
    RecordedTrack written = recordedTrackOf(index, sent.bytes);
    written.modified = sent.modified;
    m_record.put(written);
    if (!recorded) {
        warnUnrecorded(recorded.error());
        if (!track.replaces.isEmpty() && !replacesInPlace(track))
            m_replaced.append(track.replaces);
    }
}

void SendRun::writeRecord()
{
    if (!m_journal)
        return;
    ++m_writing;
    background::run(
        this,
        [volume = m_volume, music = m_musicFolder, journal = m_journal,
         toMeasure = std::exchange(m_toMeasure, {}), toRemove = std::exchange(m_replaced, {})] {
            RecordWritten done;
            done.measured = measure(*volume, music, toMeasure);
            // Written whole below if the journal would not take them.
            (void)journal->put(*volume, done.measured);
            done.written = journal->save(*volume);
            if (done.written && !toRemove.isEmpty()) {
                done.removed = removeReplaced(*volume, music, *journal, toRemove);
                done.written = journal->save(*volume);
            }
            return done;
        },
        [this](const RecordWritten &written) { recordWriteDone(written); });
}

void SendRun::recordWriteDone(const RecordWritten &written)
{
    if (!running())
        return;
    --m_writing;
    if (!written.written)
        warnUnrecorded(written.written.error());
    for (const RecordedTrack &track : written.measured)
        m_record.put(track);
    m_record.remove(written.removed);
    finishIfQuiet();
}

void SendRun::stopTheRest()
{
    *m_cancelled = true;
    // Running conversions report Cancelled as their helpers end; a running
    // copy sees the flag between chunks.
    m_workers.cancelAll();
    std::deque<int> waiting = std::exchange(m_toConvert, {});
    for (std::deque<int> *queue : {&m_toCopy, &m_converted}) {
        waiting.insert(waiting.end(), queue->cbegin(), queue->cend());
        queue->clear();
    }
    for (const int index : waiting)
        noteEnding(index, TrackOutcome::Cancelled);
}

void SendRun::cancel()
{
    if (m_state != State::Sending)
        return;
    m_state = State::Cancelling;
    stopTheRest();
    Q_EMIT progressed();
    if (m_done == m_queued)
        QMetaObject::invokeMethod(this, &SendRun::beginFinishing, Qt::QueuedConnection);
}

void SendRun::beginFinishing()
{
    if (!running() || m_finishing)
        return;
    m_finishing = true;
    writeRecord();
    // The album folders this run made and wrote nothing into go again, once
    // every job has ended, and only while empty: what else has come into
    // one meanwhile stays.
    QStringList unused;
    for (const QString &folder : std::as_const(m_plan.newFolders)) {
        if (!m_filled.contains(folder))
            unused.append(m_musicFolder + u'/' + folder);
    }
    if (!unused.isEmpty()) {
        m_removingFolders = true;
        background::run(
            this,
            [volume = m_volume, unused] {
                for (const QString &folder : unused)
                    (void)volume->removeEmptyFolder(folder);
                return true;
            },
            [this](bool) {
                m_removingFolders = false;
                finishIfQuiet();
            });
    }
    finishIfQuiet();
}

void SendRun::finishIfQuiet()
{
    if (!running() || !m_finishing || m_removingFolders || m_writing)
        return;
    stopAll();
    Q_EMIT finished();
}

void SendRun::abandon()
{
    if (running())
        stopAll();
}

void SendRun::stopAll()
{
    m_state = State::Done;
    *m_cancelled = true;
    if (!m_jobs.isEmpty())
        m_workers.cancelAll();
    m_jobs.clear();
    m_toConvert.clear();
    m_toCopy.clear();
    m_converted.clear();
    m_volume.reset();
    // Removed off this thread, or by the last copy that reads from it.
    if (m_scratch)
        background::run([scratch = std::exchange(m_scratch, {})] {});
}

int SendRun::tracksSent() const
{
    return int(std::count_if(m_endings.cbegin(), m_endings.cend(), [](const auto &ending) {
        return ending && ending->outcome == TrackOutcome::Sent;
    }));
}

std::optional<TrackEnding> SendRun::ending(int index) const
{
    return index < m_endings.size() ? m_endings.at(index) : std::nullopt;
}

RecordedTrack SendRun::recordedTrackOf(int index, qint64 bytes) const
{
    const PlannedTrack &track = m_plan.tracks.at(index);
    return {m_sources.at(index).identity(), recordedSettings(track.method, m_format, m_quality),
            track.folder + u'/' + track.fileName, bytes, m_kept};
}

QString SendRun::scratchFileOf(int index) const
{
    const QString extension = m_plan.tracks.at(index).method == SendMethod::Rewrite
                                  ? m_sources.at(index).copyExtension
                                  : extensionOf(m_format);
    return m_scratch->filePath(QString::number(index) + u'.' + extension);
}
