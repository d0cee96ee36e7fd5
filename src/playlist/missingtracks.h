#pragma once

#include <atomic>
#include <memory>
#include <QObject>
#include <QStringList>
#include <thread>

// Finds the entries of a playlist whose file is not on the PSP, on a thread of
// its own: a long playlist on slow media must not keep the window waiting.
// The entries found arrive in batches as the check goes on.
class MissingTracks : public QObject
{
    Q_OBJECT
public:
    explicit MissingTracks(QObject *parent = nullptr);
    ~MissingTracks() override;

    // Checks the entries against the volume whose root is given; a check
    // still running is given up first.
    void check(const QString &driveRoot, const QStringList &entries);
    void cancel();

Q_SIGNALS:
    // Some more of the missing entries (each text once per batch).
    void found(const QStringList &entries);
    void finished();

private:
    std::thread m_thread;
    std::shared_ptr<std::atomic_bool> m_cancelled;
};
