#include "app/sessioninstance.h"

#include "core/folderpath.h"
#include "platform/sessionfolder.h"

#include <QLocalSocket>
#include <QLockFile>

using namespace Qt::StringLiterals;

namespace {

// A later start sends the place in UTF-8, ended by a NUL, which neither a path
// nor an address holds; the instance answers with one byte once it has it.
constexpr char endOfPlace = '\0';
constexpr char taken = '\1';
// Far beyond any path or address: more is not a place.
constexpr qsizetype longestPlace = 64 * 1024;
// An instance that leaves a start waiting this long no longer answers at all.
constexpr int answerTimeoutMs = 5000;

bool sendTo(const QString &name, const QString &place)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(place.toUtf8() + endOfPlace);
    char answer = 0;
    return socket.waitForBytesWritten(answerTimeoutMs) &&
           socket.waitForReadyRead(answerTimeoutMs) && socket.getChar(&answer) && answer == taken;
}

} // namespace

bool SessionInstance::handOver(const QString &place)
{
    const QString folder = platform::sessionFolder();
    if (folder.isEmpty())
        return false;
    const QString name = folderpath::join(folder, u"zarvello"_s);
    // Starts that overlap take turns, so that exactly one of them becomes the
    // instance. A lock whose process has gone, after a crash, is taken over;
    // one held for longer than a start takes is not waited for.
    QLockFile turn(name + u".lock"_s);
    turn.tryLock(3 * answerTimeoutMs);
    if (sendTo(name, place))
        return true;
    listen(name);
    return false;
}

void SessionInstance::listen(const QString &name)
{
    // Nobody answered: a socket still there was left by an instance that
    // crashed, or that hangs, and the next starts should find this one.
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name)) {
        qWarning("Later starts of Zarvello cannot reach this one: %s",
                 qPrintable(m_server.errorString()));
        return;
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection())
            receive(socket);
    });
}

void SessionInstance::receive(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        const QByteArray pending = socket->peek(socket->bytesAvailable());
        const qsizetype end = pending.indexOf(endOfPlace);
        if (end < 0) {
            if (pending.size() > longestPlace)
                socket->abort();
            return;
        }
        // One place per start: whatever follows is not read.
        socket->disconnect(this);
        socket->write(&taken, 1);
        socket->disconnectFromServer();
        Q_EMIT placeRequested(QString::fromUtf8(pending.left(end)));
    });
}
