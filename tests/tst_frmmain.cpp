#include "about/frmabout.h"
#include "browser/filebrowse.h"
#include "controls/clickablelabel.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "playlist/typingerror.h"
#include "support/audiofiles.h"
#include "support/fakes.h"
#include "support/pspdrive.h"
#include "sync/keepdialog.h"
#include "sync/syncplandialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Lets windows that were closed finish going away.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The controls shown on the main window, its background picture left out.
QList<QWidget *> shownControls(FrmMain &window)
{
    QList<QWidget *> shown;
    for (QWidget *child :
         window.centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&window) && child != window.controls().Image1)
            shown.append(child);
    }
    return shown;
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void titleAndFlag_data();
    void titleAndFlag();
    void waitingLayout();
    void controlsFitWithoutOverlapping();
    void tabVisitsEveryControlOnce();
    void menusHaveUniqueAccessKeys_data();
    void menusHaveUniqueAccessKeys();
    void secondaryWindowsSpeakEnglishOnEveryShowing();
    void frenchAboutDialog();
    void aboutIsASingleWindow();
    void browserFollowsTheMainWindow();
    void clickingTheSelectedLineAgain_data();
    void clickingTheSelectedLineAgain();
    void closingMainWindowUnloadsEverything();
    void openBrowserAddsHttp_data();
    void openBrowserAddsHttp();
    void exploreOpensTheDriveRoot();
    void keepShowsTheListOfThePsp();
    void syncFromTheMenu();
    void aboutLinkOpensTheAddress();
};

void TestFrmMain::titleAndFlag_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("name");
    QTest::newRow("French") << 0x040C
                            << u"Zarvello v.3.5.0 - A partir de la version 6.10 du système"_s
                            << u"FR"_s << u"Veuillez connecter votre PSP"_s
                            << u"Nom de la nouvelle playlist"_s;
    QTest::newRow("French (Luxembourg)")
        << 0x140C << u"Zarvello v.3.5.0 - A partir de la version 6.10 du système"_s << u"FR"_s
        << u"Veuillez connecter votre PSP"_s << u"Nom de la nouvelle playlist"_s;
    QTest::newRow("French (Canada)")
        << 0x0C0C << u"Zarvello v.3.5.0 - From system version 6.10"_s << u"EN"_s
        << u"    Please connect your PSP"_s << u"Untitled playlist"_s;
    QTest::newRow("English") << 0x0409 << u"Zarvello v.3.5.0 - From system version 6.10"_s
                             << u"EN"_s << u"    Please connect your PSP"_s
                             << u"Untitled playlist"_s;
}

void TestFrmMain::titleAndFlag()
{
    QFETCH(int, langId);
    TestMainWindow window{quint16(langId)};
    QTEST(window->windowTitle(), "title");
    QTEST(window->controls().Text2->text(), "flag");
    QTEST(window->controls().Label4->text(), "prompt");
    QTEST(window->controls().playlist.Text1->text(), "name");
}

void TestFrmMain::waitingLayout()
{
    TestMainWindow window;
    window->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));

    QVERIFY(window->controls().Image1->isVisibleTo(&*window));
    QCOMPARE(shownControls(*window), QList<QWidget *>{window->controls().Label4});
    QVERIFY(!window->controls().menus.file->menuAction()->isEnabled());
    QVERIFY(!window->controls().menus.mnnew->isEnabled());
    QVERIFY(!window->controls().menus.save->isEnabled());
    QVERIFY(!window->controls().menus.explore->isEnabled());
    QVERIFY(!window->controls().menus.barre1->isEnabled());
    QVERIFY(!window->controls().menus.barre2->isEnabled());
    QVERIFY(window->controls().menus.about->isEnabled());
    QCOMPARE(window->controls().menus.barre1->text(), u"|"_s);
    QCOMPARE(window->controls().menus.mnnew->shortcut(), QKeySequence(u"Ctrl+N"_s));
    QCOMPARE(window->controls().menus.save->shortcut(), QKeySequence(u"Ctrl+S"_s));
    QVERIFY(window->controls().lettre->text().isEmpty());
}

void TestFrmMain::controlsFitWithoutOverlapping()
{
    const PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    const QRect client = window->centralWidget()->rect();
    const QList<QWidget *> shown = shownControls(*window);
    for (QWidget *control : shown) {
        QVERIFY2(client.contains(control->geometry()), qPrintable(control->objectName()));
        // Neighbours may share their edge pixel, no more.
        const QRect inside = control->geometry().adjusted(0, 0, -1, -1);
        for (QWidget *other : shown) {
            QVERIFY2(control == other ||
                         !inside.intersects(other->geometry().adjusted(0, 0, -1, -1)),
                     qPrintable(control->objectName() + u" and "_s + other->objectName()));
        }
    }
}

void TestFrmMain::tabVisitsEveryControlOnce()
{
    const PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&*window));
    QList<QWidget *> focusable;
    for (QWidget *control : shownControls(*window)) {
        if (control->focusPolicy() & Qt::TabFocus)
            focusable.append(control);
    }
    focusable.first()->setFocus();
    QList<QWidget *> visited;
    for (qsizetype press = 0; press < focusable.size(); ++press) {
        visited.append(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), focusable.first());
    for (QWidget *control : focusable)
        QVERIFY2(visited.count(control) == 1, qPrintable(control->objectName()));
}

void TestFrmMain::menusHaveUniqueAccessKeys_data()
{
    QTest::addColumn<int>("langId");
    QTest::newRow("French") << 0x040C;
    QTest::newRow("English") << 0x0409;
}

void TestFrmMain::menusHaveUniqueAccessKeys()
{
    QFETCH(int, langId);
    TestMainWindow window{quint16(langId)};
    FileBrowse &browser = window->forms().filebrowse();
    browser.show();
    const MainWindowControls &c = window->controls();
    const QList<QList<QAction *>> menus{window->menuBar()->actions(), c.menus.file->actions(),
                                        c.saved.File2->actions(), browser.menuBar()->actions()};
    for (const QList<QAction *> &menu : menus) {
        QSet<int> keys;
        for (const QAction *action : menu) {
            if (action->isSeparator() || action->text() == u"|"_s)
                continue;
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            QVERIFY2(!key.isEmpty(), qPrintable(action->text()));
            QVERIFY2(!keys.contains(key[0].toCombined()), qPrintable(action->text()));
            keys.insert(key[0].toCombined());
        }
    }
    QCOMPARE(c.menus.send->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
}

void TestFrmMain::secondaryWindowsSpeakEnglishOnEveryShowing()
{
    TestMainWindow window(0x0409);
    for (int showing = 0; showing < 2; ++showing) {
        window->controls().menus.about->trigger();
        FrmAbout *about = loadedWindow<FrmAbout>(*window);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), u"About Zarvello"_s);
        QCOMPARE(about->lblDescription->text(), u"Create and edit playlists for your PSP!"_s);
        QCOMPARE(about->lblVersion->text(), u"Version 3.5.0"_s);

        FileBrowse &browser = window->forms().filebrowse();
        browser.show();
        QCOMPARE(browser.windowTitle(), u"Advanced file browser"_s);
        QCOMPARE(browser.addall->text(), u"&Add all tracks to playlist"_s);
        QCOMPARE(browser.end->text(), u"&Done!"_s);

        TypingError &error = window->forms().typingerror();
        error.show();
        QCOMPARE(error.windowTitle(), u"Syntax error"_s);
        QCOMPARE(error.Label1->text(),
                 u"The following symbols aren't allowed in a playlist's name"_s);
        QCOMPARE(error.Label2->text(), u"So, a playlist's name can't be blank"_s);
        QCOMPARE(error.OKButton->text(), u"OK"_s);

        about->close();
        browser.end->trigger();
        QTest::mouseClick(error.OKButton, Qt::LeftButton);
        QVERIFY(!loadedWindow<FrmAbout>(*window));
        QVERIFY(!window->forms().loadedBrowser());
        QVERIFY(!loadedWindow<TypingError>(*window));
        flushDeletes();
    }
}

void TestFrmMain::frenchAboutDialog()
{
    TestMainWindow window(0x040C);
    window->controls().menus.about->trigger();
    FrmAbout *about = loadedWindow<FrmAbout>(*window);
    QCOMPARE(about->windowTitle(), u"A propos de Zarvello"_s);
    QCOMPARE(about->lblDescription->text(), u"Créez et éditez des playlists pour votre PSP!"_s);
    QCOMPARE(about->lblVersion->text(), u"Version 3.5.0"_s);
    QCOMPARE(about->lblTitle->text(), u"Zarvello"_s);
    QVERIFY(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestFrmMain::aboutIsASingleWindow()
{
    TestMainWindow window;
    // Its icon is read without loading it, and so is no other window.
    QCOMPARE(window->forms().loaded(), QList<QWidget *>{&*window});
    window->controls().menus.about->trigger();
    FrmAbout *first = loadedWindow<FrmAbout>(*window);
    window->controls().menus.about->trigger();
    QCOMPARE(loadedWindow<FrmAbout>(*window), first);
    int shown = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        shown += qobject_cast<FrmAbout *>(top) && top->isVisible();
    QCOMPARE(shown, 1);
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->windowIcon().cacheKey(), first->windowIcon().cacheKey());
}

void TestFrmMain::browserFollowsTheMainWindow()
{
    TestMainWindow window;
    window->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));

    window->forms().filebrowse().show();
    window->move(400, 300);
    QTRY_COMPARE(window->forms().filebrowse().pos(), window->pos() + QPoint(-255, 57));

    // Closed, the browser stays unloaded when the window moves, and comes
    // back where the window now stands.
    window->forms().filebrowse().close();
    window->move(500, 320);
    QCoreApplication::processEvents();
    QVERIFY(!window->forms().loadedBrowser());
    QCOMPARE(window->forms().filebrowse().pos(), window->pos() + QPoint(-255, 57));
}

void TestFrmMain::clickingTheSelectedLineAgain_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("playlist");

    const QStringList twice{u"\\kept.mp3"_s, u"\\MUSIC\\a.mp3"_s, u"\\between.mp3"_s,
                            u"\\MUSIC\\a.mp3"_s};
    QTest::newRow("track list appends again") << u"music"_s << twice;
    QTest::newRow("browser appends again") << u"browser music"_s << twice;
    QTest::newRow("playlist list opens again") << u"File2"_s << QStringList{u"\\one.mp3"_s};
    QTest::newRow("current playlist stays")
        << u"List1"_s << QStringList{u"\\kept.mp3"_s, u"\\between.mp3"_s};
}

void TestFrmMain::clickingTheSelectedLineAgain()
{
    QFETCH(QString, list);
    PspDrive drive({u"MUSIC/a.mp3"_s});
    drive.addFile(u"PSP/PLAYLIST/MUSIC/Mix.m3u8"_s, "\\one.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    ListBox &playlist = *window->controls().playlist.List1;
    playlist.addItem(u"\\kept.mp3"_s);

    const QHash<QString, ListBox *> lists{{u"music"_s, window->controls().tracks.music},
                                          {u"File2"_s, window->controls().saved.File2},
                                          {u"List1"_s, &playlist}};
    ListBox *clickedList = lists.value(list);
    if (!clickedList) {
        QTest::mouseClick(window->controls().tracks.Command6, Qt::LeftButton);
        clickedList = window->forms().loadedBrowser()->music;
        QVERIFY(QTest::qWaitForWindowExposed(clickedList->window()));
    }
    const QPoint firstLine(10, clickedList->fontMetrics().height() / 2);

    QTest::mouseClick(clickedList->viewport(), Qt::LeftButton, {}, firstLine);
    playlist.addItem(u"\\between.mp3"_s);
    QTest::mouseClick(clickedList->viewport(), Qt::LeftButton, {}, firstLine);
    QCOMPARE(clickedList->selectedPosition(), 0);
    QTEST(playlist.items(), "playlist");
}

void TestFrmMain::closingMainWindowUnloadsEverything()
{
    TestMainWindow window;
    window->showCentred();
    window->controls().menus.about->trigger();
    window->forms().filebrowse().show();
    window->forms().typingerror().show();
    window->controls().playlist.List1->addItem(u"\\MUSIC\\a.mp3"_s);

    QVERIFY(window->close());
    QCOMPARE(window->forms().loaded(), QList<QWidget *>{&*window});
    flushDeletes();
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
}

void TestFrmMain::openBrowserAddsHttp_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("opened");
    QTest::newRow("no scheme") << u"www.example.org/zarvello"_s
                               << u"http://www.example.org/zarvello"_s;
    QTest::newRow("http") << u"http://example.org"_s << u"http://example.org"_s;
    QTest::newRow("https") << u"https://example.org"_s << u"https://example.org"_s;
    QTest::newRow("capitals") << u"HTTP://EXAMPLE.ORG"_s << u"HTTP://EXAMPLE.ORG"_s;
}

void TestFrmMain::openBrowserAddsHttp()
{
    QFETCH(QString, address);
    TestMainWindow window;
    QVERIFY(window->OpenBrowser(address));
    QTEST(window.shell->opened.value(0), "opened");
    window.shell->accept = false;
    QVERIFY(!window->OpenBrowser(address));
}

void TestFrmMain::exploreOpensTheDriveRoot()
{
    TestMainWindow window;
    window->controls().lettre->setText(u"/media/psp/"_s);
    window->controls().menus.explore->setEnabled(true);
    window->controls().menus.explore->trigger();
    QCOMPARE(window.shell->explored, QStringList{u"/media/psp/"_s});
    window.shell->accept = false;
    window->controls().menus.explore->trigger();
    QVERIFY(messagebox::takeShown().value(0).text.contains(u"No file manager"_s));
}

void TestFrmMain::keepShowsTheListOfThePsp()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().menus.keep->trigger();
    auto *dialog = window->findChild<KeepDialog *>();
    QVERIFY(dialog && dialog->isVisible() && dialog->isModal());
    QTRY_VERIFY(dialog->findChild<QTreeWidget *>()->isEnabled());
    QCOMPARE(dialog->identity(), sendrecord::volumeIdentity(*VolumeRoot::open(drive.root())));

    // A change made meanwhile elsewhere (a terminal's --keep) is never
    // written over: the list is shown anew, and the next edit applies to it.
    QTemporaryDir elsewhere;
    SyncList kept;
    kept.add(elsewhere.path(), SyncEntry::Kind::Folder);
    QVERIFY(synclist::save(dialog->identity(), kept));
    auto *entries = dialog->findChild<QTreeWidget *>();
    auto *remove = dialog->findChild<QPushButton *>(u"remove"_s);
    QTest::keyClick(dialog->findChild<QCheckBox *>(u"whenPluggedIn"_s), Qt::Key_Space);
    QCOMPARE(synclist::load(dialog->identity()).entries().size(), 1);
    QCOMPARE(entries->topLevelItemCount(), 1);
    kept.add(QDir::tempPath(), SyncEntry::Kind::Folder);
    QVERIFY(synclist::save(dialog->identity(), kept));
    entries->setCurrentItem(entries->topLevelItem(0));
    remove->click();
    QCOMPARE(synclist::load(dialog->identity()).entries().size(), 2);
    QCOMPARE(entries->topLevelItemCount(), 2);
    remove->click();
    QCOMPARE(synclist::load(dialog->identity()).entries().size(), 1);
}

void TestFrmMain::syncFromTheMenu()
{
    PspDrive drive;
    QTemporaryDir music;
    const QString playlist = music.filePath(u"Road.m3u8"_s);
    for (const QString &name : {u"a.mp3"_s, u"b.mp3"_s})
        QVERIFY(writeTone(music.filePath(name), "mp3", 1, 44100, 2, {{u"album"_s, u"Road"_s}}));
    QFile list(playlist);
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write("b.mp3\na.mp3\n") > 0);
    list.close();
    SyncList kept;
    kept.add(playlist, SyncEntry::Kind::Playlist);
    QVERIFY(synclist::save(sendrecord::volumeIdentity(*VolumeRoot::open(drive.root())), kept));
    TestMainWindow window;
    drive.plugInto(window);

    window->controls().menus.sync->trigger();
    SyncPlanDialog *plan = nullptr;
    QTRY_VERIFY((plan = window->findChild<SyncPlanDialog *>()) &&
                plan->findChild<QPushButton *>(u"start"_s)->isEnabled());
    plan->findChild<QPushButton *>(u"start"_s)->click();
    QList<messagebox::Shown> shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown += messagebox::takeShown()).isEmpty(), 30000);
    QVERIFY2(shown.at(0).text.startsWith(u"Sent: 2 tracks"_s), qPrintable(shown.at(0).text));
    QCOMPARE(recordedFiles(drive.root()).size(), 2);
    QTRY_COMPARE(window->controls().saved.File2->items(), QStringList{u"Road.m3u8"_s});
    // Marked as the sync's, naming the computer's playlist it follows.
    QTRY_VERIFY(window->controls().saved.File2->lineToolTip(0).startsWith(
        u"Synced from \"%1\""_s.arg(QDir::toNativeSeparators(playlist))));
    // Opened to be edited: told once that the next sync replaces it.
    window->controls().saved.File2->setSelectedPosition(0);
    shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.at(0).text.startsWith(u"This playlist follows"_s), qPrintable(shown.at(0).text));
}

void TestFrmMain::aboutLinkOpensTheAddress()
{
    TestMainWindow window;
    window->controls().menus.about->trigger();
    FrmAbout *about = loadedWindow<FrmAbout>(*window);
    QTest::mouseClick(about->lblTitle, Qt::LeftButton);
    QVERIFY(window.shell->opened.isEmpty());
    QTest::mouseClick(about->Label2, Qt::LeftButton);
    QCOMPARE(window.shell->opened, QStringList{u"http://"_s + about->Label2->text()});
    QVERIFY(about->isVisible());
    QCOMPARE(about->Label2->cursor().shape(), Qt::BitmapCursor);
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
