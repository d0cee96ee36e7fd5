#pragma once

#include <memory>
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {

// One instance of the program per user session, found the way the desktop
// finds it: the first start becomes the session's instance; a later start
// hands the place it was given over to it and ends. Where the session offers
// no way to find the first (no session bus), two may run side by side; the
// PSP's writer lock still lets only one of them write to it at a time. On
// Linux the instance owns the program's name on the session bus and answers
// the desktop's org.freedesktop.Application calls.
class SessionInstance : public QObject
{
    Q_OBJECT
public:
    // id is the name the desktop knows the program by ("org.example.Zarvello").
    explicit SessionInstance(const QString &id);
    ~SessionInstance() override;

    // Hands uri (empty for none) over to the session's instance: true when it
    // answered, and this start has nothing left to do (refused() says whether
    // it took uri). Otherwise this start is the session's instance from now
    // on, or runs alone where the session offers no way to find one. Call it
    // before the application object exists: it needs no display.
    bool handOver(const QString &uri);
    // Why the session's instance refused the uri handed over, in a line;
    // empty when it took it.
    QString refused() const;

    // Of the addresses one request may carry the window opens the first; a
    // file manager may pass a few, never a long list.
    static constexpr int maxAddresses = 4;
    // Why the instance refuses a request to open uris before any work is
    // done for it, in a line for the program that asked; empty when it takes
    // it. Only folders of this computer are opened: file: addresses of
    // absolute paths no longer than the system allows.
    static QString refusal(const QStringList &uris);

Q_SIGNALS:
    // A later start, or the desktop, asks for the window: it comes to the
    // front and opens uri (empty for none). What the request carried to let
    // the window come forward, and to end the launcher's busy cursor, is
    // applied already. However many requests arrive, they come a few a
    // second at most, each in a turn of the event loop of its own.
    void requested(const QString &uri);

private:
    struct Listener;
    const QString m_id;
    std::unique_ptr<Listener> m_listener;
    QString m_refused;
};

} // namespace platform
