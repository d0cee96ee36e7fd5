#include "core/sendrecord.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What Zarvello keeps on a volume about what it wrote there.
class TestSendRecord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keptOnTheVolume();
    void unreadableRecords_data();
    void unreadableRecords();
    void unknownFieldsKept();
    void journal_data();
    void journal();
};

void TestSendRecord::keptOnTheVolume()
{
    QTemporaryDir folder;
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(folder.path());
    QVERIFY(sendrecord::read(*root).isEmpty());

    SendRecord record;
    const SourceIdentity song{u"/m/ä song.flac"_s, 1000, 1700000000123};
    record.put({song, u"mp3 V2"_s, u"Ann - Hits/01 Song.mp3"_s, 400, true, 1700000000000});
    record.put({{u"/m/b.flac"_s, 5, 6}, u"copy"_s, u"Ann - Hits/02 B.mp3"_s, 5});
    // Written again under the same name (the case does not tell names apart):
    // the new one replaces the old.
    record.put({{u"/m/b.flac"_s, 7, 8}, u"copy"_s, u"ANN - HITS/02 b.mp3"_s, 7});
    record.playlists.append({u"/m/Mix.m3u"_s, u"Mix.m3u8"_s, "\x01\xfe"});
    QVERIFY(sendrecord::write(*root, record));

    const SendRecord read = sendrecord::read(*root);
    QCOMPARE(read.tracks().size(), 2);
    QVERIFY(read.bySource(song) && read.bySource(song)->kept);
    QCOMPARE(read.bySource(song)->settings, u"mp3 V2"_s);
    QCOMPARE(read.bySource(song)->modified, 1700000000000);
    QVERIFY(!read.bySource({u"/m/b.flac"_s, 5, 6}));
    QCOMPARE(read.byFile(u"ann - hits/02 B.MP3"_s)->bytes, 7);
    QCOMPARE(read.byPath(u"/m/b.flac"_s).size(), 1);
    QCOMPARE(read.playlists.at(0).digest, QByteArray("\x01\xfe"));
    SendRecord less = read;
    QVERIFY(less.remove(u"Ann - Hits/01 song.mp3"_s));
    QVERIFY(!less.bySource(song) && less.byFile(u"Ann - Hits/02 B.mp3"_s));

    // The volume's identity is made once and kept.
    const QString identity = sendrecord::volumeIdentity(*root);
    QVERIFY(!identity.isEmpty());
    QCOMPARE(sendrecord::volumeIdentity(*VolumeRoot::open(folder.path())), identity);
}

void TestSendRecord::unreadableRecords_data()
{
    // What takes the place of the second of two records written; "folder"
    // a folder of that name, "gone" nothing, as a write cut short leaves it.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("trust"); // "whole", "recovered", "newer"
    QTest::addColumn<QStringList>("tracks");
    const QByteArray head = R"({"program":"Zarvello","version":1,"playlists":[)"
                            R"({"source":"/m/x.m3u","file":"..\\..\\x.m3u8"}],"tracks":[)";
    const auto entry = [](const char *file) {
        return QByteArray(
                   R"({"source":"/m/s.flac","size":1,"settings":"copy","bytes":1,"file":")") +
               file + "\"}";
    };
    QTest::newRow("cut short") << QByteArray(R"({"program":"Zarvello","version":1,"tracks":[)")
                               << u"recovered"_s << QStringList{u"A/a.mp3"_s};
    QTest::newRow("another program's")
        << QByteArray(R"({"tracks":[]})") << u"recovered"_s << QStringList{u"A/a.mp3"_s};
    QTest::newRow("random bytes") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << u"recovered"_s
                                  << QStringList{u"A/a.mp3"_s};
    QTest::newRow("a folder") << QByteArray("folder") << u"recovered"_s
                              << QStringList{u"A/a.mp3"_s};
    QTest::newRow("write cut short")
        << QByteArray("gone") << u"recovered"_s << QStringList{u"A/a.mp3"_s};
    QTest::newRow("a later version")
        << QByteArray(R"({"program":"Zarvello","version":2,"tracks":[]})") << u"newer"_s
        << QStringList();
    QTest::newRow("hostile entries")
        << head + entry("../../escape.mp3") + ',' + entry("/etc/hostname") + ',' +
               entry("C:/Windows/x.mp3") + ',' + entry("A/..") + ',' + entry(R"(A\\x.mp3)") + ',' +
               entry("A/b/c.mp3") + ',' + entry(R"(A/\u0007.mp3)") + ',' + entry("Al/fine.mp3") +
               "]}"
        << u"whole"_s << QStringList{u"Al/fine.mp3"_s};
}

void TestSendRecord::unreadableRecords()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, trust);
    QFETCH(QStringList, tracks);
    QTemporaryDir folder;
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(folder.path());
    SendRecord record;
    record.put({{u"/m/a.flac"_s, 1, 2}, u"copy"_s, u"A/a.mp3"_s, 1});
    QVERIFY(sendrecord::write(*root, record));
    record.put({{u"/m/b.flac"_s, 1, 2}, u"copy"_s, u"B/b.mp3"_s, 1});
    QVERIFY(sendrecord::write(*root, record));
    const QDir hidden(folder.filePath(sendrecord::folderName()));
    QFile file(hidden.filePath(u"record.json"_s));
    QVERIFY(file.remove());
    if (bytes == "folder")
        QVERIFY(hidden.mkdir(u"record.json"_s));
    else if (bytes != "gone")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    // Never taken for no record: the one before it, and nothing lost.
    const SendRecord read = sendrecord::read(*root);
    QStringList files;
    for (const RecordedTrack &track : read.tracks())
        files.append(track.file);
    QCOMPARE(files, tracks);
    QCOMPARE(read.trust == SendRecord::Trust::Whole       ? u"whole"_s
             : read.trust == SendRecord::Trust::Recovered ? u"recovered"_s
                                                          : u"newer"_s,
             trust);
    QVERIFY(read.playlists.isEmpty());
    if (trust == u"newer") {
        // A newer record is never written over, whatever asks.
        QVERIFY(!sendrecord::write(*root, record));
        QVERIFY(!RecordJournal(record).save(*root));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        return;
    }
    // A record that cannot be written is said so, and nothing is lost.
    QCOMPARE(bool(sendrecord::write(*root, read)), bytes != "folder");
    if (bytes == "folder")
        return;
    QCOMPARE(sendrecord::read(*root).trust, SendRecord::Trust::Whole);
    // What could not be read is kept aside, dated.
    const QStringList aside = hidden.entryList({u"record-damaged-*.json"_s});
    QCOMPARE(aside.size(), int(bytes != "folder" && bytes != "gone" && trust == u"recovered"));
}

void TestSendRecord::unknownFieldsKept()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(sendrecord::folderName()));
    QFile file(folder.filePath(sendrecord::folderName() + u"/record.json"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"program":"Zarvello","version":1,"cover":"yes","tracks":[{"source":"/m/a",)"
               R"("size":1,"settings":"copy","file":"A/a.mp3","bytes":1,"rating":5}]})");
    file.close();
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(folder.path());
    SendRecord record = sendrecord::read(*root);
    record.put({{u"/m/b"_s, 1, 2}, u"copy"_s, u"B/b.mp3"_s, 1});
    QVERIFY(sendrecord::write(*root, record));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY2(written.contains(R"("cover":"yes")") && written.contains(R"("rating":5)"),
             written.constData());
}

void TestSendRecord::journal_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("recorded");
    // "+x" puts a file, "-x" forgets one; "cut" cuts the last line short,
    // "junk" adds a line of rubbish, "twice" has every line twice, "stale"
    // leaves the journal as it was once the record is written without b,
    // "link" puts a link in the journal's place.
    QTest::newRow("after the record")
        << QStringList{u"+b"_s, u"-a"_s, u"+c"_s} << QStringList{u"b"_s, u"c"_s};
    QTest::newRow("last line cut short")
        << QStringList{u"+b"_s, u"+c"_s, u"cut"_s} << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("damaged line") << QStringList{u"+b"_s, u"junk"_s, u"+c"_s}
                                  << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("played twice") << QStringList{u"+b"_s, u"-a"_s, u"twice"_s}
                                  << QStringList{u"b"_s};
    QTest::newRow("record written since")
        << QStringList{u"+b"_s, u"stale"_s} << QStringList{u"a"_s};
    QTest::newRow("a link in its place")
        << QStringList{u"link"_s, u"+b"_s} << QStringList{u"a"_s, u"b"_s};
}

void TestSendRecord::journal()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, recorded);
    QTemporaryDir folder;
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(folder.path());
    const auto track = [](const QString &name) -> RecordedTrack {
        return {{u"/m/"_s + name, 1, 2}, u"copy"_s, u"Album/"_s + name + u".mp3"_s, 1};
    };
    const auto files = [&] {
        QStringList names;
        const SendRecord read = sendrecord::read(*root);
        for (const RecordedTrack &one : read.tracks())
            names.append(one.source.path.mid(3));
        names.sort();
        return names;
    };
    SendRecord first;
    first.put(track(u"a"_s));
    RecordJournal journal(first);
    QVERIFY(journal.save(*root));
    QFile lines(folder.filePath(sendrecord::folderName() + u"/journal"_s));
    QFile elsewhere(folder.filePath(u"elsewhere"_s));
    QVERIFY(elsewhere.open(QIODevice::WriteOnly));
    for (const QString &step : steps) {
        QByteArray bytes;
        if (lines.open(QIODevice::ReadOnly))
            bytes = lines.readAll();
        lines.close();
        if (step.startsWith(u'+')) {
            QVERIFY(journal.put(*root, {track(step.mid(1))}));
        } else if (step.startsWith(u'-')) {
            QVERIFY(journal.remove(*root, {track(step.mid(1)).file}));
        } else if (step == u"link") {
            QVERIFY(QFile::link(elsewhere.fileName(), lines.fileName()));
        } else {
            SendRecord written = sendrecord::read(*root);
            QVERIFY(step != u"stale" ||
                    (written.remove(track(u"b"_s).file) && sendrecord::write(*root, written)));
            bytes = step == u"cut"     ? bytes.chopped(9)
                    : step == u"junk"  ? bytes + "{\"put\":\n"
                    : step == u"twice" ? bytes + bytes
                                       : bytes;
            QVERIFY(lines.open(QIODevice::WriteOnly) && lines.write(bytes) == bytes.size());
            lines.close();
        }
    }
    QCOMPARE(files(), recorded);
    QCOMPARE(elsewhere.size(), 0);
    // Written whole, the record holds it all, and the journal is gone.
    QVERIFY(sendrecord::write(*root, sendrecord::read(*root)));
    QVERIFY(!lines.exists());
    QCOMPARE(files(), recorded);
}

QTEST_GUILESS_MAIN(TestSendRecord)
#include "tst_sendrecord.moc"
