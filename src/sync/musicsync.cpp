#include "sync/musicsync.h"

#include "controls/ejectoffer.h"
#include "controls/messagebox.h"
#include "controls/sendprogressdialog.h"
#include "core/synclist.h"
#include "sync/syncplandialog.h"
#include "transfer/sendchoice.h"

#include <QWidget>

MusicSync::MusicSync(QWidget &window, LanguageFlag languageFlag, int codePage, PspOwner &owner)
    : QObject(&window), m_window(window), m_languageFlag(languageFlag), m_codePage(codePage),
      m_owner(owner)
{
    connect(&m_owner, &PspOwner::left, this, &MusicSync::abandon);
}

MusicSync::~MusicSync()
{
    abandon();
}

Language MusicSync::language() const
{
    return m_languageFlag.language();
}

bool MusicSync::start(std::shared_ptr<const VolumeRoot> volume, const QString &identity,
                      bool whenPlugged)
{
    if (m_session)
        return false;
    m_whenPlugged = whenPlugged;
    m_device = volume->device();
    m_volume = std::move(volume);
    m_identity = identity;
    plan();
    if (!whenPlugged)
        showPlanDialog();
    return true;
}

void MusicSync::plan()
{
    const SyncList list = synclist::load(m_identity);
    m_emptyList = list.entries().isEmpty();
    m_session = std::make_unique<SyncSession>(m_workers, m_owner);
    connect(m_session.get(), &SyncSession::planned, this, &MusicSync::planned);
    connect(m_session.get(), &SyncSession::finished, this, &MusicSync::sessionFinished);
    const sendchoice::Choice choice = sendchoice::remembered();
    m_session->start(m_volume, list.entries(), m_codePage, choice.format, choice.quality,
                     language());
}

void MusicSync::replan()
{
    // The plan made for the other conversion goes unheard.
    if (!m_session || m_session->stage() == SyncSession::Stage::Running)
        return;
    m_session->disconnect(this);
    m_session->abandon();
    m_session.reset();
    plan();
}

void MusicSync::showPlanDialog()
{
    m_planDialog = new SyncPlanDialog(&m_window, language());
    m_planDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_planDialog->setWindowModality(Qt::WindowModal);
    connect(m_planDialog, &SyncPlanDialog::conversionChanged, this, &MusicSync::replan);
    connect(m_planDialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted && m_planDialog && m_session) {
            SyncSession::Removals removals = m_planDialog->removals();
            const QStringList replacing = m_planDialog->replacing();
            // More than half of what the list keeps on the PSP goes only once
            // asked on its own: a list emptied by mistake is not followed
            // blindly.
            const qsizetype chosen = m_session->removals(removals).size();
            const int kept = m_session->outline().keptThere;
            if (chosen * 2 > kept && chosen > 0 &&
                messagebox::show(
                    &m_window, texts::syncManyRemovalsQuestion.in(language()).arg(chosen).arg(kept),
                    {}, QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Warning) != QMessageBox::Yes)
                removals = SyncSession::Removals::None;
            go(removals, replacing);
        } else if (m_session && m_session->stage() != SyncSession::Stage::Running)
            m_session->cancel();
    });
    m_planDialog->show();
}

void MusicSync::planned()
{
    // An empty list that took nothing off either was never made.
    if (m_emptyList && m_session->upToDate()) {
        delete m_planDialog;
        m_session->cancel();
        // Where the list is made, rather than a message that names it.
        if (!m_whenPlugged)
            Q_EMIT listAsked();
        return;
    }
    if (m_planDialog) {
        m_planDialog->showPlan(m_session->outline());
        return;
    }
    // Plugged in: what asks for no word from the user goes on its own.
    const bool quiet = m_session->failure().isEmpty() && m_session->decision().removals.isEmpty() &&
                       m_session->changedPlaylists().isEmpty();
    if (m_session->upToDate() || quiet) {
        if (m_session->upToDate())
            m_session->cancel();
        else
            go(SyncSession::Removals::None, {});
        return;
    }
    m_whenPlugged = false;
    showPlanDialog();
    m_planDialog->showPlan(m_session->outline());
}

void MusicSync::go(SyncSession::Removals removals, const QStringList &replacing)
{
    m_progressDialog = new SendProgressDialog(&m_window, language());
    m_progressDialog->setWindowTitle(texts::syncTitle.in(language()));
    m_progressDialog->setWindowModality(Qt::WindowModal);
    connect(m_progressDialog, &SendProgressDialog::cancelAsked, this, [this] {
        if (m_session)
            m_session->cancel();
        if (m_progressDialog)
            m_progressDialog->showCancelling();
    });
    connect(m_session.get(), &SyncSession::progressed, m_progressDialog, [this] {
        if (m_progressDialog && m_session && m_session->run())
            m_progressDialog->follow(*m_session->run(), m_session->sources());
    });
    m_progressDialog->show();
    m_session->go(removals, replacing);
}

void MusicSync::sessionFinished()
{
    // The PSP is let go of before the report, which may offer to eject it.
    const SyncSession::Summary summary = m_session->summary();
    m_session.reset();
    m_volume.reset();
    const bool ran = m_progressDialog;
    if (m_progressDialog)
        m_progressDialog->done(QDialog::Accepted);
    delete m_progressDialog;
    if (!ran)
        return;
    if (summary.sent > 0 || summary.removed > 0 || summary.playlists > 0)
        Q_EMIT pspChanged();
    const Language l = language();
    QString text = summary.report(l);
    if (summary.held > 0)
        text += u'\n' + texts::syncRemovalsKept.in(summary.held, l);
    // A sync the user did not start says what it did where they are looking:
    // on the desktop when the window is not, falling back on the report.
    if (m_whenPlugged && summary.problems.isEmpty() && !m_window.isActiveWindow()) {
        notifyOfferingEject(m_window, m_device, l, texts::syncDoneTitle.in(l), text);
        return;
    }
    reportOfferingEject(m_window, m_device, l, text, summary.problems,
                        summary.problems.isEmpty() ? QMessageBox::Information
                                                   : QMessageBox::Warning);
}

void MusicSync::abandon()
{
    if (m_session)
        m_session->abandon();
    m_session.reset();
    m_volume.reset();
    delete m_progressDialog;
    if (m_planDialog)
        m_planDialog->disconnect(this);
}
