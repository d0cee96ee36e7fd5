#include "send/musicsend.h"

#include "controls/messagebox.h"
#include "core/computerplaylist.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "core/naturalorder.h"
#include "media/audiomodule.h"
#include "platform/folderentries.h"
#include "platform/volumeroot.h"
#include "send/senddialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSet>

namespace {

// Files that sit beside music in album folders and are no music: passed
// over quietly when a folder is sent, rather than reported one by one.
bool isCompanionFile(const QString &name)
{
    static const QSet<QString> companions{
        QStringLiteral("jpg"), QStringLiteral("jpeg"),   QStringLiteral("png"),
        QStringLiteral("gif"), QStringLiteral("bmp"),    QStringLiteral("webp"),
        QStringLiteral("txt"), QStringLiteral("nfo"),    QStringLiteral("log"),
        QStringLiteral("cue"), QStringLiteral("m3u"),    QStringLiteral("m3u8"),
        QStringLiteral("pls"), QStringLiteral("pdf"),    QStringLiteral("md5"),
        QStringLiteral("sfv"), QStringLiteral("accurip")};
    return companions.contains(QFileInfo(name).suffix().toLower());
}

// A folder's files in natural order, then its sub-folders', each in turn.
// Links to folders are not followed, so that none leads round in a circle.
void addFolder(const QString &folder, QStringList &files)
{
    const QDir dir(folder);
    QStringList names;
    QStringList folders;
    for (const FolderEntry &entry : platform::readFolder(folder)) {
        if (!entry.isHidden)
            (entry.kind == FolderEntry::Kind::Folder ? folders : names).append(entry.name);
    }
    sortNaturally(names);
    for (const QString &name : std::as_const(names)) {
        if (!isCompanionFile(name))
            files.append(dir.filePath(name));
    }
    sortNaturally(folders);
    for (const QString &name : std::as_const(folders))
        addFolder(dir.filePath(name), files);
}

QStringList expandFolders(const QStringList &paths)
{
    QStringList files;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            addFolder(path, files);
        else
            files.append(path);
    }
    return files;
}

const Phrase &reasonFor(SourceTrack::Refusal refusal)
{
    switch (refusal) {
    case SourceTrack::Refusal::NotAudio:
        return texts::sendWhyNotAudio;
    case SourceTrack::Refusal::TooLarge:
        return texts::sendWhyTooLarge;
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
    default:
        return texts::sendWhyCancelled;
    }
}

} // namespace

MusicSend::MusicSend(QWidget &window, const QLineEdit &lettre, LanguageFlag languageFlag,
                     VolumeOpener openVolume)
    : QObject(&window), m_window(window), m_lettre(lettre), m_languageFlag(languageFlag),
      m_openVolume(std::move(openVolume))
{
    m_copies.setMaxThreadCount(1);
    m_ticker.setInterval(500);
    connect(&m_ticker, &QTimer::timeout, this, &MusicSend::showProgress);
}

MusicSend::~MusicSend()
{
    // Nothing is said any more: those who would hear it may be gone already.
    // Jobs see the cancel between packets and chunks.
    if (m_cancelled)
        *m_cancelled = true;
    m_pool.waitForDone();
    m_copies.waitForDone();
}

Language MusicSend::language() const
{
    return m_languageFlag.language();
}

bool MusicSend::start(const QStringList &localPaths, const QStringList &alsoNotSent)
{
    if (m_state != State::Idle)
        return false;
    m_alsoNotSent = alsoNotSent;
    m_state = State::Looking;
    ++m_generation;
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_sources.clear();
    m_plan = SendPlan();
    m_outcomes.clear();
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

    // Reading folders, the sources and the PSP may take a while: not here.
    const quint64 generation = m_generation;
    const std::shared_ptr<const VolumeRoot> volume = m_volume;
    const std::shared_ptr<std::atomic_bool> cancelled = m_cancelled;
    m_pool.start([this, generation, volume, cancelled, localPaths] {
        QList<SourceTrack> sources;
        for (const QString &path : expandFolders(localPaths)) {
            if (*cancelled)
                return;
            sources.append(audioModule().probeSource(path));
        }
        const MusicListing listing = listMusic(*volume);
        QMetaObject::invokeMethod(
            this,
            [this, generation, sources, listing] {
                if (generation == m_generation)
                    looked(sources, listing);
            },
            Qt::QueuedConnection);
    });
    return true;
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

void MusicSend::looked(const QList<SourceTrack> &sources, const MusicListing &listing)
{
    m_sources = sources;
    m_listing = listing;
    m_state = State::Planned;
    if (m_listing.musicFolder.isEmpty()) {
        // The music folder is made on arrival; without it this is no PSP in use.
        if (m_planDialog)
            m_planDialog->close();
        messagebox::warn(&m_window, texts::sendNoPsp.in(language()));
        finish(false);
        return;
    }
    replan();
}

void MusicSend::replan()
{
    if (m_state != State::Planned || !m_planDialog)
        return;
    m_format = m_planDialog->format();
    m_plan = planSend(m_sources, m_listing, m_format);
    m_planDialog->showPlan(m_plan, m_listing.freeBytes);
}

void MusicSend::beginSending()
{
    if (m_state != State::Planned)
        return;
    m_state = State::Sending;
    m_outcomes = QList<std::optional<TrackOutcome>>(m_sources.size());
    m_progressDialog = new SendProgressDialog(&m_window, language());
    m_progressDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    connect(m_progressDialog, &QDialog::rejected, this, &MusicSend::cancel);
    m_progressDialog->show();
    m_clock.start();
    m_ticker.start();

    const quint64 generation = m_generation;
    for (int i = 0; i < m_sources.size(); ++i) {
        const PlannedTrack &track = m_plan.tracks.at(i);
        if (track.method == SendMethod::Refuse || track.alreadyThere)
            continue;
        ++m_queued;
        const SourceTrack source = m_sources.at(i);
        const std::shared_ptr<const VolumeRoot> volume = m_volume;
        const std::shared_ptr<std::atomic_bool> cancelled = m_cancelled;
        const QString music = m_listing.musicFolder;
        const TargetFormat format = m_format;
        const std::shared_ptr<std::atomic<qint64>> progress = m_progress;
        QThreadPool &lane = track.method == SendMethod::Copy ? m_copies : m_pool;
        lane.start(
            [this, generation, i, source, track, volume, cancelled, progress, music, format] {
                if (*cancelled)
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
                deliver([this, i] { trackStarted(i); });
                const TrackOutcome outcome =
                    sendTrack(*volume, music, source, track, format, *cancelled, *progress);
                deliver([this, i, outcome] { trackDone(i, outcome); });
            });
    }
    showProgress();
    if (m_queued == 0)
        finish(true);
}

void MusicSend::trackStarted(int index)
{
    if (m_progressDialog)
        m_progressDialog->setCurrent(QFileInfo(m_sources.at(index).path).fileName());
}

void MusicSend::trackDone(int index, TrackOutcome outcome)
{
    m_outcomes[index] = outcome;
    ++m_done;
    // The rest would not fit either: stop, keeping what is finished.
    if (outcome == TrackOutcome::MediumFull)
        *m_cancelled = true;
    showProgress();
    if (m_done == m_queued)
        finish(true);
}

void MusicSend::showProgress()
{
    if (!m_progressDialog)
        return;
    const double fraction =
        m_plan.bytes > 0 ? std::min(1.0, double(*m_progress) / double(m_plan.bytes)) : 1.0;
    const qint64 elapsed = m_clock.elapsed();
    const qint64 left = fraction <= 0 ? -1 : qint64(double(elapsed) * (1 - fraction) / fraction);
    m_progressDialog->setProgress(m_done, m_queued, fraction, left);
}

void MusicSend::cancel()
{
    if (m_state == State::Idle)
        return;
    *m_cancelled = true;
    finish(m_state == State::Sending);
}

void MusicSend::abandon()
{
    if (m_state == State::Idle)
        return;
    *m_cancelled = true;
    finish(false);
}

QString MusicSend::entryOf(int index) const
{
    const PlannedTrack &track = m_plan.tracks.at(index);
    const QString root = folderpath::rootForm(QDir::fromNativeSeparators(m_lettre.text()));
    const QString folder = folderpath::join(root, m_listing.musicFolder + u'/' + track.folder);
    return playlistEntry(root, folder, track.fileName);
}

QString MusicSend::failureOf(int index) const
{
    const Language l = language();
    if (index >= m_plan.tracks.size())
        return texts::sendWhyCancelled.in(l);
    const PlannedTrack &track = m_plan.tracks.at(index);
    if (track.method == SendMethod::Refuse)
        return reasonFor(m_sources.at(index).refusal).in(l);
    const std::optional<TrackOutcome> outcome =
        index < m_outcomes.size() ? m_outcomes.at(index) : std::nullopt;
    return reasonFor(outcome.value_or(TrackOutcome::Cancelled)).in(l);
}

void MusicSend::finish(bool report)
{
    // Later results of this send's jobs are dropped.
    ++m_generation;
    const bool wasSending = m_state == State::Sending;
    m_state = State::Idle;
    m_ticker.stop();
    m_volume.reset();
    if (m_planDialog)
        m_planDialog->close();
    if (m_progressDialog)
        m_progressDialog->close();

    QList<SentTrack> tracks;
    QStringList notSent;
    int sent = 0;
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
        const QString shown = QDir::toNativeSeparators(line.source);
        if (there)
            notSent.append(shown + QStringLiteral(" : ") + texts::sendWhyAlreadyThere.in(l));
        else if (!written)
            notSent.append(shown + QStringLiteral(" : ") + line.failure);
        tracks.append(line);
    }
    notSent += m_alsoNotSent;
    if (sent > 0 || (wasSending && !m_plan.newFolders.isEmpty()))
        Q_EMIT pspChanged();
    Q_EMIT finished(tracks);
    if (!report)
        return;
    QStringList paragraphs;
    const bool full = m_outcomes.contains(TrackOutcome::MediumFull);
    if (full)
        paragraphs.append(texts::sendMediumFull.in(l));
    paragraphs.append(tracks.isEmpty() ? texts::sendNothing.in(l)
                                       : texts::sendReport.in(l).arg(sent));
    if (!notSent.isEmpty()) {
        paragraphs.append(texts::sendReportNotSent.in(l) + u'\n' + messagebox::listed(notSent, 15));
    }
    messagebox::show(&m_window, paragraphs.join(QStringLiteral("\n\n")), QString(), QMessageBox::Ok,
                     notSent.isEmpty() && !full ? QMessageBox::Information : QMessageBox::Warning);
}
