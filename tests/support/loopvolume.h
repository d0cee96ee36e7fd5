#pragma once

#include <cstdio>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// Moves this test process into a mount namespace of its own, once, so that
// the volumes it mounts are seen by nothing else on the machine (a running
// copy of the program among them) and mounts made elsewhere do not reach it.
// Returns why that is impossible here; empty when done. Call it before the
// first mount, before threads start where possible: only the calling thread
// and the processes it starts enter the namespace.
QString isolateMounts();

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
    bool detach();
    // What the last failing command said.
    QString error() const { return m_error; }

private:
    bool unmountWith(const QStringList &options);

    QString m_mountPoint;
    QString m_error;
};

// A real volume for tests: a small ext4 image, filled from a folder, mounted
// through a loop device. Mounting needs root, and is done in the test's own
// mount namespace (unavailableReason() moves the process there).
class LoopVolume
{
public:
    // Why this machine cannot mount test volumes; empty when it can.
    static QString unavailableReason();

    // Makes the image; contents is a folder whose files the volume holds.
    explicit LoopVolume(const QString &contents = QString(), int megabytes = 16);

    // readOnly: as a card whose switch is set to protect it.
    bool mount(const QString &mountPoint, bool readOnly = false);
    bool unmount();
    // Unmounts lazily, as the system does when a device is pulled out: the
    // mount point is bare at once, while what is open on the volume stays so.
    bool detach();
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

// The main of a test that mounts volumes: Test's functions run in an App,
// or the test tells the runner it was skipped (77) where volumes cannot be
// mounted.
template <typename App, typename Test> int runVolumeTest(int argc, char *argv[])
{
    App app(argc, argv);
    const QString reason = LoopVolume::unavailableReason();
    if (!reason.isEmpty()) {
        std::printf("SKIP: %s\n", qPrintable(reason));
        return 77;
    }
    Test test;
    return QTest::qExec(&test, argc, argv);
}
