#include "send/musicsend.h"

#include "controls/messagebox.h"
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
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

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
        return texts::sendWhyFull;
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

MusicSend::MusicSend(QWidget &window, const QLineEdit &lettre, LanguageFlag languageFlag,
                     int codePage, VolumeOpener openVolume)
    : QObject(&window), m_window(window), m_lettre(lettre), m_languageFlag(languageFlag),
      m_codePage(codePage), m_openVolume(std::move(openVolume))
{
    m_copies.setMaxThreadCount(1);
    m_ticker.setInterval(500);
    connect(&m_ticker, &QTimer::timeout, this, &MusicSend::showProgress);
    connect(&m_workers, &AudioWorkers::started, this, &MusicSend::jobStarted);
    connect(&m_workers, &AudioWorkers::progressed, this, &MusicSend::jobProgressed);
    connect(&m_workers, &AudioWorkers::finished, this, &MusicSend::jobFinished);
}

MusicSend::~MusicSend()
{
    // Nothing is said any more: those who would hear it may be gone already.
    // Jobs see the cancel between packets and chunks.
    if (m_cancelled)
        *m_cancelled = true;
    m_copies.clear();
    m_copies.waitForDone();
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
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_sources.clear();
    m_unlooked.clear();
    m_links.clear();
    m_plan = SendPlan();
    m_outcomes.clear();
    m_causes.clear();
    m_counted.clear();
    m_inFlight.clear();
    m_copyClaims.clear();
    m_helperMissing = false;
    m_queued = m_done = 0;
    m_progress = std::make_shared<std::atomic<qint64>>(0);

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
        SourceFiles expanded;
        MusicListing listing;
        QList<SourceTrack> known;
        std::shared_ptr<QTemporaryDir> scratch;
    };
    background::run(
        this,
        [volume, localPaths] {
            Found found{expandSourcePaths(localPaths),
                        listMusic(*volume),
                        {},
                        std::make_shared<QTemporaryDir>()};
            found.known = recordedSources(found.expanded.files, found.listing);
            return found;
        },
        [this, generation](const Found &found) {
            if (generation == m_generation)
                listed(found.expanded.files, found.known, found.expanded.links, found.listing,
                       found.scratch);
        });
    return true;
}

void MusicSend::listed(const QStringList &files, const QList<SourceTrack> &known,
                       const QStringList &links, const MusicListing &listing,
                       const std::shared_ptr<QTemporaryDir> &scratch)
{
    m_links = links;
    m_listing = listing;
    m_scratch = scratch;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &file = files.at(i);
        if (known.at(i).method != SendMethod::Refuse) {
            m_unlooked.insert(int(m_sources.size()));
            m_sources.append(known.at(i));
            continue;
        }
        m_jobs.insert(m_workers.probe(file), int(m_sources.size()));
        SourceTrack unread;
        unread.path = file;
        unread.refusal = SourceTrack::Refusal::Unreadable;
        m_sources.append(unread);
    }
    if (m_jobs.isEmpty())
        looked();
}

void MusicSend::jobStarted(quint64 job)
{
    if (m_state == State::Sending && m_jobs.contains(job))
        trackStarted(m_jobs.value(job));
}

void MusicSend::jobProgressed(quint64 job, double seconds)
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

void MusicSend::jobFinished(quint64 job, const AudioJobResult &result)
{
    const auto found = m_jobs.constFind(job);
    if (found == m_jobs.cend())
        return;
    const int index = *found;
    m_jobs.erase(found);
    if (m_state == State::Sending || m_state == State::Cancelling) {
        converted(index, result);
        return;
    }
    if (result.status == AudioJobResult::Status::HelperMissing) {
        // Said once for the send, rather than as a failure of each track.
        finish(false);
        messagebox::warn(&m_window, texts::sendHelperMissing.in(language()));
        return;
    }
    if (result.status == AudioJobResult::Status::Done)
        m_sources[index] = result.source;
    if (m_jobs.isEmpty())
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
            m_jobs.insert(m_workers.probe(source.path), index);
            // As any source, unreadable until the look says otherwise.
            const QString path = source.path;
            source = SourceTrack();
            source.path = path;
            source.refusal = SourceTrack::Refusal::Unreadable;
        }
        for (const int index : std::as_const(m_jobs))
            m_unlooked.remove(index);
        if (!m_jobs.isEmpty()) {
            m_state = State::Looking;
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
    m_outcomes = QList<std::optional<TrackOutcome>>(m_sources.size());
    m_progressDialog = new SendProgressDialog(&m_window, language());
    m_progressDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    connect(m_progressDialog, &SendProgressDialog::cancelAsked, this, &MusicSend::cancel);
    m_progressDialog->show();
    m_clock.start();
    m_ticker.start();

    m_causes = QStringList(m_sources.size());
    m_counted = QList<qint64>(m_sources.size(), 0);
    for (int i = 0; i < m_sources.size(); ++i) {
        const PlannedTrack &track = m_plan.tracks.at(i);
        if (track.method == SendMethod::Refuse || track.alreadyThere || track.noRoom)
            continue;
        ++m_queued;
        const SourceTrack &source = m_sources.at(i);
        if (track.method == SendMethod::Copy) {
            copyLater(i, source.path, 0);
            continue;
        }
        const QString output = scratchFileOf(i);
        m_jobs.insert(
            track.method == SendMethod::Rewrite
                ? m_workers.rewrite(source.path, output, source.tags)
                : m_workers.convert(source.path, m_format, output, source.tags, m_quality),
            i);
    }
    showProgress();
    if (m_queued == 0)
        finish(true);
}

void MusicSend::copyLater(int index, const QString &localFile, qint64 counted)
{
    const quint64 generation = m_generation;
    const PlannedTrack track = m_plan.tracks.at(index);
    const std::shared_ptr<const VolumeRoot> volume = m_volume;
    const std::shared_ptr<std::atomic_bool> cancelled = m_cancelled;
    const std::shared_ptr<std::atomic<qint64>> progress = m_progress;
    const QString music = m_listing.musicFolder;
    // Converted files are read from there until the last copy is over.
    const std::shared_ptr<QTemporaryDir> scratch = m_scratch;
    const auto claim = std::make_shared<std::atomic_bool>(false);
    m_copyClaims.insert(index, claim);
    // A converted or rewritten track's file is the program's own, and goes once copied.
    const bool converted = track.method != SendMethod::Copy;
    m_copies.start([this, generation, index, localFile, counted, converted, track, volume,
                    cancelled, progress, music, scratch, claim] {
        // Cancelled before it started, and reported as such.
        if (claim->exchange(true))
            return;
        const auto deliver = [this, generation](auto &&handle) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, handle] {
                    if (generation == m_generation)
                        handle();
                },
                Qt::QueuedConnection);
        };
        if (!converted)
            deliver([this, index] { trackStarted(index); });
        const TrackOutcome outcome =
            sendTrack(*volume, music, localFile, track, *cancelled, *progress, counted);
        if (converted)
            QFile::remove(localFile);
        deliver([this, index, outcome] { trackDone(index, outcome); });
    });
}

void MusicSend::converted(int index, const AudioJobResult &result)
{
    using Status = AudioJobResult::Status;
    const Language l = language();
    switch (result.status) {
    case Status::Done:
        copyLater(index, scratchFileOf(index), m_counted.at(index));
        return;
    case Status::Damaged:
        trackDone(index, TrackOutcome::Damaged);
        return;
    case Status::Cancelled:
        trackDone(index, TrackOutcome::Cancelled);
        return;
    case Status::HelperMissing:
        // Said once, above the report; the rest of the send stops.
        m_helperMissing = true;
        trackDone(index, TrackOutcome::HelperMissing);
        return;
    case Status::Crashed:
        trackDone(index, TrackOutcome::NotConverted,
                  texts::sendWhyHelperCrashed.in(l).arg(result.reason));
        return;
    case Status::Silent:
        trackDone(index, TrackOutcome::NotConverted, texts::sendWhyHelperSilent.in(l));
        return;
    case Status::Failed:
        trackDone(index, TrackOutcome::NotConverted, result.reason);
        return;
    }
}

void MusicSend::trackStarted(int index)
{
    if (!m_inFlight.contains(index))
        m_inFlight.append(index);
    showInFlight();
}

void MusicSend::showInFlight()
{
    if (!m_progressDialog || m_state != State::Sending)
        return;
    QStringList names;
    for (const int index : std::as_const(m_inFlight))
        names.append(QFileInfo(m_sources.at(index).path).fileName());
    m_progressDialog->setCurrent(names);
}

void MusicSend::trackDone(int index, TrackOutcome outcome, const QString &cause)
{
    if ((m_state != State::Sending && m_state != State::Cancelling) ||
        !record(index, outcome, cause))
        return;
    // The rest would not fit either, or could not be converted: stop,
    // keeping what is finished.
    if (outcome == TrackOutcome::MediumFull || outcome == TrackOutcome::HelperMissing)
        stopTheRest();
    showProgress();
    if (m_done == m_queued)
        finish(true);
}

bool MusicSend::record(int index, TrackOutcome outcome, const QString &cause)
{
    if (m_outcomes.at(index))
        return false;
    m_outcomes[index] = outcome;
    m_causes[index] = cause;
    m_copyClaims.remove(index);
    ++m_done;
    if (m_inFlight.removeOne(index))
        showInFlight();
    // A conversion that ends here counts for its whole track.
    if (m_plan.tracks.at(index).method != SendMethod::Copy && outcome != TrackOutcome::Sent &&
        m_counted.at(index) < m_plan.tracks.at(index).bytes)
        *m_progress += m_plan.tracks.at(index).bytes -
                       std::exchange(m_counted[index], m_plan.tracks.at(index).bytes);
    return true;
}

void MusicSend::stopTheRest()
{
    *m_cancelled = true;
    // Queued conversions report Cancelled at once, running ones as their helpers end.
    m_workers.cancelAll();
    m_copies.clear();
    const QHash<int, std::shared_ptr<std::atomic_bool>> claims = std::exchange(m_copyClaims, {});
    for (const auto &[index, claim] : claims.asKeyValueRange()) {
        if (!claim->exchange(true))
            record(index, TrackOutcome::Cancelled);
    }
}

void MusicSend::showProgress()
{
    if (!m_progressDialog || m_state != State::Sending)
        return;
    const double fraction =
        m_plan.bytes > 0 ? std::min(1.0, double(*m_progress) / double(m_plan.bytes)) : 1.0;
    const qint64 elapsed = m_clock.elapsed();
    const qint64 left = fraction <= 0 ? -1 : qint64(double(elapsed) * (1 - fraction) / fraction);
    m_progressDialog->setProgress(m_done, m_queued, fraction, left);
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
        m_ticker.stop();
        if (m_progressDialog)
            m_progressDialog->showCancelling();
        stopTheRest();
        if (m_done == m_queued)
            finish(true);
        return;
    }
}

void MusicSend::abandon()
{
    finish(false);
}

QString MusicSend::entryOf(int index) const
{
    const PlannedTrack &track = m_plan.tracks.at(index);
    const QString root = folderpath::rootForm(QDir::fromNativeSeparators(m_lettre.text()));
    const QString folder = folderpath::join(root, m_listing.musicFolder + u'/' + track.folder);
    return playlistEntry(root, folder, track.fileName);
}

QString MusicSend::scratchFileOf(int index) const
{
    const QString extension = m_plan.tracks.at(index).method == SendMethod::Rewrite
                                  ? m_sources.at(index).copyExtension
                                  : extensionOf(m_format);
    return m_scratch->filePath(QString::number(index) + u'.' + extension);
}

QString MusicSend::failureOf(int index) const
{
    const Language l = language();
    if (index >= m_plan.tracks.size())
        return texts::sendWhyCancelled.in(l);
    const PlannedTrack &track = m_plan.tracks.at(index);
    if (track.method == SendMethod::Refuse)
        return reasonFor(m_sources.at(index).refusal).in(l);
    if (track.noRoom)
        return texts::sendWhyNoRoom.in(l);
    const std::optional<TrackOutcome> outcome =
        index < m_outcomes.size() ? m_outcomes.at(index) : std::nullopt;
    if (outcome == TrackOutcome::NotConverted)
        return texts::sendWhyNotConverted.in(l).arg(m_causes.at(index));
    return reasonFor(outcome.value_or(TrackOutcome::Cancelled)).in(l);
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
    m_ticker.stop();
    const std::shared_ptr<const VolumeRoot> volume = std::exchange(m_volume, {});
    *m_cancelled = true;
    m_workers.cancelAll();
    m_copies.clear();
    m_jobs.clear();
    m_copyClaims.clear();
    // Removed off this thread, or by the last copy that reads from it.
    if (m_scratch)
        background::run([scratch = std::exchange(m_scratch, {})] {});
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
    int alreadyThere = 0;
    QSet<QString> filled; // album folders that a track was written into
    const Language l = language();
    for (int i = 0; i < m_sources.size(); ++i) {
        SentTrack line{m_sources.at(i).path, {}, {}};
        const bool planned = i < m_plan.tracks.size() && wasSending;
        const bool there = planned && m_plan.tracks.at(i).alreadyThere;
        const bool written =
            planned && i < m_outcomes.size() && m_outcomes.at(i) == TrackOutcome::Sent;
        if (there || written)
            line.entry = entryOf(i);
        else
            line.failure = failureOf(i);
        sent += written;
        alreadyThere += there;
        if (written)
            filled.insert(m_plan.tracks.at(i).folder);
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
    // The album folders this send made and wrote nothing into go again. Only
    // once every job has ended (a window closing does not wait for them),
    // and only while empty: what else has come into one meanwhile stays.
    QStringList unused;
    if (wasSending && report) {
        for (const QString &folder : std::as_const(m_plan.newFolders)) {
            if (!filled.contains(folder))
                unused.append(m_listing.musicFolder + u'/' + folder);
        }
    }
    QStringList summary;
    const bool full = m_outcomes.contains(TrackOutcome::MediumFull);
    if (full)
        summary.append(texts::sendMediumFull.in(l) + u'\n');
    if (m_helperMissing)
        summary.append(texts::sendHelperMissing.in(l) + u'\n');
    if (tracks.isEmpty() && m_alsoNotSent.isEmpty()) {
        summary.append(texts::sendNothing.in(l));
    } else {
        summary.append(texts::sendReport.in(l).arg(sent));
        if (alreadyThere > 0)
            summary.append(texts::sendReportAlreadyThere.in(l).arg(alreadyThere));
        if (notSent > 0)
            summary.append(texts::sendReportNotSent.in(l).arg(notSent));
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
        notSent == 0 && !full && !m_helperMissing ? QMessageBox::Information : QMessageBox::Warning;
    // What hears of the end may start the next send: from here on, only
    // what was gathered above is used.
    if (!unused.isEmpty()) {
        background::run(
            this,
            [volume, unused] {
                for (const QString &folder : unused)
                    (void)volume->removeEmptyFolder(folder);
                return true;
            },
            [this](bool) { Q_EMIT pspChanged(); });
    } else if (changed) {
        Q_EMIT pspChanged();
    }
    Q_EMIT finished(tracks);
    if (const Then then = std::exchange(m_then, {}))
        then(tracks);
    if (report)
        messagebox::report(&m_window, summary.join(u'\n'), details, icon);
}
