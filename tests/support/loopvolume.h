#pragma once

#include <QString>
#include <QTemporaryDir>

// A real volume for tests: a small ext4 image, filled from a folder, mounted
// through a loop device. Mounting needs root.
class LoopVolume
{
public:
    // Why this machine cannot mount test volumes; empty when it can.
    static QString unavailableReason();

    // Makes the image; contents is a folder whose files the volume holds.
    explicit LoopVolume(const QString &contents = QString());
    ~LoopVolume();

    bool mount(const QString &mountPoint);
    bool unmount();
    // What the last failing command said.
    QString error() const { return m_error; }

private:
    bool run(const QString &program, const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_image;
    QString m_mountPoint;
    QString m_error;
};
