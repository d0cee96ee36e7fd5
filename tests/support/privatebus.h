#pragma once

#include <QProcess>
#include <QString>

// A session bus of the test's own, where no other program calls: started
// before the application object, which then finds it as the session's bus.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }

private:
    QProcess m_daemon;
    QString m_address;
};
