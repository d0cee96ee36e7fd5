#include "audio/audioworkers.h"
#include "platform/sandbox.h"
#include "platform/volumeroot.h"
#include "support/audiofiles.h"
#include "support/pspdrive.h"
#include "transfer/sendrun.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The audio helper's locks, and what it refuses to look into.
class TestAudioHelper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void confinedReachesNothingElse_data();
    void confinedReachesNothingElse();
    void helperStartsWithNothing();
    void scratchOfTheGoneIsRemoved();
    void helperDecodesWhatItIsHanded();
    void implausibleSourcesAreRefused_data();
    void implausibleSourcesAreRefused();
    void aStalledSourceCostsItsTrackAlone_data();
    void aStalledSourceCostsItsTrackAlone();

private:
    QTemporaryDir m_folder;
    QString m_gone;    // a scratch folder left by a program that was killed
    QString m_missing; // what the system lacks to lock a helper in
};

void TestAudioHelper::initTestCase()
{
    qputenv("ZARVELLO_WORKER_TEST_JOBS", "1");
    QVERIFY(m_folder.isValid());
    // Before the first helper starts: a program whose process id is free.
    qputenv("TMPDIR", QFile::encodeName(m_folder.path()));
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    QCOMPARE(waitpid(gone, nullptr, 0), gone);
    m_gone = m_folder.filePath(u"zarvello-audio-%1-AbCdEf/1.mp3"_s.arg(gone));
    QVERIFY(QDir().mkpath(QFileInfo(m_gone).path()) && QFile(m_gone).open(QIODevice::WriteOnly));
    QVERIFY(QDir(m_folder.path()).mkpath(u"scratch"_s) && QDir(m_folder.path()).mkpath(u"home"_s));
    QVERIFY(writeTone(m_folder.filePath(u"home/tone.flac"_s), "flac", 2, 44100, 2));
}

namespace {

// What a confined child could do, a word each; "unconfined" and why when the
// system could not lock it in.
QStringList triedInChild(const QString &scratch, const QString &home, int handed, bool crowded)
{
    // A thread already running would not be held by the file rules.
    int blocked[2] = {};
    std::optional<std::thread> early;
    if (crowded && pipe(blocked) == 0)
        early.emplace([&blocked] {
            char byte;
            return read(blocked[0], &byte, 1);
        });
    const platform::Confinement confinement = platform::confine(scratch);
    if (early) {
        close(blocked[1]);
        early->join();
        return {confinement.crowded && !confinement.files && !confinement.calls ? u"crowded"_s
                                                                                : u"locked"_s};
    }
    if (!confinement.files || !confinement.calls)
        return {u"unconfined"_s, confinement.missing};
    const QByteArray secret = QFile::encodeName(home + u"/tone.flac"_s);
    const QByteArray dropped = QFile::encodeName(home + u"/dropped"_s);
    const QByteArray mine = QFile::encodeName(scratch + u"/mine"_s);
    const auto word = [](bool worked) {
        return worked ? u"works"_s : u"refused"_s;
    };
    QStringList tried;
    const int opened = open(secret.constData(), O_RDONLY | O_CLOEXEC);
    tried << word(opened >= 0);
    const int written = open(dropped.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    tried << word(written >= 0);
    const int socketMade = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    tried << word(socketMade >= 0);
    char *const arguments[] = {const_cast<char *>("/bin/true"), nullptr};
    char *const environment[] = {nullptr};
    tried << word(execve("/bin/true", arguments, environment) == 0);
    tried << word(fork() == 0);
    char start[4] = {};
    tried << word(pread(handed, start, sizeof start, 0) == sizeof start &&
                  QByteArrayView(start, 4) == "fLaC");
    const int own = open(mine.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    tried << word(own >= 0 && write(own, "x", 1) == 1);
    bool threadRan = false;
    std::thread([&threadRan] { threadRan = true; }).join();
    tried << word(threadRan);
    return tried;
}

} // namespace

// Locked in, a helper reaches nothing of the user's but what it is handed,
// and no network or program; its threads still run.
void TestAudioHelper::confinedReachesNothingElse_data()
{
    QTest::addColumn<bool>("crowded");
    QTest::newRow("alone") << false;
    QTest::newRow("another thread running") << true;
}

void TestAudioHelper::confinedReachesNothingElse()
{
    QFETCH(bool, crowded);
    const QString scratch = m_folder.filePath(u"scratch"_s);
    const QString home = m_folder.filePath(u"home"_s);
    const int handed = open(QFile::encodeName(home + u"/tone.flac"_s).constData(), O_RDONLY);
    int channel[2] = {};
    QVERIFY(handed >= 0 && pipe(channel) == 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const QByteArray tried = triedInChild(scratch, home, handed, crowded).join(u'|').toUtf8();
        _exit(write(channel[1], tried.constData(), size_t(tried.size())) == tried.size() ? 0 : 1);
    }
    close(channel[1]);
    QFile answer;
    QVERIFY(answer.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    const QStringList tried = QString::fromUtf8(answer.readAll()).split(u'|');
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    close(handed);
    if (crowded) {
        QCOMPARE(tried, QStringList{u"crowded"_s});
        return;
    }
    if (tried.value(0) == u"unconfined"_s) {
        m_missing = tried.value(1);
        QSKIP(qPrintable(u"This system cannot lock a helper in: "_s + m_missing));
    }
    const QStringList expected{u"refused"_s, u"refused"_s, u"refused"_s, u"refused"_s,
                               u"refused"_s, u"works"_s,   u"works"_s,   u"works"_s};
    QCOMPARE(tried, expected);
    QVERIFY(!QFile::exists(home + u"/dropped"_s));
    QVERIFY(QFile::exists(scratch + u"/mine"_s));
}

namespace {

// The audio helpers this test started, by process id.
QStringList helperProcesses()
{
    QStringList found;
    const QByteArray parent = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &process : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/%1/stat"_s.arg(process));
        // The parent's id is the second field after the name in brackets.
        if (stat.open(QIODevice::ReadOnly) &&
            stat.readAll().split(')').constLast().split(' ').value(2) == parent &&
            QFile::symLinkTarget(u"/proc/%1/exe"_s.arg(process)).endsWith(u"-audio-worker"_s))
            found.append(process);
    }
    return found;
}

} // namespace

// What a shell, a desktop or the program holds is not the helper's: not a
// descriptor the program inherited, nor its environment, working directory
// or rights.
void TestAudioHelper::helperStartsWithNothing()
{
    const QByteArray leaked = QFile::encodeName(m_folder.filePath(u"home/tone.flac"_s));
    const int inherited = open(leaked.constData(), O_RDONLY); // not closed at exec
    qputenv("DISPLAY", ":7");
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    workers.probe(m_folder.filePath(u"home/tone.flac"_s));
    QTRY_COMPARE(finished.size(), 1);
    close(inherited);
    const QStringList helpers = helperProcesses();
    QCOMPARE(helpers.size(), 1);
    const QString proc = u"/proc/"_s + helpers.at(0);
    for (const QString &file : QDir(proc + u"/fd"_s).entryList(QDir::System | QDir::NoDotAndDotDot))
        QVERIFY2(QFile::symLinkTarget(proc + u"/fd/"_s + file) != QFile::decodeName(leaked),
                 qPrintable(file));
    QFile environment(proc + u"/environ"_s);
    QVERIFY(environment.open(QIODevice::ReadOnly));
    const QList<QByteArray> variables = environment.readAll().split('\0');
    for (const QByteArray &variable : variables)
        QVERIFY2(!variable.startsWith("DISPLAY=") && !variable.startsWith("HOME=") &&
                     !variable.startsWith("DBUS_SESSION_BUS_ADDRESS="),
                 variable.constData());
    QVERIFY(QFileInfo(QFile::symLinkTarget(proc + u"/cwd"_s))
                .fileName()
                .startsWith(u"zarvello-audio-"_s));
    QFile status(proc + u"/status"_s);
    QVERIFY(status.open(QIODevice::ReadOnly));
    const QByteArray said = status.readAll();
    QVERIFY(said.contains("NoNewPrivs:\t1"));
    QVERIFY(m_missing.isEmpty() ? said.contains("Seccomp:\t2") : true);
    QFile limits(proc + u"/limits"_s);
    QVERIFY(limits.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromLatin1(limits.readAll())
                .contains(QRegularExpression(u"Max open files +64 +64"_s)));
}

// A scratch folder whose program is gone goes as a helper starts.
void TestAudioHelper::scratchOfTheGoneIsRemoved()
{
    QTRY_VERIFY(!QFileInfo::exists(QFileInfo(m_gone).path()));
}

// The helper, locked in, decodes a source the program opened for it, and
// says nothing of its locks when they all took hold. A cover beside the
// source that is a link leads nowhere: the program follows none.
void TestAudioHelper::helperDecodesWhatItIsHanded()
{
    if (m_missing.isEmpty())
        QTest::failOnWarning(QRegularExpression(u"without being locked in"_s));
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(m_folder.filePath(u"elsewhere.jpg"_s)));
    QVERIFY(
        QFile::link(m_folder.filePath(u"elsewhere.jpg"_s), m_folder.filePath(u"home/cover.jpg"_s)));
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    const QString mp3 = m_folder.filePath(u"tone.mp3"_s);
    workers.probe(m_folder.filePath(u"home/tone.flac"_s));
    workers.convert(m_folder.filePath(u"home/tone.flac"_s), TargetFormat::Mp3, mp3, {});
    QTRY_COMPARE(finished.size(), 2);
    const AudioJobResult probed = finished.at(0).at(1).value<AudioJobResult>();
    QCOMPARE(probed.status, AudioJobResult::Status::Done);
    QCOMPARE(probed.source.method, SendMethod::Convert);
    QCOMPARE(probed.source.seconds, 2.0);
    QCOMPARE(finished.at(1).at(1).value<AudioJobResult>().status, AudioJobResult::Status::Done);
    QCOMPARE(decodeAll(mp3).rate, 44100);
    TagLib::MPEG::File converted(QFile::encodeName(mp3).constData());
    QVERIFY(converted.hasID3v2Tag() && converted.ID3v2Tag()->frameList("APIC").isEmpty());
}

void TestAudioHelper::implausibleSourcesAreRefused_data()
{
    // Where a header's field lies (-2: the frame count of an MP3's Xing
    // frame), and what it says; -1 empties the file, -3 makes it a link to a
    // healthy track, -4 a pipe that no one writes.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("refused");
    const QByteArray sevenHertz = QByteArray::fromHex("07000000");
    QTest::newRow("healthy") << u"healthy.wav"_s << 0 << QByteArray() << false;
    QTest::newRow("7 Hz") << u"slow.wav"_s << 24 << sevenHertz << true;
    QTest::newRow("block_align 0") << u"align.wav"_s << 32 << QByteArray::fromHex("0000") << true;
    QTest::newRow("byte_rate 0") << u"rate.wav"_s << 28 << QByteArray::fromHex("00000000") << true;
    // A million frames: 7 hours, in 60 KB.
    QTest::newRow("7 hours in an MP3")
        << u"long.mp3"_s << -2 << QByteArray::fromHex("000f4240") << true;
    QTest::newRow("empty") << u"empty.wav"_s << -1 << QByteArray() << true;
    QTest::newRow("of the system") << u"/proc/self/status"_s << 0 << QByteArray() << true;
    QTest::newRow("of the devices") << u"/dev/zero"_s << 0 << QByteArray() << true;
    QTest::newRow("a link") << u"link.wav"_s << -3 << QByteArray() << true;
    QTest::newRow("a pipe") << u"pipe.wav"_s << -4 << QByteArray() << true;
}

void TestAudioHelper::implausibleSourcesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(int, offset);
    QFETCH(QByteArray, field);
    QFETCH(bool, refused);
    QString path = name;
    if (offset == -3) {
        path = m_folder.filePath(name);
        QVERIFY(QFile::link(m_folder.filePath(u"home/tone.flac"_s), path));
    } else if (offset == -4) {
        path = m_folder.filePath(name);
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (!name.startsWith(u'/')) {
        path = m_folder.filePath(name);
        QVERIFY(writeTone(path, name.endsWith(u".mp3"_s) ? "mp3" : "wav", 3, 44100, 2));
        QFile header(path);
        QVERIFY(header.open(QIODevice::ReadWrite));
        if (offset == -2) {
            const QByteArray start = header.read(4096);
            offset = int(std::max(start.indexOf("Xing"), start.indexOf("Info"))) + 8;
        }
        QVERIFY(offset >= 0 ? header.seek(offset) && header.write(field) == field.size()
                            : header.resize(0));
    }
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    workers.probe(path);
    QTRY_COMPARE(finished.size(), 1);
    const AudioJobResult result = finished.at(0).at(1).value<AudioJobResult>();
    const bool wasRefused =
        result.status != AudioJobResult::Status::Done || result.source.method == SendMethod::Refuse;
    QVERIFY2(wasRefused == refused, qPrintable(result.reason));
    QVERIFY(!refused || result.source.refusal == SourceTrack::Refusal::Damaged ||
            !result.reason.isEmpty());
}

void TestAudioHelper::aStalledSourceCostsItsTrackAlone_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("the watchdog ends it") << false;
    QTest::newRow("Cancel ends the run") << true;
}

// A source that stops answering halfway through its copy (the helper's test
// job stops reading after its first megabyte) holds up neither the other
// tracks nor Cancel, and leaves nothing on the PSP.
void TestAudioHelper::aStalledSourceCostsItsTrackAlone()
{
    QFETCH(bool, cancel);
    const PspDrive drive({}, {u"PSP"_s, u"MUSIC"_s});
    const std::shared_ptr<const VolumeRoot> volume = VolumeRoot::open(drive.root());
    QList<SourceTrack> sources;
    SendPlan plan;
    for (const QString &name : {u"test-stall.wav"_s, u"good.wav"_s}) {
        SourceTrack source;
        source.path = m_folder.filePath(name);
        QVERIFY(QFile::exists(source.path) || writeTone(source.path, "wav", 10, 44100, 2));
        source.method = SendMethod::Copy;
        source.size = QFileInfo(source.path).size();
        sources.append(source);
        PlannedTrack track;
        track.method = SendMethod::Copy;
        track.folder = u"Stalled"_s;
        track.fileName = name;
        track.bytes = source.size;
        plan.tracks.append(track);
    }
    AudioWorkers workers(nullptr, 1);
    workers.setSilenceLimit(cancel ? 3600 * 1000 : 1000);
    SendRun run(workers);
    QSignalSpy finished(&run, &SendRun::finished);
    run.start(volume, u"MUSIC"_s, sources, plan, TargetFormat::Mp3, {}, {}, false);
    const QDir album(drive.path(u"MUSIC/Stalled"_s));
    if (cancel) {
        // Its first megabyte is on the PSP, and then nothing.
        QTRY_VERIFY(run.bytesDone() >= 1024 * 1024);
        run.cancel();
    }
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(run.ending(0)->outcome, cancel ? TrackOutcome::Cancelled : TrackOutcome::Unreadable);
    QCOMPARE(run.ending(1)->outcome, cancel ? TrackOutcome::Cancelled : TrackOutcome::Sent);
    QCOMPARE(album.entryList(QDir::Files | QDir::Hidden),
             cancel ? QStringList() : QStringList{u"good.wav"_s});
}

QTEST_GUILESS_MAIN(TestAudioHelper)
#include "tst_audiohelper.moc"
