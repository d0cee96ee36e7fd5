#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/texts.h"
#include "support/fakes.h"
#include "support/loopvolume.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Every folder on the drive, relative to its root, in sorted order.
QStringList foldersOf(const PspDrive &drive)
{
    QStringList folders;
    QDirIterator it(drive.root(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders.append(QDir(drive.root()).relativeFilePath(it.next()));
    folders.sort();
    return folders;
}

bool connectedLayout(FrmMain &window)
{
    const MainWindowControls &c = window.controls();
    for (QWidget *control : c.tracks.controls() + c.playlist.controls() + c.saved.controls()) {
        if (!control->isVisibleTo(&window))
            return false;
    }
    return !window.controls().Label4->isVisibleTo(&window) &&
           window.controls().menus.file->menuAction()->isEnabled() &&
           window.controls().menus.mnnew->isEnabled() &&
           window.controls().menus.save->isEnabled() &&
           window.controls().menus.explore->isEnabled() &&
           !window.controls().menus.barre1->isEnabled() &&
           !window.controls().menus.barre2->isEnabled();
}

} // namespace

class TestPspConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { messagebox::resetRecording(); }
    void pspWithoutItsFolders();
    void existingFoldersAreKept();
    void markerInAnyLetterCase();
    void notAPspInEitherLanguage();
    void ignoredNotifications();
    void laterArrivalMovesToTheNewRoot();
    void folderGivenAtStart_data();
    void folderGivenAtStart();
    void arrivalListsTheTracksOnce_data();
    void arrivalListsTheTracksOnce();
    void fileInPlaceOfAFolder_data();
    void fileInPlaceOfAFolder();
    void folderThatCannotBeCreated();
    void oneBoxOfAKindAtATime_data();
    void oneBoxOfAKindAtATime();
    void problemsOfThePspInUse();
    void onlyTheVolumeInUseClosesTheProgram();
    void unitMaskRemovalOfTheDriveInUse();
};

void TestPspConnection::pspWithoutItsFolders()
{
    const PspDrive drive;
    TestMainWindow window;
    window->show();
    drive.plugInto(window);

    QCOMPARE(window->controls().lettre->text(), QDir::toNativeSeparators(drive.root()));
    QVERIFY(connectedLayout(*window));
    for (const QString &folder : {u"MUSIC"_s, u"PSP/PLAYLIST"_s, u"PSP/PLAYLIST/MUSIC"_s})
        QVERIFY2(QFileInfo(drive.path(folder)).isDir(), qPrintable(folder));
    QCOMPARE(window->controls().tracks.Dir1->path(), drive.path(u"MUSIC"_s));
    QCOMPARE(window->controls().tracks.music->path(), drive.path(u"MUSIC"_s));
    QCOMPARE(window->controls().saved.File2->path(), drive.path(u"PSP/PLAYLIST/MUSIC"_s));
    QVERIFY(messagebox::takeShown().isEmpty());
}

void TestPspConnection::existingFoldersAreKept()
{
    const QStringList tracks{u"a.mp3"_s, u"b.WAV"_s, u"c.wma"_s, u"d.atrac"_s,
                             u"e.omg"_s, u"f.at3"_s, u"g.m4a"_s};
    QStringList files{u"MUSIC/notes.txt"_s, u"PSP/PLAYLIST/MUSIC/Road trip.m3u8"_s,
                      u"PSP/PLAYLIST/MUSIC/notes.txt"_s};
    for (const QString &track : tracks)
        files.append(u"MUSIC/"_s + track);
    const PspDrive drive(files, {u"MUSIC/Album"_s});
    TestMainWindow window;
    window->controls().playlist.List1->addItem(u"\\MUSIC\\kept.mp3"_s);
    drive.plugInto(window);

    QVERIFY(QFile::exists(drive.path(u"MUSIC/a.mp3"_s)));
    QCOMPARE(window->controls().tracks.music->items(), tracks);
    QCOMPARE(window->controls().saved.File2->items(), QStringList{u"Road trip.m3u8"_s});
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\MUSIC\\kept.mp3"_s});
    QCOMPARE(window->controls().playlist.Text1->text(), u"Untitled playlist"_s);
}

void TestPspConnection::markerInAnyLetterCase()
{
    const PspDrive drive({}, {u"psp/playlist"_s, u"Music"_s});
    TestMainWindow window;
    drive.plugInto(window);

    QVERIFY(connectedLayout(*window));
    QCOMPARE(window->controls().tracks.Dir1->path(), drive.path(u"Music"_s));
    QCOMPARE(window->controls().saved.File2->path(), drive.path(u"psp/playlist/MUSIC"_s));
    QVERIFY(QFileInfo(drive.path(u"psp/playlist/MUSIC"_s)).isDir());
    QVERIFY(!QFileInfo::exists(drive.path(u"MUSIC"_s)) ||
            QFileInfo(drive.path(u"MUSIC"_s)) == QFileInfo(drive.path(u"Music"_s)));
}

void TestPspConnection::notAPspInEitherLanguage()
{
    for (quint16 langId : {quint16(0x040C), quint16(0x0409)}) {
        const PspDrive drive({}, {u"DCIM"_s});
        TestMainWindow window{langId};
        drive.plugInto(window);

        const QList<messagebox::Shown> shown = messagebox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 u"Ce n'est pas une PSP, ou alors celle-ci n'est pas formatée correctement."_s);
        QCOMPARE(shown[0].caption, u"Zarvello"_s);
        QCOMPARE(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(shown[0].icon, QMessageBox::NoIcon);
        QVERIFY(window->controls().lettre->text().isEmpty());
        QVERIFY(window->controls().Label4->isVisibleTo(&*window));
        QVERIFY(!window->controls().menus.file->menuAction()->isEnabled());
        QVERIFY(!QFileInfo::exists(drive.path(u"MUSIC"_s)));
    }
}

void TestPspConnection::ignoredNotifications()
{
    const PspDrive drive;
    TestMainWindow window;
    Q_EMIT window.volumes->deviceArrival(3, 0, drive.root(), 0);
    Q_EMIT window.volumes->deviceArrival(2, 0, drive.root(), 1);
    // Drives D and E in one notification name no single drive.
    Q_EMIT window.volumes->deviceArrival(2, 0x18, QString(), 0);
    QVERIFY(window->controls().lettre->text().isEmpty());
    QVERIFY(window->controls().Label4->isVisibleTo(&*window));
    QVERIFY(messagebox::takeShown().isEmpty());
    QVERIFY(!QFileInfo::exists(drive.path(u"MUSIC"_s)));
}

void TestPspConnection::laterArrivalMovesToTheNewRoot()
{
    const PspDrive first({}, {u"PSP"_s, u"MUSIC/Album"_s});
    const PspDrive second;
    const PspDrive stick({}, {});
    TestMainWindow window;
    first.plugInto(window);
    window->controls().tracks.Dir1->setPath(first.path(u"MUSIC/Album"_s));

    stick.plugInto(window);
    QCOMPARE(messagebox::takeShown().size(), 1);
    QCOMPARE(window->controls().lettre->text(), QDir::toNativeSeparators(first.root()));

    second.plugInto(window);
    QCOMPARE(window->controls().lettre->text(), QDir::toNativeSeparators(second.root()));
    QCOMPARE(window->controls().tracks.Dir1->path(), second.path(u"MUSIC"_s));
    QCOMPARE(window->controls().tracks.Dir1->driveRoot(), second.root());
    QCOMPARE(window->controls().tracks.music->path(), second.path(u"MUSIC"_s));
    QCOMPARE(window->controls().saved.File2->path(), second.path(u"PSP/PLAYLIST/MUSIC"_s));
}

void TestPspConnection::fileInPlaceOfAFolder_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("MUSIC") << QStringList{u"MUSIC"_s} << QStringList{u"MUSIC"_s}
                           << QStringList{u"PSP"_s, u"PSP/PLAYLIST"_s, u"PSP/PLAYLIST/MUSIC"_s};
    QTest::newRow("music, in another case")
        << QStringList{u"music"_s} << QStringList{u"music"_s}
        << QStringList{u"PSP"_s, u"PSP/PLAYLIST"_s, u"PSP/PLAYLIST/MUSIC"_s};
    QTest::newRow("PSP/PLAYLIST") << QStringList{u"PSP/PLAYLIST"_s}
                                  << QStringList{u"PSP/PLAYLIST"_s}
                                  << QStringList{u"MUSIC"_s, u"PSP"_s};
    QTest::newRow("PSP/PLAYLIST/MUSIC")
        << QStringList{u"PSP/PLAYLIST/MUSIC"_s} << QStringList{u"PSP/PLAYLIST/MUSIC"_s}
        << QStringList{u"MUSIC"_s, u"PSP"_s, u"PSP/PLAYLIST"_s};
    QTest::newRow("PSP") << QStringList{u"PSP"_s} << QStringList{u"PSP"_s}
                         << QStringList{u"MUSIC"_s};
    QTest::newRow("MUSIC and PSP/PLAYLIST")
        << QStringList{u"MUSIC"_s, u"PSP/PLAYLIST"_s} << QStringList{u"MUSIC"_s, u"PSP/PLAYLIST"_s}
        << QStringList{u"PSP"_s};
}

void TestPspConnection::fileInPlaceOfAFolder()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, reported);
    QFETCH(QStringList, folders);
    const PspDrive drive(files, files.contains(u"PSP"_s) ? QStringList() : QStringList{u"PSP"_s});
    TestMainWindow window;
    drive.plugInto(window);

    QStringList paragraphs;
    for (const QString &file : reported) {
        paragraphs.append(texts::folderIsAFile.in(Language::English)
                              .arg(QDir::toNativeSeparators(drive.path(file))));
        QVERIFY(QFileInfo(drive.path(file)).isFile());
    }
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, paragraphs.join(u"\n\n"));
    QCOMPARE(shown[0].icon, QMessageBox::Warning);
    QCOMPARE(foldersOf(drive), folders);
    QVERIFY(connectedLayout(*window));
}

void TestPspConnection::folderThatCannotBeCreated()
{
    const PspDrive drive;
    const bool root = geteuid() == 0;
    // Root writes anywhere, so a read-only medium is needed to see a refusal.
    Mount readOnly;
    if (root) {
        if (const QString reason = isolateMounts(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        if (!readOnly.mount({u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s},
                            drive.root()))
            QSKIP(qPrintable(readOnly.error()));
        QVERIFY(QDir(drive.root()).mkpath(u"PSP"_s));
        QCOMPARE(QProcess::execute(u"mount"_s, {u"-o"_s, u"remount,ro"_s, drive.root()}), 0);
    } else {
        QVERIFY(QFile::setPermissions(drive.root(), QFile::ReadOwner | QFile::ExeOwner));
    }
    TestMainWindow window{0x040C};
    drive.plugInto(window);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    if (!root)
        QFile::setPermissions(drive.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.startsWith(u"Le dossier «\u00A0"_s +
                                      QDir::toNativeSeparators(drive.root() + u"MUSIC"_s)),
             qPrintable(shown[0].text));
    QCOMPARE(shown[0].icon, QMessageBox::Warning);
    QVERIFY(connectedLayout(*window));
}

void TestPspConnection::oneBoxOfAKindAtATime_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QString>("inUse");
    QTest::newRow("not a PSP, again") << u"stick"_s << u"stick"_s << 1 << QString();
    QTest::newRow("a PSP while not a PSP is said") << u"stick"_s << u"psp"_s << 1 << u"psp"_s;
    QTest::newRow("a file in the way, again") << u"blocked"_s << u"blocked"_s << 1 << u"blocked"_s;
    QTest::newRow("not a PSP while a file is in the way")
        << u"blocked"_s << u"stick"_s << 2 << u"blocked"_s;
}

// A device arriving again while a box waits is handled inside that box's
// event loop: a box for it would open inside the first one, and so on.
void TestPspConnection::oneBoxOfAKindAtATime()
{
    QFETCH(QString, first);
    QFETCH(QString, meanwhile);
    QFETCH(int, boxes);
    QFETCH(QString, inUse);
    const PspDrive stick({}, {});
    const PspDrive psp;
    const PspDrive blocked({u"MUSIC"_s});
    const QHash<QString, const PspDrive *> drives{
        {u"stick"_s, &stick}, {u"psp"_s, &psp}, {u"blocked"_s, &blocked}};
    TestMainWindow window;

    messagebox::whileNextIsOpen([&] { drives[meanwhile]->plugInto(window); });
    drives[first]->plugInto(window);
    QCOMPARE(messagebox::takeShown().size(), boxes);
    const QString root = inUse.isEmpty() ? QString() : drives[inUse]->root();
    QCOMPARE(window->controls().lettre->text(), QDir::toNativeSeparators(root));

    // Once the box is closed, the next arrival says it again.
    drives[first]->plugInto(window);
    QCOMPARE(messagebox::takeShown().size(), 1);
}

// PSPs plugged in while a box waits: the last one's problems are told too,
// and with its music folder in the way the folder list shows its root.
void TestPspConnection::problemsOfThePspInUse()
{
    const QStringList blocked{u"MUSIC"_s};
    const PspDrive drives[] = {PspDrive(blocked), PspDrive(blocked), PspDrive(blocked),
                               PspDrive(blocked)};
    TestMainWindow window;
    messagebox::whileNextIsOpen([&] {
        for (int i = 1; i < 4; ++i)
            drives[i].plugInto(window);
    });
    drives[0].plugInto(window);

    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0].text.contains(drives[0].path(u"MUSIC"_s)));
    QVERIFY(shown[1].text.contains(drives[3].path(u"MUSIC"_s)));
    QCOMPARE(window->controls().tracks.Dir1->path(), drives[3].root());
}

void TestPspConnection::onlyTheVolumeInUseClosesTheProgram()
{
    const PspDrive drive;
    TestMainWindow window;
    window->show();
    // Nothing in use yet: a removal changes nothing.
    Q_EMIT window.volumes->deviceRemoveComplete(2, 0, drive.root(), 0);
    QVERIFY(window->isVisible());

    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\MUSIC\\unsaved.mp3"_s);
    Q_EMIT window.volumes->deviceRemoveComplete(2, 0, u"/media/usb-stick/"_s, 0);
    QVERIFY(window->isVisible());
    QCOMPARE(window->controls().playlist.List1->count(), 1);

    Q_EMIT window.volumes->deviceRemoveComplete(2, 0, drive.root(), 0);
    QVERIFY(!window->isVisible());
}

void TestPspConnection::unitMaskRemovalOfTheDriveInUse()
{
    TestMainWindow window;
    window->show();
    window->controls().lettre->setText(u"E:\\"_s);
    Q_EMIT window.volumes->deviceRemoveComplete(2, 0x8, QString(), 0);
    QVERIFY(window->isVisible());
    Q_EMIT window.volumes->deviceRemoveComplete(2, 0x10, QString(), 0);
    QVERIFY(!window->isVisible());
}

void TestPspConnection::folderGivenAtStart_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<QString>("message");

    QTest::newRow("a PSP") << QString() << true << QString();
    QTest::newRow("a folder in a PSP's copy") << u"copy"_s << true << QString();
    QTest::newRow("not a PSP") << u"copy/MUSIC"_s << false << texts::notAPsp.builtIn();
    QTest::newRow("missing") << u"gone"_s << false << texts::argumentMissing.in(Language::English);
    QTest::newRow("a file") << u"copy/MUSIC/a.mp3"_s << false
                            << texts::argumentNotAFolder.in(Language::English);
}

void TestPspConnection::folderGivenAtStart()
{
    QFETCH(QString, relative);
    QFETCH(bool, connects);
    QFETCH(QString, message);
    const PspDrive drive({u"copy/MUSIC/a.mp3"_s}, {u"PSP"_s, u"copy/PSP"_s});
    const QString folder = drive.path(relative);
    TestMainWindow window;

    window->connectFolderWhenShown(folder);
    QCoreApplication::processEvents();
    QCOMPARE(connectedLayout(*window), connects);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    if (connects) {
        QCOMPARE(window->controls().lettre->text(),
                 QDir::toNativeSeparators(QFileInfo(folder).canonicalFilePath() + u'/'));
        QVERIFY(shown.isEmpty());
    } else {
        QVERIFY(window->controls().lettre->text().isEmpty());
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().text, message.contains(u"%1"_s)
                                         ? message.arg(QDir::toNativeSeparators(folder))
                                         : message);
    }
}

void TestPspConnection::arrivalListsTheTracksOnce_data()
{
    QTest::addColumn<int>("arrivals");
    QTest::newRow("first arrival") << 1;
    // The folder list already shows the music folder: the new track still shows.
    QTest::newRow("same PSP again") << 2;
}

void TestPspConnection::arrivalListsTheTracksOnce()
{
    QFETCH(int, arrivals);
    const PspDrive drive({u"MUSIC/a.mp3"_s});
    TestMainWindow window;
    FileListBox &tracks = *window->controls().tracks.music;
    for (int arrival = 1; arrival < arrivals; ++arrival)
        drive.plugInto(window);
    drive.addFile(u"MUSIC/b.mp3"_s);

    QSignalSpy listings(&tracks, &FileListBox::listed);
    drive.plugInto(window);
    QCOMPARE(listings.size(), 1);
    QCOMPARE(tracks.items(), (QStringList{u"a.mp3"_s, u"b.mp3"_s}));
}

QTEST_MAIN(TestPspConnection)
#include "tst_pspconnection.moc"
