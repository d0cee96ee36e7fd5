#include "platform/volumeroot.h"
#include "transfer/sendtrack.h"

#include <cerrno>
#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A volume pulled out, or a program killed, once a number of changes are
// made: every change after fails, and never reaches the medium.
class PulledOut final : public VolumeRoot
{
public:
    PulledOut(std::shared_ptr<const VolumeRoot> volume, std::shared_ptr<int> changesLeft)
        : m_in(std::move(volume)), m_left(std::move(changesLeft))
    {}

    QString device() const override { return m_in->device(); }
    Result<QList<Entry>> entries(const QString &folder) const override
    {
        return m_in->entries(folder);
    }
    Result<> makeFolder(const QString &path) const override
    {
        return change() ? m_in->makeFolder(path) : gone();
    }
    Result<std::unique_ptr<VolumeRoot>> openFolder(const QString &path) const override
    {
        Result<std::unique_ptr<VolumeRoot>> opened = m_in->openFolder(path);
        if (opened)
            *opened = std::make_unique<PulledOut>(std::move(*opened), m_left);
        return opened;
    }
    Status status(const QString &path) const override { return m_in->status(path); }
    Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const override
    {
        return m_in->openFile(path, maxSize);
    }
    Result<> remove(const QString &path) const override
    {
        return change() ? m_in->remove(path) : gone();
    }
    Result<> removeEmptyFolder(const QString &path) const override
    {
        return change() ? m_in->removeEmptyFolder(path) : gone();
    }
    Result<std::unique_ptr<NewFile>> createNew(const QString &path) const override
    {
        return change() ? m_in->createNew(path) : gone();
    }
    Result<> commit(NewFile &file, const QString &path, IfTaken ifTaken) const override
    {
        return change() ? m_in->commit(file, path, ifTaken) : gone();
    }
    QList<Result<>> flush(const QList<NewFile *> &files) const override
    {
        return change() ? m_in->flush(files) : QList<Result<>>(files.size(), Result<>(gone()));
    }
    Result<> append(const QString &path, QByteArrayView bytes, qint64 maxSize) const override
    {
        return change() ? m_in->append(path, bytes, maxSize) : gone();
    }
    qint64 freeBytes() const override { return m_in->freeBytes(); }
    Result<> hide(const QString &path) const override
    {
        return change() ? m_in->hide(path) : gone();
    }

private:
    bool change() const { return *m_left > 0 && (--*m_left, true); }
    static FileError gone() { return FileError::fromErrno(EIO); }

    std::shared_ptr<const VolumeRoot> m_in;
    std::shared_ptr<int> m_left;
};

} // namespace

// Tracks sent in a group leave the record true whenever the volume goes.
class TestSendTrack : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void recordTrueWheneverPulledOut_data();
    void recordTrueWheneverPulledOut();
};

void TestSendTrack::recordTrueWheneverPulledOut_data()
{
    QTest::addColumn<int>("changes");
    for (int changes = 0; changes < 9; ++changes)
        QTest::addRow("pulled out after %d changes", changes) << changes;
    QTest::newRow("left in") << 100;
}

void TestSendTrack::recordTrueWheneverPulledOut()
{
    QFETCH(int, changes);
    QTemporaryDir sources;
    QTemporaryDir psp;
    QVERIFY(QDir(psp.path()).mkpath(u"MUSIC"_s));
    const std::shared_ptr<const VolumeRoot> volume = VolumeRoot::open(psp.path());
    RecordJournal journal{SendRecord()};
    QVERIFY(journal.save(*volume));
    QList<TrackToSend> tracks;
    for (int i = 1; i <= 3; ++i) {
        const QString source = sources.filePath(u"%1.mp3"_s.arg(i));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1000 * i, char('a' + i))));
        file.close();
        PlannedTrack planned;
        planned.method = SendMethod::Copy;
        planned.folder = u"Album"_s;
        planned.fileName = u"%1.mp3"_s.arg(i);
        planned.bytes = 1000 * i;
        tracks.append({source,
                       planned,
                       {SourceIdentity::of(source), u"copy"_s, u"Album/"_s + planned.fileName},
                       0,
                       false});
    }
    std::atomic_bool cancelled = false;
    std::atomic<qint64> progress = 0;
    sendTracks(PulledOut(volume, std::make_shared<int>(changes)), u"MUSIC"_s, tracks, journal,
               cancelled, progress, AudioWorkers::Copies());

    // Every track under its name is whole and recorded, not to be written
    // again beside as "(2)"; one recorded and missing is sent again.
    const SendRecord record = sendrecord::read(*volume);
    int named = 0;
    for (const TrackToSend &track : tracks) {
        const QString file = psp.filePath(u"MUSIC/"_s + track.recorded.file);
        if (!QFile::exists(file))
            continue;
        ++named;
        const RecordedTrack *recorded = record.byFile(track.recorded.file);
        QVERIFY2(recorded, qPrintable(track.recorded.file));
        QCOMPARE(recorded->bytes, track.track.bytes);
        QCOMPARE(QFileInfo(file).size(), track.track.bytes);
    }
    QCOMPARE(named == 3, changes >= 9);
    QCOMPARE(progress.load(), 6000);
}

QTEST_GUILESS_MAIN(TestSendTrack)
#include "tst_sendtrack.moc"
