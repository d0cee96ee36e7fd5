#pragma once

#include "audio/audioworkers.h"
#include "controls/languageflag.h"
#include "transfer/syncsession.h"

#include <memory>
#include <QObject>
#include <QPointer>

class QWidget;
class SendProgressDialog;
class SyncPlanDialog;
class VolumeRoot;

// Syncs the PSP in use with its list, in the window: the plan first (what is
// sent, what goes, what fits), then the progress with Cancel, then one
// report. Both dialogs are modal to the window, so nothing changes the PSP
// meanwhile.
class MusicSync : public QObject
{
    Q_OBJECT
public:
    // owner holds the PSP while a sync writes, and ends it when the PSP
    // leaves; it outlives the sync.
    MusicSync(QWidget &window, LanguageFlag languageFlag, int codePage, PspOwner &owner);
    ~MusicSync() override;

    // Syncs the PSP of that identity, opened as volume. False, and nothing
    // happens, while another sync is under way. Without a plan that removes
    // something, whenPlugged starts the sync with no question, and says
    // nothing when the PSP is up to date.
    bool start(std::shared_ptr<const VolumeRoot> volume, const QString &identity,
               bool whenPlugged = false);
    // Ends a sync at once, as the window closes.
    void abandon();

Q_SIGNALS:
    // Tracks or playlists were written or removed: lists of the PSP are stale.
    void pspChanged();
    // The PSP keeps nothing yet: its list is to be made before a sync.
    void listAsked();

private:
    // Plans a sync of the PSP, with the conversion last chosen.
    void plan();
    void replan();
    void showPlanDialog();
    void planned();
    void go(SyncSession::Removals removals, const QStringList &replacing);
    void sessionFinished();
    Language language() const;

    QWidget &m_window;
    LanguageFlag m_languageFlag;
    int m_codePage;
    AudioWorkers m_workers;
    PspOwner &m_owner;
    std::unique_ptr<SyncSession> m_session;
    bool m_whenPlugged = false;
    bool m_emptyList = false;
    QString m_device; // of the PSP, for an eject
    std::shared_ptr<const VolumeRoot> m_volume;
    QString m_identity;
    QPointer<SyncPlanDialog> m_planDialog;
    QPointer<SendProgressDialog> m_progressDialog;
};
