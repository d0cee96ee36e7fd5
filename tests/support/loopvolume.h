#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One mount made with the system's mount command, for tests that need a
// bind or memory mount next to their volumes. Whatever it mounted is undone
// when it goes away, lazily if still busy, so a failing check leaves nothing
// mounted. Mounting needs root.
class Mount
{
public:
    Mount() = default;
    ~Mount();
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

    // Runs mount with these arguments followed by the mount point; one mount
    // at a time.
    bool mount(const QStringList &arguments, const QString &mountPoint);
    bool unmount();
    // What the last failing command said.
    QString error() const { return m_error; }

private:
    QString m_mountPoint;
    QString m_error;
};

// A real volume for tests: a small ext4 image, filled from a folder, mounted
// through a loop device. Mounting needs root.
class LoopVolume
{
public:
    // Why this machine cannot mount test volumes; empty when it can.
    static QString unavailableReason();

    // Makes the image; contents is a folder whose files the volume holds.
    explicit LoopVolume(const QString &contents = QString());

    bool mount(const QString &mountPoint);
    bool unmount();
    // What the last failing command said.
    QString error() const;

private:
    QTemporaryDir m_dir;
    QString m_image;
    // Why the image could not be made; empty when it was.
    QString m_imageError;
    // Declared after the folder holding the image, so it is unmounted first.
    Mount m_mount;
};
