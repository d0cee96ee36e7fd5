#pragma once

#include "audio/audioworkers.h"
#include "audio/conversion.h"
#include "audio/sourceprober.h"
#include "controls/languageflag.h"
#include "core/texts.h"
#include "core/writerlock.h"
#include "transfer/pspowner.h"
#include "transfer/sendplan.h"
#include "transfer/sendrun.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

class QLineEdit;
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
// so the window never waits: the sources are looked at by the audio helpers
// (AudioWorkers), and a SendRun converts and copies them; a report ends it.
// Both dialogs are modal to the window, so the playlist cannot change under a send.
class MusicSend : public QObject
{
    Q_OBJECT
public:
    using VolumeOpener = std::function<std::unique_ptr<VolumeRoot>()>;

    // lettre and languageFlag are the main window's lettre and Text2.
    // codePage is the one playlists are written in: names sent must fit it.
    // owner holds the PSP while a send writes, and ends it when the PSP
    // leaves; it outlives the send.
    MusicSend(QWidget &window, const QLineEdit &lettre, LanguageFlag languageFlag, int codePage,
              VolumeOpener openVolume, PspOwner &owner);
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
                const MusicListing &listing);
    // Hands sources to the helpers to look at as they are free.
    void probeMore();
    void looked();
    void replan();
    void beginSending();
    void probed(qsizetype index, const AudioJobResult &result);
    void allProbed(bool helperMissing);
    void cancel();
    void finish(bool report);
    QString failureOf(const SendRun *run, int index) const;
    // root: the PSP's root in folder form.
    QString entryOf(int index, const QString &root) const;
    Language language() const;

    QWidget &m_window;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
    int m_codePage;
    VolumeOpener m_openVolume;
    AudioWorkers m_workers;

    State m_state = State::Idle;
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
    // Holds the PSP, with its writer lock, from before its record is read
    // until the send ends.
    PspOwner &m_owner;
    SendPlan m_plan;
    TargetFormat m_format = TargetFormat::Mp3;
    Quality m_quality;
    // Looks at the sources; m_probing holds the index of each it was given.
    SourceProber m_prober{m_workers};
    QList<int> m_probing;
    // The sources waiting to be looked at.
    std::deque<int> m_toProbe;
    // The last plan asked for: those asked for before it are dropped.
    quint64 m_planAsked = 0;
    // Converts and copies the tracks, from Start on.
    QPointer<SendRun> m_run;
    QPointer<SendPlanDialog> m_planDialog;
    QPointer<SendProgressDialog> m_progressDialog;
};
