#include "core/writerlock.h"
#include "support/pspdrive.h"
#include "transfer/pspowner.h"

#include <QSignalSpy>
#include <QTest>

class TestPspOwner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void holdsThePspForOneWriter();
};

// The lock goes with the writer that holds it, or with the PSP: never with
// another writer ending, which would let a second program write beside the
// first.
void TestPspOwner::holdsThePspForOneWriter()
{
    PspDrive drive;
    const std::unique_ptr<VolumeRoot> volume = VolumeRoot::open(drive.root());
    QVERIFY(volume);
    const auto free = [&volume] {
        return bool(WriterLock::take(*volume));
    };
    PspOwner owner;
    QObject writer;
    QObject other;
    Result<std::shared_ptr<const WriterLock>> taken = WriterLock::take(*volume);
    QVERIFY(taken && *taken);
    owner.hold(&writer, std::move(*taken), [] { return PspOwner::Tally{3, 7, true}; });
    QVERIFY(!free());

    owner.letGo(&other);
    QVERIFY(!free());

    QSignalSpy left(&owner, &PspOwner::left);
    const std::optional<PspOwner::Tally> tally = owner.leave();
    QCOMPARE(left.size(), 1);
    QVERIFY(tally && tally->sending);
    QCOMPARE(tally->sent, 3);
    QCOMPARE(tally->planned, 7);
    QVERIFY(free());
    // Nothing held, nothing counted: a PSP that leaves while nothing writes.
    QVERIFY(!owner.leave());
}

QTEST_MAIN(TestPspOwner)

#include "tst_pspowner.moc"
