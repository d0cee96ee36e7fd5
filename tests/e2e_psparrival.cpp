#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "support/fakes.h"
#include "support/loopvolume.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

// A real PSP-like volume is plugged in and pulled out while the program runs,
// through the system's own volume notifications.
class TestPspArrival : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void volumeArrivesAndLeaves();
};

void TestPspArrival::volumeArrivesAndLeaves()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP/GAME"_s));
    QVERIFY(QDir(contents.path()).mkpath(u"MUSIC"_s));
    QFile track(contents.filePath(u"MUSIC/01 Intro.mp3"_s));
    QVERIFY(track.open(QIODevice::WriteOnly));
    track.close();
    LoopVolume volume(contents.path());

    TestMainWindow window{0x0409, VolumeNotifier::create()};
    window->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));

    QTemporaryDir mountPoint;
    const QString root = QFileInfo(mountPoint.path()).canonicalFilePath() + u'/';
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));

    QTRY_COMPARE_WITH_TIMEOUT(window->controls().lettre->text(), root, 10000);
    QVERIFY(window->controls().tracks.Dir1->isVisible());
    QVERIFY(!window->controls().Label4->isVisible());
    QVERIFY(QFileInfo(root + u"PSP/PLAYLIST/MUSIC"_s).isDir());
    QCOMPARE(window->controls().tracks.music->items(), QStringList{u"01 Intro.mp3"_s});
    QCOMPARE(window->controls().saved.File2->path(), root + u"PSP/PLAYLIST/MUSIC"_s);

    QVERIFY2(volume.unmount(), qPrintable(volume.error()));
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 10000);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString reason = LoopVolume::unavailableReason();
    if (!reason.isEmpty()) {
        std::printf("SKIP: %s\n", qPrintable(reason));
        return 77;
    }
    TestPspArrival test;
    return QTest::qExec(&test, argc, argv);
}

#include "e2e_psparrival.moc"
