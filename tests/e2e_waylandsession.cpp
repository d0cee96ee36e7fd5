#include "browser/filebrowse.h"
#include "controls/dirlistbox.h"
#include "platform/displayplatform.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// A Wayland desktop: with-weston.sh runs a headless weston (WAYLAND_DISPLAY)
// and Xvfb stands in for XWayland. The built program is started the way the
// desktop starts it; this process itself runs where no X server is.
class TestWaylandSession : public QObject
{
    Q_OBJECT
public:
    explicit TestWaylandSession(const QString &xDisplay) : m_xDisplay(xDisplay) {}

private Q_SLOTS:
    void opensThroughX();
    void userChoiceWins();
    void browserWithoutX();

private:
    QProcessEnvironment desktop() const;
    QStringList programWindowsOnX() const;

    QString m_xDisplay;
};

namespace {

// The built program, ended when the test is done with it.
struct Program
{
    explicit Program(const QProcessEnvironment &environment)
    {
        process.setProcessEnvironment(environment);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QString::fromLocal8Bit(ZARVELLO_EXECUTABLE), QStringList());
    }
    ~Program()
    {
        process.terminate();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished();
    }
    QString messages() { return QString::fromLocal8Bit(process.readAllStandardError()); }

    QProcess process;
};

QStringList logged;
QtMessageHandler previousHandler = nullptr;

void recordWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        logged.append(message);
    previousHandler(type, context, message);
}

} // namespace

QProcessEnvironment TestWaylandSession::desktop() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    environment.insert(u"DISPLAY"_s, m_xDisplay);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    return environment;
}

// The program's shown windows on the X server, found by their title.
QStringList TestWaylandSession::programWindowsOnX() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DISPLAY"_s, m_xDisplay);
    const auto xwininfo = [&](const QStringList &arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(u"xwininfo"_s, arguments);
        process.waitForFinished();
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
    QStringList shown;
    const QStringList tree = xwininfo({u"-root"_s, u"-tree"_s}).split(u'\n');
    for (const QString &line : tree) {
        if (!line.contains(u"\"Zarvello v."_s))
            continue;
        const QString id = line.trimmed().section(u' ', 0, 0);
        if (xwininfo({u"-id"_s, id}).contains(u"Map State: IsViewable"_s))
            shown.append(id);
    }
    return shown;
}

void TestWaylandSession::opensThroughX()
{
    Program program(desktop());
    QTRY_VERIFY2_WITH_TIMEOUT(!programWindowsOnX().isEmpty(), qPrintable(program.messages()),
                              20000);
}

void TestWaylandSession::userChoiceWins()
{
    QProcessEnvironment environment = desktop();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
    // The Wayland library then logs every request, the window's title included.
    environment.insert(u"WAYLAND_DEBUG"_s, u"client"_s);
    Program program(environment);
    QString requests;
    QTRY_VERIFY_WITH_TIMEOUT(
        (requests += program.messages()).contains(u".set_title(\"Zarvello v."_s), 20000);
    QCOMPARE(programWindowsOnX(), QStringList());
}

void TestWaylandSession::browserWithoutX()
{
    QCOMPARE(QGuiApplication::platformName(), u"wayland"_s);
    PspDrive drive({u"MUSIC/1 One.mp3"_s});
    TestMainWindow window;
    window->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    drive.plugInto(window);

    logged.clear();
    previousHandler = qInstallMessageHandler(recordWarnings);
    QTest::mouseClick(window->controls().tracks.Command6, Qt::LeftButton);
    FileBrowse *browser = window->forms().loadedBrowser();
    QVERIFY(browser && browser->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    // Each move of the main window places the browser again.
    for (int step = 1; step <= 3; ++step)
        window->move(window->pos() + QPoint(20, 10));
    window->PositionMediaBrowser();
    browser->end->trigger();
    QCoreApplication::processEvents();
    qInstallMessageHandler(previousHandler);

    QVERIFY(!window->forms().loadedBrowser());
    QVERIFY(window->controls().tracks.Command6->isVisible());
    QVERIFY2(logged.isEmpty(), qPrintable(logged.join(u'\n')));
}

int main(int argc, char *argv[])
{
    // The program started by the tests reaches the X server; this process
    // starts as the program does on a Wayland desktop without one.
    const QString xDisplay = qEnvironmentVariable("DISPLAY");
    qunsetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("XDG_SESSION_TYPE", "wayland");
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    TestWaylandSession test(xDisplay);
    return QTest::qExec(&test, argc, argv);
}

#include "e2e_waylandsession.moc"
