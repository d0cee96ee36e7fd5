#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAccessible>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// What a screen reader gets of the running program over the desktop's
// accessibility bus (AT-SPI), read by the same library Orca reads it with.
// with-atspi.sh gives this process a D-Bus session with that bus.
class TestScreenReader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void readsTheLists();
    void hearsTheSelectionMove();

private:
    void start(QProcess &reader, const QString &mode, const QStringList &names = {});
};

namespace {

// A connected window whose current playlist is a saved one, opened.
struct FilledWindow
{
    FilledWindow() : drive({u"MUSIC/1 One.mp3"_s, u"MUSIC/2 Two.mp3"_s, u"MUSIC/3 Three.mp3"_s})
    {
        drive.addFile(u"PSP/PLAYLIST/MUSIC/Road trip.m3u8"_s,
                      "\\MUSIC\\3 Three.mp3\r\n\\MUSIC\\1 One.mp3\r\n");
        drive.addFile(u"PSP/PLAYLIST/MUSIC/Quiet.m3u8"_s, "\\MUSIC\\2 Two.mp3\r\n");
        window->showCentred();
        drive.plugInto(window);
        window->controls().saved.File2->setSelectedPosition(1);
    }

    PspDrive drive;
    TestMainWindow window;
};

QJsonObject expected(const ListBox &list, const QString &role)
{
    QJsonArray selected;
    if (list.selectedPosition() >= 0)
        selected.append(list.selectedPosition());
    return {{u"role"_s, role},
            {u"items"_s, QJsonArray::fromStringList(list.items())},
            {u"selected"_s, selected}};
}

} // namespace

void TestScreenReader::initTestCase()
{
    // The desktop's bridge comes up once the accessibility bus answers.
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 20000);
}

void TestScreenReader::start(QProcess &reader, const QString &mode, const QStringList &names)
{
    reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reader.start(u"/usr/bin/python3"_s,
                 QStringList{QString::fromLocal8Bit(ZARVELLO_SCREEN_READER), mode,
                             QString::number(QCoreApplication::applicationPid())} +
                     names);
    QVERIFY(reader.waitForStarted());
}

void TestScreenReader::readsTheLists()
{
    FilledWindow filled;
    const MainWindowControls &c = filled.window->controls();
    QCOMPARE(c.playlist.List1->count(), 2);

    QProcess reader;
    start(reader, u"lists"_s,
          {u"Audio files stored on your PSP:"_s, u"Current playlist:"_s, u"Your playlists:"_s,
           u"Folders on your PSP"_s});
    // The program answers the reader from its event loop, kept running here.
    QTRY_COMPARE_WITH_TIMEOUT(reader.state(), QProcess::NotRunning, 60000);
    QCOMPARE(reader.exitCode(), 0);
    const QJsonObject lists = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();

    QCOMPARE(lists.value(u"Audio files stored on your PSP:"_s).toObject(),
             expected(*c.tracks.music, u"list"_s));
    QCOMPARE(lists.value(u"Current playlist:"_s).toObject(),
             expected(*c.playlist.List1, u"list"_s));
    QCOMPARE(lists.value(u"Your playlists:"_s).toObject(), expected(*c.saved.File2, u"list"_s));
    const QJsonObject folders = lists.value(u"Folders on your PSP"_s).toObject();
    QCOMPARE(folders.value(u"role"_s).toString(), u"tree"_s);
    QVERIFY(folders.value(u"items"_s).toArray().contains(u"MUSIC"_s));
}

void TestScreenReader::hearsTheSelectionMove()
{
    FilledWindow filled;
    ListBox &entries = *filled.window->controls().playlist.List1;

    QProcess reader;
    start(reader, u"selection"_s);
    QTRY_VERIFY_WITH_TIMEOUT(reader.canReadLine(), 30000);
    QCOMPARE(reader.readLine().trimmed(), QByteArray("ready"));
    entries.setSelectedPosition(1);
    QTRY_COMPARE_WITH_TIMEOUT(reader.state(), QProcess::NotRunning, 30000);
    QCOMPARE(QJsonDocument::fromJson(reader.readAllStandardOutput()).object(),
             (QJsonObject{{u"item"_s, entries.item(1)}, {u"list"_s, u"Current playlist:"_s}}));
}

int main(int argc, char *argv[])
{
    // As a desktop does while a screen reader runs.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    TestScreenReader test;
    return QTest::qExec(&test, argc, argv);
}

#include "e2e_screenreader.moc"
