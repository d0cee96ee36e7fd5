#pragma once

#include "audio/conversion.h"
#include "audio/sourcetrack.h"

#include <QByteArray>
#include <QString>

// The cover for a converted track: the picture the source carries or, failing
// that, the picture file beside it that the program handed over open
// (coverFile, -1 for none); scaled to fit 500x500
// and encoded as a baseline JPEG, which the PSP shows. Empty when there is
// none or it cannot be read.
QByteArray coverFor(const QByteArray &embedded, int coverFile);

// Whether the PSP shows the picture as it is: a baseline JPEG of at most
// 500x500.
bool pspShowsCover(const QByteArray &picture);

// The tags written for a source: its own, and what its place says where
// they say nothing: the title from its file name and, without artist or
// album, the album and artist from its folders, as its album's folder on
// the PSP is named.
TrackTags tagsToWrite(TrackTags tags, const QString &sourcePath);

// Writes the tags and the cover (when not empty) into a converted or
// rewritten file, in place, instead of its own pictures: ID3v2.3 (UTF-16
// where a text is not Latin-1) and ID3v1 (spelled in Latin-1) for MP3, MP4
// atoms for AAC. False when the file is not one TagLib can tag or save.
bool tagFile(const QString &path, TargetFormat format, const TrackTags &tags,
             const QByteArray &coverJpeg);
