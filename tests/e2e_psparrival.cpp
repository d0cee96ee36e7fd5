#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/texts.h"
#include "support/fakes.h"
#include "support/loopvolume.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// A real PSP-like volume is plugged in and pulled out while the program runs,
// through the system's own volume notifications.
class TestPspArrival : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { messagebox::resetRecording(); }
    void volumeArrivesAndLeaves();
    void volumeGoneBeforeItIsHandled();
    void folderGivenAtStart_data();
    void folderGivenAtStart();
    void linkedPlaylistFolder_data();
    void linkedPlaylistFolder();
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

// Pulled out at once: the volume has left when its arrival is handled.
// Nothing may be made in the bare folder it was mounted on, and nothing said.
void TestPspArrival::volumeGoneBeforeItIsHandled()
{
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(u"PSP"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir mountPoint;
    std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
    // Connected before the window's own handler, so it runs first.
    bool unmounted = false;
    connect(notifier.get(), &VolumeNotifier::deviceArrival, notifier.get(),
            [&volume, &unmounted] { unmounted = volume.unmount(); });
    TestMainWindow window{0x0409, std::move(notifier)};
    QSignalSpy arrivals(window.volumes, &VolumeNotifier::deviceArrival);

    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    QTRY_COMPARE_WITH_TIMEOUT(arrivals.size(), 1, 10000);
    QVERIFY2(unmounted, qPrintable(volume.error()));
    QVERIFY(QDir(mountPoint.path()).isEmpty());
    QVERIFY(messagebox::takeShown().isEmpty());
    QVERIFY(window->controls().lettre->text().isEmpty());
}

// Any folder named at start is the PSP in use; its volume's unmount ends it.
void TestPspArrival::folderGivenAtStart_data()
{
    QTest::addColumn<QString>("within");
    QTest::addColumn<bool>("onVolume");
    QTest::newRow("mount point") << QString() << true;
    QTest::newRow("folder within a volume") << u"backup/stick"_s << true;
    QTest::newRow("folder on the computer's disk") << u"copy"_s << false;
}

void TestPspArrival::folderGivenAtStart()
{
    QFETCH(QString, within);
    QFETCH(bool, onVolume);
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(within.isEmpty() ? u"PSP"_s : within + u"/PSP"_s));
    LoopVolume volume(contents.path());
    QTemporaryDir mountPoint;
    if (onVolume)
        QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const QString folder = QDir(onVolume ? mountPoint.path() : contents.path()).filePath(within);
    const QString root = QFileInfo(folder).canonicalFilePath() + u'/';

    TestMainWindow window{0x0409, VolumeNotifier::create()};
    window->showCentred();
    window->connectFolderWhenShown(folder);
    QTRY_COMPARE_WITH_TIMEOUT(window->controls().lettre->text(), root, 10000);
    QVERIFY(QFileInfo(root + u"PSP/PLAYLIST/MUSIC"_s).isDir());
    QCOMPARE(window->controls().saved.File2->path(), root + u"PSP/PLAYLIST/MUSIC"_s);
    // Its playlist folder is used as a PSP's own.
    window->controls().playlist.List1->addItem(u"\\MUSIC\\a.mp3"_s);
    window->controls().playlist.Text1->setText(u"Mix"_s);
    window->controls().menus.save->trigger();
    QVERIFY(QFileInfo::exists(root + u"PSP/PLAYLIST/MUSIC/Mix.m3u8"_s));
    if (!onVolume)
        return;

    QVERIFY2(volume.unmount(), qPrintable(volume.error()));
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 10000);
}

void TestPspArrival::linkedPlaylistFolder_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    QTest::newRow("the playlist folder") << u"PSP/PLAYLIST/MUSIC"_s << u"MUSIC"_s;
    QTest::newRow("its parent") << u"PSP/PLAYLIST"_s << QString();
}

// A link on the volume to a folder of the computer holding a playlist of its
// own: nothing there is listed, opened, written or deleted, even by a list
// built before the link was put in place.
void TestPspArrival::linkedPlaylistFolder()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QTemporaryDir computer;
    QVERIFY(QDir(computer.path()).mkpath(u"MUSIC"_s));
    QFile theirs(computer.filePath(u"MUSIC/Theirs.m3u8"_s));
    QVERIFY(theirs.open(QIODevice::WriteOnly) && theirs.write("\\theirs.mp3\r\n") > 0);
    theirs.close();
    QTemporaryDir contents;
    QVERIFY(QDir(contents.path()).mkpath(QFileInfo(link).path()));
    QVERIFY(QFile::link(computer.filePath(target), contents.filePath(link)));
    QTemporaryDir mountPoint;
    LoopVolume volume(contents.path());
    TestMainWindow window{0x0409, VolumeNotifier::create()};
    const MainWindowControls &c = window->controls();
    QVERIFY2(volume.mount(mountPoint.path()), qPrintable(volume.error()));
    const QString root = QFileInfo(mountPoint.path()).canonicalFilePath() + u'/';
    QTRY_COMPARE_WITH_TIMEOUT(c.lettre->text(), root, 10000);
    QVERIFY(c.saved.File2->items().isEmpty());
    messagebox::takeShown();

    c.saved.File2->setPath(root + u"PSP/PLAYLIST/MUSIC"_s);
    c.saved.File2->setSelectedPosition(0);
    messagebox::queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(c.saved.Command4, Qt::LeftButton);
    c.playlist.List1->addItem(u"\\MUSIC\\mine.mp3"_s);
    c.playlist.Text1->setText(u"Evil"_s);
    c.menus.save->trigger();

    QStringList texts;
    for (const messagebox::Shown &shown : messagebox::takeShown())
        texts.append(shown.text);
    const QString noFolder = texts::noPlaylistFolder.in(Language::English);
    QCOMPARE(texts, (QStringList{noFolder, texts::deleteQuestion.builtIn(),
                                 texts::noPlaylistSelected.builtIn(), noFolder}));
    QCOMPARE(QDir(computer.filePath(u"MUSIC"_s))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Theirs.m3u8"_s});
    QVERIFY(theirs.open(QIODevice::ReadOnly));
    QCOMPARE(theirs.readAll(), QByteArray("\\theirs.mp3\r\n"));
    QVERIFY2(volume.unmount(), qPrintable(volume.error()));
}

int main(int argc, char *argv[])
{
    return runVolumeTest<QApplication, TestPspArrival>(argc, argv);
}

#include "e2e_psparrival.moc"
