#include "app/frmmain.h"
#include "controls/messagebox.h"
#include "platform/sessioninstance.h"
#include "support/fakes.h"
#include "support/privatebus.h"

#include <climits>
#include <cstdio>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString id = u"org.example.ZarvelloTest"_s;

QDBusMessage call(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(id, u"/org/example/ZarvelloTest"_s,
                                                          u"org.freedesktop.Application"_s, method);
    message.setArguments(arguments);
    return message;
}

QDBusMessage open(const QStringList &uris)
{
    return call(u"Open"_s, {uris, QVariantMap()});
}

QDBusMessage activate()
{
    return call(u"Activate"_s, {QVariantMap()});
}

// Another program of the session, on a connection of its own.
QDBusConnection otherProgram()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"other program"_s);
}

} // namespace

// The running window as other programs of the session reach it.
class TestSessionInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void burstOfCalls();
    void refusedAddresses_data();
    void refusedAddresses();

private:
    TestMainWindow m_window;
    platform::SessionInstance m_session{id};
    QStringList m_requested;
    const char *m_stackBase = nullptr;
    qptrdiff m_deepestStack = 0;
    int m_deepestLoop = 0;
};

void TestSessionInstance::initTestCase()
{
    QVERIFY(!m_session.handOver(QString()));
    connect(&m_session, &platform::SessionInstance::requested, this, [this](const QString &uri) {
        const char here = 0;
        m_deepestStack = std::max<qptrdiff>(m_deepestStack, m_stackBase - &here);
        m_deepestLoop = std::max(m_deepestLoop, QThread::currentThread()->loopLevel());
        m_requested.append(uri);
        m_window->takeOverStart(uri);
    });
}

// Each call used to open a box of its own inside the last one, until the
// stack ran out: now they are answered at once, the window hears of a few,
// and one notice tells what came of the last.
void TestSessionInstance::burstOfCalls()
{
    constexpr int calls = 4000;
    const char base = 0;
    m_stackBase = &base;
    QDBusConnection caller = otherProgram();
    QEventLoop loop;
    int answered = 0;
    int refused = 0;
    QString last;
    for (int i = 0; i < calls; ++i) {
        last = u"/nonexistent/folder %1"_s.arg(i);
        const QDBusMessage message = i % 4 == 1   ? activate()
                                     : i % 4 == 2 ? open({u"mtp://psp/x"_s})
                                                  : open({u"file://"_s + last});
        auto *watcher = new QDBusPendingCallWatcher(caller.asyncCall(message), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [&, watcher] {
            refused += watcher->isError() ? 1 : 0;
            watcher->deleteLater();
            if (++answered == calls)
                loop.quit();
        });
    }
    int turns = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] { ++turns; });
    tick.start(0);
    loop.exec();
    tick.stop();

    QCOMPARE(refused, calls / 4);
    QVERIFY(turns > 0);
    QTRY_VERIFY(!m_requested.isEmpty() && m_requested.last() == u"file://"_s + last);
    QVERIFY2(m_requested.size() * 100 < calls, qPrintable(QString::number(m_requested.size())));
    QCOMPARE(m_deepestLoop, 1);
    QVERIFY2(m_deepestStack < 128 * 1024, qPrintable(QString::number(m_deepestStack)));
    // The notice says the last folder, as it reads: without its break opportunities.
    const auto told = [this] {
        const auto *notice = m_window->findChild<QMessageBox *>(u"notice"_s);
        return notice ? notice->text().remove(QChar(0x200B)) : QString();
    };
    QTRY_VERIFY(told().contains(last));
    const QList<QMessageBox *> notices = m_window->findChildren<QMessageBox *>(u"notice"_s);
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.first()->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(messagebox::takeShown().size(), m_requested.size());
}

void TestSessionInstance::refusedAddresses_data()
{
    QTest::addColumn<QStringList>("uris");
    QTest::newRow("a megabyte") << QStringList{u"file:///"_s + QString(1 << 20, u'a')};
    QTest::newRow("longer than a path") << QStringList{u"file:///"_s + QString(PATH_MAX, u'a')};
    QTest::newRow("mtp:") << QStringList{u"mtp://psp/x"_s};
    QTest::newRow("javascript:") << QStringList{u"javascript:alert(1)"_s};
    QTest::newRow("data:") << QStringList{u"data:text/plain,PSP"_s};
    QTest::newRow("http:") << QStringList{u"http://example.org/PSP"_s};
    QTest::newRow("a path alone") << QStringList{u"/tmp"_s};
    QTest::newRow("a relative path") << QStringList{u"file:PSP"_s};
    QTest::newRow("a newline in the path") << QStringList{u"file:///tmp/a%0Ab"_s};
    QTest::newRow("no address") << QStringList();
    QTest::newRow("too many") << QStringList(platform::SessionInstance::maxAddresses + 1,
                                             u"file:///tmp"_s);
}

// Refused at once, with an error the caller reads; the window hears nothing.
void TestSessionInstance::refusedAddresses()
{
    QFETCH(QStringList, uris);
    QDBusConnection caller = otherProgram();
    m_requested.clear();
    const QDBusMessage reply = caller.call(open(uris));
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), u"org.freedesktop.DBus.Error.InvalidArgs"_s);
    QCOMPARE(caller.call(activate()).type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE(m_requested, QStringList{QString()});
}

int main(int argc, char **argv)
{
    // Set up before the application object, which would find the session's own bus.
    const PrivateBus bus;
    if (!bus.isRunning()) {
        std::fputs("SKIP: no dbus-daemon to run a session bus\n", stderr);
        return 77;
    }
    QApplication app(argc, argv);
    TestSessionInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sessioninstance.moc"
