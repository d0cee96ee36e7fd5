#include "platform/requestgate.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Faster than anyone asks by hand, slow enough that a flood of requests
// costs the window a few turns of its loop a second.
constexpr qint64 intervalMs = 250;

} // namespace

RequestGate::RequestGate(Deliver deliver) : m_deliver(std::move(deliver)), m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RequestGate::release);
}

void RequestGate::take(const QString &uri, const QVariantMap &platformData)
{
    // An address waiting already brings the window forward.
    if (!uri.isEmpty() || !m_timer.isActive())
        m_uri = uri;
    m_platformData = platformData;
    if (m_timer.isActive())
        return;
    const qint64 since = m_lastReleased.isValid() ? m_lastReleased.elapsed() : intervalMs;
    m_timer.start(int(std::max<qint64>(0, intervalMs - since)));
}

void RequestGate::release()
{
    m_lastReleased.start();
    m_deliver(std::exchange(m_uri, {}), std::exchange(m_platformData, {}));
}

} // namespace platform
