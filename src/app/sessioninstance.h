#pragma once

#include <QLocalServer>
#include <QString>

class QLocalSocket;

// One Zarvello per user session. The first start becomes the session's
// instance and listens on a local socket in a folder that only the user
// reaches; a later start hands the place named on its command line over to it
// and ends, so that two windows never work on the same PSP.
class SessionInstance : public QObject
{
    Q_OBJECT
public:
    // Hands place (empty when none was named) over to the session's instance:
    // true when it took it, and this start has nothing left to do. Otherwise
    // this start becomes the session's instance.
    bool handOver(const QString &place);

Q_SIGNALS:
    // A later start asks for the window, with the place it was given (empty
    // for none).
    void placeRequested(const QString &place);

private:
    void listen(const QString &name);
    void receive(QLocalSocket *socket);

    QLocalServer m_server;
};
