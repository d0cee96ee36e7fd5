#include "support/audiofiles.h"
#include "support/loopvolume.h"

#include <csignal>
#include <QCoreApplication>
#include <QDirIterator>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// A PSP following a list of the computer's playlists and folders, synced
// from a terminal as a user would: the program itself, on a real volume.
class TestSync : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void followsTheList();
    void interruptedSyncIsCompleted();
    void unpluggedDuringSync();
    void terminal_data();
    void terminal();

private:
    struct Ran
    {
        int exitCode = -1;
        QString output;
        QString errors;
    };
    // Runs the program with its own settings, as a terminal would.
    Ran zarvello(const QStringList &arguments, QProcess *running = nullptr);
    QString source(const QString &name, double seconds, const QString &album = u"P"_s);

    QTemporaryDir m_settings;
    QTemporaryDir m_sources;
};

void TestSync::init()
{
    QVERIFY(m_settings.isValid() && m_sources.isValid());
}

TestSync::Ran TestSync::zarvello(const QStringList &arguments, QProcess *running)
{
    QProcess local;
    QProcess &process = running ? *running : local;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, m_settings.path());
    environment.insert(u"LANG"_s, u"C.UTF-8"_s);
    // A terminal run never needs a display, even to say it was misused.
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZARVELLO_EXECUTABLE), arguments);
    if (running)
        return {};
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString TestSync::source(const QString &name, double seconds, const QString &album)
{
    const QString path = m_sources.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    const bool written = writeTone(
        path, name.endsWith(u".flac"_s) ? "flac" : "mp3", seconds, 44100, 2,
        {{u"title"_s, QFileInfo(name).baseName()}, {u"album"_s, album}, {u"artist"_s, u"Ann"_s}});
    return written ? path : QString();
}

namespace {

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// The seconds of audio of each file that a PSP playlist names.
QList<int> secondsOfEntries(const QString &root, const QString &playlist)
{
    QList<int> seconds;
    for (const QByteArray &line :
         bytesOf(root + u"/PSP/PLAYLIST/MUSIC/"_s + playlist).split('\n')) {
        const QString entry = QString::fromUtf8(line).trimmed().replace(u'\\', u'/');
        if (entry.isEmpty())
            continue;
        const Decoded decoded = decodeAll(root + entry);
        seconds.append(decoded.rate ? int(qRound(double(decoded.samples) / decoded.rate)) : -1);
    }
    return seconds;
}

} // namespace

void TestSync::followsTheList()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP/PLAYLIST/MUSIC"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir mountPoint;
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const QString psp = mountPoint.path();
    const QString mix = m_sources.filePath(u"Mix.m3u8"_s);
    QStringList p;
    for (int i = 1; i <= 4; ++i)
        p.append(source(u"P/p%1.mp3"_s.arg(i), i));
    QVERIFY(!source(u"A/a1.mp3"_s, 5, u"A"_s).isEmpty());
    QVERIFY(!source(u"A/a2.mp3"_s, 6, u"A"_s).isEmpty());
    QVERIFY(writeText(mix, (p[0] + u'\n' + p[1] + u'\n' + p[2] + u'\n' + p[0] + u'\n').toUtf8()));
    QCOMPARE(zarvello({u"--keep"_s, mix, psp}).exitCode, 0);
    QCOMPARE(zarvello({u"--keep"_s, m_sources.filePath(u"A"_s), psp}).exitCode, 0);
    Ran ran = zarvello({u"--sync"_s, psp});
    QVERIFY2(ran.exitCode == 0, qPrintable(ran.output + ran.errors));
    QCOMPARE(secondsOfEntries(psp, u"Mix.m3u8"_s), (QList<int>{1, 2, 3, 1}));

    // The user's own file and playlist beside what the sync wrote.
    const QStringList before = filesBelow(psp + u"/MUSIC"_s);
    QCOMPARE(before.size(), 5);
    const QByteArray mine = "\\MUSIC\\" + before.constFirst().toUtf8().replace('/', '\\') + "\r\n";
    QVERIFY(writeText(psp + u"/PSP/PLAYLIST/MUSIC/Mine.m3u8"_s, mine));
    const QString own =
        u"/MUSIC/"_s + before.filter(u"p1"_s).constFirst().section(u'/', 0, 0) + u"/own.mp3"_s;
    QVERIFY(writeText(psp + own, "the user's own"));
    // A track taken off, one added, the order changed; a file of the folder
    // changed.
    QVERIFY(writeText(mix, (p[2] + u'\n' + p[3] + u'\n' + p[0] + u'\n').toUtf8()));
    QVERIFY(!source(u"A/a1.mp3"_s, 7, u"A"_s).isEmpty());
    ran = zarvello({u"--sync"_s, psp, u"--delete"_s});
    QVERIFY2(ran.exitCode == 0, qPrintable(ran.output + ran.errors));

    QCOMPARE(secondsOfEntries(psp, u"Mix.m3u8"_s), (QList<int>{3, 4, 1}));
    QCOMPARE(bytesOf(psp + u"/PSP/PLAYLIST/MUSIC/Mine.m3u8"_s), mine);
    QCOMPARE(bytesOf(psp + own), QByteArray("the user's own"));
    const QStringList after = filesBelow(psp + u"/MUSIC"_s);
    QCOMPARE(after.size(), 6); // p1, p3, p4, a1, a2 and the user's file
    QList<int> seconds;
    for (const QString &file : after) {
        const Decoded decoded = decodeAll(psp + u"/MUSIC/"_s + file);
        seconds.append(decoded.rate ? int(qRound(double(decoded.samples) / decoded.rate)) : 0);
    }
    std::sort(seconds.begin(), seconds.end());
    QCOMPARE(seconds, (QList<int>{0, 1, 3, 4, 6, 7}));
    QCOMPARE(zarvello({u"--sync"_s, psp}).output.trimmed(), u"The PSP is up to date."_s);
}

void TestSync::interruptedSyncIsCompleted()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir mountPoint;
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const QString psp = mountPoint.path();
    constexpr int tracks = 6;
    for (int i = 1; i <= tracks; ++i)
        QVERIFY(!source(u"Long/%1.flac"_s.arg(i), 40, u"Long"_s).isEmpty());
    QCOMPARE(zarvello({u"--keep"_s, m_sources.filePath(u"Long"_s), psp}).exitCode, 0);

    // Ended at once, the way a crash or a pulled cable ends it, once a track
    // is there and while others are not.
    QProcess first;
    zarvello({u"--sync"_s, psp}, &first);
    QVERIFY(QTest::qWaitFor(
        [&] { return filesBelow(psp + u"/MUSIC"_s).filter(u".mp3"_s).size() >= 1; }, 120000));
    const int there = int(filesBelow(psp + u"/MUSIC"_s).filter(u".mp3"_s).size());
    QVERIFY(there < tracks);
    // Meanwhile, any other writer is turned away, and changes nothing.
    const Ran second = zarvello({u"--sync"_s, psp});
    QVERIFY2(second.exitCode == 6 && second.errors.contains(u"Another Zarvello is writing"_s),
             qPrintable(second.output + second.errors));
    QCOMPARE(zarvello({u"--forget"_s, m_sources.filePath(u"Long"_s), psp}).exitCode, 6);
    first.kill();
    first.waitForFinished();

    const Ran ran = zarvello({u"--sync"_s, psp});
    QVERIFY2(ran.exitCode == 0, qPrintable(ran.output + ran.errors));
    // Every track whole, and once: none was left under its name unrecorded,
    // to be taken for a file of the user's and written again beside it.
    const QStringList music = filesBelow(psp + u"/MUSIC"_s).filter(u".mp3"_s);
    QVERIFY2(music.size() == tracks, qPrintable(music.join(u' ')));
    for (const QString &file : music)
        QCOMPARE(decodeAll(psp + u"/MUSIC/"_s + file).samples, qint64(40 * 44100));
    QCOMPARE(zarvello({u"--sync"_s, psp}).exitCode, 0);
}

// Pulled out mid-run, the PSP is not written to any more: the run stops and
// says so once, rather than failing track after track.
void TestSync::unpluggedDuringSync()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir mountPoint;
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const QString psp = mountPoint.path();
    for (int i = 1; i <= 6; ++i)
        QVERIFY(!source(u"Gone/%1.flac"_s.arg(i), 40, u"Gone"_s).isEmpty());
    QCOMPARE(zarvello({u"--keep"_s, m_sources.filePath(u"Gone"_s), psp}).exitCode, 0);
    QProcess running;
    zarvello({u"--sync"_s, psp}, &running);
    QVERIFY(QTest::qWaitFor(
        [&] { return filesBelow(psp + u"/MUSIC"_s).filter(u".mp3"_s).size() >= 1; }, 120000));
    QVERIFY(volume.detach());
    QVERIFY(running.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(running.readAllStandardError());
    QCOMPARE(running.exitCode(), 1);
    QVERIFY2(errors.contains(u"The PSP was unplugged: "_s) && errors.count(u'\n') == 1,
             qPrintable(errors));
    // Nothing landed in the folder it was mounted on.
    QVERIFY(QDir(psp).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestSync::terminal_data()
{
    QTest::addColumn<QList<QStringList>>("before");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("tracks");
    const QStringList keep{u"--keep"_s, u"$FOLDER"_s, u"$PSP"_s};
    const QStringList sync{u"--sync"_s, u"$PSP"_s};
    QTest::newRow("dry run") << QList<QStringList>{keep}
                             << QStringList{u"--sync"_s, u"$PSP"_s, u"--dry-run"_s} << 0
                             << u"To send: 2 tracks"_s << 0;
    // The folder after the options, and one within the PSP, do as well.
    QTest::newRow("dry run listing")
        << QList<QStringList>{keep} << QStringList{u"--sync"_s, u"--dry-run"_s, u"$PSP/PSP"_s} << 0
        << u"two.mp3 ("_s << 0;
    // Where the output is no terminal, a line per track sent.
    QTest::newRow("a line per track")
        << QList<QStringList>{keep} << sync << 0 << u"Sent (2 of 2): "_s << 2;
    QTest::newRow("nothing to do")
        << QList<QStringList>{keep, sync} << sync << 0 << u"The PSP is up to date."_s << 2;
    const QStringList forget{u"--forget"_s, u"$FOLDER"_s, u"$PSP"_s};
    QTest::newRow("removals without --delete")
        << QList<QStringList>{keep, sync, forget} << sync << 3
        << u"2 tracks were not removed: add --delete"_s << 2;
    QTest::newRow("removing most needs its own word")
        << QList<QStringList>{keep, sync, forget}
        << QStringList{u"--sync"_s, u"$PSP"_s, u"--delete"_s} << 3 << u"--delete-many"_s << 2;
    QTest::newRow("removals with --delete-many")
        << QList<QStringList>{keep, sync, forget}
        << QStringList{u"--sync"_s, u"$PSP"_s, u"--delete"_s, u"--delete-many"_s} << 0
        << u"removed: 2 tracks"_s << 0;
    // "write FILE TEXT" puts TEXT in the PSP's FILE, "mkdir FOLDER" makes one.
    const QStringList record{u".zarvello/record.json"_s};
    QTest::newRow("a newer record is left alone")
        << QList<QStringList>{keep, sync,
                              QStringList{u"write"_s} + record +
                                  QStringList{u"{\"program\":\"Zarvello\","
                                              u"\"version\":2}"_s}}
        << QStringList{u"--sync"_s, u"$PSP"_s, u"--delete"_s} << 5 << u"newer Zarvello"_s << 2;
    QTest::newRow("a damaged record sends nothing twice")
        << QList<QStringList>{keep, sync, QStringList{u"write"_s} + record + QStringList{u"{"_s}}
        << QStringList{u"--sync"_s, u"$PSP"_s, u"--delete"_s} << 0 << u"previous one"_s << 2;
    QTest::newRow("a record that cannot be written")
        << QList<QStringList>{keep, QStringList{u"mkdir"_s} + record} << sync << 1
        << u"nothing was sent"_s << 0;
    QTest::newRow("an entry that cannot be seen")
        << QList<QStringList>{keep, sync,
                              QStringList{u"--keep"_s, u"$FOLDER/one.mp3.m3u"_s, u"$PSP"_s}}
        << QStringList{u"--sync"_s, u"$PSP"_s, u"--delete"_s} << 4 << u"not found"_s << 2;
    QTest::newRow("nothing kept") << QList<QStringList>() << sync << 1 << u"keeps nothing"_s << 0;
    QTest::newRow("not a PSP") << QList<QStringList>() << QStringList{u"--sync"_s, u"$FOLDER"_s}
                               << 1 << u"PSP"_s << 0;
    QTest::newRow("bad usage") << QList<QStringList>() << QStringList{u"--sync"_s} << 2
                               << u"Usage"_s << 0;
    QTest::newRow("dry run alone") << QList<QStringList>() << QStringList{u"--dry-run"_s, u"$PSP"_s}
                                   << 2 << u"go with --sync"_s << 0;
    QTest::newRow("unknown option")
        << QList<QStringList>() << QStringList{u"--sync"_s, u"$PSP"_s, u"--frobnicate"_s} << 2
        << u"Unknown option: --frobnicate"_s << 0;
}

void TestSync::terminal()
{
    QFETCH(QList<QStringList>, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(int, tracks);
    // A folder used as a PSP will do.
    QTemporaryDir psp;
    QVERIFY(QDir(psp.path()).mkdir(u"PSP"_s));
    QVERIFY(!source(u"F/one.mp3"_s, 1).isEmpty() && !source(u"F/two.mp3"_s, 2).isEmpty());
    const auto replaced = [&](QStringList words) {
        words.replaceInStrings(u"$PSP"_s, psp.path());
        return words.replaceInStrings(u"$FOLDER"_s, m_sources.filePath(u"F"_s));
    };
    for (const QStringList &step : before) {
        if (step.constFirst() == u"write")
            QVERIFY(writeText(psp.filePath(step.at(1)), step.at(2).toUtf8()));
        else if (step.constFirst() == u"mkdir")
            QVERIFY(QDir(psp.path()).mkpath(step.at(1)));
        // A playlist kept, then gone.
        else if (const QString playlist = replaced(step).at(1); playlist.endsWith(u".m3u"_s))
            QVERIFY(writeText(playlist, "one.mp3\n") && zarvello(replaced(step)).exitCode == 0 &&
                    QFile::remove(playlist));
        else
            QCOMPARE(zarvello(replaced(step)).exitCode, 0);
    }
    const Ran ran = zarvello(replaced(arguments));
    QVERIFY2(ran.exitCode == exitCode, qPrintable(ran.output + ran.errors));
    QVERIFY2((ran.output + ran.errors).contains(said), qPrintable(ran.output + ran.errors));
    QCOMPARE(filesBelow(psp.path() + u"/MUSIC"_s).size(), tracks);
    // An album folder emptied by removals goes too.
    if (tracks == 0)
        QVERIFY(
            QDir(psp.path() + u"/MUSIC"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

int main(int argc, char *argv[])
{
    return runVolumeTest<QCoreApplication, TestSync>(argc, argv);
}

#include "e2e_sync.moc"
