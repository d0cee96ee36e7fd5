#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "core/sendrecord.h"
#include "send/musicsend.h"
#include "send/senddialogs.h"
#include "support/audiofiles.h"
#include "support/drops.h"
#include "support/fakes.h"
#include "support/loopvolume.h"
#include "support/pspdrive.h"
#include "transfer/sendrun.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Sending music to a real PSP-like volume, plugged in and pulled out
// through the system's own notifications.
class TestMusicSendVolume : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sendsWhatFits();
    void aTrackWithNoRoomLeavesRoomForSmallerOnes();
    void readOnlyIsSaidOnce();
    void aFolderLeftEmptyGoes();
    void unpluggedInTheMiddle();
    void importedPlaylistPlaysItsSources();

private:
    // A window with the volume plugged in; null when it did not arrive.
    std::unique_ptr<TestMainWindow> plugIn(LoopVolume &volume, const QString &mountPoint,
                                           bool readOnly = false);
    SendPlanDialog *planShown(const TestMainWindow &window);
    QStringList filesBelow(const QString &folder);
};

std::unique_ptr<TestMainWindow>
TestMusicSendVolume::plugIn(LoopVolume &volume, const QString &mountPoint, bool readOnly)
{
    auto window = std::make_unique<TestMainWindow>(0x0409, VolumeNotifier::create());
    (*window)->showCentred();
    if (!volume.mount(mountPoint, readOnly))
        return nullptr;
    const QString root = QFileInfo(mountPoint).canonicalFilePath() + u'/';
    if (!QTest::qWaitFor([&] { return (*window)->controls().lettre->text() == root; }, 10000))
        return nullptr;
    return window;
}

SendPlanDialog *TestMusicSendVolume::planShown(const TestMainWindow &window)
{
    SendPlanDialog *shown = nullptr;
    const bool planned = QTest::qWaitFor(
        [&] {
            shown = window->findChild<SendPlanDialog *>();
            return shown && !shown->findChild<QLabel *>()->text().contains(u"Looking"_s);
        },
        20000);
    return planned ? shown : nullptr;
}

QStringList TestMusicSendVolume::filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator found(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (found.hasNext())
        files.append(found.next());
    return files;
}

void TestMusicSendVolume::sendsWhatFits()
{
    messagebox::recordInsteadOfShowing();
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir sources;
    // 20 MB of PCM, copied as it is, on a 16 MB volume, after a track that fits.
    QVERIFY(writeTone(sources.filePath(u"1 short.wav"_s), "wav", 2, 44100, 2));
    QVERIFY(writeTone(sources.filePath(u"2 long.wav"_s), "wav", 120, 44100, 2));
    QTemporaryDir mountPoint;
    const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path());
    QVERIFY2(window, qPrintable(volume.error()));

    QVERIFY((*window)->send().start({sources.path()}));
    SendPlanDialog *plan = planShown(*window);
    QVERIFY(plan);
    QVERIFY(plan->findChild<QLabel *>()->text().contains(u"lacks"_s));
    QVERIFY(!plan->findChild<QPushButton *>(u"start"_s)->isEnabled());
    QVERIFY(QDir(mountPoint.filePath(u"MUSIC"_s)).isEmpty());
    plan->findChild<QPushButton *>(u"whatFits"_s)->click();
    QList<messagebox::Shown> shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown += messagebox::takeShown()).isEmpty(), 20000);
    QCOMPARE(shown.at(0).text.section(u'\n', -2),
             u"Not sent: no room (1):\n  "_s + sources.filePath(u"2 long.wav"_s));
    QCOMPARE(filesBelow(mountPoint.filePath(u"MUSIC"_s)).size(), 1);
}

// The plan's estimates said all would fit: the big track is left out before
// any of it is written, and the smaller ones after it are still sent.
void TestMusicSendVolume::aTrackWithNoRoomLeavesRoomForSmallerOnes()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir sources;
    QList<SourceTrack> tracks;
    SendPlan plan;
    for (const auto &[name, seconds] :
         {std::pair{u"1 long.wav"_s, 120}, {u"2 short.wav"_s, 2}, {u"3 short.wav"_s, 3}}) {
        SourceTrack source;
        source.path = sources.filePath(name);
        QVERIFY(writeTone(source.path, "wav", seconds, 44100, 2));
        tracks.append(source);
        PlannedTrack track;
        track.method = SendMethod::Copy;
        track.folder = u"Album"_s;
        track.fileName = name;
        plan.tracks.append(track);
    }
    QTemporaryDir mountPoint;
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const std::shared_ptr<const VolumeRoot> root = VolumeRoot::open(mountPoint.path());
    QVERIFY(root);
    AudioWorkers workers(nullptr, 1);
    SendRun run(workers);
    QSignalSpy finished(&run, &SendRun::finished);
    run.start(root, u"MUSIC"_s, tracks, plan, TargetFormat::Mp3, {}, {}, false);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    QCOMPARE(run.ending(0)->outcome, TrackOutcome::MediumFull);
    QCOMPARE(whyNotSent(tracks.at(0), plan.tracks.at(0), run.ending(0), Language::English),
             u"not sent: no room"_s);
    QCOMPARE(QDir(mountPoint.filePath(u"MUSIC/Album"_s)).entryList(QDir::Files),
             (QStringList{u"2 short.wav"_s, u"3 short.wav"_s}));
}

void TestMusicSendVolume::readOnlyIsSaidOnce()
{
    messagebox::recordInsteadOfShowing();
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP/PLAYLIST/MUSIC"_s));
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir sources;
    QVERIFY(writeTone(sources.filePath(u"a.wav"_s), "wav", 1, 44100, 2));
    QTemporaryDir mountPoint;
    const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path(), true);
    QVERIFY2(window, qPrintable(volume.error()));
    QVERIFY((*window)->send().start({sources.path()}));
    QList<messagebox::Shown> shown;
    QTRY_VERIFY(!(shown += messagebox::takeShown()).isEmpty());
    QCOMPARE(shown.at(0).text,
             u"Nothing can be written on the PSP: its memory card is write-protected or "
             u"read-only. Nothing was sent."_s);
}

// The PSP fills up after the plan, once the album's folder is made: the
// folder, which nothing was written into, does not stay behind.
void TestMusicSendVolume::aFolderLeftEmptyGoes()
{
    messagebox::recordInsteadOfShowing();
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir sources;
    QVERIFY(writeTone(sources.filePath(u"a.wav"_s), "wav", 2, 44100, 2));
    QTemporaryDir mountPoint;
    const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path());
    QVERIFY2(window, qPrintable(volume.error()));
    QVERIFY((*window)->send().start({sources.filePath(u"a.wav"_s)}));
    SendPlanDialog *plan = planShown(*window);
    QVERIFY(plan);
    // All but a few blocks taken: enough for a folder, not for the track.
    QFile filler(mountPoint.filePath(u"filler"_s));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray chunk(64 * 1024, 'x');
    while (filler.write(chunk) == chunk.size() && filler.flush()) {
    }
    QVERIFY(filler.resize(filler.size() - 2 * chunk.size()));
    filler.close();
    plan->findChild<QPushButton *>(u"start"_s)->click();
    QList<messagebox::Shown> shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown += messagebox::takeShown()).isEmpty(), 20000);
    QVERIFY2(shown.at(0).text.startsWith(u"The PSP ran out of room"_s),
             qPrintable(shown.at(0).text));
    QTRY_VERIFY(QDir(mountPoint.filePath(u"MUSIC"_s)).isEmpty());
}

void TestMusicSendVolume::unpluggedInTheMiddle()
{
    messagebox::recordInsteadOfShowing();
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC/Disc"_s));
    // Left by a send that an earlier unplug cut short.
    QFile leftover(contents.filePath(u"MUSIC/Disc/zarvello-001a2b3c-6bb43ab0.tmp"_s));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    // Tracks of 10 MB, copied as they are: each takes a while to write.
    LoopVolume volume(contents.path(), 96);
    QTemporaryDir sources;
    QVERIFY(QDir(sources.path()).mkpath(u"Disc"_s));
    constexpr int tracks = 7;
    constexpr int seconds = 60;
    for (int i = 1; i <= tracks; ++i)
        QVERIFY(writeTone(sources.filePath(u"Disc/%1.wav"_s.arg(i)), "wav", seconds, 44100, 2));

    QTemporaryDir mountPoint;
    {
        const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path());
        QVERIFY2(window, qPrintable(volume.error()));
        QTRY_VERIFY(filesBelow(mountPoint.filePath(u"MUSIC"_s)).isEmpty());
        QSignalSpy finished(&(*window)->send(), &MusicSend::finished);
        QVERIFY((*window)->send().start({sources.filePath(u"Disc"_s)}));
        SendPlanDialog *plan = planShown(*window);
        QVERIFY(plan);
        plan->findChild<QPushButton *>(u"start"_s)->click();
        // Pulled out as a track is being written, once three are whole, while
        // another is still to come: the next copy waits for this thread.
        qsizetype whole = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QStringList files = filesBelow(mountPoint.filePath(u"MUSIC/Disc"_s));
                whole = files.filter(u".wav"_s).size();
                return !finished.isEmpty() ||
                       (!files.filter(u".tmp"_s).isEmpty() && whole > 2 && whole < tracks - 1);
            },
            60000));
        QVERIFY2(finished.isEmpty() && whole < tracks - 1, "the send ended before the unplug");
        messagebox::takeShown();
        QVERIFY2(volume.detach(), qPrintable(volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(!(*window)->isVisible(), 10000);
        // One box says how far it got; the one being committed may have made it.
        const QList<messagebox::Shown> shown = messagebox::takeShown();
        QCOMPARE(shown.size(), 1);
        const QRegularExpressionMatch said =
            QRegularExpression(u"^The PSP was unplugged: (\\d+) tracks? sent, (\\d+) not\\.$"_s)
                .match(shown.at(0).text);
        QVERIFY2(said.hasMatch(), qPrintable(shown.at(0).text));
        QVERIFY(said.captured(1).toInt() >= whole - 1);
        QCOMPARE(said.captured(1).toInt() + said.captured(2).toInt(), tracks);
    }

    // Plugged in again: every track there is whole, and nothing else is.
    const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path());
    QVERIFY2(window, qPrintable(volume.error()));
    // The leftovers go beside the arrival, not during it.
    QTRY_VERIFY(filesBelow(mountPoint.filePath(u"MUSIC"_s)).filter(u".tmp"_s).isEmpty());
    QVERIFY(!filesBelow(mountPoint.filePath(u"MUSIC"_s)).isEmpty());
    for (const QString &file : filesBelow(mountPoint.filePath(u"MUSIC"_s))) {
        QVERIFY2(file.endsWith(u".wav"_s), qPrintable(file));
        QVERIFY2(decodeAll(file).samples == seconds * 44100, qPrintable(file));
    }
    // The record names every one of them; what it names is there whole, or
    // not at all, to be sent again.
    const QMap<QString, qint64> there = musicFiles(mountPoint.path());
    const QMap<QString, qint64> recorded = recordedFiles(mountPoint.path());
    for (const auto &[file, bytes] : recorded.asKeyValueRange())
        QCOMPARE(there.value(file, bytes), bytes);
    for (const QString &file : there.keys())
        QVERIFY2(recorded.contains(file), qPrintable(file));
    // Each at the time it was written: a later sync tells it from a user's
    // file of its name by that.
    const SendRecord record = sendrecord::read(*VolumeRoot::open(mountPoint.path()));
    for (const RecordedTrack &track : record.tracks()) {
        const QFileInfo file(mountPoint.filePath(u"MUSIC/"_s + track.file));
        QVERIFY2(qAbs(file.lastModified().toMSecsSinceEpoch() - track.modified) < 2000,
                 qPrintable(track.file));
    }
    // Sent again, none is written a second time.
    QSignalSpy finished(&(*window)->send(), &MusicSend::finished);
    QVERIFY((*window)->send().start({sources.filePath(u"Disc"_s)}));
    SendPlanDialog *plan = planShown(*window);
    QVERIFY(plan);
    plan->findChild<QPushButton *>(u"start"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
    for (const QString &file : musicFiles(mountPoint.path()).keys())
        QVERIFY2(!file.contains(u" (2)"_s), qPrintable(file));
}

// Imported beside another's file at a track's name, saved on the PSP and opened
// again, each entry plays its own source (told apart by length), and that file stays.
void TestMusicSendVolume::importedPlaylistPlaysItsSources()
{
    messagebox::recordInsteadOfShowing();
    QTemporaryDir contents;
    const QString junk = u"MUSIC/Twin/1-01 Intro.mp3"_s;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s) &&
            QDir(contents.path()).mkpath(u"MUSIC/Twin"_s));
    QVERIFY(writeTone(contents.filePath(junk), "mp3", 4, 44100, 2));
    LoopVolume volume(contents.path());
    QTemporaryDir sources;
    QFile desktop(sources.filePath(u"Mix.m3u8"_s));
    QVERIFY(desktop.open(QIODevice::WriteOnly));
    QMap<QString, QString> tags{
        {u"album"_s, u"Twin"_s}, {u"title"_s, u"Intro"_s}, {u"track"_s, u"1"_s}};
    for (int i = 1; i <= 3; ++i) {
        tags[u"disc"_s] = u"%1/2"_s.arg(i);
        tags = i < 3 ? tags : QMap<QString, QString>{{u"title"_s, u"夜に駆ける 🌙"_s}};
        QVERIFY(writeTone(sources.filePath(u"%1.flac"_s.arg(i)), "flac", i, 44100, 2, tags));
        desktop.write(sources.filePath(u"%1.flac\n"_s.arg(i)).toUtf8());
    }
    desktop.close();
    QTemporaryDir mountPoint;
    const std::unique_ptr<TestMainWindow> window = plugIn(volume, mountPoint.path());
    QVERIFY2(window, qPrintable(volume.error()));
    const MainWindowControls &c = (*window)->controls();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(desktop.fileName())});
    QVERIFY(dropOn(*c.playlist.List1, data, 0));
    SendPlanDialog *plan = planShown(*window);
    QVERIFY(plan);
    plan->findChild<QPushButton *>(u"start"_s)->click();
    QTRY_COMPARE_WITH_TIMEOUT(c.playlist.List1->count(), 3, 20000);
    c.menus.save->trigger();
    c.menus.mnnew->trigger();
    c.saved.File2->setSelectedPosition(0);
    const QStringList entries = c.playlist.List1->items() + QStringList{u"/"_s + junk};
    QCOMPARE(entries.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QString file = mountPoint.path() + QString(entries.at(i)).replace(u'\\', u'/');
        QVERIFY2(qAbs(decodeAll(file).samples - (i + 1) * 44100) <= 1152, qPrintable(file));
    }
}

int main(int argc, char *argv[])
{
    return runVolumeTest<QApplication, TestMusicSendVolume>(argc, argv);
}

#include "e2e_musicsend.moc"
