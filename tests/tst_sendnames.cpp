#include "core/sendnames.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Where a sent track lands below the music folder: "<album folder>/<file>".
class TestSendNames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void place_data();
    void place();
};

void TestSendNames::place_data()
{
    QTest::addColumn<QString>("albumArtist");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("album");
    QTest::addColumn<int>("track");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("source"); // folder/file.ext on the computer
    QTest::addColumn<QString>("placed");
    const QString none;
    const QString longTitle(300, u'x');

    QTest::newRow("album artist first") << u"Various"_s << u"Ann"_s << u"Hits"_s << 3 << u"Song"_s
                                        << u"d/f.flac"_s << u"Various - Hits/03 Song.mp3"_s;
    QTest::newRow("artist when no album artist") << none << u"Ann"_s << u"Hits"_s << 12 << u"Song"_s
                                                 << u"d/f.flac"_s << u"Ann - Hits/12 Song.mp3"_s;
    QTest::newRow("album alone") << none << none << u"Hits"_s << 0 << u"Song"_s << u"d/f.flac"_s
                                 << u"Hits/Song.mp3"_s;
    QTest::newRow("no tags: the source's names")
        << none << none << none << 0 << none << u"Old Disc/07 - tune.flac"_s
        << u"Old Disc/07 - tune.mp3"_s;
    QTest::newRow("characters FAT refuses")
        << none << u"A/C*D"_s << u"Live: \"1\" <2>?"_s << 1 << u"a\\b|c\td"_s << u"d/f.flac"_s
        << u"A_C_D - Live_ _1_ _2__/01 a_b_c_d.mp3"_s;
    QTest::newRow("dots and spaces at the ends")
        << none << none << u" ..Hits. "_s << 2 << u"Song... "_s << u"d/f.flac"_s
        << u"Hits/02 Song.mp3"_s;
    QTest::newRow("no hidden names") << none << none << u". .Hits"_s << 0 << u"  .hidden"_s
                                     << u"d/f.flac"_s << u"Hits/hidden.mp3"_s;
    QTest::newRow("no hidden source folder name")
        << none << none << none << 0 << none << u".d/f.flac"_s << u"d/f.mp3"_s;
    QTest::newRow("dot-dot cannot climb")
        << none << none << u".."_s << 0 << u".."_s << u"../f.flac"_s << u"Music/f.mp3"_s;
    QTest::newRow("nothing left at all")
        << none << none << u"   "_s << 0 << u" . "_s << u"/.flac"_s << u"Music/Track.mp3"_s;
    QTest::newRow("255 units, extension kept")
        << none << none << u"Hits"_s << 0 << longTitle << u"d/f.flac"_s
        << u"Hits/"_s + QString(251, u'x') + u".mp3"_s;
    QTest::newRow("a character is never split")
        << none << none << u"Hits"_s << 0 << QString(250, u'x') + u"😀😀"_s << u"d/f.flac"_s
        << u"Hits/"_s + QString(250, u'x') + u".mp3"_s;
}

void TestSendNames::place()
{
    QFETCH(QString, albumArtist);
    QFETCH(QString, artist);
    QFETCH(QString, album);
    QFETCH(int, track);
    QFETCH(QString, title);
    QFETCH(QString, source);
    const qsizetype slash = source.lastIndexOf(u'/');
    const QString folder = source.left(slash).section(u'/', -1);
    const QString base = source.mid(slash + 1).section(u'.', 0, 0);
    QTEST(sendnames::albumFolder(albumArtist, artist, album, folder) + u'/' +
              sendnames::trackFile(track, title, base, u"mp3"_s),
          "placed");
}

QTEST_APPLESS_MAIN(TestSendNames)
#include "tst_sendnames.moc"
