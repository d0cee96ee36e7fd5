#include "transfer/sendplan.h"

#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

// Where sent tracks land below the music folder: "<album folder>/<file>".
class TestSendNames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void place_data();
    void place();
    void besideWhatIsThere_data();
    void besideWhatIsThere();
};

// A file to convert, with these tags.
SourceTrack source(const QString &path, const QString &artist = {}, const QString &album = {},
                   const QString &title = {}, int track = 0, int disc = 0, int discs = 0,
                   const QString &albumArtist = {})
{
    const TrackTags tags{title, artist, album, albumArtist, {}, {}, track, disc, 0, discs};
    return {path, SendMethod::Convert, {}, 0, 0, 0, {}, tags};
}

void TestSendNames::place_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QList<SourceTrack>>("sources");
    QTest::addColumn<QStringList>("placed");
    const QString no;
    const QString f = u"/d/f.flac"_s;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString hits = u"Ann - Hits/"_s;
    const SourceTrack book = source(f, u"夜遊び楽団"_s, u"THE BOOK 📖"_s, u"Été à 東京 🌙"_s, 1);

    QTest::newRow("album artist first")
        << 1252 << QList{source(f, u"Ann"_s, u"Hits"_s, u"S"_s, 0, 0, 0, u"Various"_s)}
        << QStringList{u"Various - Hits/S.mp3"_s};
    QTest::newRow("artist, track number")
        << 1252 << QList{source(f, u"Ann"_s, u"Hits"_s, u"S"_s, 3)}
        << QStringList{hits + u"03 S.mp3"_s};
    QTest::newRow("album alone") << 1252 << QList{source(f, no, u"Hits"_s, u"S"_s)}
                                 << QStringList{u"Hits/S.mp3"_s};
    QTest::newRow("discs apart") << 1252
                                 << QList{source(f, u"Ann"_s, u"Hits"_s, u"Intro"_s, 1, 1),
                                          source(f, u"Ann"_s, u"Hits"_s, u"Intro"_s, 1, 2)}
                                 << QStringList{hits + u"1-01 Intro.mp3"_s,
                                                hits + u"2-01 Intro.mp3"_s};
    QTest::newRow("one of two discs")
        << 1252 << QList{source(f, u"Ann"_s, u"Hits"_s, u"Intro"_s, 1, 1, 2)}
        << QStringList{hits + u"1-01 Intro.mp3"_s};
    QTest::newRow("Western code page")
        << 1252 << QList{book}
        << QStringList{u"ye youbi le tuan - THE BOOK/01 Été à dong jing.mp3"_s};
    QTest::newRow("Japanese code page")
        << 932 << QList{book} << QStringList{u"夜遊び楽団 - THE BOOK/01 Ete a 東京.mp3"_s};
    QTest::newRow("case-blind collisions")
        << 1252 << QList{source(f, u"A"_s, u"B"_s, u"S"_s), source(f, u"a"_s, u"b"_s, u"s"_s)}
        << QStringList{u"A - B/S.mp3"_s, u"A - B/s (2).mp3"_s};
    QTest::newRow("no album: artist and folder")
        << 1252
        << QList{source(u"/m/Demos/f.flac"_s, u"Ann"_s), source(u"/m/ann/f.flac"_s, u"Ann"_s),
                 source(u"/m/Ann - Live/f.flac"_s, u"Ann"_s)}
        << QStringList{u"Ann - Demos/f.mp3"_s, u"Ann - Music/f.mp3"_s, u"Ann - Live/f.mp3"_s};
    QTest::newRow("no tags: the source's folders and name")
        << 1252
        << QList{source(u"/m/Ann/Hits/07 - a.flac"_s), source(u"/Old/07 - a.flac"_s),
                 source(music + u"/Hits/b.flac"_s)}
        << QStringList{u"Ann - Hits/07 - a.mp3"_s, u"Old/07 - a.mp3"_s, u"Hits/b.mp3"_s};
    QTest::newRow("characters FAT refuses")
        << 1252 << QList{source(f, u"A/C*D"_s, u"Live: \"1\" <2>?"_s, u"a\\b|c\td"_s, 1)}
        << QStringList{u"A_C_D - Live_ _1_ _2__/01 a_b_c_d.mp3"_s};
    QTest::newRow("dots and spaces at the ends")
        << 1252 << QList{source(f, no, u" ..Hits. "_s, u". Song... "_s)}
        << QStringList{u"Hits/Song.mp3"_s};
    QTest::newRow("no hidden names")
        << 1252 << QList{source(f, no, u". .Hits"_s, u"  .hidden"_s), source(u"/.d/f.flac"_s)}
        << QStringList{u"Hits/hidden.mp3"_s, u"d/f.mp3"_s};
    QTest::newRow("dot-dot cannot climb")
        << 1252 << QList{source(u"/x/../f.flac"_s, no, u".."_s, u".."_s)}
        << QStringList{u"Music/f.mp3"_s};
    QTest::newRow("nothing left at all")
        << 1252 << QList{source(u"/.flac"_s, no, u"   "_s, u" . "_s)}
        << QStringList{u"Music/Track.mp3"_s};
    QTest::newRow("255 units, extension kept")
        << 1252 << QList{source(f, no, u"Hits"_s, QString(300, u'x'))}
        << QStringList{u"Hits/"_s + QString(251, u'x') + u".mp3"_s};
    QTest::newRow("emoji left out before the cut")
        << 932 << QList{source(f, no, u"Hits"_s, QString(250, u'x') + u"東😀"_s)}
        << QStringList{u"Hits/"_s + QString(250, u'x') + u"東.mp3"_s};
}

void TestSendNames::place()
{
    QFETCH(int, codePage);
    QFETCH(QList<SourceTrack>, sources);
    QStringList placed;
    for (const PlannedTrack &track : planSend(sources, {}, TargetFormat::Mp3, codePage).tracks)
        placed.append(track.folder + u'/' + track.fileName);
    QTEST(placed, "placed");
}

// Only the record makes a file a source's: what it says "Ann - Hits/01 S" (1000
// bytes) is, what changed since (1: the file, 2: the source); " =": already there.
void TestSendNames::besideWhatIsThere_data()
{
    QTest::addColumn<QString>("recorded");
    QTest::addColumn<int>("changed");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("placed");
    QTest::newRow("another's file") << QString() << 0 << false << u"01 S (2).mp3"_s;
    QTest::newRow("recorded, there") << u"mp3 V2"_s << 0 << false << u"01 S.mp3 ="_s;
    QTest::newRow("its bytes changed") << u"mp3 V2"_s << 1 << false << u"01 S (2).mp3"_s;
    QTest::newRow("there as AAC") << u"aac 192"_s << 0 << false << u"01 S.m4a ="_s;
    QTest::newRow("AAC replaced") << u"aac 192"_s << 0 << true
                                  << u"01 S.mp3 < Ann - Hits/01 S.m4a"_s;
    QTest::newRow("source changed")
        << u"mp3 V2"_s << 2 << false << u"01 S.mp3 < Ann - Hits/01 S.mp3"_s;
}

void TestSendNames::besideWhatIsThere()
{
    QFETCH(QString, recorded);
    QFETCH(int, changed);
    QFETCH(bool, replace);
    const QString file = u"Ann - Hits/01 S."_s + (recorded.startsWith(u'a') ? u"m4a"_s : u"mp3"_s);
    MusicListing psp;
    psp.entries = {{{u"Ann - Hits"_s, VolumeRoot::Kind::Folder},
                    {{file.mid(11), VolumeRoot::Kind::File, false, 1000}}}};
    if (!recorded.isEmpty())
        psp.record.put({{u"/f.flac"_s, changed / 2, 0}, recorded, file, 1000 + changed % 2});
    const QList sources{source(u"/f.flac"_s, u"Ann"_s, u"Hits"_s, u"S"_s, 1)};
    const PlannedTrack t = planSend(sources, psp, TargetFormat::Mp3, 1252, {}, replace).tracks[0];
    QTEST(t.fileName + (t.alreadyThere ? u" ="_s : QString()) +
              (t.replaces.isEmpty() ? QString() : u" < "_s + t.replaces),
          "placed");
}

QTEST_APPLESS_MAIN(TestSendNames)
#include "tst_sendnames.moc"
