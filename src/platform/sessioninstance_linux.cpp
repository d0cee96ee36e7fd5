#include "platform/sessioninstance.h"
#include "platform/xcbatoms.h"

#include <cstring>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QThread>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcSession, "zarvello.session")

const QString applicationInterface = u"org.freedesktop.Application"_s;
// A later start that finds the name owned asks again for a while: the
// instance may have ended meanwhile, or not answer yet.
constexpr int attempts = 20;
constexpr unsigned long retryMs = 100;

// Where the desktop looks for the object of a name that it starts through the
// bus: "org.example.Zarvello" at "/org/example/Zarvello".
QString objectPath(const QString &id)
{
    return u'/' + QString(id).replace(u'.', u'/').replace(u'-', u'_');
}

// Tells the desktop that the start it announced under id has its window, as
// X11's startup notification has it: "remove", in pieces of 20 bytes sent to
// the root window, the last one ending with a NUL.
void endStartup(xcb_connection_t *connection, const QByteArray &id)
{
    const xcb_intern_atom_cookie_t asked[] = {xcbatoms::ask(connection, "_NET_STARTUP_INFO_BEGIN"),
                                              xcbatoms::ask(connection, "_NET_STARTUP_INFO")};
    QByteArray message = "remove: ID=";
    for (const char c : id) {
        if (c == ' ' || c == '"' || c == '\\')
            message += '\\';
        message += c;
    }
    message += '\0';
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = root;
    event.type = xcbatoms::read(connection, asked[0]);
    const xcb_atom_t continued = xcbatoms::read(connection, asked[1]);
    constexpr qsizetype piece = sizeof event.data.data8;
    for (qsizetype sent = 0; sent < message.size(); sent += piece) {
        const QByteArray part = message.mid(sent, piece).leftJustified(piece, '\0');
        std::memcpy(event.data.data8, part.constData(), piece);
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char *>(&event));
        event.type = continued;
    }
    xcb_flush(connection);
}

// The token a launcher gave with a request, for the window to come to the
// front and for the launcher to stop showing that the program starts.
void applyActivationToken(const QVariantMap &platformData)
{
    QByteArray token = platformData.value(u"activation-token"_s).toByteArray();
    if (token.isEmpty())
        token = platformData.value(u"desktop-startup-id"_s).toByteArray();
    if (token.isEmpty())
        return;
    if (const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        endStartup(x11->connection(), token);
    else if (QGuiApplication::platformName().startsWith(u"wayland"))
        // Qt's Wayland shell hands it to the compositor, and forgets it, the
        // next time a window asks to come to the front.
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

// The tokens the desktop gave this start, passed on to the instance's window.
QVariantMap activationData()
{
    QVariantMap data;
    for (const auto &[key, variable] : {std::pair{u"activation-token"_s, "XDG_ACTIVATION_TOKEN"},
                                        std::pair{u"desktop-startup-id"_s, "DESKTOP_STARTUP_ID"}}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            data.insert(key, value);
    }
    return data;
}

// The desktop's org.freedesktop.Application, as the bus calls it.
class ApplicationObject : public QObject
{
    Q_OBJECT
public:
    explicit ApplicationObject(SessionInstance &instance) : m_instance(instance) {}

public Q_SLOTS:
    void Activate(const QVariantMap &platformData) { request(QString(), platformData); }
    void Open(const QStringList &uris, const QVariantMap &platformData)
    {
        request(uris.value(0), platformData);
    }
    // The program offers no actions: a call naming one changes nothing.
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &) {}

private:
    void request(const QString &uri, const QVariantMap &platformData)
    {
        applyActivationToken(platformData);
        Q_EMIT m_instance.requested(uri);
    }

    SessionInstance &m_instance;
};

} // namespace

struct SessionInstance::Listener
{
    explicit Listener(SessionInstance &instance) : object(instance) {}
    ApplicationObject object;
};

SessionInstance::SessionInstance(const QString &id) : m_id(id) {}

SessionInstance::~SessionInstance() = default;

bool SessionInstance::handOver(const QString &uri)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcSession).noquote()
            << "No session bus: this Zarvello runs alone -" << bus.lastError().message();
        return false;
    }
    const QString path = objectPath(m_id);
    // Ready to answer before the name is taken: a later start that finds the
    // name finds the object. Calls wait for the event loop.
    auto listener = std::make_unique<Listener>(*this);
    bus.registerObject(path, applicationInterface, &listener->object,
                       QDBusConnection::ExportAllSlots);

    QDBusMessage request = QDBusMessage::createMethodCall(
        m_id, path, applicationInterface, uri.isEmpty() ? u"Activate"_s : u"Open"_s);
    if (!uri.isEmpty())
        request << QStringList{uri};
    request << activationData();
    // An instance that ended meanwhile is replaced by this start, not by one
    // the bus would start.
    request.setAutoStartService(false);
    QDBusMessage reply;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // Of starts that overlap, the bus gives the name to one alone.
        if (bus.registerService(m_id)) {
            m_listener = std::move(listener);
            return false;
        }
        reply = bus.call(request);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
        // An instance that let a call time out hangs: it is not asked again.
        if (QDBusError(reply).type() == QDBusError::NoReply)
            break;
        QThread::msleep(retryMs);
    }
    bus.unregisterObject(path);
    qCWarning(lcSession).noquote()
        << "The running Zarvello does not answer: this one runs alone -" << reply.errorMessage();
    return false;
}

} // namespace platform

#include "sessioninstance_linux.moc"
