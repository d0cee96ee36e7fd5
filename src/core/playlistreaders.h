#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// The playlist files that desktop music players keep, read into the tracks
// they list. Nothing here opens a file: a playlist's bytes, or the device
// they come from, are given.

struct ParsedPlaylist
{
    QString title;
    // As the playlist writes them: addresses (file:// ones included), and
    // paths, relative ones meant from the playlist's folder.
    QStringList locations;
    bool parsed = false; // false: not a playlist of that format
};

// Whether a location is an address: it starts with a scheme of two letters
// or more (one is a drive, as in "C:\Music").
bool isAddress(const QString &location);

// M3U and PLS are text: after a byte-order mark, in its encoding; else in
// UTF-8 where the bytes are valid UTF-8; else in the given ANSI code page, as
// players on Windows write it.
ParsedPlaylist readM3u(const QByteArray &bytes, int codePage);
ParsedPlaylist readPls(const QByteArray &bytes, int codePage);

// XSPF is XML, which says its own encoding. A document type declaration makes
// it "not a playlist": its entities would be expanded into the text, and a
// playlist has no use for one.
ParsedPlaylist readXspf(QIODevice &device);
