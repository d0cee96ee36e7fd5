#include "core/version.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The built program started as a terminal or a desktop starts it.
class TestProgramStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void laterStartHandsOver_data();
    void laterStartHandsOver();
};

namespace {

void start(QProcess &program, const QProcessEnvironment &environment, const QString &folder,
           const QStringList &arguments)
{
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.start(QString::fromLocal8Bit(ZARVELLO_EXECUTABLE), arguments);
}

} // namespace

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
    start(program, environment, QDir::tempPath(), {QString::fromLatin1(QTest::currentDataTag())});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);
    QTEST(QString::fromLocal8Bit(program.readLine()).trimmed(), "firstLine");
}

void TestProgramStart::laterStartHandsOver_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("unset");
    QTest::newRow("through the bus without a display")
        << QStringList{u"."_s} << QStringList{u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s};
    QTest::newRow("after Qt's options")
        << QStringList{u"-platform"_s, u"xcb"_s, u"."_s} << QStringList();
}

void TestProgramStart::laterStartHandsOver()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, unset);
    // A session of its own (the test runs on a bus of its own), and copies of
    // a PSP, each set up as a PSP in use once its playlist folder appears.
    QTemporaryDir session;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, session.path());
    const QDir here(session.path());
    for (const QString &copy : {u"one"_s, u"two"_s, u"three"_s})
        QVERIFY(here.mkpath(copy + u"/PSP"_s));
    QProcess first, later, next;
    start(first, environment, here.path(), {u"one"_s});
    QTRY_VERIFY_WITH_TIMEOUT(here.exists(u"one/PSP/PLAYLIST/MUSIC"_s), 20000);
    // What only sending music uses costs a start nothing.
    QFile maps(u"/proc/%1/maps"_s.arg(first.processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    for (const char *library : {"libavcodec", "libtag"})
        QVERIFY2(!mapped.contains(library), library);

    // Named relative to the later start's folder, taken by the running one.
    QProcessEnvironment laterEnvironment = environment;
    for (const QString &name : unset)
        laterEnvironment.remove(name);
    start(later, laterEnvironment, here.filePath(u"two"_s), arguments);
    QVERIFY(later.waitForFinished(20000));
    QCOMPARE(later.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(here.exists(u"two/PSP/PLAYLIST/MUSIC"_s), 20000);

    // A crash lets go of the name on the bus: the next start becomes the running one.
    first.kill();
    first.waitForFinished();
    start(next, environment, here.path(), {u"three"_s});
    QTRY_VERIFY_WITH_TIMEOUT(here.exists(u"three/PSP/PLAYLIST/MUSIC"_s), 20000);
    next.terminate();
    QVERIFY(next.waitForFinished(20000));
}

QTEST_GUILESS_MAIN(TestProgramStart)
#include "e2e_programstart.moc"
