#pragma once

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

struct TestMainWindow;

// A folder standing in for a PSP's drive: the given folders (by default the
// "PSP" folder that marks one) plus the given files (paths relative to the
// root; each folder on the way is made).
class PspDrive
{
public:
    explicit PspDrive(const QStringList &files = {},
                      const QStringList &folders = {QStringLiteral("PSP")});

    // The root in folder form, with its trailing "/".
    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    void addFile(const QString &relative, const QByteArray &contents = {}) const;

    // Reports the drive as a newly attached volume to the window.
    void plugInto(TestMainWindow &window) const;

private:
    QTemporaryDir m_dir;
};

// The files below the music folder of the volume at root, by their paths
// below it ("<album>/<file>"), with their sizes: as the volume's record
// names them, and as they are there.
QMap<QString, qint64> recordedFiles(const QString &root);
QMap<QString, qint64> musicFiles(const QString &root);
