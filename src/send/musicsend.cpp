#include "send/musicsend.h"

#include "controls/ejectoffer.h"
#include "controls/messagebox.h"
#include "controls/sendprogressdialog.h"
#include "core/background.h"
#include "core/computerplaylist.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "core/sourcefiles.h"
#include "platform/volumeroot.h"
#include "send/senddialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSet>

using namespace Qt::StringLiterals;

MusicSend::MusicSend(QWidget &window, const QLineEdit &lettre, LanguageFlag languageFlag,
                     int codePage, VolumeOpener openVolume, PspOwner &owner)
    : QObject(&window), m_window(window), m_lettre(lettre), m_languageFlag(languageFlag),
      m_codePage(codePage), m_openVolume(std::move(openVolume)), m_owner(owner)
{
    connect(&m_owner, &PspOwner::left, this, &MusicSend::abandon);
    connect(&m_prober, &SourceProber::probed, this, &MusicSend::probed);
    connect(&m_prober, &SourceProber::finished, this, &MusicSend::allProbed);
}

MusicSend::~MusicSend()
{
    // Nothing is said any more: those who would hear it may be gone already.
    // Before the helpers it uses go.
    delete m_run;
}

Language MusicSend::language() const
{
    return m_languageFlag.language();
}

bool MusicSend::start(const QStringList &localPaths, const QStringList &alsoNotSent, Then then)
{
    if (m_state != State::Idle)
        return false;
    m_alsoNotSent = alsoNotSent;
    m_then = std::move(then);
    m_state = State::Looking;
    ++m_generation;
    m_sources.clear();
    m_unlooked.clear();
    m_toProbe.clear();
    m_links.clear();
    m_plan = SendPlan();

    m_volume = m_openVolume();
    if (!m_volume) {
        for (const QString &path : localPaths) {
            SourceTrack unsent;
            unsent.path = path;
            m_sources.append(unsent);
        }
        messagebox::warn(&m_window, texts::sendNoPsp.in(language()));
        finish(false);
        return true;
    }

    m_planDialog = new SendPlanDialog(&m_window, language());
    m_planDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_planDialog->setWindowModality(Qt::WindowModal);
    connect(m_planDialog, &SendPlanDialog::formatChanged, this, &MusicSend::replan);
    connect(m_planDialog, &QDialog::accepted, this, &MusicSend::beginSending);
    connect(m_planDialog, &QDialog::rejected, this, &MusicSend::cancel);
    m_planDialog->show();

    // Reading folders and the PSP may take a while: not here. The sources
    // the record does not know are looked at by the audio helpers.
    const quint64 generation = m_generation;
    const std::shared_ptr<const VolumeRoot> volume = m_volume;
    struct Found
    {
        Result<std::shared_ptr<const WriterLock>> lock;
        SourceFiles expanded;
        MusicListing listing;
        QList<SourceTrack> known;
        Result<> recordable;
    };
    background::run(
        this,
        [volume, localPaths] {
            Found found{WriterLock::take(*volume), expandSourcePaths(localPaths), {}, {}, {}};
            if (!found.lock)
                return found;
            found.listing = listMusic(*volume);
            found.known = recordedSources(found.expanded.files, found.listing);
            // What is sent unrecorded would be sent again as new copies by
            // every later send: found out before anything is, by writing the
            // record back as it was read.
            if (found.listing.record.trust != SendRecord::Trust::Newer && !found.listing.readOnly)
                found.recordable = sendrecord::write(*volume, found.listing.record);
            return found;
        },
        [this, generation](const Found &found) {
            if (generation != m_generation)
                return;
            // Said before any source is looked at: none of it could be sent.
            const QString refused = !found.lock
                                        ? WriterLock::refusal(found.lock.error(), language())
                                    : found.listing.record.trust == SendRecord::Trust::Newer
                                        ? texts::syncNewerRecord.in(language())
                                    : !found.recordable ? texts::syncRecordUnwritable.in(language())
                                                              .arg(found.recordable.error().message)
                                                        : QString();
            if (!refused.isEmpty()) {
                finish(false);
                messagebox::warn(&m_window, refused);
                return;
            }
            m_owner.hold(this, *found.lock, [this] {
                return PspOwner::Tally{m_run ? m_run->tracksSent() : 0,
                                       m_run ? m_run->tracksQueued() : 0, bool(m_run)};
            });
            listed(found.expanded.files, found.known, found.expanded.links, found.listing);
        });
    return true;
}

void MusicSend::listed(const QStringList &files, const QList<SourceTrack> &known,
                       const QStringList &links, const MusicListing &listing)
{
    m_links = links;
    m_listing = listing;
    m_sources.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (known.at(i).method != SendMethod::Refuse) {
            m_unlooked.insert(int(m_sources.size()));
            m_sources.append(known.at(i));
            continue;
        }
        m_toProbe.push_back(int(m_sources.size()));
        SourceTrack unread;
        unread.path = files.at(i);
        unread.refusal = SourceTrack::Refusal::Unreadable;
        m_sources.append(unread);
    }
    probeMore();
}

void MusicSend::probeMore()
{
    m_probing = QList<int>(m_toProbe.begin(), m_toProbe.end());
    m_toProbe.clear();
    QStringList paths;
    for (const int index : std::as_const(m_probing))
        paths.append(m_sources.at(index).path);
    if (paths.isEmpty())
        looked();
    else
        m_prober.start(paths);
}

void MusicSend::probed(qsizetype index, const AudioJobResult &result)
{
    if (result.status == AudioJobResult::Status::Done)
        m_sources[m_probing.at(index)] = result.source;
}

void MusicSend::allProbed(bool helperMissing)
{
    if (helperMissing) {
        // Said once for the send, rather than as a failure of each track.
        finish(false);
        messagebox::warn(&m_window, texts::sendHelperMissing.in(language()));
        return;
    }
    looked();
}

void MusicSend::chooseAndStart()
{
    auto *dialog = new SendFileDialog(&m_window, language());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QStringList chosen = dialog->selectedFiles();
        const auto playlist = std::find_if(chosen.cbegin(), chosen.cend(), isComputerPlaylist);
        if (playlist != chosen.cend())
            Q_EMIT playlistChosen(*playlist);
        else
            start(chosen);
    });
    dialog->open();
}

void MusicSend::looked()
{
    if (m_listing.musicFolder.isEmpty() || m_listing.readOnly) {
        // The music folder is made on arrival; without it this is no PSP in use.
        const Phrase &why = m_listing.readOnly          ? texts::sendReadOnly
                            : m_listing.musicNotAFolder ? texts::sendMusicNotAFolder
                                                        : texts::sendNoPsp;
        finish(false);
        messagebox::warn(&m_window, why.in(language()));
        return;
    }
    m_state = State::Planning;
    replan();
}

void MusicSend::replan()
{
    if ((m_state != State::Planning && m_state != State::Planned) || !m_planDialog)
        return;
    m_state = State::Planning;
    m_planDialog->planning();
    const quint64 asked = ++m_planAsked;
    const TargetFormat format = m_planDialog->format();
    const Quality quality = m_planDialog->quality();
    const bool replace = m_planDialog->replaceOtherFormats();
    // A track known from the record alone is looked at before it is sent
    // again in another format; the plan is made once that is done.
    if (replace) {
        for (const int index : std::as_const(m_unlooked)) {
            SourceTrack &source = m_sources[index];
            const RecordedTrack *recorded = m_listing.record.bySource(source.identity());
            if (!recorded || recorded->settings == recordedSettings(source.method, format, quality))
                continue;
            m_toProbe.push_back(index);
            // As any source, unreadable until the look says otherwise.
            const QString path = source.path;
            source = SourceTrack();
            source.path = path;
            source.refusal = SourceTrack::Refusal::Unreadable;
        }
        for (const int index : m_toProbe)
            m_unlooked.remove(index);
        if (!m_toProbe.empty()) {
            m_state = State::Looking;
            probeMore();
            return;
        }
    }
    // Spelling names in ASCII may take a while (ICU loads a script's data on
    // first use). Names must be ones the playlists, written in this code
    // page, can hold.
    background::run(
        this,
        [sources = m_sources, listing = m_listing, format, codePage = m_codePage, quality,
         replace] { return planSend(sources, listing, format, codePage, quality, replace); },
        [this, asked, format, quality](const SendPlan &plan) {
            if (asked != m_planAsked || m_state != State::Planning || !m_planDialog)
                return;
            m_state = State::Planned;
            m_plan = plan;
            m_format = format;
            m_quality = quality;
            m_planDialog->showPlan(m_plan, m_listing.freeBytes, int(m_alsoNotSent.size()));
        });
}

void MusicSend::beginSending()
{
    // Start is off until a plan is shown: a send is never left waiting.
    if (m_state != State::Planned) {
        cancel();
        return;
    }
    m_state = State::Sending;
    if (m_planDialog && m_planDialog->whatFitsOnly())
        keepWhatFits(m_plan, m_listing.freeBytes);
    m_progressDialog = new SendProgressDialog(&m_window, language());
    m_progressDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    connect(m_progressDialog, &SendProgressDialog::cancelAsked, this, &MusicSend::cancel);
    m_progressDialog->show();

    m_run = new SendRun(m_workers, this);
    connect(m_run, &SendRun::finished, this, [this] { finish(true); });
    m_run->start(m_volume, m_listing.musicFolder, m_sources, m_plan, m_format, m_quality,
                 m_listing.record, false);
    m_progressDialog->follow(*m_run, m_sources);
}

void MusicSend::cancel()
{
    switch (m_state) {
    case State::Idle:
    case State::Cancelling:
        return;
    case State::Looking:
    case State::Planning:
    case State::Planned:
        finish(false);
        return;
    case State::Sending:
        // The report waits for the jobs under way, to say what is really on the PSP.
        m_state = State::Cancelling;
        if (m_progressDialog)
            m_progressDialog->showCancelling();
        m_run->cancel();
        return;
    }
}

void MusicSend::abandon()
{
    finish(false);
}

QString MusicSend::entryOf(int index, const QString &root) const
{
    const PlannedTrack &track = m_plan.tracks.at(index);
    const QString folder = folderpath::join(root, m_listing.musicFolder + u'/' + track.folder);
    return playlistEntry(root, folder, track.fileName);
}

QString MusicSend::failureOf(const SendRun *run, int index) const
{
    if (index >= m_plan.tracks.size())
        return texts::sendWhyCancelled.in(language());
    return whyNotSent(m_sources.at(index), m_plan.tracks.at(index),
                      run ? run->ending(index) : std::nullopt, language());
}

void MusicSend::finish(bool report)
{
    // A send ends once, however many ways its end is asked for.
    if (m_state == State::Idle)
        return;
    // Later results of this send's jobs are dropped.
    ++m_generation;
    const bool wasSending = m_state == State::Sending || m_state == State::Cancelling;
    m_state = State::Idle;
    // Offered for an eject once it is all said.
    const QString device = m_volume && wasSending ? m_volume->device() : QString();
    m_volume.reset();
    m_owner.letGo(this);
    m_prober.stop();
    m_toProbe.clear();
    // The run has ended, or ends here as the window goes; it is read below.
    SendRun *const run = std::exchange(m_run, {});
    if (run) {
        run->disconnect(this);
        run->abandon();
        run->deleteLater();
    } else {
        // Probes under way are not waited for.
        m_workers.cancelAll();
    }
    // Closed without a word: a dialog closing asks for a cancel otherwise.
    const auto close = [this](QDialog *dialog) {
        if (!dialog)
            return;
        dialog->disconnect(this);
        dialog->done(QDialog::Rejected);
    };
    close(m_planDialog);
    close(m_progressDialog);

    QList<SentTrack> tracks;
    // The details, by reason, in the order reasons first come up.
    QList<std::pair<QString, QStringList>> groups;
    const auto note = [&groups](const QString &reason, const QString &what) {
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const auto &known) { return known.first == reason; });
        if (group == groups.end())
            group = groups.insert(groups.end(), {reason, {}});
        group->second.append(what);
    };
    int sent = 0;
    qint64 bytesSent = 0;
    int alreadyThere = 0;
    bool full = false;
    const Language l = language();
    const QString root = folderpath::rootForm(QDir::fromNativeSeparators(m_lettre.text()));
    for (int i = 0; i < m_sources.size(); ++i) {
        SentTrack line{m_sources.at(i).path, {}, {}};
        const bool planned = i < m_plan.tracks.size() && wasSending;
        const bool there = planned && m_plan.tracks.at(i).alreadyThere;
        const std::optional<TrackEnding> ending = run ? run->ending(i) : std::nullopt;
        const bool written = planned && ending && ending->outcome == TrackOutcome::Sent;
        full = full || (ending && ending->outcome == TrackOutcome::MediumFull);
        if (there || written)
            line.entry = entryOf(i, root);
        else
            line.failure = failureOf(run, i);
        sent += written;
        bytesSent += written ? m_plan.tracks.at(i).bytes : 0;
        alreadyThere += there;
        const QString shown = QDir::toNativeSeparators(line.source);
        if (there)
            note(texts::sendWhyAlreadyThere.in(l), shown);
        else if (!written)
            note(line.failure, shown);
        tracks.append(line);
    }
    for (const QString &link : std::as_const(m_links))
        note(texts::sendWhyLink.in(l), QDir::toNativeSeparators(link));
    const int notSent =
        int(m_sources.size() + m_links.size() + m_alsoNotSent.size()) - sent - alreadyThere;
    if (!m_alsoNotSent.isEmpty())
        groups.append({texts::sendWhyNotInPlaylist.in(l), m_alsoNotSent});
    const bool changed = sent > 0 || (wasSending && !m_plan.newFolders.isEmpty());
    const bool helperMissing = run && run->helperMissing();
    QStringList summary;
    if (full)
        summary.append(texts::sendMediumFull.in(l) + u'\n');
    if (helperMissing)
        summary.append(texts::sendHelperMissing.in(l) + u'\n');
    if (tracks.isEmpty() && m_alsoNotSent.isEmpty()) {
        summary.append(texts::sendNothing.in(l));
    } else {
        summary.append(texts::sendReport.in(l).arg(sent));
        if (alreadyThere > 0)
            summary.append(texts::sendReportAlreadyThere.in(l).arg(alreadyThere));
        if (notSent > 0)
            summary.append(texts::sendReportNotSent.in(l).arg(notSent));
        if (wasSending && m_listing.freeBytes >= 0)
            summary.append(texts::syncWritten.in(l).arg(
                sizeText(bytesSent, l),
                sizeText(std::max<qint64>(0, m_listing.freeBytes - bytesSent), l)));
    }
    QStringList details;
    for (const auto &[reason, what] : std::as_const(groups)) {
        if (!details.isEmpty())
            details.append(QString());
        details.append(texts::sendReportGroup.in(l)
                           .arg(reason.left(1).toUpper() + reason.mid(1))
                           .arg(what.size()));
        for (const QString &one : what)
            details.append(u"  "_s + one);
    }
    const QMessageBox::Icon icon =
        notSent == 0 && !full && !helperMissing ? QMessageBox::Information : QMessageBox::Warning;
    // What hears of the end may start the next send: from here on, only
    // what was gathered above is used.
    if (changed)
        Q_EMIT pspChanged();
    Q_EMIT finished(tracks);
    if (const Then then = std::exchange(m_then, {}))
        then(tracks);
    if (report)
        reportOfferingEject(m_window, device, l, summary.join(u'\n'), details, icon);
}
