#pragma once

#include "audio/audioworkers.h"
#include "audio/conversion.h"
#include "audio/sourceprober.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "core/writerlock.h"
#include "transfer/pspowner.h"
#include "transfer/sendplan.h"
#include "transfer/sendrun.h"
#include "transfer/syncplan.h"

#include <deque>
#include <memory>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

// What a planned sync will do, as a front end shows it.
struct SyncOutline
{
    // Why it cannot go; empty when it can.
    QString failure;
    bool upToDate = false;
    int toSend = 0;
    qint64 bytes = 0; // about, of what is sent
    int alreadyThere = 0;
    QList<SyncPlan::Removal> removals;
    int playlists = 0; // to write
    qint64 freeBytes = -1;
    // PSP playlists a sync wrote and that were changed since.
    QStringList changedPlaylists;
    // The lists that follow are initialised, so that an outline written in
    // braces may stop before them.
    // A source to send, as the plan lists it.
    struct Track
    {
        QString source;   // the local file
        qint64 bytes = 0; // about, once sent
    };
    QList<Track> sending{};
    // Kept entries that cannot be seen now, and why: nothing of theirs is
    // removed and their PSP playlists stay as they are.
    struct Unavailable
    {
        QString entry; // the playlist's or folder's file name
        QString why;
    };
    QList<Unavailable> unavailable{};
    // Tracks of readable playlists that were not found on the computer.
    QStringList notFound{};
    // Earlier copies that the new copies of changed sources replace, below
    // the music folder, and playlists a sync wrote that now go, in the
    // playlist folder: removals too.
    QStringList replaced{};
    QStringList stalePlaylists{};
    // What the free space will not take, in priority order.
    int wontFit = 0;
    qint64 wontFitBytes = 0;
    // The PSP's record could not be read and an earlier one is used: nothing
    // is removed, and files already there under a track's name are taken
    // as sent.
    bool recordRecovered = false;
    // The tracks the list keeps on the PSP now: removals beyond half of them
    // are asked for on their own.
    int keptThere = 0;
    bool manyRemovals() const { return removals.size() * 2 > keptThere && keptThere > 0; }
    // The playlists to write, in the playlist folder.
    QStringList playlistFiles;
    // The volume's size, for its space as a bar; -1 when unknown.
    qint64 totalBytes = -1;

    // The counts and sizes, in a sentence.
    QString summary(Language language) const;
    // A line per file to remove, saying which playlists of the user's still
    // name it.
    QStringList removalLines(Language language) const;
    // A line per track to send, with its size; per entry that cannot be
    // seen, with why; per track not found.
    QStringList sendingLines(Language language) const;
    QStringList unavailableLines(Language language) const;
    QStringList notFoundLines() const;
};

// One sync of a PSP with its list, with no window of its own, so that the
// window and a terminal drive the same one. It looks first (the list's
// playlists and folders, the PSP's music and playlist folders and its
// record), decides from the record and each source's size and modification
// time, and looks inside only the sources that are new or changed; then,
// once the front end says what may be removed, it removes that, sends the
// rest through a SendRun (in the list's order, as much as fits) and writes
// one PSP playlist per desktop playlist. Everything it writes is recorded as
// it goes, so an interrupted sync is completed by the next one.
class SyncSession : public QObject
{
    Q_OBJECT
public:
    enum class Stage
    {
        Idle,
        Looking, // reading the list and the PSP, looking at new sources
        Planned, // waiting for go()
        Running,
        Done,
    };
    // What the user lets go of the files Zarvello wrote for the list.
    enum class Removals
    {
        None,
        // Those no playlist of the user's names.
        Unnamed,
        All,
    };

    // workers look at and convert the sources; they must outlive the
    // session, as must owner, which holds the PSP for it while it writes and
    // ends it when the PSP leaves.
    SyncSession(AudioWorkers &workers, PspOwner &owner, QObject *parent = nullptr);
    ~SyncSession() override;

    // Plans a sync of the volume with list; planned() follows, from the event
    // loop, with failure() set when it cannot go.
    // language: the one the reasons in summary() are given in.
    void start(std::shared_ptr<const VolumeRoot> volume, const QList<SyncEntry> &list, int codePage,
               TargetFormat format, const Quality &quality, Language language);
    // Runs the plan: removes what removals allows, sends what fits, writes
    // the playlists; those changed on the PSP since a sync wrote them are
    // replaced only when they are among replacing, each asked on its own.
    // finished() follows.
    void go(Removals removals, const QStringList &replacing = {});
    // Stops: planning ends at once; a run ends as a send's does, and the
    // playlists are then written with what is there.
    void cancel();
    // Ends at once, as the program closes: nothing more is written.
    void abandon();

    // Why a sync could not even start, for a terminal's exit status.
    enum class Refusal
    {
        None,
        Busy,        // another send, sync or change of the list holds the PSP
        NewerRecord, // the PSP's record is of a newer Zarvello
    };
    Refusal refusal() const { return m_refusal; }

    Stage stage() const { return m_stage; }
    // Why the sync cannot go, in the interface language; empty when it can.
    QString failure() const { return m_failure; }

    // Once planned.
    const SyncPlan &decision() const { return m_decision; }
    // The sources to send (new or changed) as looked at, and their plan.
    const QList<SourceTrack> &sources() const { return m_sources; }
    const SendPlan &sendPlan() const { return m_sendPlan; }
    qint64 freeBytes() const { return m_listing.freeBytes; }
    // The files those removals would take off, and their bytes.
    QList<SyncPlan::Removal> removals(Removals removals) const;
    qint64 bytesFreed(Removals removals) const;
    // Of the removals planned, those the choice lets go of, and their bytes.
    static QList<SyncPlan::Removal> chosen(const QList<SyncPlan::Removal> &planned,
                                           Removals removals);
    static qint64 bytesOf(const QList<SyncPlan::Removal> &removals);
    // PSP playlists that a sync wrote and that were changed since.
    const QStringList &changedPlaylists() const { return m_changedPlaylists; }
    // The PSP playlists that the sync would write with other bytes than they
    // hold, or make.
    int playlistsToWrite() const { return m_playlistsToWrite; }
    // Nothing to send, remove or write.
    bool upToDate() const;
    SyncOutline outline() const;
    // The run of the tracks, once go() started it; null before and after.
    const SendRun *run() const { return m_run; }

    // Once done: what the sync did, and what it could not.
    struct Summary
    {
        int sent = 0;
        int removed = 0;
        int playlists = 0;
        // Of the planned removals, those the user held back.
        int held = 0;
        qint64 bytesSent = 0;
        // About, from the free space before, what was sent and removed;
        // negative when unknown.
        qint64 freeBytesLeft = -1;
        // Lines "what: why" for what planned was not done.
        QStringList problems;

        // What was done, in a sentence or two: counts, size written, space left.
        QString report(Language language) const;
    };
    const Summary &summary() const { return m_summary; }

Q_SIGNALS:
    void planned();
    // A track of the run started or ended.
    void progressed();
    void finished();

private:
    struct Looked;
    struct Written;

    void looked(const Looked &found);
    void probed(qsizetype index, const AudioJobResult &result);
    void allProbed(bool helperMissing);
    void plan();
    void removed(const Written &written);
    // The tracks' part is over, with a run or without one needed: the
    // playlists follow.
    void runFinished();
    // Ends the session; finished() follows from the event loop.
    void finish();
    // A changed source not sent again is named by its copy sent before.
    void placeEarlier(const QString &source);
    // The bytes of a PSP playlist with the tracks placed so far.
    QByteArray playlistBytes(const SyncPlan::Playlist &playlist) const;

    AudioWorkers &m_workers;
    PspOwner &m_owner;
    SourceProber m_prober;
    Stage m_stage = Stage::Idle;
    Language m_language = Language::English;
    QString m_failure;
    std::shared_ptr<const VolumeRoot> m_volume;
    Refusal m_refusal = Refusal::None;
    int m_codePage = 0;
    TargetFormat m_format = TargetFormat::Mp3;
    Quality m_quality;
    MusicListing m_listing;
    QString m_playlistFolder;
    SyncPlan m_decision;
    QStringList m_changedPlaylists;
    // The digests of the playlists in the playlist folder, by name key.
    QHash<QString, QByteArray> m_digests;
    // Playlists a sync wrote for desktop playlists no longer in the list,
    // unchanged since: they go with the removals.
    QStringList m_stale;
    int m_playlistsToWrite = 0;
    QStringList m_playlistFiles; // those to write
    QList<SourceTrack> m_sources;
    SendPlan m_sendPlan;
    QStringList m_replacing;
    QPointer<SendRun> m_run;
    SendRecord m_record;
    QString m_musicFolder;
    // Where each local source is on the PSP, below the music folder.
    QHash<QString, QString> m_placed;
    Summary m_summary;
    qint64 m_freedBytes = 0;
    bool m_cancelled = false;
};
