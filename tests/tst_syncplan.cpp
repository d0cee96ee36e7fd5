#include "transfer/syncplan.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What a sync does, decided from the list, the PSP's music and its playlists.
class TestSyncPlan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decides_data();
    void decides();
    void expandsTheList();
    void unseenEntries_data();
    void unseenEntries();
};

namespace {

// Track "a" is /music/a.flac as it is now; recorded "old", as it was before.
SourceIdentity source(const QString &name, bool old = false)
{
    return {u"/music/"_s + name + u".flac"_s, 10, old ? 1 : 2};
}

QString nameOf(const QString &path)
{
    return path.section(u'/', -1).section(u'.', 0, 0);
}

// When every file on the PSP was last written, as its listing says.
constexpr qint64 writtenAt = 1700000000000;

void putOnPsp(MusicListing &listing, const QString &file)
{
    const QString folder = file.section(u'/', 0, 0);
    auto found =
        std::find_if(listing.entries.begin(), listing.entries.end(),
                     [&](const MusicListing::Folder &f) { return f.entry.name == folder; });
    if (found == listing.entries.end())
        found =
            listing.entries.insert(listing.entries.end(), {{folder, VolumeRoot::Kind::Folder}, {}});
    found->files.append({file.section(u'/', 1), VolumeRoot::Kind::File, false, 5, writtenAt});
}

} // namespace

void TestSyncPlan::decides_data()
{
    // entries: "P:<playlist>=<tracks>", "F:<folder>=<tracks>", "X:<unreadable playlist>".
    // record: "<track>><file> [old|sent|touched|fat|summer]", each file on the
    // PSP with its bytes; recorded as written 4 s after the file there says
    // ("touched"), under 2 s (FAT's precision) after, or an hour and 1 s
    // after (summer time);
    // "recovered" when it is the one before a record that could not be read.
    // psp: other files on the PSP; "[*]<playlist>=<file>" a playlist there,
    // "*" one Zarvello wrote (for /music/<playlist>.m3u).
    // playlists: "<file>=<tracks>" to write, "-<file>" to remove.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QStringList>("psp");
    QTest::addColumn<QStringList>("unchanged");
    QTest::addColumn<QString>("toSend");
    QTest::addColumn<QStringList>("removals"); // "<file>[!<user playlists naming it>]"
    QTest::addColumn<QStringList>("playlists");
    const QStringList none;
    QTest::newRow("unchanged") << QStringList{u"P:Mix=a"_s} << QStringList{u"a>Al/a.mp3"_s} << none
                               << QStringList{u"a>Al/a.mp3"_s} << QString() << none
                               << QStringList{u"Mix.m3u8=a"_s};
    // Named by its earlier copy until the new one is there.
    QTest::newRow("changed") << QStringList{u"F:Rock=a"_s} << QStringList{u"a>Al/a.mp3 old"_s}
                             << none << none << u"a<Al/a.mp3"_s << none << none;
    QTest::newRow("new, a folder gives no playlist")
        << QStringList{u"F:Rock=b,c"_s} << none << none << none << u"b,c"_s << none << none;
    QTest::newRow("duplicate entries")
        << QStringList{u"P:Mix=a,b,a"_s, u"F:Rock=b"_s} << QStringList{u"a>Al/a.mp3"_s} << none
        << QStringList{u"a>Al/a.mp3"_s} << u"b"_s << none << QStringList{u"Mix.m3u8=a,b,a"_s};
    QTest::newRow("removed from the list")
        << QStringList{u"P:Mix=a"_s}
        << QStringList{u"a>Al/a.mp3"_s, u"z>Al/z.mp3"_s, u"y>Al/y.mp3 sent"_s} << none
        << QStringList{u"a>Al/a.mp3"_s} << QString() << QStringList{u"Al/z.mp3"_s}
        << QStringList{u"Mix.m3u8=a"_s};
    QTest::newRow("a user playlist still names it")
        << QStringList{u"F:Rock=a"_s} << QStringList{u"a>Al/a.mp3"_s, u"z>Al/z.mp3"_s}
        << QStringList{u"Mine.m3u8=Al/z.mp3"_s, u"*Old.m3u8=Al/z.mp3"_s}
        << QStringList{u"a>Al/a.mp3"_s} << QString() << QStringList{u"Al/z.mp3!Mine.m3u8"_s}
        << QStringList{u"-Old.m3u8"_s};
    // Of the recorded name and size but written at another time: the user's.
    QTest::newRow("a file written since")
        << QStringList{u"P:Mix=a"_s}
        << QStringList{u"a>Al/a.mp3"_s, u"z>Al/z.mp3 touched"_s, u"y>Al/y.mp3 fat"_s,
                       u"x>Al/x.mp3 summer"_s}
        << none << QStringList{u"a>Al/a.mp3"_s} << QString()
        << QStringList{u"Al/y.mp3"_s, u"Al/x.mp3"_s} << QStringList{u"Mix.m3u8=a"_s};
    QTest::newRow("a file not in the record")
        << QStringList{u"P:Mix=a"_s} << QStringList{u"a>Al/a.mp3"_s} << QStringList{u"Al/q.mp3"_s}
        << QStringList{u"a>Al/a.mp3"_s} << QString() << none << QStringList{u"Mix.m3u8=a"_s};
    QTest::newRow("an unreadable entry holds removals")
        << QStringList{u"X:Gone"_s, u"P:Mix=a"_s} << QStringList{u"a>Al/a.mp3"_s, u"z>Al/z.mp3"_s}
        << none << QStringList{u"a>Al/a.mp3"_s} << QString() << none
        << QStringList{u"Mix.m3u8=a"_s};
    QTest::newRow("a record recovered holds removals")
        << QStringList{u"F:Rock=a"_s}
        << QStringList{u"recovered"_s, u"a>Al/a.mp3"_s, u"z>Al/z.mp3"_s}
        << QStringList{u"*Old.m3u8=Al/z.mp3"_s} << QStringList{u"a>Al/a.mp3"_s} << QString() << none
        << none;
    QTest::newRow("a forged record removes only what it lists")
        << QStringList{u"F:Rock=a"_s} << QStringList{u"a>Al/a.mp3"_s, u"z>User/mine.mp3"_s}
        << QStringList{u"*user.m3u8=User/mine.mp3"_s} << QStringList{u"a>Al/a.mp3"_s} << QString()
        << QStringList{u"User/mine.mp3"_s} << QStringList{u"-user.m3u8"_s};
    QTest::newRow("playlist names safe and free")
        << QStringList{u"P:Mine=a"_s, u"P:Why?=b"_s, u"P:Mix=c"_s} << none
        << QStringList{u"Mine.m3u8=Al/x.mp3"_s, u"*Mix.m3u8=Al/x.mp3"_s} << none << u"a,b,c"_s
        << none << QStringList{u"Mine (2).m3u8=a"_s, u"Why_.m3u8=b"_s, u"Mix.m3u8=c"_s};
}

void TestSyncPlan::decides()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, record);
    QFETCH(QStringList, psp);
    QList<ExpandedSyncEntry> list;
    for (const QString &entry : entries) {
        const QString name = entry.section(u'=', 0, 0).mid(2);
        const bool folder = entry.startsWith(u'F');
        ExpandedSyncEntry expanded;
        expanded.entry = {u"/music/"_s + name + (folder ? u""_s : u".m3u"_s),
                          folder ? SyncEntry::Kind::Folder : SyncEntry::Kind::Playlist};
        expanded.unseen = entry.startsWith(u'X') ? ExpandedSyncEntry::Unseen::Unreadable
                                                 : ExpandedSyncEntry::Unseen::No;
        for (const QString &track : entry.section(u'=', 1).split(u',', Qt::SkipEmptyParts))
            expanded.sources.append(source(track));
        list.append(expanded);
    }
    MusicListing listing;
    listing.musicFolder = u"MUSIC"_s;
    for (const QString &line : record) {
        if (line == u"recovered") {
            listing.record.trust = SendRecord::Trust::Recovered;
            continue;
        }
        const QStringList parts = line.split(QRegularExpression(u"[> ]"_s));
        const qint64 written = writtenAt + (parts.contains(u"touched"_s)  ? 4000
                                            : parts.contains(u"fat"_s)    ? 1999
                                            : parts.contains(u"summer"_s) ? 3601000
                                                                          : 0);
        listing.record.put({source(parts.at(0), parts.contains(u"old"_s)), u"copy"_s, parts.at(1),
                            5, !parts.contains(u"sent"_s), written});
        putOnPsp(listing, parts.at(1));
    }
    QList<PspPlaylist> playlists;
    for (const QString &line : psp) {
        const QString file = line.section(u'=', 0, 0);
        if (!line.contains(u'=')) {
            putOnPsp(listing, line);
        } else if (file.startsWith(u'*')) {
            listing.record.playlists.append(
                {u"/music/"_s + file.mid(1).section(u'.', 0, 0) + u".m3u"_s, file.mid(1), {}});
            playlists.append({file.mid(1), {u"\\MUSIC\\"_s + line.section(u'=', 1)}});
        } else {
            playlists.append({file, {u"\\MUSIC\\"_s + line.section(u'=', 1)}});
        }
    }

    const SyncPlan plan = planSync(list, listing, playlists, 1252);
    QStringList unchanged, toSend, removals, written;
    for (const SyncPlan::Unchanged &track : plan.unchanged)
        unchanged.append(nameOf(track.source.path) + u'>' + track.file);
    for (const SourceIdentity &track : plan.toSend)
        toSend.append(nameOf(track.path) + QString(plan.earlier.contains(track.path)
                                                       ? u'<' + plan.earlier.value(track.path)
                                                       : QString()));
    for (const SyncPlan::Removal &removal : plan.removals)
        removals.append(QStringList{removal.track.file, removal.namedBy.join(u',')}.join(u'!'));
    removals.replaceInStrings(QRegularExpression(u"!$"_s), QString());
    for (const SyncPlan::Playlist &playlist : plan.playlists) {
        QStringList tracks;
        for (const QString &track : playlist.tracks)
            tracks.append(nameOf(track));
        written.append(playlist.file + u'=' + tracks.join(u','));
    }
    for (const RecordedPlaylist &stale : plan.stalePlaylists)
        written.append(u'-' + stale.file);
    QTEST(unchanged, "unchanged");
    QTEST(toSend.join(u','), "toSend");
    QTEST(removals, "removals");
    QTEST(written, "playlists");
}

// Playlists in their order, duplicates kept; folders as a send takes them;
// what cannot be read is said so.
void TestSyncPlan::expandsTheList()
{
    QTemporaryDir folder;
    const QDir here(folder.path());
    QVERIFY(here.mkpath(u"Rock/Live"_s));
    for (const QString &file : {u"b.flac"_s, u"Rock/10 x.mp3"_s, u"Rock/2 y.mp3"_s,
                                u"Rock/cover.jpg"_s, u"Rock/Live/z.mp3"_s}) {
        QFile made(here.filePath(file));
        QVERIFY(made.open(QIODevice::WriteOnly) && made.write("data") == 4);
    }
    QFile mix(here.filePath(u"Mix.m3u"_s));
    QVERIFY(mix.open(QIODevice::WriteOnly));
    mix.write("b.flac\nRock/2 y.mp3\ngone.mp3\nb.flac\n");
    mix.close();
    const QList<ExpandedSyncEntry> expanded =
        expandSyncList({{here.filePath(u"Mix.m3u"_s), SyncEntry::Kind::Playlist},
                        {here.filePath(u"Rock"_s), SyncEntry::Kind::Folder},
                        {here.filePath(u"Gone"_s), SyncEntry::Kind::Folder}},
                       1252);
    QStringList found;
    for (const ExpandedSyncEntry &entry : expanded) {
        QStringList sources;
        for (const SourceIdentity &source : entry.sources)
            sources.append(here.relativeFilePath(source.path) + u':' +
                           QString::number(source.size));
        found.append(entry.seen() ? sources.join(u',') : u"unread"_s);
    }
    QCOMPARE(found,
             QStringList({u"b.flac:4,Rock/2 y.mp3:4,b.flac:4"_s,
                          u"Rock/2 y.mp3:4,Rock/10 x.mp3:4,Rock/Live/z.mp3:4"_s, u"unread"_s}));
    QCOMPARE(expanded.at(0).leftOut.size(), 1);
}

void TestSyncPlan::unseenEntries_data()
{
    // entry: "P:<found>/<not found>" a playlist naming tracks there and not,
    // "F:<tracks>" a folder, "M:" neither there, "X:" a playlist that cannot
    // be read.
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("unseen"); // ExpandedSyncEntry::Unseen
    using Unseen = ExpandedSyncEntry::Unseen;
    QTest::newRow("playlist missing") << u"M:"_s << int(Unseen::Missing);
    QTest::newRow("folder missing") << u"MF:"_s << int(Unseen::Missing);
    QTest::newRow("folder with no track") << u"F:0"_s << int(Unseen::NoTrack);
    QTest::newRow("playlist unreadable") << u"X:"_s << int(Unseen::Unreadable);
    QTest::newRow("all tracks not found") << u"P:0/12"_s << int(Unseen::MostNotFound);
    QTest::newRow("most not found") << u"P:1/2"_s << int(Unseen::MostNotFound);
    QTest::newRow("half not found") << u"P:2/2"_s << int(Unseen::No);
    QTest::newRow("a folder there") << u"F:2"_s << int(Unseen::No);
}

// An entry that cannot be seen holds what it has on the PSP: nothing removed,
// its playlist left as it is, and the plan says why.
void TestSyncPlan::unseenEntries()
{
    QFETCH(QString, entry);
    QFETCH(int, unseen);
    QTemporaryDir folder;
    const QDir here(folder.path());
    const QString kind = entry.section(u':', 0, 0);
    const QStringList counts = entry.section(u':', 1).split(u'/');
    const QString path = here.filePath(kind.endsWith(u'F') ? u"Rock"_s : u"Mix.m3u"_s);
    QByteArray lines;
    if (kind == u"F" || kind == u"P")
        QVERIFY(here.mkpath(u"Rock"_s));
    for (int i = 0; i < counts.value(0).toInt(); ++i) {
        QFile made(here.filePath(u"Rock/%1.mp3"_s.arg(i)));
        QVERIFY(made.open(QIODevice::WriteOnly) && made.write("data") == 4);
        lines += "Rock/" + QByteArray::number(i) + ".mp3\n";
    }
    for (int i = 0; i < counts.value(1).toInt(); ++i)
        lines += "Gone/" + QByteArray::number(i) + ".mp3\n";
    if (kind == u"P" || kind == u"X") {
        QFile playlist(path);
        QVERIFY(playlist.open(QIODevice::WriteOnly));
        playlist.write(kind == u"X" ? QByteArray(17 * 1024 * 1024, 'x') : lines);
    }
    const SyncEntry::Kind entryKind =
        kind.endsWith(u'F') ? SyncEntry::Kind::Folder : SyncEntry::Kind::Playlist;
    const QList<ExpandedSyncEntry> expanded = expandSyncList({{path, entryKind}}, 1252);
    QCOMPARE(int(expanded.at(0).unseen), unseen);

    // What the list kept before, on the PSP: a track gone from the entry now,
    // and the playlist written for it.
    MusicListing listing;
    listing.musicFolder = u"MUSIC"_s;
    listing.entries.append(MusicListing::Folder{
        {u"Al"_s, VolumeRoot::Kind::Folder}, {{u"old.mp3"_s, VolumeRoot::Kind::File, false, 5}}});
    listing.record.put({{u"/elsewhere/old.flac"_s, 5, 1}, u"copy"_s, u"Al/old.mp3"_s, 5, true});
    listing.record.playlists.append({path, u"Mix.m3u8"_s, {}});
    const SyncPlan plan = planSync(expanded, listing, {{u"Mix.m3u8"_s, {}}}, 1252);
    const bool seen = unseen == int(ExpandedSyncEntry::Unseen::No);
    QCOMPARE(plan.unseen.size(), seen ? 0 : 1);
    QCOMPARE(plan.removals.size(), seen ? 1 : 0);
    QVERIFY(plan.stalePlaylists.isEmpty() || (seen && kind.endsWith(u'F')));
    QCOMPARE(plan.playlists.size(), int(seen && kind == u"P"));
    if (seen && kind == u"P")
        QCOMPARE(plan.notFound.size(), counts.value(1).toInt());
}

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
