#pragma once

#include "controls/languageflag.h"
#include "core/texts.h"
#include "media/audioworkers.h"
#include "media/conversion.h"
#include "media/sendplan.h"
#include "media/sendtrack.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

class QLineEdit;
class QTemporaryDir;
class QWidget;
class SendPlanDialog;
class SendProgressDialog;
class VolumeRoot;

// One source of a send and where it ended up.
struct SentTrack
{
    QString source; // the local file
    // The playlist entry of the track on the PSP, built as a click in a
    // track list builds it; empty when the track is not there.
    QString entry;
    // Why it is not there, in the interface language; empty when it is.
    QString failure;
};

// Sends local music files to the PSP in use: copies what the PSP plays,
// converts the rest, each track into its album's folder below the music
// folder. First a dialog says what will happen and lets the user choose the
// conversion format and quality, and send only what fits; then a progress dialog follows the work,
// so the window never waits: the sources are looked at and converted by the audio helpers
// (AudioWorkers), and copied to the PSP on a worker thread, one track per
// job; a report ends it. Both dialogs are modal to the window, so the playlist cannot
// change under a send.
class MusicSend : public QObject
{
    Q_OBJECT
public:
    using VolumeOpener = std::function<std::unique_ptr<VolumeRoot>()>;

    // lettre and languageFlag are the main window's lettre and Text2.
    // codePage is the one playlists are written in: names sent must fit it.
    MusicSend(QWidget &window, const QLineEdit &lettre, LanguageFlag languageFlag, int codePage,
              VolumeOpener openVolume);
    ~MusicSend() override;

    // What a send leads to once it is over: given the lines finished() gives.
    using Then = std::function<void(const QList<SentTrack> &tracks)>;

    // Starts sending files and folders (folders with all their sub-folders,
    // files in natural order). False, and nothing happens, while another
    // send is under way. alsoNotSent are lines ("what: why") that the
    // report lists among the tracks not sent, for what never reached the send.
    // then runs once, when this send is over, however it ends (even before
    // start returns), and never for another send.
    bool start(const QStringList &localPaths, const QStringList &alsoNotSent = {}, Then then = {});
    // Asks for files and folders in a file dialog, then sends them; a
    // playlist file chosen there is handed on instead.
    void chooseAndStart();
    // Ends a send at once, as the window closes: unfinished tracks are dropped
    // and nothing is reported.
    void abandon();

Q_SIGNALS:
    // The send is over, by its end, a cancel or a refusal: one line per
    // track found, in the order given (folders expanded in place); none when
    // cancelled before the tracks were looked at. Not emitted when the send
    // goes away with its window.
    void finished(const QList<SentTrack> &tracks);
    // A desktop player's playlist was chosen to send: its tracks are meant.
    void playlistChosen(const QString &path);
    // Tracks or folders were written: lists of the PSP's files are stale.
    void pspChanged();

private:
    // Where a send is; Idle once it is over, and only finish() goes there,
    // so that a send ends once.
    enum class State
    {
        Idle,
        Looking,  // listing and probing the sources
        Planning, // a plan is being made, off this thread
        Planned,  // the plan is shown; Start takes it
        Sending,
        Cancelling, // nothing more starts; the jobs under way are awaited
    };

    // known: what the record knows of each file (see recordedSources()).
    void listed(const QStringList &files, const QList<SourceTrack> &known, const QStringList &links,
                const MusicListing &listing, const std::shared_ptr<QTemporaryDir> &scratch);
    void looked();
    void replan();
    void beginSending();
    void copyLater(int index, const QString &localFile, qint64 counted);
    void jobStarted(quint64 job);
    void jobProgressed(quint64 job, double seconds);
    void jobFinished(quint64 job, const AudioJobResult &result);
    void converted(int index, const AudioJobResult &result);
    void trackStarted(int index);
    void showInFlight();
    void trackDone(int index, TrackOutcome outcome, const QString &cause = {});
    // Notes how a track ended; false when it had already.
    bool record(int index, TrackOutcome outcome, const QString &cause = {});
    // No job starts any more: those waiting are cancelled without running,
    // those running are told to stop and report as they end.
    void stopTheRest();
    void showProgress();
    void cancel();
    void finish(bool report);
    QString failureOf(int index) const;
    QString entryOf(int index) const;
    // The program's own file that a track is converted or rewritten into.
    QString scratchFileOf(int index) const;
    Language language() const;

    QWidget &m_window;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
    int m_codePage;
    VolumeOpener m_openVolume;
    // Copies wait on the disk rather than on a core: on a lane of their own,
    // they run beside the conversions instead of taking their turns.
    QThreadPool m_copies;
    AudioWorkers m_workers;

    State m_state = State::Idle;
    // A new one for each send: jobs of an earlier send see theirs set.
    std::shared_ptr<std::atomic_bool> m_cancelled;
    std::shared_ptr<const VolumeRoot> m_volume;
    // Results of jobs from an earlier send are dropped.
    quint64 m_generation = 0;
    QList<SourceTrack> m_sources;
    // Sources known from the record alone, not opened: looked at only if
    // they are to be sent after all.
    QSet<int> m_unlooked;
    // Links found in the folders sent, which are not followed.
    QStringList m_links;
    QStringList m_alsoNotSent;
    Then m_then;
    MusicListing m_listing;
    SendPlan m_plan;
    TargetFormat m_format = TargetFormat::Mp3;
    Quality m_quality;
    QList<std::optional<TrackOutcome>> m_outcomes;
    // Why the audio helper did not convert a track, in the interface language.
    QStringList m_causes;
    // The jobs of the audio helpers this send waits for, and their tracks.
    QHash<quint64, int> m_jobs;
    // By track, the copies on the copy lane that have not reported yet:
    // whoever sets the flag first, the copy as it starts or stopTheRest(),
    // reports the track.
    QHash<int, std::shared_ptr<std::atomic_bool>> m_copyClaims;
    // The last plan asked for: those asked for before it are dropped.
    quint64 m_planAsked = 0;
    // Of a converted track's expected bytes, those counted while converting.
    QList<qint64> m_counted;
    // The tracks being converted or copied, in the order they started.
    QList<int> m_inFlight;
    // Where converted tracks wait on the computer to be copied to the PSP.
    std::shared_ptr<QTemporaryDir> m_scratch;
    bool m_helperMissing = false;
    int m_queued = 0;
    int m_done = 0;
    // Grows as the jobs go, by the expected bytes of what they have done.
    std::shared_ptr<std::atomic<qint64>> m_progress;
    // The bar and the time left move between finished tracks too.
    QTimer m_ticker;
    QElapsedTimer m_clock;
    QPointer<SendPlanDialog> m_planDialog;
    QPointer<SendProgressDialog> m_progressDialog;
};
