#include "app/sessionchannel.h"

#include "core/modules.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {

// A later start sends the place in UTF-8, ended by a NUL, which neither a path
// nor an address holds; the instance answers with one byte once it has it.
constexpr char endOfPlace = '\0';
constexpr char taken = '\1';
// Far beyond any path or address: more is not a place.
constexpr qsizetype longestPlace = 64 * 1024;
// An instance that leaves a start waiting this long no longer answers at all.
constexpr int answerTimeoutMs = 5000;

bool send(const QString &name, const QString &place)
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

void receive(QLocalSocket *socket, const std::function<void(const QString &)> &received)
{
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
        const QByteArray pending = socket->peek(socket->bytesAvailable());
        const qsizetype end = pending.indexOf(endOfPlace);
        if (end < 0) {
            if (pending.size() > longestPlace)
                socket->abort();
            return;
        }
        // One place per start: whatever follows is not read.
        QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        socket->write(&taken, 1);
        socket->disconnectFromServer();
        received(QString::fromUtf8(pending.left(end)));
    });
}

bool listen(const QString &name, QObject *owner,
            const std::function<void(const QString &)> &received)
{
    // Nobody answered: a socket still there was left by an instance that
    // crashed, or that hangs, and the next starts should find this one.
    QLocalServer::removeServer(name);
    auto *server = new QLocalServer(owner);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        qWarning("Later starts of Zarvello cannot reach this one: %s",
                 qPrintable(server->errorString()));
        delete server;
        return false;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server, received] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            receive(socket, received);
    });
    return true;
}

} // namespace

const void *zarvelloModule()
{
    static const SessionChannel channel{send, listen};
    return &channel;
}
