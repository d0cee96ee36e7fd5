#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/sendprogressdialog.h"
#include "core/writerlock.h"
#include "platform/volumeroot.h"
#include "send/musicsend.h"
#include "send/senddialogs.h"
#include "support/audiofiles.h"
#include "support/drops.h"
#include "support/fakes.h"
#include "support/pspdrive.h"
#include "transfer/sendrun.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

using namespace Qt::StringLiterals;

// Music from the computer dropped on the playlist: converted or copied into
// album folders on a PSP drive, its entries where it was dropped.
class TestMusicSend : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void convertedCopiedAndInserted();
    void tracksAlreadyThereAreNotSentAgain();
    void copiesGetWhatThePspReads();
    void loudSourcesKeepTheirLevel_data();
    void loudSourcesKeepTheirLevel();
    void fileDialogGoesIntoTypedFoldersAndRemembers();
    void aSendWithoutPspEndsAtOnce();
    void failuresCostTheirTrackAlone();
    void cancelEndsRunningJobsOnce();
    void estimateMatchesEncodes_data();
    void estimateMatchesEncodes();
    void missingHelperFailsEveryJob_data();
    void missingHelperFailsEveryJob();
    void aSendEndsOnce_data();
    void aSendEndsOnce();
    void aTrackReplacesItsEarlierFile_data();
    void aTrackReplacesItsEarlierFile();
    void aSendThatCannotBeRecordedSendsNothing_data();
    void aSendThatCannotBeRecordedSendsNothing();

private:
    // The plan dialog's Start, once the plan is known; null if it never is.
    QPushButton *startWhenPlanned();
    // Presses Start once the plan is known; the send's lines when it is over.
    QList<SentTrack> startAndWait();

    std::unique_ptr<TestMainWindow> m_window;
    PspDrive m_drive;
    // The program's own temporary files go there, beside the sources.
    QTemporaryDir m_temporary;
    QTemporaryDir m_sources{m_temporary.filePath(u"sources-XXXXXX"_s)};
    // Named in the playlists' code page (1252 here); the tags keep "東京".
    const QString m_album = u"\\MUSIC\\Ünï - Live_ 1_2\\03 Été à dong jing.mp3"_s;
};

void TestMusicSend::initTestCase()
{
    messagebox::recordInsteadOfShowing();
    qputenv("TMPDIR", QFile::encodeName(m_temporary.path()));
    qputenv("ZARVELLO_WORKER_TEST_JOBS", "1");
    m_window = std::make_unique<TestMainWindow>();
    m_drive.plugInto(*m_window);
    QDir(m_sources.path()).mkpath(u"Album"_s);
    QVERIFY(writeTone(m_sources.filePath(u"Album/a.flac"_s), "flac", 3, 48000, 2,
                      {{u"title"_s, u"Été à 東京"_s},
                       {u"artist"_s, u"Ünï"_s},
                       {u"album"_s, u"Live: 1/2"_s},
                       {u"track"_s, u"3/12"_s}}));
    QVERIFY(writeTone(m_sources.filePath(u"Album/b.wav"_s), "wav", 1, 44100, 1));
    QImage cover(800, 600, QImage::Format_RGB32);
    cover.fill(Qt::darkCyan);
    QVERIFY(cover.save(m_sources.filePath(u"Album/cover.jpg"_s)));
}

void TestMusicSend::fileDialogGoesIntoTypedFoldersAndRemembers()
{
    QStandardPaths::setTestModeEnabled(true);
    const QString album = QDir(m_sources.filePath(u"Album"_s)).canonicalPath();
    {
        SendFileDialog dialog(nullptr, Language::English);
        QVERIFY(dialog.nameFilters().first().contains(u"*.flac"_s));
        QVERIFY(dialog.nameFilters().first().contains(u"*.xspf"_s));
        dialog.show();
        auto *name = dialog.findChild<QLineEdit *>(u"fileNameEdit"_s);
        name->setText(album);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(dialog.directory().canonicalPath(), album);
        QVERIFY(dialog.isVisible());
        dialog.selectFile(u"a.flac"_s);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(SendFileDialog(nullptr, Language::French).directory().canonicalPath(), album);
}

// Its continuation runs, once, though the send ends before start returns; the
// next send is taken, and does not run the earlier one's.
void TestMusicSend::aSendWithoutPspEndsAtOnce()
{
    QWidget window;
    QLineEdit lettre;
    PspOwner owner;
    MusicSend send(
        window, lettre, lettre, 1252, [] { return std::unique_ptr<VolumeRoot>(); }, owner);
    int ran = 0;
    QVERIFY(send.start({u"/a.flac"_s}, {},
                       [&](const QList<SentTrack> &lines) { ran += int(lines.size()); }));
    QVERIFY(send.start({u"/b.flac"_s}));
    QCOMPARE(ran, 1);
    QCOMPARE(messagebox::takeShown().size(), 2);
}

QPushButton *TestMusicSend::startWhenPlanned()
{
    QPushButton *start = nullptr;
    const bool planned = QTest::qWaitFor(
        [&] {
            for (SendPlanDialog *plan : (*m_window)->findChildren<SendPlanDialog *>()) {
                if (plan->isVisible())
                    start = plan->findChild<QPushButton *>(u"start"_s);
            }
            return start && start->isEnabled();
        },
        20000);
    return planned ? start : nullptr;
}

QList<SentTrack> TestMusicSend::startAndWait()
{
    QSignalSpy finished(&(*m_window)->send(), &MusicSend::finished);
    QPushButton *start = startWhenPlanned();
    // Enter starts, and a screen reader reads the plan as the dialog opens.
    if (!start || start->window()->focusWidget() != start ||
        !start->window()->accessibleDescription().contains(u"Tracks"_s))
        return {};
    start->click();
    if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, 60000))
        return {};
    return finished.at(0).at(0).value<QList<SentTrack>>();
}

void TestMusicSend::convertedCopiedAndInserted()
{
    ListBox &playlist = *(*m_window)->controls().playlist.List1;
    playlist.addItems({u"\\x.mp3"_s, u"\\y.mp3"_s});
    // A track already on the drive, dropped between them, keeps its place.
    QVERIFY(QFile(m_drive.path(u"on.mp3"_s)).open(QIODevice::WriteOnly));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(m_sources.filePath(u"Album/a.flac"_s)),
                  QUrl::fromLocalFile(m_drive.path(u"on.mp3"_s)),
                  QUrl::fromLocalFile(m_sources.filePath(u"Album/b.wav"_s))});
    QVERIFY(dropOn(playlist, data, 1));
    const QList<SentTrack> sent = startAndWait();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(playlist.items(), (QStringList{u"\\x.mp3"_s, m_album, u"\\on.mp3"_s,
                                            u"\\MUSIC\\Album\\b.wav"_s, u"\\y.mp3"_s}));

    // Copied byte for byte; converted to 44.1 kHz, as long as the source to a frame.
    QFile source(m_sources.filePath(u"Album/b.wav"_s));
    QFile copy(m_drive.path(u"MUSIC/Album/b.wav"_s));
    QVERIFY(source.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), source.readAll());
    const QString mp3 = m_drive.path(m_album.mid(1).replace(u'\\', u'/'));
    const Decoded decoded = decodeAll(mp3);
    QCOMPARE(decoded.rate, 44100);
    QCOMPARE(decoded.channels, 2);
    QVERIFY2(qAbs(decoded.samples - 3 * 44100) <= 1152,
             qPrintable(QString::number(decoded.samples)));

    // ID3v2.3 in UTF-16 where Latin-1 cannot say it, ID3v1, the Xing/LAME
    // frame first, and the cover scaled down as a baseline JPEG.
    TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
    QVERIFY(file.hasID3v2Tag() && file.hasID3v1Tag());
    TagLib::ID3v2::Tag *tag = file.ID3v2Tag();
    QCOMPARE(tag->header()->majorVersion(), 3u);
    QCOMPARE(QString::fromStdString(tag->title().to8Bit(true)), u"Été à 東京"_s);
    QCOMPARE(tag->frameList("TRCK").front()->toString(), TagLib::String("3/12"));
    QCOMPARE(QString::fromStdString(file.ID3v1Tag()->title().to8Bit(true)), u"Été à dong jing"_s);
    const auto *title =
        dynamic_cast<TagLib::ID3v2::TextIdentificationFrame *>(tag->frameList("TIT2").front());
    QCOMPARE(title->textEncoding(), TagLib::String::UTF16);
    QFile bytes(mp3);
    QVERIFY(bytes.open(QIODevice::ReadOnly));
    const QByteArray firstFrame =
        bytes.readAll().mid(qsizetype(tag->header()->completeTagSize()), 400);
    QVERIFY(firstFrame.contains("Xing") || firstFrame.contains("Info"));
    const auto *picture =
        dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(tag->frameList("APIC").front());
    const QByteArray jpeg(picture->picture().data(), picture->picture().size());
    QCOMPARE(QImage::fromData(jpeg).size(), QSize(500, 375));
    QVERIFY(jpeg.contains("\xff\xc0") && !jpeg.contains("\xff\xc2"));

    QDirIterator files(m_drive.path(u"MUSIC"_s), QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    QStringList names;
    while (files.hasNext())
        names.append(QFileInfo(files.next()).fileName());
    names.sort();
    QCOMPARE(names, (QStringList{u"03 Été à dong jing.mp3"_s, u"b.wav"_s}));
    // The PSP's record names what was written there, with its sizes.
    QCOMPARE(recordedFiles(m_drive.root()), musicFiles(m_drive.root()));
    QVERIFY(messagebox::takeShown().at(0).text.startsWith(u"Tracks sent to the PSP: 2."_s));
}

void TestMusicSend::tracksAlreadyThereAreNotSentAgain()
{
    // Again, in a folder with a new track and a link to it.
    QVERIFY(writeTone(m_sources.filePath(u"Album/c.flac"_s), "flac", 1, 44100, 1));
    QVERIFY(QFile::link(u"c.flac"_s, m_sources.filePath(u"Album/d.flac"_s)));
    QVERIFY((*m_window)->send().start({m_sources.filePath(u"Album"_s)}));
    const QList<SentTrack> sent = startAndWait();
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent.at(0).entry, m_album);
    QCOMPARE(sent.at(1).entry, u"\\MUSIC\\Album\\b.wav"_s);
    QCOMPARE(sent.at(2).entry, u"\\MUSIC\\Album\\c.mp3"_s);
    QCOMPARE(QDir(m_drive.path(u"MUSIC/Album"_s)).entryList(QDir::Files),
             (QStringList{u"b.wav"_s, u"c.mp3"_s}));
    QCOMPARE(decodeAll(m_drive.path(u"MUSIC/Album/c.mp3"_s)).channels, 1);
    TagLib::MPEG::File untagged(
        QFile::encodeName(m_drive.path(u"MUSIC/Album/c.mp3"_s)).constData());
    QCOMPARE(untagged.tag()->title() + "|" + untagged.tag()->album(), TagLib::String("c|Album"));
    const QString report = messagebox::takeShown().at(0).text;
    // Good news, not a failure: counted apart, under a heading of their own.
    QVERIFY2(report.startsWith(u"Tracks sent to the PSP: 1.\nAlready on the PSP, kept as they are: "
                               u"2.\nNot sent: 1.\n"_s) &&
                 report.contains(u" written, free space left: "_s) &&
                 report.contains(u".\nAlready on the PSP (2):"_s),
             qPrintable(report));
    QVERIFY(report.contains(u"A link: not followed (1):\n  "_s));
    QVERIFY(report.endsWith(u"d.flac"_s));
}

void TestMusicSend::copiesGetWhatThePspReads()
{
    // An ID3v2.4 tag with a large progressive cover, and a music video, are
    // copied into what the PSP reads; an ID3v2.3 tag stays as it is, byte for byte.
    const QString folder = m_sources.filePath(u"Copies"_s);
    QVERIFY(QDir().mkpath(folder));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(QImage(m_sources.filePath(u"Album/cover.jpg"_s)).scaled(1500, 1500)));
    for (const int version : {3, 4}) {
        const QString path = folder + u"/v%1.mp3"_s.arg(version);
        QVERIFY(writeTone(path, "mp3", 2, 44100, 2));
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        file.ID3v2Tag(true)->setTitle(TagLib::String("v" + std::to_string(version)));
        if (version == 4) {
            auto *picture = new TagLib::ID3v2::AttachedPictureFrame;
            picture->setPicture(TagLib::ByteVector(buffer.data().constData(), uint(buffer.size())));
            picture->setMimeType("image/jpeg");
            file.ID3v2Tag()->addFrame(picture);
        }
        QVERIFY(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
                          TagLib::ID3v2::Version(version)));
    }
    QVERIFY(writeTone(folder + u"/video.mp4"_s, "mp4", 2, 44100, 2));
    QVERIFY((*m_window)->send().start({folder}));
    QCOMPARE(startAndWait().size(), 3);
    QVERIFY(messagebox::takeShown().at(0).text.startsWith(u"Tracks sent to the PSP: 3."_s));
    AudioWorkers workers(nullptr, 1);
    QSignalSpy probed(&workers, &AudioWorkers::finished);
    for (const QString &name : {u"v3.mp3"_s, u"v4.mp3"_s, u"video.m4a"_s})
        workers.probe(m_drive.path(u"MUSIC/Copies/"_s + name));
    QTRY_COMPARE(probed.size(), 3);
    for (const QList<QVariant> &result : probed)
        QCOMPARE(result.at(1).value<AudioJobResult>().source.method, SendMethod::Copy);
    QCOMPARE(QFileInfo(m_drive.path(u"MUSIC/Copies/v3.mp3"_s)).size(),
             QFileInfo(folder + u"/v3.mp3"_s).size());
    TagLib::MPEG::File v4(QFile::encodeName(m_drive.path(u"MUSIC/Copies/v4.mp3"_s)).constData());
    QVERIFY(v4.hasID3v1Tag() && v4.ID3v2Tag()->header()->majorVersion() == 3 &&
            !v4.ID3v2Tag()->frameList("APIC").isEmpty());
    const auto *shown = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(
        v4.ID3v2Tag()->frameList("APIC").front());
    QCOMPARE(QImage::fromData(QByteArray(shown->picture().data(), shown->picture().size())).width(),
             500);
    QCOMPARE(decodeAll(m_drive.path(u"MUSIC/Copies/video.m4a"_s)).samples,
             decodeAll(folder + u"/video.mp4"_s).samples);
}

void TestMusicSend::loudSourcesKeepTheirLevel_data()
{
    QTest::addColumn<int>("channels");
    QTest::newRow("stereo") << 2;
    // Every channel at 0.9 of full scale; front, centre and surround weigh 1,
    // 0.707 and 0.707, 2.4 times the level unless scaled to add up to 1.
    QTest::newRow("5.1") << 6;
}

void TestMusicSend::loudSourcesKeepTheirLevel()
{
    QFETCH(int, channels);
    const QString source = m_sources.filePath(u"loud.flac"_s);
    const QString mp3 = m_sources.filePath(u"loud.mp3"_s);
    QVERIFY(writeTone(source, "flac", 2, 44100, channels, {}, 0.9));
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    workers.convert(source, TargetFormat::Mp3, mp3, {});
    QTRY_COMPARE(finished.size(), 1);
    const double peak = decodeAll(mp3).peak;
    QVERIFY2(peak <= 1 && qAbs(20 * std::log10(peak / 0.9)) < 2, qPrintable(QString::number(peak)));
}

void TestMusicSend::failuresCostTheirTrackAlone()
{
    // A header bit flipped: 536,915,012 Hz; a helper that dies in the middle
    // of a track; a read error halfway through the source.
    QDir(m_sources.path()).mkpath(u"Bad"_s);
    const QString damaged = m_sources.filePath(u"Bad/damaged.wav"_s);
    QVERIFY(writeTone(damaged, "wav", 1, 44100, 1));
    QFile header(damaged);
    QVERIFY(header.open(QIODevice::ReadWrite) && header.seek(24));
    header.write(QByteArray::fromHex("449c0020"));
    header.close();
    for (const QString &name : {u"good"_s, u"test-abort"_s, u"test-read-error"_s})
        QVERIFY(writeTone(m_sources.filePath(u"Bad/%1.flac"_s.arg(name)), "flac", 10, 44100, 2));
    QVERIFY((*m_window)->send().start({m_sources.filePath(u"Bad"_s)}));
    const QList<SentTrack> sent = startAndWait();
    QCOMPARE(sent.size(), 4);
    QCOMPARE(sent.at(0).failure, u"damaged"_s);
    QCOMPARE(sent.at(1).entry, u"\\MUSIC\\Bad\\good.mp3"_s);
    QCOMPARE(sent.at(2).failure, u"could not be converted: the audio helper crashed (Aborted)"_s);
    QCOMPARE(sent.at(3).failure, u"could not be converted: Input/output error"_s);
    QCOMPARE(QDir(m_drive.path(u"MUSIC/Bad"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"good.mp3"_s});
    // Nothing left behind but the running helpers' scratch folders, empty.
    const QDir temporary(m_temporary.path());
    // Listed once each time: helpers start and end between two listings.
    const auto leftBehind = [&] {
        QStringList left = temporary.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        left.removeOne(QFileInfo(m_sources.path()).fileName());
        return left.size() - left.filter(u"zarvello-audio-"_s).size();
    };
    QTRY_COMPARE(leftBehind(), 0);
    for (const QString &helper : temporary.entryList({u"zarvello-audio-*"_s}, QDir::Dirs))
        QVERIFY(QDir(temporary.filePath(helper)).isEmpty());
    QVERIFY(messagebox::takeShown().at(0).text.startsWith(u"Tracks sent to the PSP: 1."_s));
}

void TestMusicSend::cancelEndsRunningJobsOnce()
{
    const QString track = m_sources.filePath(u"long.flac"_s);
    QVERIFY(writeTone(track, "flac", 120, 44100, 2));
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    connect(&workers, &AudioWorkers::progressed, &workers, &AudioWorkers::cancelAll);
    workers.convert(track, TargetFormat::Mp3, m_temporary.filePath(u"long.mp3"_s), {});
    workers.probe(track);
    QTRY_COMPARE(finished.size(), 2);
    for (const QList<QVariant> &result : finished)
        QVERIFY(result.at(1).value<AudioJobResult>().status == AudioJobResult::Status::Cancelled);
    // A helper is started again for the next job.
    workers.probe(track);
    QTRY_COMPARE(finished.size(), 3);
    QCOMPARE(finished.at(2).at(1).value<AudioJobResult>().source.method, SendMethod::Convert);
    // A cancelled conversion leaves nothing at its output.
    QVERIFY(!QFile::exists(m_temporary.filePath(u"long.mp3"_s)) && QFile::remove(track));
}

void TestMusicSend::estimateMatchesEncodes_data()
{
    QTest::addColumn<TargetFormat>("format");
    QTest::addColumn<Quality>("quality");
    for (const int level : mp3Levels)
        QTest::addRow("MP3 V%d", level) << TargetFormat::Mp3 << Quality{level, 0};
    for (const int rate : aacBitRates)
        QTest::addRow("AAC %d", rate) << TargetFormat::Aac << Quality{0, rate};
}

void TestMusicSend::estimateMatchesEncodes()
{
    QFETCH(TargetFormat, format);
    QFETCH(Quality, quality);
    constexpr double seconds = 8;
    const QString source = m_sources.filePath(u"hiss.flac"_s);
    QVERIFY(QFile::exists(source) || writeTone(source, "flac", seconds, 44100, 2, {}, 0.3, 0.2));
    const QString output = m_temporary.filePath(u"hiss."_s + extensionOf(format));
    AudioWorkers workers(nullptr, 1);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    workers.convert(source, format, output, {}, quality);
    QTRY_COMPARE(finished.size(), 1);
    // The sound's share of the estimate, without what is set aside for tags and clusters.
    const double sound =
        double(estimatedSize(format, quality, seconds) - estimatedSize(format, quality, 0));
    const qint64 real = QFileInfo(output).size();
    QVERIFY2(qAbs(real - sound) < 0.2 * sound, qPrintable(u"%1 for %2"_s.arg(real).arg(sound)));
    QVERIFY(QFile::remove(output));
}

void TestMusicSend::missingHelperFailsEveryJob_data()
{
    QTest::addColumn<QString>("helper");
    QTest::newRow("missing") << m_sources.filePath(u"none"_s);
    QTest::newRow("not ours") << u"/bin/true"_s;
}

void TestMusicSend::missingHelperFailsEveryJob()
{
    QFETCH(QString, helper);
    // Said once: the jobs after fail at once, without another start.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot be used"_s));
    QTest::failOnWarning(QRegularExpression(u"cannot be used"_s));
    AudioWorkers workers(nullptr, 2, helper);
    QSignalSpy finished(&workers, &AudioWorkers::finished);
    for (int i = 0; i < 3; ++i)
        workers.probe(m_sources.filePath(u"Album/b.wav"_s));
    QTRY_COMPARE(finished.size(), 3);
    workers.probe(m_sources.filePath(u"Album/b.wav"_s));
    QTRY_COMPARE(finished.size(), 4);
    for (const QList<QVariant> &result : finished)
        QVERIFY(result.at(1).value<AudioJobResult>().status ==
                AudioJobResult::Status::HelperMissing);
}

void TestMusicSend::aSendEndsOnce_data()
{
    QTest::addColumn<bool>("started");
    QTest::newRow("close the plan dialog") << false;
    QTest::newRow("cancel during copies") << true;
}

// However it ends, a send ends once, and says what is really on the PSP.
void TestMusicSend::aSendEndsOnce()
{
    QFETCH(bool, started);
    const QString folder = m_sources.filePath(u"Ending"_s);
    for (int i = 0; i < 6 && QDir().mkpath(folder); ++i)
        QVERIFY(writeTone(folder + u"/%1.wav"_s.arg(i), "wav", 60, 44100, 2));
    QSignalSpy finished(&(*m_window)->send(), &MusicSend::finished);
    QVERIFY((*m_window)->send().start({folder}));
    QPushButton *start = startWhenPlanned();
    QVERIFY(start);
    const QDir written(m_drive.path(u"MUSIC/Ending"_s));
    if (started) {
        start->click();
        // Once a track is on the PSP, as the next one is being written.
        QVERIFY(QTest::qWaitFor(
            [&] { return !finished.isEmpty() || !written.entryList({u"*.wav"_s}).isEmpty(); }));
        if (auto *progress = (*m_window)->findChild<SendProgressDialog *>())
            progress->reject();
    } else {
        start->window()->close();
    }
    QTRY_COMPARE(finished.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 1);
    int sent = 0;
    for (const SentTrack &line : finished.at(0).at(0).value<QList<SentTrack>>())
        sent += !line.entry.isEmpty();
    QCOMPARE(written.entryList(QDir::Files | QDir::Hidden).size(), sent);
    QCOMPARE(recordedFiles(m_drive.root()), musicFiles(m_drive.root()));
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), int(started));
    QVERIFY(!started || shown.at(0).text.startsWith(u"Tracks sent to the PSP: %1."_s.arg(sent)));
}

void TestMusicSend::aTrackReplacesItsEarlierFile_data()
{
    QTest::addColumn<QString>("earlier");
    QTest::newRow("in another format") << u"Again/b.mp3"_s;
    QTest::newRow("changed, under its own name") << u"Again/b.wav"_s;
}

// The earlier file of ours goes once the new one is in place and recorded.
void TestMusicSend::aTrackReplacesItsEarlierFile()
{
    QFETCH(QString, earlier);
    const std::shared_ptr<const VolumeRoot> volume = VolumeRoot::open(m_drive.root());
    m_drive.addFile(u"MUSIC/"_s + earlier, "earlier");
    SendRecord record = sendrecord::read(*volume);
    record.put({{u"/earlier.wav"_s, 7, 0}, u"copy"_s, earlier, 7, false});
    SourceTrack source;
    source.path = m_sources.filePath(u"Album/b.wav"_s);
    source.method = SendMethod::Copy;
    source.size = QFileInfo(source.path).size();
    PlannedTrack track;
    track.method = SendMethod::Copy;
    track.folder = u"Again"_s;
    track.fileName = u"b.wav"_s;
    track.replaces = earlier;
    SendPlan plan;
    plan.tracks.append(track);
    AudioWorkers workers(nullptr, 1);
    SendRun run(workers);
    QSignalSpy finished(&run, &SendRun::finished);
    run.start(volume, u"MUSIC"_s, {source}, plan, TargetFormat::Mp3, {}, record, false);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(run.ending(0)->outcome, TrackOutcome::Sent);
    QCOMPARE(QDir(m_drive.path(u"MUSIC/Again"_s)).entryList(QDir::Files), QStringList{u"b.wav"_s});
    QCOMPARE(recordedFiles(m_drive.root()).value(u"Again/b.wav"_s), source.size);
    QCOMPARE(recordedFiles(m_drive.root()), musicFiles(m_drive.root()));
}

QTEST_MAIN(TestMusicSend)
void TestMusicSend::aSendThatCannotBeRecordedSendsNothing_data()
{
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("said");
    QTest::newRow("record cannot be written") << false << u"could not be written"_s;
    QTest::newRow("another writer") << true << u"Another Zarvello is writing"_s;
}

// What is sent unrecorded would be sent again as new copies by every later
// send, and another writer would write over it: said before anything is
// looked at or sent.
void TestMusicSend::aSendThatCannotBeRecordedSendsNothing()
{
    QFETCH(bool, busy);
    QFETCH(QString, said);
    const bool recorded = QFileInfo::exists(m_drive.path(u".zarvello"_s));
    QVERIFY(!recorded ||
            QDir().rename(m_drive.path(u".zarvello"_s), m_drive.path(u".zarvello-kept"_s)));
    std::shared_ptr<const WriterLock> writer;
    if (busy) {
        const Result<std::shared_ptr<const WriterLock>> taken =
            WriterLock::take(*VolumeRoot::open(m_drive.root()));
        QVERIFY(taken && *taken);
        writer = *taken;
    } else {
        QVERIFY(QDir().mkpath(m_drive.path(u".zarvello/record.json"_s)));
    }
    const QMap<QString, qint64> before = musicFiles(m_drive.root());
    QVERIFY(writeTone(m_sources.filePath(u"Album/e.wav"_s), "wav", 1, 44100, 1));
    messagebox::takeShown();
    QSignalSpy finished(&(*m_window)->send(), &MusicSend::finished);
    QVERIFY((*m_window)->send().start({m_sources.filePath(u"Album/e.wav"_s)}));
    QVERIFY(finished.wait(20000));
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.at(0).text.contains(said), qPrintable(shown.at(0).text));
    QCOMPARE(musicFiles(m_drive.root()), before);
    writer.reset();
    QVERIFY(QDir(m_drive.path(u".zarvello"_s)).removeRecursively());
    QVERIFY(!recorded ||
            QDir().rename(m_drive.path(u".zarvello-kept"_s), m_drive.path(u".zarvello"_s)));
}

#include "tst_musicsend.moc"
