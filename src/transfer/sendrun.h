#pragma once

#include "audio/audioworkers.h"
#include "core/sendrecord.h"
#include "core/texts.h"
#include "transfer/sendplan.h"
#include "transfer/sendtrack.h"

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

class QTemporaryDir;

// How one track of a run ended.
struct TrackEnding
{
    TrackOutcome outcome = TrackOutcome::Cancelled;
    // For a track NotConverted: how its helper failed (Failed, Crashed or
    // Silent), and in whose words.
    AudioJobResult::Status helper = AudioJobResult::Status::Failed;
    QString reason;
};

// Why a track is not on the volume, in the interface language: refused,
// left out for want of room, or how its run ended (none: it never started).
QString whyNotSent(const SourceTrack &source, const PlannedTrack &track,
                   const std::optional<TrackEnding> &ending, Language language);

// One send of planned tracks to a volume, with no window of its own: a front
// end (the send's dialogs, or a sync from a terminal) plans, starts a run,
// follows it through its signals and getters, and says what it did.
//
// It lives on the thread that starts it and never waits there: a queue on
// that thread hands each track, when there is room, to the audio helpers (a
// conversion or rewrite, at most one per helper) or to the copy lane (one
// group of copies at a time, on the background threads), a converted track
// going to the copy lane once its helper is done. Every job started reports once.
//
// The copy lane sends tracks in groups (see sendTracks()), recording each
// group's tracks there (see RecordJournal) before they take their names and
// before it starts the next group, so the record never names a file that is
// not whole, and a volume pulled out leaves no track under its name
// unrecorded. A track that takes the place of an
// earlier file of ours (PlannedTrack::replaces) removes that file once the
// new one is recorded, and the record forgets it. The record is written
// whole as the run starts and as it ends.
//
// A run is used once: start(), then finished() once everything has ended,
// including the last write of the record and the removal of the album
// folders it made and left empty; or abandon(), after which a track being
// committed is still recorded.
//
// Endings have one vocabulary, here and in the sync: a job or a track ends
// (ending(), trackEnded()); a run or session finishes once all of it has
// ended (finished()); cancel() asks it to finish early, with what is done;
// abandon() stops it at once, finishing nothing and saying nothing.
class SendRun : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,       // not started
        Sending,    // tracks are being sent
        Cancelling, // nothing more starts; the jobs under way are awaited
        Done,       // finished, or abandoned
    };

    // workers run its conversions, and must outlive it; cancel() ends every
    // job they have, so they are not shared with work that goes on meanwhile.
    explicit SendRun(AudioWorkers &workers, QObject *parent = nullptr);
    ~SendRun() override;

    // Sends the planned tracks of sources (one plan track per source, as
    // planSend() gives them) into musicFolder on volume: converted to format
    // at quality, or copied. record is the volume's record as read before the
    // plan; the tracks the run writes go into it as kept when kept is set
    // (see RecordedTrack::kept). finished() follows from the event loop,
    // never from within start().
    void start(std::shared_ptr<const VolumeRoot> volume, const QString &musicFolder,
               const QList<SourceTrack> &sources, const SendPlan &plan, TargetFormat format,
               const Quality &quality, const SendRecord &record, bool kept);
    // Starts nothing more: the tracks waiting end as cancelled at once, those
    // under way are told to stop and end as they do; then the run finishes,
    // with what is really on the volume.
    void cancel();
    // Ends the run at once, as the program closes: the jobs under way are
    // told to stop and not awaited, nothing more is recorded or removed, and
    // finished() does not follow.
    void abandon();

    State state() const { return m_state; }
    // Of the plan's expected bytes, those done so far; it grows between
    // signals too, so a front end may read it on a clock of its own.
    qint64 bytesDone() const { return m_progress ? m_progress->load() : 0; }
    qint64 bytesTotal() const { return m_plan.bytes; }
    // The tracks to send, and those of them that have ended.
    int tracksQueued() const { return m_queued; }
    int tracksDone() const { return m_done; }
    // Those of them written under their names so far.
    int tracksSent() const;
    // The tracks being converted or copied, by source index, in the order
    // they started.
    const QList<int> &inFlight() const { return m_inFlight; }
    // How a track ended; none for one not (yet) ended, or never queued
    // (refused, already there, left out for want of room).
    std::optional<TrackEnding> ending(int index) const;
    // No audio helper could be started: the conversions stopped.
    bool helperMissing() const { return m_helperMissing; }
    // The volume's record with what the run wrote; once finished, what the
    // volume holds, unless the last write of it failed.
    const SendRecord &record() const { return m_record; }

Q_SIGNALS:
    // A track started or ended.
    void progressed();
    // The track of that source index ended; ending() says how.
    void trackEnded(int index);
    // Everything has ended.
    void finished();

private:
    // What a copy did, and what recording it did.
    struct Copied;
    // What writing the record did.
    struct RecordWritten;

    void scratchMade(const std::shared_ptr<QTemporaryDir> &scratch);
    void dispatch();
    void copyNext();
    void jobStarted(quint64 job);
    void jobProgressed(quint64 job, double seconds);
    void jobFinished(quint64 job, const AudioJobResult &result);
    void trackStarted(int index);
    // Ends a track and moves on; helper: how the helper failed, for one
    // NotConverted.
    void endTrack(int index, TrackOutcome outcome, const AudioJobResult &helper = {});
    // Notes how a track ended; false when it had already.
    bool noteEnding(int index, TrackOutcome outcome, const AudioJobResult &helper = {});
    // Puts a track the copy lane committed, and maybe recorded, in the
    // record.
    void recordSent(int index, const TrackWritten &sent, const Result<> &recorded);
    // Off the run's thread: the tracks found already there, with the sizes
    // their folders give, those of them that are there.
    static QList<RecordedTrack> measure(const VolumeRoot &volume, const QString &musicFolder,
                                        QList<RecordedTrack> toMeasure);
    // Off the run's thread: removes files of ours that recorded tracks took
    // the place of, and has the record forget them; those gone.
    static QStringList removeReplaced(const VolumeRoot &volume, const QString &musicFolder,
                                      RecordJournal &journal, const QStringList &files);
    // Writes the record whole, with the tracks found already there as the
    // run starts, and with the removal of the files still to remove as it
    // ends.
    void writeRecord();
    void recordWriteDone(const RecordWritten &written);
    void stopTheRest();
    // Nothing is left to send: the record is written whole and the empty
    // folders removed, then the run finishes, once neither is under way.
    void beginFinishing();
    void finishIfQuiet();
    // Ends every job and lets go of the volume: the run is done.
    void stopAll();
    QString scratchFileOf(int index) const;
    RecordedTrack recordedTrackOf(int index, qint64 bytes) const;
    bool running() const { return m_state == State::Sending || m_state == State::Cancelling; }

    AudioWorkers &m_workers;
    State m_state = State::Idle;
    std::shared_ptr<const VolumeRoot> m_volume;
    QString m_musicFolder;
    QList<SourceTrack> m_sources;
    SendPlan m_plan;
    TargetFormat m_format = TargetFormat::Mp3;
    Quality m_quality;
    bool m_kept = false;
    // Set once nothing more may start: jobs see it between chunks.
    std::shared_ptr<std::atomic_bool> m_cancelled;
    // Grows as the jobs go, by the expected bytes of what they have done.
    std::shared_ptr<std::atomic<qint64>> m_progress;
    // Where converted tracks wait on the computer to be copied; made off
    // this thread, and conversions wait for it.
    std::shared_ptr<QTemporaryDir> m_scratch;

    // The queues, by source index: conversions and rewrites for the helpers,
    // plain copies, and converted tracks waiting for the copy lane, which go
    // first so that their files leave the computer soon.
    std::deque<int> m_toConvert;
    std::deque<int> m_toCopy;
    std::deque<int> m_converted;
    // The helpers' jobs under way, and their tracks.
    QHash<quint64, int> m_jobs;
    bool m_copying = false;
    QList<std::optional<TrackEnding>> m_endings;
    // Of a converted track's expected bytes, those counted while converting.
    QList<qint64> m_counted;
    QList<int> m_inFlight;
    QSet<QString> m_filled; // album folders a track was written into
    int m_queued = 0;
    int m_done = 0;
    bool m_helperMissing = false;

    SendRecord m_record;
    // The volume's record, as it is kept there, off this thread; none when
    // the run writes nothing.
    std::shared_ptr<RecordJournal> m_journal;
    int m_writing = 0; // writes of the whole record under way
    // Tracks found already there that the record lacks, put in it once
    // their sizes are read off this thread.
    QList<RecordedTrack> m_toMeasure;
    // Files of ours that tracks of this run took the place of, left while
    // their tracks could not be recorded, for the last write of the record.
    QStringList m_replaced;
    bool m_finishing = false;
    bool m_removingFolders = false;
};
