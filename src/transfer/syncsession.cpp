#include "transfer/syncsession.h"

#include "core/background.h"
#include "core/playlistfile.h"
#include "core/sendnames.h"
#include "core/storagelayout.h"
#include "core/temporaryfiles.h"
#include "platform/ansicodepage.h"

#include <algorithm>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QByteArray digestOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QString reasonLine(const QString &what, const QString &why, Language language)
{
    return texts::reasonLine.in(language).arg(what, why);
}

bool isPlaylistName(const QString &name)
{
    return name.endsWith(u".m3u8"_s, Qt::CaseInsensitive) ||
           name.endsWith(u".m3u"_s, Qt::CaseInsensitive);
}

} // namespace

struct SyncSession::Looked
{
    std::shared_ptr<const WriterLock> lock;
    // Why the lock could not be had; nothing else is looked at then.
    std::optional<FileError> notLocked;
    bool isPsp = false;
    MusicListing listing;
    QString playlistFolder;
    SyncPlan decision;
    QHash<QString, QByteArray> digests;
};

struct SyncSession::Written
{
    SendRecord record;
    QString musicFolder;
    QString playlistFolder;
    int done = 0;
    QStringList problems;
    // The record could not be written before anything else: nothing was.
    std::optional<FileError> notRecorded;
};

QString SyncOutline::summary(Language language) const
{
    return texts::syncPlanned.in(language).arg(
        texts::tracks.in(toSend, language), sizeText(bytes, language),
        texts::tracks.in(alreadyThere, language), texts::tracks.in(removals.size(), language),
        texts::playlists.in(playlists, language),
        freeBytes < 0 ? u"?"_s : sizeText(freeBytes, language));
}

QString SyncSession::Summary::report(Language language) const
{
    QString text = texts::syncDone.in(language).arg(texts::tracks.in(sent, language),
                                                    texts::tracks.in(removed, language),
                                                    texts::playlists.in(playlists, language));
    if (bytesSent > 0 || freeBytesLeft >= 0)
        text += u' ' + texts::syncWritten.in(language).arg(
                           sizeText(bytesSent, language),
                           freeBytesLeft < 0 ? u"?"_s : sizeText(freeBytesLeft, language));
    return text;
}

QStringList SyncOutline::removalLines(Language language) const
{
    QStringList lines;
    for (const SyncPlan::Removal &removal : removals) {
        const QString file = QDir::toNativeSeparators(removal.track.file);
        lines.append(removal.namedBy.isEmpty() ? file
                                               : texts::syncNamedBy.in(language).arg(
                                                     file, removal.namedBy.join(u", "_s)));
    }
    return lines;
}

QStringList SyncOutline::sendingLines(Language language) const
{
    QStringList lines;
    for (const Track &track : sending)
        lines.append(QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(track.source),
                                                   sizeText(track.bytes, language)));
    return lines;
}

QStringList SyncOutline::unavailableLines(Language language) const
{
    QStringList lines;
    for (const Unavailable &entry : unavailable)
        lines.append(
            texts::reasonLine.in(language).arg(QDir::toNativeSeparators(entry.entry), entry.why));
    return lines;
}

QStringList SyncOutline::notFoundLines() const
{
    QStringList lines;
    for (const QString &track : notFound)
        lines.append(QDir::toNativeSeparators(track));
    return lines;
}

SyncSession::SyncSession(AudioWorkers &workers, PspOwner &owner, QObject *parent)
    : QObject(parent), m_workers(workers), m_owner(owner), m_prober(workers)
{
    connect(&m_owner, &PspOwner::left, this, &SyncSession::abandon);
    connect(&m_prober, &SourceProber::probed, this, &SyncSession::probed);
    connect(&m_prober, &SourceProber::finished, this, &SyncSession::allProbed);
}

SyncSession::~SyncSession()
{
    abandon();
}

void SyncSession::start(std::shared_ptr<const VolumeRoot> volume, const QList<SyncEntry> &list,
                        int codePage, TargetFormat format, const Quality &quality,
                        Language language)
{
    m_volume = std::move(volume);
    m_codePage = codePage;
    m_format = format;
    m_quality = quality;
    m_language = language;
    m_stage = Stage::Looking;
    background::run(
        this,
        [volume = m_volume, list, codePage] {
            Looked found;
            found.isPsp = !existingFolder(*volume, u"PSP"_s).isEmpty();
            if (!found.isPsp)
                return found;
            Result<std::shared_ptr<const WriterLock>> lock = WriterLock::take(*volume);
            if (!lock) {
                found.notLocked = lock.error();
                return found;
            }
            found.lock = *lock;
            const QList<ExpandedSyncEntry> expanded = expandSyncList(list, codePage);
            found.listing = listMusic(*volume);
            found.playlistFolder = existingFolder(*volume, u"PSP/PLAYLIST/MUSIC"_s);
            QList<PspPlaylist> playlists;
            const Result<std::unique_ptr<VolumeRoot>> folder =
                found.playlistFolder.isEmpty() ? FileError(FileError::Kind::NotAFolder)
                                               : volume->openFolder(found.playlistFolder);
            for (const VolumeRoot::Entry &entry :
                 folder ? (*folder)->entries(QString()).valueOr({}) : QList<VolumeRoot::Entry>()) {
                if (entry.kind != VolumeRoot::Kind::File || !isPlaylistName(entry.name))
                    continue;
                const LoadedPlaylist loaded =
                    playlistfile::loadPlaylist(**folder, entry.name, codePage);
                if (!loaded.bytes)
                    continue;
                playlists.append({entry.name, loaded.entries});
                found.digests.insert(sendnames::nameKey(entry.name), digestOf(*loaded.bytes));
            }
            found.decision = planSync(expanded, found.listing, playlists, codePage);
            return found;
        },
        [this](const Looked &found) { looked(found); });
}

void SyncSession::looked(const Looked &found)
{
    if (m_stage != Stage::Looking)
        return;
    // Counted while the PSP is held: what the run sent so far, then what it did.
    if (found.lock)
        m_owner.hold(this, found.lock, [this] {
            const int sent = m_summary.sent + (m_run ? m_run->tracksSent() : 0);
            return PspOwner::Tally{sent, m_sendPlan.copies + m_sendPlan.conversions,
                                   m_stage == Stage::Running};
        });
    m_listing = found.listing;
    m_playlistFolder = found.playlistFolder;
    m_decision = found.decision;
    m_digests = found.digests;
    if (found.notLocked)
        m_refusal = WriterLock::isBusy(*found.notLocked) ? Refusal::Busy : Refusal::None;
    else if (m_listing.record.trust == SendRecord::Trust::Newer)
        m_refusal = Refusal::NewerRecord;
    if (!found.isPsp)
        m_failure = texts::syncNotPsp.in(m_language);
    else if (found.notLocked)
        m_failure = WriterLock::refusal(*found.notLocked, m_language);
    else if (m_refusal == Refusal::NewerRecord)
        m_failure = texts::syncNewerRecord.in(m_language);
    else if (m_listing.readOnly)
        m_failure = texts::sendReadOnly.in(m_language);
    else if (m_listing.musicNotAFolder)
        m_failure = texts::sendMusicNotAFolder.in(m_language);
    if (!m_failure.isEmpty()) {
        m_owner.letGo(this);
        m_stage = Stage::Planned;
        Q_EMIT planned();
        return;
    }
    for (const RecordedPlaylist &kept : m_listing.record.playlists) {
        const auto current = m_digests.constFind(sendnames::nameKey(kept.file));
        const bool changed = current != m_digests.cend() && *current != kept.digest;
        const bool followed = std::any_of(
            m_decision.playlists.cbegin(), m_decision.playlists.cend(),
            [&](const SyncPlan::Playlist &playlist) { return playlist.file == kept.file; });
        if (followed && changed)
            m_changedPlaylists.append(kept.file);
    }
    // Only what the plan lets go of: never the playlist of an entry that
    // cannot be seen now.
    for (const RecordedPlaylist &stale : m_decision.stalePlaylists) {
        const auto current = m_digests.constFind(sendnames::nameKey(stale.file));
        if (current != m_digests.cend() && *current == stale.digest)
            m_stale.append(stale.file);
    }
    m_sources.resize(m_decision.toSend.size());
    QStringList paths;
    for (qsizetype i = 0; i < m_decision.toSend.size(); ++i)
        paths.append(m_sources[i].path = m_decision.toSend.at(i).path);
    if (paths.isEmpty())
        plan();
    else
        m_prober.start(paths);
}

void SyncSession::probed(qsizetype index, const AudioJobResult &result)
{
    if (result.status == AudioJobResult::Status::Done)
        m_sources[index] = result.source;
    else if (result.status == AudioJobResult::Status::Damaged)
        m_sources[index].refusal = SourceTrack::Refusal::Damaged;
    else
        m_sources[index].refusal = SourceTrack::Refusal::Unreadable;
}

void SyncSession::allProbed(bool helperMissing)
{
    if (helperMissing)
        m_failure = texts::sendHelperMissing.in(m_language);
    if (m_stage == Stage::Looking)
        plan();
}

void SyncSession::plan()
{
    background::run(
        this,
        [sources = m_sources, listing = m_listing, format = m_format, codePage = m_codePage,
         quality = m_quality] { return planSend(sources, listing, format, codePage, quality); },
        [this](const SendPlan &plan) {
            if (m_stage != Stage::Looking)
                return;
            m_sendPlan = plan;
            for (const SyncPlan::Unchanged &unchanged : m_decision.unchanged)
                m_placed.insert(unchanged.source.path, unchanged.file);
            // A track that can never be sent (not audio, damaged) is said once
            // as such: the playlist does not wait for it.
            QSet<QString> sendable;
            for (qsizetype i = 0; i < m_sources.size(); ++i) {
                if (m_sendPlan.tracks.at(i).method != SendMethod::Refuse)
                    sendable.insert(m_sources.at(i).path);
            }
            m_playlistFiles.clear();
            for (const SyncPlan::Playlist &playlist : m_decision.playlists) {
                const bool waits = std::any_of(
                    playlist.tracks.cbegin(), playlist.tracks.cend(), [&](const QString &track) {
                        return !m_placed.contains(track) && sendable.contains(track);
                    });
                const QByteArray digest = m_digests.value(sendnames::nameKey(playlist.file));
                if (waits || digest != digestOf(playlistBytes(playlist)))
                    m_playlistFiles.append(playlist.file);
            }
            m_playlistsToWrite = int(m_playlistFiles.size());
            m_stage = Stage::Planned;
            Q_EMIT planned();
        });
}

QList<SyncPlan::Removal> SyncSession::chosen(const QList<SyncPlan::Removal> &planned,
                                             Removals removals)
{
    QList<SyncPlan::Removal> chosen;
    for (const SyncPlan::Removal &removal : planned) {
        if (removals == Removals::All ||
            (removals == Removals::Unnamed && removal.namedBy.isEmpty()))
            chosen.append(removal);
    }
    return chosen;
}

qint64 SyncSession::bytesOf(const QList<SyncPlan::Removal> &removals)
{
    qint64 bytes = 0;
    for (const SyncPlan::Removal &removal : removals)
        bytes += removal.track.bytes;
    return bytes;
}

QList<SyncPlan::Removal> SyncSession::removals(Removals removals) const
{
    return chosen(m_decision.removals, removals);
}

qint64 SyncSession::bytesFreed(Removals removals) const
{
    return bytesOf(this->removals(removals));
}

bool SyncSession::upToDate() const
{
    // A source that can never be sent is no work left: it is said when the
    // sync has something else to do. A record recovered is written anew.
    return m_failure.isEmpty() && m_sendPlan.copies + m_sendPlan.conversions == 0 &&
           m_decision.removals.isEmpty() && m_stale.isEmpty() && m_playlistsToWrite == 0 &&
           m_decision.unseen.isEmpty() && !m_decision.recordRecovered;
}

SyncOutline SyncSession::outline() const
{
    SyncOutline outline;
    outline.failure = m_failure;
    outline.upToDate = upToDate();
    outline.toSend = m_sendPlan.copies + m_sendPlan.conversions;
    outline.bytes = m_sendPlan.bytes;
    outline.alreadyThere = int(m_decision.unchanged.size()) + m_sendPlan.alreadyThere;
    outline.removals = m_decision.removals;
    outline.playlists = m_playlistsToWrite;
    outline.playlistFiles = m_playlistFiles;
    outline.totalBytes = m_listing.totalBytes;
    outline.freeBytes = m_listing.freeBytes;
    outline.changedPlaylists = m_changedPlaylists;
    outline.recordRecovered = m_decision.recordRecovered;
    outline.keptThere = m_decision.keptThere;
    for (const ExpandedSyncEntry &entry : m_decision.unseen) {
        using Unseen = ExpandedSyncEntry::Unseen;
        const qsizetype named = entry.notFound.size() + entry.sources.size();
        const QString why =
            entry.unseen == Unseen::Missing   ? texts::syncMissing.in(m_language)
            : entry.unseen == Unseen::NoTrack ? texts::syncNoTrack.in(m_language)
            : entry.unseen == Unseen::Unreadable
                ? texts::syncUnreadable.in(m_language)
                : texts::syncMostNotFound.in(entry.notFound.size(), m_language).arg(named);
        outline.unavailable.append({QFileInfo(entry.entry.path).fileName(), why});
    }
    outline.notFound = m_decision.notFound;
    outline.stalePlaylists = m_stale;
    // What fits, as go() will keep it, without the room removals may free.
    SendPlan fitting = m_sendPlan;
    keepWhatFits(fitting, m_listing.freeBytes);
    for (const PlannedTrack &track : std::as_const(fitting.tracks)) {
        if (track.noRoom) {
            ++outline.wontFit;
            outline.wontFitBytes += track.bytes;
        } else if (!track.replaces.isEmpty() && !track.alreadyThere &&
                   track.method != SendMethod::Refuse) {
            outline.replaced.append(track.replaces);
        }
    }
    for (qsizetype i = 0; i < m_sources.size() && i < fitting.tracks.size(); ++i) {
        const PlannedTrack &track = fitting.tracks.at(i);
        if (!track.alreadyThere && !track.noRoom && track.method != SendMethod::Refuse)
            outline.sending.append({m_sources.at(i).path, track.bytes});
    }
    return outline;
}

void SyncSession::go(Removals removals, const QStringList &replacing)
{
    if (m_stage != Stage::Planned || !m_failure.isEmpty())
        return;
    m_stage = Stage::Running;
    m_replacing = replacing;
    if (m_listing.freeBytes >= 0)
        keepWhatFits(m_sendPlan, m_listing.freeBytes + bytesFreed(removals));
    QStringList stale = removals == Removals::None ? QStringList() : m_stale;
    m_summary.held = int(m_decision.removals.size() - this->removals(removals).size());
    m_freedBytes = bytesFreed(removals);
    background::run(
        this,
        [volume = m_volume, record = m_listing.record, files = this->removals(removals), stale,
         language = m_language]() mutable {
            Written written;
            // The folders a sync writes in, made when missing.
            const VolumeSetup setup = setUpVolume(*volume);
            written.musicFolder = setup.musicFolder;
            written.playlistFolder = setup.hasPlaylistFolder ? setup.playlistFolder : QString();
            // What is sent could not be recorded, and would be sent again
            // as new copies by every sync after: nothing is, then.
            if (const Result<> saved = sendrecord::write(*volume, record); !saved) {
                written.notRecorded = saved.error();
                return written;
            }
            const Result<std::unique_ptr<VolumeRoot>> music =
                volume->openFolder(written.musicFolder);
            // What a run ended by force left, now that no other can be
            // writing.
            for (const QString &album : music ? removeLeftovers(**music) : QStringList()) {
                if (const Result<std::unique_ptr<VolumeRoot>> opened = (*music)->openFolder(album))
                    removeLeftovers(**opened);
            }
            if (!written.playlistFolder.isEmpty()) {
                if (const Result<std::unique_ptr<VolumeRoot>> playlists =
                        volume->openFolder(written.playlistFolder))
                    removeLeftovers(**playlists);
            }
            for (const SyncPlan::Removal &removal : files) {
                const Result<> gone =
                    music ? (*music)->remove(removal.track.file) : Result<>(music.error());
                // One gone already is no longer recorded, but was not removed.
                if (gone || gone.error().errorNumber == ENOENT) {
                    record.remove(removal.track.file);
                    written.done += bool(gone);
                    // An album folder its last track left goes with it; one
                    // that holds anything else stays.
                    if (const QString album = QFileInfo(removal.track.file).path(); album != u'.')
                        (void)(*music)->removeEmptyFolder(album);
                } else {
                    written.problems.append(
                        reasonLine(removal.track.file, gone.error().message, language));
                }
            }
            const Result<std::unique_ptr<VolumeRoot>> playlists =
                written.playlistFolder.isEmpty() ? FileError(FileError::Kind::NotAFolder)
                                                 : volume->openFolder(written.playlistFolder);
            for (const QString &file : stale) {
                const Result<> gone =
                    playlists ? (*playlists)->remove(file) : Result<>(playlists.error());
                if (gone || gone.error().errorNumber == ENOENT) {
                    record.playlists.removeIf(
                        [&](const RecordedPlaylist &kept) { return kept.file == file; });
                    written.done += bool(gone);
                } else {
                    written.problems.append(reasonLine(file, gone.error().message, language));
                }
            }
            if (!files.isEmpty() || !stale.isEmpty()) {
                if (const Result<> saved = sendrecord::write(*volume, record); !saved)
                    written.problems.append(
                        reasonLine(sendrecord::folderName(), saved.error().message, language));
            }
            written.record = record;
            return written;
        },
        [this](const Written &written) { removed(written); });
}

void SyncSession::removed(const Written &written)
{
    if (m_stage != Stage::Running)
        return;
    if (written.notRecorded) {
        m_failure = texts::syncRecordUnwritable.in(m_language).arg(written.notRecorded->message);
        m_summary.problems.append(m_failure);
        finish();
        return;
    }
    m_record = written.record;
    m_musicFolder = written.musicFolder;
    m_playlistFolder = written.playlistFolder;
    m_summary.removed = written.done;
    m_summary.problems += written.problems;
    if (m_cancelled || m_sendPlan.tracks.isEmpty() || m_musicFolder.isEmpty()) {
        runFinished();
        return;
    }
    m_run = new SendRun(m_workers, this);
    connect(m_run, &SendRun::progressed, this, &SyncSession::progressed);
    connect(m_run, &SendRun::finished, this, &SyncSession::runFinished);
    m_run->start(m_volume, m_musicFolder, m_sources, m_sendPlan, m_format, m_quality, m_record,
                 true);
}

void SyncSession::runFinished()
{
    if (m_run) {
        m_record = m_run->record();
        for (qsizetype i = 0; i < m_sources.size(); ++i) {
            const PlannedTrack &track = m_sendPlan.tracks.at(i);
            const std::optional<TrackEnding> ending = m_run->ending(int(i));
            const bool there =
                track.alreadyThere || (ending && ending->outcome == TrackOutcome::Sent);
            if (there)
                m_placed.insert(m_sources.at(i).path, track.folder + u'/' + track.fileName);
            else
                placeEarlier(m_sources.at(i).path);
            if (!there)
                m_summary.problems.append(
                    reasonLine(m_sources.at(i).path,
                               whyNotSent(m_sources.at(i), track, ending, m_language), m_language));
            if (ending && ending->outcome == TrackOutcome::Sent) {
                ++m_summary.sent;
                m_summary.bytesSent += track.bytes;
            }
        }
        m_run->deleteLater();
        m_run = nullptr;
    } else {
        for (qsizetype i = 0; i < m_sources.size(); ++i) {
            placeEarlier(m_sources.at(i).path);
            m_summary.problems.append(reasonLine(
                m_sources.at(i).path,
                whyNotSent(m_sources.at(i), m_sendPlan.tracks.at(i), std::nullopt, m_language),
                m_language));
        }
    }
    // The playlists follow whatever is there, however the tracks ended: the
    // next sync completes them.
    QList<std::pair<QString, QByteArray>> toWrite;
    QList<RecordedPlaylist> recorded;
    for (const SyncPlan::Playlist &playlist : m_decision.playlists) {
        if (m_changedPlaylists.contains(playlist.file) && !m_replacing.contains(playlist.file))
            continue;
        const QByteArray bytes = playlistBytes(playlist);
        // An empty playlist would only hide that nothing of it could be
        // sent: the one there, if any, stays as it is.
        if (!playlist.tracks.isEmpty() &&
            std::none_of(playlist.tracks.cbegin(), playlist.tracks.cend(),
                         [&](const QString &track) { return m_placed.contains(track); })) {
            m_summary.problems.append(
                reasonLine(playlist.file, texts::syncNothingThere.in(m_language), m_language));
            continue;
        }
        recorded.append({playlist.source, playlist.file, digestOf(bytes)});
        if (m_digests.value(sendnames::nameKey(playlist.file)) != recorded.constLast().digest)
            toWrite.append({playlist.file, bytes});
    }
    if (toWrite.isEmpty() && recorded.isEmpty()) {
        finish();
        return;
    }
    background::run(
        this,
        [volume = m_volume, folder = m_playlistFolder, toWrite, recorded, record = m_record,
         language = m_language]() mutable {
            Written written;
            const Result<std::unique_ptr<VolumeRoot>> playlists =
                folder.isEmpty() ? FileError(FileError::Kind::NotAFolder)
                                 : volume->openFolder(folder);
            QSet<QString> failed;
            for (const auto &[file, bytes] : toWrite) {
                const Result<> saved = playlists
                                           ? playlistfile::savePlaylist(**playlists, file, bytes)
                                           : Result<>(playlists.error());
                if (saved) {
                    ++written.done;
                    continue;
                }
                failed.insert(file);
                written.problems.append(reasonLine(file, saved.error().message, language));
            }
            for (const RecordedPlaylist &playlist : recorded) {
                if (failed.contains(playlist.file))
                    continue;
                record.playlists.removeIf(
                    [&](const RecordedPlaylist &kept) { return kept.file == playlist.file; });
                record.playlists.append(playlist);
            }
            if (const Result<> saved = sendrecord::write(*volume, record); !saved)
                written.problems.append(
                    reasonLine(sendrecord::folderName(), saved.error().message, language));
            return written;
        },
        [this](const Written &written) {
            m_summary.playlists = written.done;
            m_summary.problems += written.problems;
            finish();
        });
}

void SyncSession::placeEarlier(const QString &source)
{
    // Not sent again: the copy sent before is still there, and still
    // recorded, as nothing replaced it.
    if (const auto earlier = m_decision.earlier.constFind(source);
        earlier != m_decision.earlier.cend() && !m_placed.contains(source))
        m_placed.insert(source, *earlier);
}

QByteArray SyncSession::playlistBytes(const SyncPlan::Playlist &playlist) const
{
    QStringList entries;
    const QString music = m_musicFolder.isEmpty() ? m_listing.musicFolder : m_musicFolder;
    for (const QString &track : playlist.tracks) {
        const auto placed = m_placed.constFind(track);
        if (placed != m_placed.cend())
            entries.append(u'\\' + QString(music + u'/' + *placed).replace(u'/', u'\\'));
    }
    return playlistfile::encodePlaylist(entries, m_codePage);
}

void SyncSession::cancel()
{
    m_cancelled = true;
    if (m_stage == Stage::Running) {
        if (m_run)
            m_run->cancel();
        return;
    }
    if (m_stage == Stage::Looking || m_stage == Stage::Planned) {
        m_prober.stop();
        finish();
    }
}

void SyncSession::abandon()
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_owner.letGo(this);
    m_prober.stop();
    if (m_run) {
        m_run->disconnect(this);
        m_run->abandon();
        m_run->deleteLater();
    }
}

void SyncSession::finish()
{
    m_stage = Stage::Done;
    m_owner.letGo(this);
    if (m_listing.freeBytes >= 0)
        m_summary.freeBytesLeft =
            std::max<qint64>(0, m_listing.freeBytes + m_freedBytes - m_summary.bytesSent);
    QTimer::singleShot(0, this, &SyncSession::finished);
}
