#include "core/computerplaylist.h"
#include "core/droppedfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void makeFile(const QString &path, const QByteArray &contents = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

class TestComputerPlaylist : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reading_data();
    void reading();
    void roundTrip_data();
    void roundTrip();
};

void TestComputerPlaylist::reading_data()
{
    QTest::addColumn<QString>("name");
    // "@" stands for the folder the playlist is in.
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("notFound");
    QTest::addColumn<QStringList>("streams");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("readable");

    const QString a = u"Music/a.mp3"_s;
    const QString b = u"Music/sub/b.mp3"_s;
    const QString e = u"Music/Café/é.mp3"_s;
    QTest::newRow("m3u: extended, relative, duplicates, comments, blank lines")
        << u"Mix.m3u"_s
        << "#EXTM3U\n#EXTINF:12,A - a\nMusic/a.mp3\n\n# note\n Music/a.mp3 \n"
           "http://radio.example/live\nmissing.mp3\n"_ba
        << QStringList{a, a} << QStringList{u"missing.mp3"_s}
        << QStringList{u"http://radio.example/live"_s} << u"Mix"_s << true;
    QTest::newRow("m3u8: byte-order mark, CR LF, backslashes")
        << u"Trip.m3u8"_s
        << "\xEF\xBB\xBFMusic/Caf\xC3\xA9/\xC3\xA9.mp3\r\nMusic\\sub\\b.mp3\r\n"_ba
        << QStringList{e, b} << QStringList() << QStringList() << u"Trip"_s << true;
    QTest::newRow("m3u: Latin-1, drive letters and root paths from Windows")
        << u"Win.m3u"_s
        << "C:\\Users\\me\\Music\\Caf\xE9\\\xE9.mp3\r\n\\Music\\a.mp3\r\nD:\\x\\gone.mp3\r\n"_ba
        << QStringList{e, a} << QStringList{u"D:\\x\\gone.mp3"_s} << QStringList() << u"Win"_s
        << true;
    QTest::newRow("m3u: absolute path, escaped file URI, title")
        << u"Abs.m3u"_s
        << "#PLAYLIST:Road trip\n@/Music/a.mp3\nfile://@/Music/Caf%C3%A9/%C3%A9.mp3\n"_ba
        << QStringList{a, e} << QStringList() << QStringList() << u"Road trip"_s << true;
    QTest::newRow("pls: Latin-1, Windows paths, stream, title")
        << u"Radio.pls"_s
        << "[playlist]\r\nFile1=Music\\a.mp3\r\nFile2=C:\\x\\Music\\sub\\b.mp3\r\n"
           "File3=http://radio.example/pls\r\nFile4=Music/Caf\xE9/\xE9.mp3\r\n"
           "NumberOfEntries=4\r\nX-GNOME-Title=Evening\r\nVersion=2\r\n"_ba
        << QStringList{a, b, e} << QStringList() << QStringList{u"http://radio.example/pls"_s}
        << u"Evening"_s << true;
    QTest::newRow("pls: byte-order mark")
        << u"Marked.pls"_s << "\xEF\xBB\xBF[playlist]\nFile1=Music/a.mp3\nNumberOfEntries=1\n"_ba
        << QStringList{a} << QStringList() << QStringList() << u"Marked"_s << true;
    QTest::newRow("xspf: title, relative, URI, Windows path, stream")
        << u"Shared.xspf"_s
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><title>Shared</title>"
           "<trackList><track><location>Music/sub/b.mp3</location></track>"
           "<track><location>file:///C:/Users/me/Music/Caf%C3%A9/%C3%A9.mp3</location></track>"
           "<track><location>C:\\Music\\a.mp3</location></track>"
           "<track><location>https://example.org/a.ogg</location></track>"
           "</trackList></playlist>"_ba
        << QStringList{b, e, a} << QStringList() << QStringList{u"https://example.org/a.ogg"_s}
        << u"Shared"_s << true;
    QTest::newRow("pls: out of order, numbers missing, any case, garbage")
        << u"Odd.pls"_s
        << "[Playlist]\nfile7=Music/sub/b.mp3\ngarbage\n=x\nFILE2=file://localhost@/Music/a.mp3\n"
           "Title1=A\nFilex=y\nNumberOfEntries=1\nFile1=Music/Caf\xC3\xA9/\xC3\xA9.mp3\n"_ba
        << QStringList{e, a, b} << QStringList() << QStringList() << u"Odd"_s << true;
    QTest::newRow("xspf: escaped relative reference, XML's own entities, alternatives")
        << u"Own.xspf"_s
        << "<playlist><title>R&amp;B &#x263A;</title><trackList><track><location>"
           "Music/Caf%C3%A9/%C3%A9.mp3</location><location>Music/a.mp3</location></track>"
           "<track/></trackList></playlist>"_ba
        << QStringList{e} << QStringList() << QStringList() << u"R&B \u263A"_s << true;
    // Entities that a DTD declares are never expanded, nor external ones read.
    const QByteArray track = "<playlist><trackList><track><location>&x;</location></track>"
                             "</trackList></playlist>";
    QTest::newRow("xspf: entities of a DTD")
        << u"Laughs.xspf"_s
        << "<!DOCTYPE playlist [<!ENTITY a \"Music/a.mp3\"><!ENTITY x \"&a;&a;&a;\">]>" + track
        << QStringList() << QStringList() << QStringList() << QString() << false;
    QTest::newRow("xspf: an external entity")
        << u"Passwd.xspf"_s
        << "<!DOCTYPE playlist [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" + track
        << QStringList() << QStringList() << QStringList() << QString() << false;
    QTest::newRow("xspf: an undeclared entity")
        << u"Undeclared.xspf"_s << track << QStringList() << QStringList() << QStringList()
        << QString() << false;
    QTest::newRow("not a playlist") << u"Broken.xspf"_s << "no XML here"_ba << QStringList()
                                    << QStringList() << QStringList() << u"Broken"_s << false;
}

void TestComputerPlaylist::reading()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, files);
    QTemporaryDir folder;
    for (const QString &track : {u"Music/a.mp3"_s, u"Music/sub/b.mp3"_s, u"Music/Café/é.mp3"_s})
        makeFile(folder.filePath(track));
    makeFile(folder.filePath(name), contents.replace('@', folder.path().toUtf8()));

    const Result<ComputerPlaylist> read = readComputerPlaylist(folder.filePath(name), 1252);
    QTEST(bool(read), "readable");
    if (!read)
        return;
    for (QString &file : files)
        file = folder.filePath(file);
    QCOMPARE(read->files, files);
    QTEST(read->notFound, "notFound");
    QTEST(read->streams, "streams");
    QTEST(read->name, "title");
}

void TestComputerPlaylist::roundTrip_data()
{
    QTest::addColumn<bool>("abovePsp");
    QTest::newRow("saved in a folder holding the PSP: relative paths") << true;
    QTest::newRow("saved elsewhere: absolute paths") << false;
}

void TestComputerPlaylist::roundTrip()
{
    QFETCH(bool, abovePsp);
    QTemporaryDir outer;
    QTemporaryDir elsewhere;
    const QString root = outer.filePath(u"psp/"_s);
    const QStringList entries{u"\\MUSIC\\Album\\01 Intro.mp3"_s, u"\\MUSIC\\Café\\été.mp3"_s,
                              u"\\MUSIC\\Album\\01 Intro.mp3"_s, u"\\MUSIC\\100%.mp3"_s};
    for (const QString &entry : entries)
        makeFile(root + entry.mid(1).replace(u'\\', u'/'));
    const QString copy = (abovePsp ? outer.path() : elsewhere.path()) + u"/Copy.m3u8"_s;
    const QByteArray bytes = computerPlaylistCopy(entries, root, QFileInfo(copy).path());
    makeFile(copy, bytes);
    QVERIFY(bytes.startsWith("#EXTM3U\n"));
    QCOMPARE(bytes.split('\n').at(1).startsWith('/'), !abovePsp);

    const Result<ComputerPlaylist> read = readComputerPlaylist(copy, 1252);
    QVERIFY(read);
    const DriveTracks drive(root);
    QStringList back;
    for (const QString &file : read->files) {
        const DriveTracks::Placed placed = drive.place(file);
        QCOMPARE(placed.place, DriveTracks::Place::Track);
        back.append(placed.entry);
    }
    QCOMPARE(back, entries);
}

QTEST_GUILESS_MAIN(TestComputerPlaylist)
#include "tst_computerplaylist.moc"
