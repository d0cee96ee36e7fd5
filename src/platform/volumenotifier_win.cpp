#include "platform/volumenotifier.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <windows.h>
// dbt.h uses the types of windows.h without including it.
#include <dbt.h>

namespace {

Q_LOGGING_CATEGORY(lcVolumes, "zarvello.volumes")

// Windows broadcasts WM_DEVICECHANGE for volumes to every top-level window, so
// no registration is needed: the program always has top-level windows, and
// watching the messages they receive is enough.
class DeviceChangeVolumeNotifier final : public VolumeNotifier, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    DeviceChangeVolumeNotifier()
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->installNativeEventFilter(this);
        else
            qCWarning(lcVolumes) << "no application to watch device messages through"
                                 << "- volumes plugged in will go unnoticed";
    }

    ~DeviceChangeVolumeNotifier() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message != WM_DEVICECHANGE || msg->lParam == 0)
            return false;
        const bool arrival = msg->wParam == DBT_DEVICEARRIVAL;
        if (!arrival && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
            return false;

        const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
        Notification notification{arrival, static_cast<int>(header->dbch_devicetype), 0, 0};
        if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
            const auto *volume = reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header);
            notification.deviceType = volumeDeviceType;
            notification.deviceId = static_cast<int>(volume->dbcv_unitmask);
            notification.deviceData = static_cast<int>(volume->dbcv_flags);
        }

        // One broadcast reaches each top-level window in turn; the copies that
        // the other windows receive straight after the first are the same event.
        if (m_lastWindow != nullptr && msg->hwnd != m_lastWindow &&
            notification == m_lastNotification)
            return false;
        m_lastWindow = msg->hwnd;
        m_lastNotification = notification;

        if (arrival)
            Q_EMIT deviceArrival(notification.deviceType, notification.deviceId, QString(),
                                 notification.deviceData);
        else
            Q_EMIT deviceRemoveComplete(notification.deviceType, notification.deviceId, QString(),
                                        notification.deviceData);
        // Other parts of the program may want the message too.
        return false;
    }

private:
    struct Notification
    {
        bool arrival = false;
        int deviceType = 0;
        int deviceId = 0;
        int deviceData = 0;

        friend bool operator==(const Notification &a, const Notification &b)
        {
            return a.arrival == b.arrival && a.deviceType == b.deviceType &&
                   a.deviceId == b.deviceId && a.deviceData == b.deviceData;
        }
    };

    HWND m_lastWindow = nullptr;
    Notification m_lastNotification;
};

} // namespace

std::unique_ptr<VolumeNotifier> VolumeNotifier::create()
{
    return std::make_unique<DeviceChangeVolumeNotifier>();
}

#include "volumenotifier_win.moc"
