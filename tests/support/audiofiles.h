#pragma once

#include <QMap>
#include <QString>

// Writes a short tone, the same in every channel, with FFmpeg's own
// encoders: "flac", "wav" (16-bit PCM), "mp3" or "mp4" (AAC and a frame of
// video), with the given tags (FFmpeg's keys: "title", "track"...); noise,
// the loudness of a hiss over it, makes it cost encoders as music does.
bool writeTone(const QString &path, const char *format, double seconds, int rate, int channels,
               const QMap<QString, QString> &tags = {}, double amplitude = 0.3, double noise = 0);

struct Decoded
{
    int rate = 0;
    int channels = 0;
    qint64 samples = 0; // decoded to the end
    double peak = 0;    // the largest sample, full scale being 1
};

// Decodes a whole file; rate 0 when it cannot be read.
Decoded decodeAll(const QString &path);
