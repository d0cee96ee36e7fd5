#include "browser/filebrowse.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <cstdio>
#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Where the browser's frame stands from the main window's frame: 3825 twips
// to the left, 850 twips down.
const QPoint browserOffset(-255, 57);

// A window manager that puts frames around the windows, as on a desktop.
class WindowManager
{
public:
    WindowManager()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // It says when it has started by running a command; a window mapped
        // before then may be left unmanaged, never shown.
        m_process.start(u"openbox"_s, {u"--sm-disable"_s, u"--startup"_s,
                                       u"touch "_s + m_started.filePath(u"started"_s)});
    }
    ~WindowManager()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }

    // Empty once it manages the display's windows, or why it does not.
    QString unavailableReason()
    {
        if (!m_process.waitForStarted())
            return u"openbox could not start: "_s + m_process.errorString();
        const QString started = m_started.filePath(u"started"_s);
        if (QTest::qWaitFor(
                [&] { return m_process.state() != QProcess::Running || QFile::exists(started); },
                20000) &&
            m_process.state() == QProcess::Running)
            return {};
        return u"openbox does not manage the display: "_s +
               QString::fromLocal8Bit(m_process.readAll()).trimmed();
    }

private:
    QTemporaryDir m_started;
    QProcess m_process;
};

} // namespace

class TestBrowserPlacement : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensBesideTheMainWindow();
};

void TestBrowserPlacement::opensBesideTheMainWindow()
{
    PspDrive drive({u"MUSIC/1 One.mp3"_s});
    TestMainWindow window;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    QTRY_VERIFY_WITH_TIMEOUT(window->frameGeometry() != window->geometry(), 20000);
    drive.plugInto(window);

    // The first opening, and one after the browser was closed.
    QPoint mainCorner(400, 200);
    for (int opening = 1; opening <= 2; ++opening) {
        window->move(mainCorner);
        QTRY_COMPARE_WITH_TIMEOUT(window->pos(), mainCorner, 20000);

        QTest::mouseClick(window->controls().tracks.Command6, Qt::LeftButton);
        FileBrowse *browser = window->forms().loadedBrowser();
        QVERIFY(browser && browser->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(browser));
        QTRY_VERIFY_WITH_TIMEOUT(browser->frameGeometry() != browser->geometry(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(browser->pos(), mainCorner + browserOffset, 20000);

        // And it follows the main window.
        mainCorner += QPoint(30, 20);
        window->move(mainCorner);
        QTRY_COMPARE_WITH_TIMEOUT(window->pos(), mainCorner, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(browser->pos(), mainCorner + browserOffset, 20000);

        browser->end->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WindowManager manager;
    const QString reason = manager.unavailableReason();
    if (!reason.isEmpty()) {
        std::printf("SKIP: %s\n", qPrintable(reason));
        return 77;
    }
    TestBrowserPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "e2e_browserplacement.moc"
