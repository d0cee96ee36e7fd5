#pragma once

#include <QObject>
#include <QString>

namespace platform {

// Shows a notification on the desktop (org.freedesktop.Notifications on the
// session bus), for news that comes while the window is not looked at. With
// an action, it offers it as a button under key, where the desktop can.
// Returns the notification's id, 0 when the desktop shows none. Waits on the
// bus: not for the interface thread.
uint notifyDesktop(const QString &summary, const QString &body, const QString &action = {},
                   const QString &key = {});

// What the user does with a notification shown with this object's key: the
// key is made at random, so no other program of the session can choose the
// action for them by guessing a notification's id. Listening waits on
// nothing, so it is made on the interface thread, before the notification
// is shown.
class DesktopNoticeAnswers : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNoticeAnswers(QObject *parent = nullptr);

    QString key() const { return m_key; }
    // The notification shown, as notifyDesktop() returned it, so that its
    // closing is seen.
    void follow(uint id) { m_id = id; }

Q_SIGNALS:
    void chosen();
    void closed();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &key);
    void notificationClosed(uint id, uint reason);

private:
    QString m_key;
    uint m_id = 0;
};

} // namespace platform
