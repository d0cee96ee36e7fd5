#include "platform/requestgate.h"
#include "platform/sessioninstance.h"
#include "platform/xcbatoms.h"

#include <cstring>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
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
void applyActivationToken(const QByteArray &token)
{
    if (token.isEmpty())
        return;
    if (const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        endStartup(x11->connection(), token);
    else if (QGuiApplication::platformName().startsWith(u"wayland"))
        // Qt's Wayland shell hands it to the compositor, and forgets it, the
        // next time a window asks to come to the front.
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

// Of what came with a request, the token alone, and only one of a
// plausible length: each 20 bytes of it are an event to the display.
QVariantMap activationOf(const QVariantMap &platformData)
{
    constexpr qsizetype tokenLimit = 1024;
    for (const QString &key : {u"activation-token"_s, u"desktop-startup-id"_s}) {
        const QByteArray token = platformData.value(key).toByteArray();
        if (!token.isEmpty())
            return token.size() <= tokenLimit ? QVariantMap{{key, token}} : QVariantMap();
    }
    return {};
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

// The desktop's org.freedesktop.Application, as the bus calls it. It lives
// in a thread of its own: every call is answered there at once, and the
// window hears only of those the gate lets through.
class ApplicationObject : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    explicit ApplicationObject(SessionInstance &instance)
        : m_gate([&instance](const QString &uri, const QVariantMap &platformData) {
              QMetaObject::invokeMethod(
                  &instance,
                  [&instance, uri, platformData] {
                      applyActivationToken(platformData.isEmpty()
                                               ? QByteArray()
                                               : platformData.first().toByteArray());
                      Q_EMIT instance.requested(uri);
                  },
                  Qt::QueuedConnection);
          })
    {
        m_gate.setParent(this);
    }

public Q_SLOTS:
    void Activate(const QVariantMap &platformData)
    {
        m_gate.take(QString(), activationOf(platformData));
    }
    void Open(const QStringList &uris, const QVariantMap &platformData)
    {
        if (const QString why = SessionInstance::refusal(uris); !why.isEmpty()) {
            sendErrorReply(QDBusError::InvalidArgs, why);
            return;
        }
        m_gate.take(uris.first(), activationOf(platformData));
    }
    // The program offers no actions: a call naming one changes nothing.
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &) {}

private:
    RequestGate m_gate;
};

// Listeners' threads made before the application object: its event loops
// need one, so they start with it. Calls meanwhile wait for them.
QList<QPointer<QThread>> &waitingThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

void startWaitingThreads()
{
    for (const QPointer<QThread> &thread : std::exchange(waitingThreads(), {})) {
        if (thread)
            thread->start();
    }
}

} // namespace

struct SessionInstance::Listener
{
    Listener(SessionInstance &instance, const QString &objectPath)
        : path(objectPath), object(new ApplicationObject(instance))
    {
        thread.setObjectName(u"session bus"_s);
        object->moveToThread(&thread);
        // Ended in its own thread, timer and all.
        QObject::connect(&thread, &QThread::finished, object, &QObject::deleteLater);
        if (QCoreApplication::instance()) {
            thread.start();
        } else {
            waitingThreads().append(&thread);
            qAddPreRoutine(startWaitingThreads);
        }
    }
    ~Listener()
    {
        QDBusConnection::sessionBus().unregisterObject(path);
        thread.quit();
        thread.wait();
        if (!thread.isFinished())
            delete object;
    }
    const QString path;
    QThread thread;
    ApplicationObject *const object;
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
    // name finds the object. Calls are answered in the listener's thread;
    // the window hears of them once its event loop runs.
    auto listener = std::make_unique<Listener>(*this, path);
    bus.registerObject(path, applicationInterface, listener->object,
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
        // It is there, and will not open what this start was given.
        if (QDBusError(reply).type() == QDBusError::InvalidArgs) {
            m_refused = reply.errorMessage();
            return true;
        }
        // An instance that let a call time out hangs: it is not asked again.
        if (QDBusError(reply).type() == QDBusError::NoReply)
            break;
        QThread::msleep(retryMs);
    }
    qCWarning(lcSession).noquote()
        << "The running Zarvello does not answer: this one runs alone -" << reply.errorMessage();
    return false;
}

} // namespace platform

#include "sessioninstance_linux.moc"
