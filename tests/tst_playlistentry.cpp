#include "core/entry.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPlaylistEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entries_data();
    void entries();
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

QTEST_GUILESS_MAIN(TestPlaylistEntry)
#include "tst_playlistentry.moc"
