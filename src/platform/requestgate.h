#pragma once

#include <functional>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

namespace platform {

// Lets the requests of other programs through to the window at a pace it can
// follow: the first at once, then at most one per interval, however many
// arrive. Of those that arrive meanwhile the last address wins, and
// activations while one waits are that one.
class RequestGate : public QObject
{
public:
    // Given a request let through, in the gate's thread.
    using Deliver = std::function<void(const QString &uri, const QVariantMap &platformData)>;

    explicit RequestGate(Deliver deliver);

    // A request already checked (SessionInstance::refusal): uri empty for an
    // activation; platformData what the desktop gave with it.
    void take(const QString &uri, const QVariantMap &platformData);

private:
    void release();

    const Deliver m_deliver;
    QTimer m_timer;
    QElapsedTimer m_lastReleased;
    QString m_uri;
    QVariantMap m_platformData;
};

} // namespace platform
