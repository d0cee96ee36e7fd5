#include "app/sessioninstance.h"

#include "app/sessionchannel.h"
#include "core/folderpath.h"
#include "core/modules.h"
#include "platform/sessionfolder.h"

#include <QEvent>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

// Loading Qt Network and what it brings takes a while.
const SessionChannel *channel()
{
    return static_cast<const SessionChannel *>(loadModule("zarvello_session"));
}

// How long overlapping starts wait for one another at most.
constexpr int turnTimeoutMs = 15000;

} // namespace

bool SessionInstance::handOver(const QString &place)
{
    const QString folder = platform::sessionFolder();
    if (folder.isEmpty())
        return false;
    m_name = folderpath::join(folder, u"zarvello"_s);
    // Starts that overlap take turns, so that exactly one of them becomes the
    // instance. A lock whose process has gone, after a crash, is taken over;
    // one held for longer than a start takes is not waited for.
    m_turn = std::make_unique<QLockFile>(m_name + u".lock"_s);
    m_turn->tryLock(turnTimeoutMs);
    // An instance keeps its lock for as long as it runs, however long that is.
    m_instance = std::make_unique<QLockFile>(m_name + u".instance"_s);
    m_instance->setStaleLockTime(0);
    if (m_instance->tryLock(0))
        return false;
    m_instance.reset();
    const SessionChannel *reached = channel();
    if (reached && reached->send(m_name, place))
        return true;
    // The instance no longer answers: this start takes its place.
    listen(reached);
    return false;
}

void SessionInstance::listenOnceShown(QWindow &window)
{
    // Only a start that became the instance still holds its turn.
    if (!m_turn)
        return;
    window.installEventFilter(this);
    // A window that opens where nobody sees it is never exposed; later starts
    // must not wait for it.
    QTimer::singleShot(std::chrono::seconds(1), this, &SessionInstance::loadChannel);
}

bool SessionInstance::eventFilter(QObject *watched, QEvent *event)
{
    auto *window = static_cast<QWindow *>(watched);
    if (event->type() == QEvent::Expose && window->isExposed()) {
        window->removeEventFilter(this);
        // After the window has drawn itself in answer to this event.
        QMetaObject::invokeMethod(this, &SessionInstance::loadChannel, Qt::QueuedConnection);
    }
    return false;
}

void SessionInstance::loadChannel()
{
    if (m_loading)
        return;
    m_loading = true;
    auto *loading = new QFutureWatcher<const SessionChannel *>(this);
    connect(loading, &QFutureWatcherBase::finished, this, [this, loading] {
        listen(loading->result());
        loading->deleteLater();
    });
    loading->setFuture(QtConcurrent::run(channel));
}

void SessionInstance::listen(const SessionChannel *channel)
{
    if (channel)
        channel->listen(m_name, this,
                        [this](const QString &place) { Q_EMIT placeRequested(place); });
    m_turn.reset();
}
