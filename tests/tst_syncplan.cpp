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

void putOnPsp(MusicListing &listing, const QString &file)
{
    const QString folder = file.section(u'/', 0, 0);
    auto found =
        std::find_if(listing.entries.begin(), listing.entries.end(),
                     [&](const MusicListing::Folder &f) { return f.entry.name == folder; });
    if (found == listing.entries.end())
        found =
            listing.entries.insert(listing.entries.end(), {{folder, VolumeRoot::Kind::Folder}, {}});
    found->files.append({file.section(u'/', 1), VolumeRoot::Kind::File, false, 5});
}

} // namespace

void TestSyncPlan::decides_data()
{
    // entries: "P:<playlist>=<tracks>", "F:<folder>=<tracks>", "X:<unreadable playlist>".
    // record: "<track>><file> [old|sent]", each file on the PSP with its bytes.
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
    QTest::newRow("changed") << QStringList{u"F:Rock=a"_s} << QStringList{u"a>Al/a.mp3 old"_s}
                             << none << none << u"a"_s << none << none;
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
    QTest::newRow("a file not in the record")
        << QStringList{u"P:Mix=a"_s} << QStringList{u"a>Al/a.mp3"_s} << QStringList{u"Al/q.mp3"_s}
        << QStringList{u"a>Al/a.mp3"_s} << QString() << none << QStringList{u"Mix.m3u8=a"_s};
    QTest::newRow("an unreadable entry holds removals")
        << QStringList{u"X:Gone"_s, u"P:Mix=a"_s} << QStringList{u"a>Al/a.mp3"_s, u"z>Al/z.mp3"_s}
        << none << QStringList{u"a>Al/a.mp3"_s} << QString() << none
        << QStringList{u"Mix.m3u8=a"_s};
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
        ExpandedSyncEntry expanded{{u"/music/"_s + name + (folder ? u""_s : u".m3u"_s),
                                    folder ? SyncEntry::Kind::Folder : SyncEntry::Kind::Playlist},
                                   !entry.startsWith(u'X'),
                                   {},
                                   {}};
        for (const QString &track : entry.section(u'=', 1).split(u',', Qt::SkipEmptyParts))
            expanded.sources.append(source(track));
        list.append(expanded);
    }
    MusicListing listing;
    listing.musicFolder = u"MUSIC"_s;
    for (const QString &line : record) {
        const QStringList parts = line.split(QRegularExpression(u"[> ]"_s));
        listing.record.put({source(parts.at(0), parts.contains(u"old"_s)), u"copy"_s, parts.at(1),
                            5, !parts.contains(u"sent"_s)});
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
        toSend.append(nameOf(track.path));
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
        found.append(entry.read ? sources.join(u',') : u"unread"_s);
    }
    QCOMPARE(found,
             QStringList({u"b.flac:4,Rock/2 y.mp3:4,b.flac:4"_s,
                          u"Rock/2 y.mp3:4,Rock/10 x.mp3:4,Rock/Live/z.mp3:4"_s, u"unread"_s}));
    QCOMPARE(expanded.at(0).leftOut.size(), 1);
}

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
