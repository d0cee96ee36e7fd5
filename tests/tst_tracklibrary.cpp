#include "browser/filebrowse.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList album{u"MUSIC/Album/10 Outro.mp3"_s,
                        u"MUSIC/Album/2 Intro.mp3"_s,
                        u"MUSIC/Album/b.MP3"_s,
                        u"MUSIC/Album/notes.txt"_s,
                        u"MUSIC/Album/.hidden.mp3"_s,
                        u"MUSIC/Rock/Live/a.wma"_s,
                        u"a.mp3"_s};

int widthOf(const ListBox &list, const QString &text)
{
    return list.lineMetrics().horizontalAdvance(text);
}

int scrollBarWidth(const ListBox &list)
{
    return list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
}

} // namespace

class TestTrackLibrary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clickAppendsEntries();
    void addAllAfterAClick();
    void addAllOnAnEmptyFolder();
    void keyboardMovesThenAdds();
    void dragIsNotAClick_data();
    void dragIsNotAClick();
    void fileInTheDriveRoot();
    void extentFollowsOnlyAppends();
    void folderListStaysOnTheDrive();
    void unreadableFolderLeavesListsEmpty();
    void listingShowsTheBusyCursor();
};

void TestTrackLibrary::clickAppendsEntries()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    QCOMPARE(window->controls().tracks.music->items(),
             (QStringList{u"2 Intro.mp3"_s, u"10 Outro.mp3"_s, u"b.MP3"_s}));

    window->controls().tracks.music->setSelectedPosition(1);
    window->controls().tracks.music->setSelectedPosition(1);
    QCOMPARE(window->controls().playlist.List1->items(),
             (QStringList{u"\\MUSIC\\Album\\10 Outro.mp3"_s, u"\\MUSIC\\Album\\10 Outro.mp3"_s}));
}

void TestTrackLibrary::addAllAfterAClick()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    window->controls().tracks.music->setSelectedPosition(0);
    QTest::mouseClick(window->controls().tracks.Command5, Qt::LeftButton);

    QCOMPARE(window->controls().playlist.List1->items(),
             (QStringList{u"\\MUSIC\\Album\\2 Intro.mp3"_s, u"\\MUSIC\\Album\\2 Intro.mp3"_s,
                          u"\\MUSIC\\Album\\10 Outro.mp3"_s, u"\\MUSIC\\Album\\b.MP3"_s}));
    QCOMPARE(window->controls().tracks.music->selectedPosition(), 2);
}

void TestTrackLibrary::addAllOnAnEmptyFolder()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Rock"_s));
    QTest::mouseClick(window->controls().tracks.Command5, Qt::LeftButton);
    QCOMPARE(window->controls().playlist.List1->count(), 0);
    QCOMPARE(window->controls().playlist.List1->horizontalExtent(), 0);
}

// The arrows only move through the tracks; Space and Enter add the one reached.
void TestTrackLibrary::keyboardMovesThenAdds()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    QTest::keyClick(window->controls().tracks.music, Qt::Key_Down);
    QTest::keyClick(window->controls().tracks.music, Qt::Key_Down);
    QCOMPARE(window->controls().playlist.List1->count(), 0);
    QTest::keyClick(window->controls().tracks.music, Qt::Key_Space);
    QTest::keyClick(window->controls().tracks.music, Qt::Key_Return);
    QCOMPARE(window->controls().playlist.List1->items(),
             (QStringList{u"\\MUSIC\\Album\\10 Outro.mp3"_s, u"\\MUSIC\\Album\\10 Outro.mp3"_s}));
}

void TestTrackLibrary::dragIsNotAClick_data()
{
    QTest::addColumn<bool>("browser");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("moved");
    QTest::addColumn<QStringList>("appended");
    const QStringList intro{u"\\MUSIC\\Album\\2 Intro.mp3"_s};
    const int distance = QApplication::startDragDistance();
    QTest::newRow("click") << false << -1 << 0 << intro;
    QTest::newRow("click on the selected file") << false << 0 << 0 << (intro + intro);
    QTest::newRow("moved short of a drag") << false << -1 << distance - 1 << intro;
    QTest::newRow("drag") << false << -1 << distance << QStringList();
    QTest::newRow("drag in the browser") << true << -1 << distance << QStringList();
}

void TestTrackLibrary::dragIsNotAClick()
{
    QFETCH(bool, browser);
    QFETCH(int, selected);
    QFETCH(int, moved);
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    if (browser)
        QTest::mouseClick(window->controls().tracks.Command6, Qt::LeftButton);
    FileListBox &music =
        browser ? *window->forms().loadedBrowser()->music : *window->controls().tracks.music;
    QVERIFY(QTest::qWaitForWindowExposed(music.window()));
    music.setSelectedPosition(selected);

    const QPoint firstLine(10, music.fontMetrics().height() / 2);
    QTest::mousePress(music.viewport(), Qt::LeftButton, {}, firstLine);
    // The file is selected at once; only the release tells a click.
    QCOMPARE(music.selectedPosition(), 0);
    QCOMPARE(window->controls().playlist.List1->count(), selected < 0 ? 0 : 1);
    QTest::mouseMove(music.viewport(), firstLine + QPoint(moved, 0));
    QTest::mouseRelease(music.viewport(), Qt::LeftButton, {}, firstLine + QPoint(moved, 0));
    QTEST(window->controls().playlist.List1->items(), "appended");
}

void TestTrackLibrary::fileInTheDriveRoot()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.root());
    QCOMPARE(window->controls().tracks.music->items(), QStringList{u"a.mp3"_s});
    window->controls().tracks.music->setSelectedPosition(0);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\a.mp3"_s});
}

void TestTrackLibrary::extentFollowsOnlyAppends()
{
    PspDrive drive({u"MUSIC/a.mp3"_s, u"MUSIC/Zz much longer name for a track than fits.mp3"_s});
    TestMainWindow window;
    drive.plugInto(window);
    ListBox &list = *window->controls().playlist.List1;
    const QString longEntry = u"\\MUSIC\\Zz much longer name for a track than fits.mp3"_s;

    window->controls().tracks.music->setSelectedPosition(1);
    window->controls().tracks.music->setSelectedPosition(0);
    const int wide = widthOf(list, longEntry) + scrollBarWidth(list);
    QCOMPARE(list.horizontalExtent(), wide);

    // Removing the widest entry keeps the old range until the next append.
    list.setSelectedPosition(0);
    QTest::mouseClick(window->controls().playlist.Command1, Qt::LeftButton);
    QCOMPARE(list.items(), QStringList{u"\\MUSIC\\a.mp3"_s});
    QCOMPARE(list.horizontalExtent(), wide);

    window->controls().tracks.music->setSelectedPosition(0);
    QCOMPARE(list.horizontalExtent(), widthOf(list, u"\\MUSIC\\a.mp3"_s) + scrollBarWidth(list));
}

void TestTrackLibrary::folderListStaysOnTheDrive()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    window->controls().tracks.Dir1->setPath(drive.path(u".."_s));
    QCOMPARE(window->controls().tracks.Dir1->path(), drive.root());
    window->controls().tracks.Dir1->setPath(u"/"_s);
    QCOMPARE(window->controls().tracks.Dir1->path(), drive.root());
    QCOMPARE(window->controls().tracks.music->path(), drive.root());
}

void TestTrackLibrary::unreadableFolderLeavesListsEmpty()
{
    PspDrive drive(album);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Rock/Live"_s));
    QCOMPARE(window->controls().tracks.music->count(), 1);
    QVERIFY(QDir(drive.path(u"MUSIC/Rock"_s)).removeRecursively());
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Rock/Live"_s));
    window->controls().tracks.music->refresh();
    QCOMPARE(window->controls().tracks.music->count(), 0);
    QTest::mouseClick(window->controls().tracks.Command5, Qt::LeftButton);
    QCOMPARE(window->controls().playlist.List1->count(), 0);
}

void TestTrackLibrary::listingShowsTheBusyCursor()
{
    PspDrive drive(album);
    TestMainWindow window;
    QList<Qt::CursorShape> shapes;
    connect(window->controls().tracks.music, &FileListBox::listed, [&shapes] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapes.append(cursor ? cursor->shape() : Qt::ArrowCursor);
    });
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    QCOMPARE(shapes, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestTrackLibrary)
#include "tst_tracklibrary.moc"
