#include "platform/displayplatform.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDisplayPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choice_data();
    void choice();
};

void TestDisplayPlatform::choice_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("expected");

    const QStringList desktop{u"XDG_SESSION_TYPE=wayland"_s, u"WAYLAND_DISPLAY=wayland-0"_s,
                              u"DISPLAY=:0"_s};
    const QByteArray throughX("xcb;wayland");
    QTest::newRow("Wayland desktop with X") << QStringList() << desktop << throughX;
    QTest::newRow("only WAYLAND_DISPLAY tells")
        << QStringList() << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s}
        << throughX;
    QTest::newRow("only the session type tells")
        << QStringList() << QStringList{u"XDG_SESSION_TYPE=wayland"_s, u"DISPLAY=:0"_s} << throughX;
    QTest::newRow("no X server") << QStringList()
                                 << QStringList{u"XDG_SESSION_TYPE=wayland"_s,
                                                u"WAYLAND_DISPLAY=wayland-0"_s}
                                 << QByteArray();
    QTest::newRow("empty DISPLAY")
        << QStringList() << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY="_s}
        << QByteArray();
    QTest::newRow("X desktop") << QStringList()
                               << QStringList{u"XDG_SESSION_TYPE=x11"_s, u"DISPLAY=:0"_s}
                               << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM")
        << QStringList() << desktop + QStringList{u"QT_QPA_PLATFORM=wayland"_s} << QByteArray();
    QTest::newRow("empty QT_QPA_PLATFORM")
        << QStringList() << desktop + QStringList{u"QT_QPA_PLATFORM="_s} << throughX;
    QTest::newRow("-platform NAME")
        << QStringList{u"-platform"_s, u"wayland"_s} << desktop << QByteArray();
    QTest::newRow("--platform NAME")
        << QStringList{u"--platform"_s, u"wayland"_s} << desktop << QByteArray();
    QTest::newRow("-platform=NAME")
        << QStringList{u"-platform=wayland"_s} << desktop << QByteArray("wayland");
    QTest::newRow("--platform=NAME over QT_QPA_PLATFORM")
        << QStringList{u"--platform=offscreen"_s}
        << desktop + QStringList{u"QT_QPA_PLATFORM=wayland"_s} << QByteArray("offscreen");
    QTest::newRow("-platform= names none")
        << QStringList{u"-platform="_s} << desktop << QByteArray();
    QTest::newRow("-platform without a name") << QStringList{u"-platform"_s} << desktop << throughX;
    QTest::newRow("-platformtheme")
        << QStringList{u"-platformtheme"_s, u"gtk3"_s} << desktop << throughX;
}

void TestDisplayPlatform::choice()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, expected);
#ifdef Q_OS_WIN
    expected.clear(); // Windows has nothing to choose
#endif
    QProcessEnvironment variables;
    for (const QString &variable : environment) {
        const qsizetype equals = variable.indexOf(u'=');
        variables.insert(variable.left(equals), variable.mid(equals + 1));
    }
    QCOMPARE(platform::displayPlatformFor(QStringList{u"zarvello"_s} + arguments, variables),
             expected);
}

QTEST_GUILESS_MAIN(TestDisplayPlatform)
#include "tst_displayplatform.moc"
