#pragma once

#include <memory>
#include <QFuture>
#include <QHash>
#include <QObject>
#include <QStringList>

// Finds the entries of a playlist whose file is not on the PSP, in the
// background: a long playlist on slow media must not keep the window waiting.
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
    // Gives the check up without waiting for it: a medium that stopped
    // answering may hold it for long. It ends on its own, and whatever it
    // still finds is dropped.
    void cancel();

Q_SIGNALS:
    // Some more of the missing entries, each text once, with the number of
    // entries holding it.
    void found(const QHash<QString, int> &entries);
    void finished();

private:
    using Batch = std::shared_ptr<QHash<QString, int>>;
    QFuture<Batch> m_run;
};
