#include "core/version.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString mainTitle = u"Zarvello v."_s;

// The titles of the program's windows on the X server, cut to the length of
// the main window's fixed part.
QStringList programWindows()
{
    QProcess xwininfo;
    xwininfo.start(u"xwininfo"_s, {u"-root"_s, u"-tree"_s});
    xwininfo.waitForFinished();
    QStringList titles;
    for (const QString &line :
         QString::fromLocal8Bit(xwininfo.readAllStandardOutput()).split(u'\n'))
        if (line.contains(u"(\"zarvello\" \"Zarvello\")"_s))
            titles.append(line.section(u'"', 1, 1).left(mainTitle.size()));
    titles.sort();
    return titles;
}

void start(QProcess &program, const QProcessEnvironment &environment,
           const QStringList &arguments = {})
{
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QDir::tempPath());
    program.start(QString::fromLocal8Bit(ZARVELLO_EXECUTABLE), arguments);
}

} // namespace

// The built program started as a terminal or a desktop starts it.
class TestProgramStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void laterStartHandsOver();
};

void TestProgramStart::answersWithoutDisplay_data()
{
    QTest::addColumn<QString>("firstLine");
    for (const char *option : {"--version", "-v"})
        QTest::newRow(option) << u"Zarvello "_s + version::numbers();
    for (const char *option : {"--help", "-h"})
        QTest::newRow(option) << u"Usage: zarvello [options] [folder]"_s;
}

void TestProgramStart::answersWithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    QProcess program;
    start(program, environment, {QString::fromLatin1(QTest::currentDataTag())});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);
    QTEST(QString::fromLocal8Bit(program.readLine()).trimmed(), "firstLine");
}

void TestProgramStart::laterStartHandsOver()
{
    // A session of its own, where no other Zarvello runs.
    QTemporaryDir session;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, session.path());
    QProcess first, later, next;
    start(first, environment);
    QTRY_COMPARE_WITH_TIMEOUT(programWindows(), QStringList{mainTitle}, 20000);

    // The running one gets the folder, and reports it missing in a box.
    start(later, environment, {u"missing"_s});
    QVERIFY(later.waitForFinished(20000));
    QCOMPARE(later.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(programWindows(), (QStringList{u"Zarvello"_s, mainTitle}), 20000);

    // A crash leaves its socket behind: the next start becomes the running one.
    first.kill();
    first.waitForFinished();
    start(next, environment);
    QTRY_COMPARE_WITH_TIMEOUT(programWindows(), QStringList{mainTitle}, 20000);
    next.terminate();
    QVERIFY(next.waitForFinished(20000));
}

QTEST_GUILESS_MAIN(TestProgramStart)
#include "e2e_programstart.moc"
