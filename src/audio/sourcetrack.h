#pragma once

#include "core/sendrecord.h"

#include <QByteArray>
#include <QString>

// What the tags of a source say, as far as names and new tags need them.
struct TrackTags
{
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString genre;
    QString year;
    int track = 0; // 0 when unknown
    int disc = 0;
    // How many the album has, 0 when unknown.
    int trackTotal = 0;
    int discTotal = 0;
};

// How a source reaches the PSP.
enum class SendMethod
{
    Copy,    // byte for byte: the PSP plays it as it is
    Convert, // decoded and encoded again in a format the PSP plays
    Refuse,  // not audio, or not readable
    // Its audio copied as it is, into a new file of what the PSP reads: tags
    // in ID3v2.3, a cover it shows, no video or other streams.
    Rewrite,
};

// A local file looked at before anything is sent.
struct SourceTrack
{
    QString path;
    SendMethod method = SendMethod::Refuse;
    // Why it is refused.
    enum class Refusal
    {
        None,
        Unreadable,
        NotAudio,
        TooLarge,
        Damaged, // its headers say what no recording can be
    } refusal = Refusal::None;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch, UTC
    double seconds = 0;
    // The extension a copy keeps on the PSP, without dot ("mp3", "m4a", "wav").
    QString copyExtension;
    TrackTags tags;
    // What a rewritten copy is expected to take: its audio and tags.
    qint64 rewrittenSize = 0;

    // The source as it was when it was looked at, as the record knows it.
    SourceIdentity identity() const { return {path, size, modified}; }
};

// Looks into a file the program opened and handed over (path only names
// it) with the decoder's libraries and decides how it is sent. Never changes
// the file. Runs in the audio helper, which alone links them.
SourceTrack probeSource(int file, const QString &path);
