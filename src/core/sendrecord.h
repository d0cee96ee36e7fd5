#pragma once

#include "platform/volumeroot.h"

#include <optional>
#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QString>

// What Zarvello wrote on a PSP, kept on the PSP itself, so that a track is
// known to be there for certain rather than guessed from a file name, and a
// file the user put there is never taken for one of ours. It lives in a
// hidden folder at the volume's root, which the PSP does not look into, and is
// replaced in one step each time it is written, the record it replaces kept
// beside it; a send adds each track it writes to a journal beside it the
// moment the track is there (see RecordJournal), so that a PSP pulled out
// leaves no track of ours unknown but the one being finished. It never
// describes a file that was not written, though it may still name one
// removed since, so a file it names counts only while it is there with the
// size recorded.
//
// A record that cannot be read is never taken for none: the one before it is
// used, and the damaged one set aside under a dated name when the record is
// next written. One written by a newer Zarvello is never written over.

// A local source as it was when it was sent: changed since, it is another.
struct SourceIdentity
{
    QString path;
    qint64 size = -1;
    qint64 modified = 0; // milliseconds since the epoch, UTC

    // The file as it is now; size -1 when it cannot be looked at.
    static SourceIdentity of(const QString &path);

    bool operator==(const SourceIdentity &other) const
    {
        return path == other.path && size == other.size && modified == other.modified;
    }
    bool operator!=(const SourceIdentity &other) const { return !(*this == other); }
};

size_t qHash(const SourceIdentity &identity, size_t seed = 0) noexcept;

// One file Zarvello wrote below the music folder.
struct RecordedTrack
{
    SourceIdentity source;
    // What it was written as: "copy", "rewrite", or the format and quality
    // of a conversion ("mp3 V2", "aac 192").
    QString settings;
    QString file; // below the music folder: "<album folder>/<file>"
    qint64 bytes = 0;
    // Written for the list of what this PSP keeps, so a sync may take it
    // off again; a track merely sent stays until the user removes it.
    bool kept = false;
    // When the file was last written, as the volume gave it, in milliseconds
    // since the epoch, UTC; 0 when unknown (a record of an earlier Zarvello),
    // and then its name and size alone tell it.
    qint64 modified = 0;
    // Fields a later Zarvello added, kept as they are through a rewrite.
    QJsonObject unknown = {};
};

// One playlist a sync wrote in the PSP's playlist folder.
struct RecordedPlaylist
{
    QString source; // the desktop playlist it follows
    QString file;   // in the playlist folder
    // Of the bytes written: the playlist was changed on the PSP since when
    // the file's bytes no longer give it.
    QByteArray digest;
};

class SendRecord
{
public:
    // How far the record read from a volume can be trusted.
    enum class Trust
    {
        // The volume's record, or none on a volume never written.
        Whole,
        // The volume's record could not be read: this is the one before it,
        // or none. Files written since are unknown to it, so nothing is
        // removed on its word.
        Recovered,
        // Written by a newer Zarvello: nothing may be written on the volume.
        Newer,
    };
    Trust trust = Trust::Whole;
    // Fields of the whole record a later Zarvello added, kept through a
    // rewrite.
    QJsonObject unknown = {};

    // The recorded file for a source as it is now, whatever it was written
    // as; null when none.
    const RecordedTrack *bySource(const SourceIdentity &source) const;
    // The recorded file of that name, the storage's case rules applied.
    const RecordedTrack *byFile(const QString &file) const;
    // Every file recorded for a local path, whatever the source was then.
    QList<RecordedTrack> byPath(const QString &path) const;
    // In the order put, until a file is forgotten: the last then takes its
    // place.
    const QList<RecordedTrack> &tracks() const { return m_tracks; }
    // Records a file written, in place of whatever named the same file.
    void put(const RecordedTrack &track);
    // Forgets a file; false when it was not recorded.
    bool remove(const QString &file);
    // Forgets files; how many were recorded.
    qsizetype remove(const QStringList &files);
    bool isEmpty() const { return m_tracks.isEmpty() && playlists.isEmpty(); }

    QList<RecordedPlaylist> playlists;

    QByteArray toBytes() const;
    // Nothing when the bytes are no record this program can read.
    static std::optional<SendRecord> fromBytes(const QByteArray &bytes);

private:
    // The indexes by source and by path, kept for each track on its own so
    // that changing one track never costs the whole record.
    void indexSource(qsizetype index);
    void unindexSource(qsizetype index);

    QList<RecordedTrack> m_tracks;
    QHash<SourceIdentity, qsizetype> m_bySource;
    QHash<QString, qsizetype> m_byFile; // by name key
    QHash<QString, QList<qsizetype>> m_byPath;
};

// A volume's record kept up to date there change by change, as a run
// writes track after track: each change reaches the medium before the call
// returns, as a line added to a journal beside the record, which
// sendrecord::read() goes through after it. The record is written whole,
// the journal emptied, by the first change, once the journal has grown long
// and by save(): never for every change. Every call waits on the disk, so
// none is made on the interface thread; calls from several threads at once
// are taken one at a time.
class RecordJournal
{
public:
    // What the volume's record is to be, whatever the volume holds now: the
    // first change writes it whole.
    explicit RecordJournal(SendRecord record);

    // Records files written, in place of whatever named the same files.
    Result<> put(const VolumeRoot &root, const QList<RecordedTrack> &tracks);
    // Forgets files.
    Result<> remove(const VolumeRoot &root, const QStringList &files);
    // Writes the record whole, unless the volume's is that already.
    Result<> save(const VolumeRoot &root);

private:
    // Adds lines, one change each, already made to the record.
    Result<> append(const VolumeRoot &root, const QList<QJsonObject> &changes);
    Result<> saveNow(const VolumeRoot &root);

    QMutex m_mutex;
    SendRecord m_record;
    // Of the record last written whole: only the journal's lines that carry
    // it belong to that record.
    QString m_generation;
    bool m_saved = false;  // the volume holds the record, the journal aside
    qsizetype m_lines = 0; // in the journal since
    // The journal ends with a whole line, last added by this.
    bool m_lineEnded = false;
};

namespace sendrecord {

// The hidden folder at the root that holds what Zarvello keeps on a volume.
QString folderName();

// The volume's record, with the changes its journal adds; an empty one when
// it has none. One that cannot be read gives the record kept before it, or an
// empty one, as Trust::Recovered; one of a later version an empty one as
// Trust::Newer. A line of the journal that cannot be read, cut short by a PSP
// pulled out while it was written, is passed over, as is an entry that names
// no file of the kind it should (see isTrackFile, isPlaylistFile).
SendRecord read(const VolumeRoot &root);
// Replaces the volume's record in one step, keeping the one it replaces
// beside it; its journal goes with it. A record that could not be read is
// first set aside under a dated name; one of a later version is never
// replaced (ENOTSUP).
Result<> write(const VolumeRoot &root, const SendRecord &record);

// A name a record may hold: one folder and one file below the music folder
// ("<album folder>/<file>"), or one file in the playlist folder. No step up,
// no separator of any system, drive, stream or control character.
bool isTrackFile(const QString &file);
bool isPlaylistFile(const QString &file);

// Whether the file listed is the one recorded, not a user's of that name:
// the same size and, when both know it, the same modification time, to the
// 2 s that FAT keeps and give or take whole hours of local time.
bool isRecordedFile(const RecordedTrack &track, const FolderEntry &file);

// An identity that the volume keeps, made the first time it is asked for,
// so two PSPs are told apart, as is a folder used as one. Empty when the
// volume has none and none can be written (a write-protected card).
QString volumeIdentity(const VolumeRoot &root);
// The identity the volume keeps, without making one: empty when it has none.
QString keptIdentity(const VolumeRoot &root);

} // namespace sendrecord
