#include "core/entry.h"
#include "platform/ansicodepage.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPlaylistEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entries_data();
    void entries();
    void filesOfEntries_data();
    void filesOfEntries();
    void unseenCharactersShowAMark_data();
    void unseenCharactersShowAMark();
};

void TestPlaylistEntry::entries_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("entry");
    QTest::newRow("album") << u"/media/psp/"_s << u"/media/psp/MUSIC/Album"_s << u"Song.mp3"_s
                           << u"\\MUSIC\\Album\\Song.mp3"_s;
    QTest::newRow("root folder") << u"/media/psp/"_s << u"/media/psp/"_s << u"a.mp3"_s
                                 << u"\\a.mp3"_s;
    QTest::newRow("root without its slash")
        << u"/media/psp"_s << u"/media/psp"_s << u"a.mp3"_s << u"\\a.mp3"_s;
    QTest::newRow("deep folder") << u"/media/psp/"_s << u"/media/psp/PSP/MUSIC/Live"_s
                                 << u"track01.mp3"_s << u"\\PSP\\MUSIC\\Live\\track01.mp3"_s;
    QTest::newRow("drive letter") << u"E:/"_s << u"E:/MUSIC/Rock/Live"_s << u"a.mp3"_s
                                  << u"\\MUSIC\\Rock\\Live\\a.mp3"_s;
    QTest::newRow("drive letter root") << u"E:/"_s << u"E:/"_s << u"a.mp3"_s << u"\\a.mp3"_s;
    QTest::newRow("system root") << u"/"_s << u"/MUSIC"_s << u"01 Intro.mp3"_s
                                 << u"\\MUSIC\\01 Intro.mp3"_s;
    QTest::newRow("spaces and accents") << u"/media/psp/"_s << u"/media/psp/MUSIC/Café del Mar"_s
                                        << u"Été.mp3"_s << u"\\MUSIC\\Café del Mar\\Été.mp3"_s;
}

void TestPlaylistEntry::entries()
{
    QFETCH(QString, root);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QTEST(playlistEntry(root, folder, file), "entry");
}

void TestPlaylistEntry::filesOfEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("track");
    QTest::addColumn<QString>("file");
    QTest::newRow("album") << u"\\MUSIC\\Album\\Song.mp3"_s << true
                           << u"/media/psp/MUSIC/Album/Song.mp3"_s;
    QTest::newRow("no leading backslash")
        << u"MUSIC\\a.mp3"_s << true << u"/media/psp/MUSIC/a.mp3"_s;
    QTest::newRow("slashes") << u"/MUSIC/a.mp3"_s << true << u"/media/psp/MUSIC/a.mp3"_s;
    QTest::newRow("off the volume") << u"\\..\\..\\etc\\passwd"_s << true << QString();
    QTest::newRow("comment") << u"#EXTM3U"_s << false << u"/media/psp/#EXTM3U"_s;
    QTest::newRow("blank") << u"  "_s << false << u"/media/psp/  "_s;
}

void TestPlaylistEntry::filesOfEntries()
{
    QFETCH(QString, entry);
    QTEST(namesTrack(entry), "track");
    QTEST(entryFilePath(u"/media/psp/"_s, entry), "file");
}

// A list shows a mark for each byte that no character of the code page explains.
void TestPlaylistEntry::unseenCharactersShowAMark_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    const QString mark(QChar::ReplacementCharacter);
    QTest::newRow("undefined in 1252")
        << 1252 << QByteArray("\\\x81\x8D\x90\x9D.mp3") << u"\\"_s + mark.repeated(4) + u".mp3"_s;
    QTest::newRow("one-way pair in 932") << 932 << QByteArray("\x87\x90nec") << mark + u"刃ec"_s;
    QTest::newRow("undefined in 932") << 932 << QByteArray::fromHex("8061") << mark + u"a"_s;
}

void TestPlaylistEntry::unseenCharactersShowAMark()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QTEST(withVisibleMarks(AnsiCodec(codePage).decode(bytes)), "shown");
}

QTEST_GUILESS_MAIN(TestPlaylistEntry)
#include "tst_playlistentry.moc"
