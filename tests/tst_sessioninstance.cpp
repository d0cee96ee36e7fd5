#include "app/frmmain.h"
#include "platform/sessioninstance.h"
#include "support/fakes.h"

#include <climits>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMessageBox>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

// The running window as other programs of the session call it.
class TestSessionInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void burstOfCalls();
    void refusedAddresses_data();
    void refusedAddresses();

private:
    QDBusMessage call(const QString &method, const QVariantList &arguments) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            id, u"/org/example/ZarvelloTest"_s, u"org.freedesktop.Application"_s, method);
        message.setArguments(arguments);
        return message;
    }

    const QString id = u"org.example.ZarvelloTest"_s;
    TestMainWindow m_window;
    platform::SessionInstance m_session{id};
    QDBusConnection m_caller =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"other program"_s);
    QStringList m_requested;
    const char *m_stackBase = nullptr;
    qptrdiff m_deepestStack = 0;
};

void TestSessionInstance::initTestCase()
{
    QVERIFY(!m_session.handOver(QString()));
    connect(&m_session, &platform::SessionInstance::requested, this, [this](const QString &uri) {
        const char here = 0;
        m_deepestStack = std::max<qptrdiff>(m_deepestStack, m_stackBase - &here);
        QVERIFY(QThread::currentThread()->loopLevel() <= 1);
        m_requested.append(uri);
        m_window->takeOverStart(uri);
    });
}

// Each call used to open a box inside the last one until the stack ran out:
// now all are answered, the window hears of a few, one notice tells the last.
void TestSessionInstance::burstOfCalls()
{
    constexpr int calls = 4000;
    const char base = 0;
    m_stackBase = &base;
    QEventLoop loop;
    int answered = 0;
    QString last;
    for (int i = 0; i < calls; ++i) {
        last = u"/nonexistent/folder %1"_s.arg(i);
        const QDBusPendingCall pending = m_caller.asyncCall(
            i % 3 == 1 ? call(u"Activate"_s, {QVariantMap()})
                       : call(u"Open"_s, {QStringList{u"file://"_s + last}, QVariantMap()}));
        connect(new QDBusPendingCallWatcher(pending, &loop), &QDBusPendingCallWatcher::finished,
                this, [&](QDBusPendingCallWatcher *watcher) {
                    QVERIFY(!watcher->isError());
                    if (++answered == calls)
                        loop.quit();
                });
    }
    loop.exec();

    QTRY_VERIFY(!m_requested.isEmpty() && m_requested.last() == u"file://"_s + last);
    QVERIFY2(m_requested.size() * 100 < calls, qPrintable(QString::number(m_requested.size())));
    QVERIFY2(m_deepestStack < 128 * 1024, qPrintable(QString::number(m_deepestStack)));
    // One notice, which says the last folder (read without its break opportunities).
    const auto notices = [this] {
        return m_window->findChildren<QMessageBox *>(u"notice"_s);
    };
    QTRY_VERIFY(notices().size() == 1 &&
                notices().first()->text().remove(QChar(0x200B)).contains(last));
    QVERIFY(notices().first()->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestSessionInstance::refusedAddresses_data()
{
    QTest::addColumn<QStringList>("uris");
    QTest::newRow("a megabyte") << QStringList{u"file:///"_s + QString(1 << 20, u'a')};
    QTest::newRow("longer than a path") << QStringList{u"file:///"_s + QString(PATH_MAX, u'a')};
    for (const QString &uri : {u"mtp://psp/x"_s, u"javascript:alert(1)"_s, u"data:text/plain,PSP"_s,
                               u"http://example.org/PSP"_s, u"/tmp"_s, u"file:PSP"_s})
        QTest::addRow("%s", qPrintable(uri)) << QStringList{uri};
    QTest::newRow("a newline in the path") << QStringList{u"file:///tmp/a%0Ab"_s};
    QTest::newRow("no address") << QStringList();
    QTest::newRow("too many") << QStringList(platform::SessionInstance::maxAddresses + 1,
                                             u"file:///tmp"_s);
}

// Refused at once, with an error the caller reads; the window hears nothing.
void TestSessionInstance::refusedAddresses()
{
    QFETCH(QStringList, uris);
    m_requested.clear();
    const QDBusMessage reply = m_caller.call(call(u"Open"_s, {uris, QVariantMap()}));
    QCOMPARE(reply.errorName(), u"org.freedesktop.DBus.Error.InvalidArgs"_s);
    m_caller.call(call(u"Activate"_s, {QVariantMap()}));
    QTRY_COMPARE(m_requested, QStringList{QString()});
}

QTEST_MAIN(TestSessionInstance)
#include "tst_sessioninstance.moc"
