#pragma once

#include <memory>
#include <QLockFile>
#include <QObject>
#include <QString>

class QWindow;
struct SessionChannel;

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
    // this start becomes the session's instance, and listens once window is
    // on screen, or a second after it was shown at the latest.
    bool handOver(const QString &place);
    void listenOnceShown(QWindow &window);

Q_SIGNALS:
    // A later start asks for the window, with the place it was given (empty
    // for none).
    void placeRequested(const QString &place);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadChannel();
    void listen(const SessionChannel *channel);

    QString m_name;
    // Held while the instance runs: a start that cannot take it knows there is one.
    std::unique_ptr<QLockFile> m_instance;
    // Held until this start listens, so that overlapping starts take turns.
    std::unique_ptr<QLockFile> m_turn;
    bool m_loading = false;
};
