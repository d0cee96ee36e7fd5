#include "browser/filebrowse.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList tracks{u"MUSIC/Album/1 One.mp3"_s, u"MUSIC/Album/2 Two.mp3"_s,
                         u"MUSIC/Album/3 Three.at3"_s, u"PSP/MUSIC/Live/track01.mp3"_s};

bool panelShown(FrmMain &window)
{
    for (QWidget *control : window.controls().tracks.controls()) {
        if (!control->isVisibleTo(&window))
            return false;
    }
    return !window.controls().tracks.Image2->isVisibleTo(&window);
}

bool panelReplaced(FrmMain &window)
{
    for (QWidget *control : window.controls().tracks.controls()) {
        if (control->isVisibleTo(&window))
            return false;
    }
    return window.controls().tracks.Image2->isVisibleTo(&window);
}

FileBrowse &openBrowser(TestMainWindow &window)
{
    QTest::mouseClick(window->controls().tracks.Command6, Qt::LeftButton);
    return *window->forms().loadedBrowser();
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensInPlaceOfThePanel();
    void closingHandsTheFolderBack_data();
    void closingHandsTheFolderBack();
    void appendsOneOrAll();
    void staysOnTheDrive();
    void closesWhenItsFolderIsGone();
    void followsALaterPsp_data();
    void followsALaterPsp();
};

void TestBrowser::opensInPlaceOfThePanel()
{
    PspDrive drive(tracks);
    TestMainWindow window;
    window->show();
    drive.plugInto(window);
    window->controls().tracks.Dir1->setPath(drive.path(u"MUSIC/Album"_s));

    FileBrowse &browser = openBrowser(window);
    QVERIFY(browser.isVisible());
    QVERIFY(panelReplaced(*window));
    QVERIFY(browser.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(browser.Dir1->path(), drive.path(u"MUSIC/Album"_s));
    QCOMPARE(browser.music->count(), 3);
    QCOMPARE(browser.pos(), window->pos() + QPoint(-255, 57));
}

void TestBrowser::closingHandsTheFolderBack_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("done command") << false;
    QTest::newRow("close box") << true;
}

void TestBrowser::closingHandsTheFolderBack()
{
    QFETCH(bool, closeBox);
    PspDrive drive(tracks);
    TestMainWindow window;
    window->show();
    drive.plugInto(window);

    FileBrowse &browser = openBrowser(window);
    browser.Dir1->setPath(drive.path(u"PSP/MUSIC/Live"_s));
    if (closeBox)
        browser.close();
    else
        browser.end->trigger();

    QVERIFY(!window->forms().loadedBrowser());
    QVERIFY(panelShown(*window));
    // The keyboard is back on the button that opened the browser.
    QCOMPARE(window->focusWidget(), window->controls().tracks.Command6);
    QCOMPARE(window->controls().tracks.Dir1->path(), drive.path(u"PSP/MUSIC/Live"_s));
    QCOMPARE(window->controls().tracks.music->items(), QStringList{u"track01.mp3"_s});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    FileBrowse &again = openBrowser(window);
    QCOMPARE(again.Dir1->path(), drive.path(u"PSP/MUSIC/Live"_s));
}

void TestBrowser::appendsOneOrAll()
{
    PspDrive drive(tracks);
    TestMainWindow window;
    drive.plugInto(window);
    FileBrowse &browser = openBrowser(window);

    browser.Dir1->setPath(drive.path(u"PSP/MUSIC/Live"_s));
    browser.music->setSelectedPosition(0);
    QCOMPARE(window->controls().playlist.List1->items(),
             QStringList{u"\\PSP\\MUSIC\\Live\\track01.mp3"_s});
    QVERIFY(window->controls().playlist.List1->horizontalExtent() > 0);

    browser.Dir1->setPath(drive.path(u"MUSIC/Album"_s));
    browser.music->setSelectedPosition(0);
    browser.addall->trigger();
    QCOMPARE(window->controls().playlist.List1->items(),
             (QStringList{u"\\PSP\\MUSIC\\Live\\track01.mp3"_s, u"\\MUSIC\\Album\\1 One.mp3"_s,
                          u"\\MUSIC\\Album\\1 One.mp3"_s, u"\\MUSIC\\Album\\2 Two.mp3"_s,
                          u"\\MUSIC\\Album\\3 Three.at3"_s}));
    QCOMPARE(browser.music->selectedPosition(), 2);
}

void TestBrowser::staysOnTheDrive()
{
    PspDrive drive(tracks);
    TestMainWindow window;
    // Loaded hidden before the PSP arrived.
    window->forms().filebrowse();
    drive.plugInto(window);
    FileBrowse &browser = openBrowser(window);
    browser.Dir1->setPath(drive.path(u"../.."_s));
    QCOMPARE(browser.Dir1->path(), drive.root());
}

void TestBrowser::closesWhenItsFolderIsGone()
{
    PspDrive drive(tracks);
    TestMainWindow window;
    drive.plugInto(window);
    FileBrowse &browser = openBrowser(window);
    browser.Dir1->setPath(drive.path(u"PSP/MUSIC/Live"_s));
    QVERIFY(QDir(drive.path(u"PSP/MUSIC"_s)).removeRecursively());
    browser.music->refresh();
    QCOMPARE(browser.music->count(), 0);
    browser.end->trigger();
    QVERIFY(panelShown(*window));
    QCOMPARE(window->controls().tracks.music->count(), 0);
}

void TestBrowser::followsALaterPsp_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown") << true;
    QTest::newRow("loaded hidden") << false;
}

void TestBrowser::followsALaterPsp()
{
    QFETCH(bool, shown);
    PspDrive first(tracks);
    PspDrive second({u"MUSIC/9 Nine.mp3"_s});
    TestMainWindow window;
    window->show();
    first.plugInto(window);
    FileBrowse &browser = window->forms().filebrowse();
    if (shown) {
        openBrowser(window);
        browser.Dir1->setPath(first.path(u"MUSIC/Album"_s));
    }

    second.plugInto(window);
    QCOMPARE(browser.Dir1->driveRoot(), second.root());
    QCOMPARE(browser.isVisible(), shown);
    QVERIFY(shown ? panelReplaced(*window) : panelShown(*window));
    if (!shown) {
        // Nothing of the first PSP stays; the second is listed when the browser opens.
        QVERIFY(browser.music->items().isEmpty());
        openBrowser(window);
    }
    QCOMPARE(browser.Dir1->path(), second.path(u"MUSIC"_s));
    QCOMPARE(browser.music->items(), QStringList{u"9 Nine.mp3"_s});
    // The first PSP's folders are out of reach.
    browser.Dir1->setPath(first.path(u"MUSIC/Album"_s));
    QCOMPARE(browser.Dir1->path(), second.root());
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
