#include "core/temporaryfiles.h"
#include "support/loopvolume.h"

#include <cerrno>
#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <sys/mount.h>

using namespace Qt::StringLiterals;

// A file written through a volume's handle fails as the volume says, so that
// a full medium, a read-only one and a name taken are told apart.
class TestVolumeRoot : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newFileFailsAsTheVolumeSays_data();
    void newFileFailsAsTheVolumeSays();
};

void TestVolumeRoot::newFileFailsAsTheVolumeSays_data()
{
    QTest::addColumn<int>("failure");
    QTest::newRow("full") << ENOSPC;
    QTest::newRow("read-only") << EROFS;
    QTest::newRow("name taken") << EEXIST;
}

void TestVolumeRoot::newFileFailsAsTheVolumeSays()
{
    QFETCH(int, failure);
    QTemporaryDir mountPoint;
    LoopVolume volume;
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    QFile taken(mountPoint.filePath(u"a.mp3"_s));
    QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("old") == 3);
    taken.close();
    const QByteArray point = QFile::encodeName(mountPoint.path());
    if (failure == EROFS)
        QVERIFY(::mount(nullptr, point.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
    const std::unique_ptr<VolumeRoot> root = VolumeRoot::open(mountPoint.path());
    Result<> done;
    {
        const auto file = createTemporaryFile(*root);
        done = file ? (*file)->write(QByteArray(failure == ENOSPC ? 32 << 20 : 3, 'x'))
                    : Result<>(file.error());
        if (done)
            done = root->commit(**file, u"a.mp3"_s, VolumeRoot::IfTaken::Keep);
    }
    QVERIFY(!done);
    QCOMPARE(done.error().errorNumber, failure);
    QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files), QStringList{u"a.mp3"_s});
    QVERIFY(taken.open(QIODevice::ReadOnly) && taken.readAll() == "old");
}

int main(int argc, char *argv[])
{
    return runVolumeTest<QCoreApplication, TestVolumeRoot>(argc, argv);
}

#include "tst_volumeroot.moc"
