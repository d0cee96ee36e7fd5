#include "about/frmabout.h"
#include "browser/filebrowse.h"
#include "controls/clickablelabel.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "playlist/typingerror.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Lets windows that were closed finish going away.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList visibleControls(FrmMain &window)
{
    QStringList names;
    for (QWidget *child :
         window.centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&window))
            names.append(child->objectName());
    }
    return names;
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void titleAndFlag_data();
    void titleAndFlag();
    void waitingLayout();
    void designGeometryAndStacking();
    void tabOrder();
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

    QCOMPARE(visibleControls(*window), (QStringList{u"Image1"_s, u"Label4"_s}));
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

void TestFrmMain::designGeometryAndStacking()
{
    TestMainWindow window;
    QCOMPARE(window->centralWidget()->size(), QSize(618, 350));
    QCOMPARE(window->controls().saved.Command4->geometry(), QRect(416, 296, 177, 33));
    QCOMPARE(window->controls().playlist.List1->geometry(), QRect(216, 64, 177, 225));
    QCOMPARE(window->controls().tracks.Image2->geometry(), QRect(0, 0, 210, 350));
    QCOMPARE(window->controls().saved.Command4->font().pointSizeF(), 12.0);
    QCOMPARE(window->controls().tracks.Label1->font().family(), u"Arial"_s);
    QVERIFY(window->controls().tracks.Label1->font().italic());

    // Children are drawn in creation order: the background lowest, the
    // windowed controls above the pictures and labels.
    QStringList stacking;
    for (QObject *child : window->centralWidget()->children())
        stacking.append(child->objectName());
    QCOMPARE(stacking,
             (QStringList{u"Image1"_s, u"Label1"_s, u"Label2"_s, u"Label3"_s, u"Label4"_s,
                          u"Image2"_s, u"Command2"_s, u"Command3"_s, u"music"_s, u"Dir1"_s,
                          u"List1"_s, u"Text1"_s, u"File2"_s, u"Command1"_s, u"Command4"_s,
                          u"Command5"_s, u"Command6"_s, u"lettre"_s, u"Text2"_s}));
}

void TestFrmMain::tabOrder()
{
    TestMainWindow window;
    const QList<QWidget *> expected{
        window->controls().tracks.music,      window->controls().tracks.Dir1,
        window->controls().playlist.List1,    window->controls().playlist.Text1,
        window->controls().saved.File2,       window->controls().playlist.Command1,
        window->controls().playlist.Command2, window->controls().playlist.Command3,
        window->controls().saved.Command4,    window->controls().tracks.Command5,
        window->controls().tracks.Command6};
    QList<QWidget *> chain;
    QWidget *widget = window->controls().tracks.music;
    do {
        if (expected.contains(widget))
            chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != window->controls().tracks.music);
    QCOMPARE(chain, expected);
    for (QLabel *label : {window->controls().tracks.Label1, window->controls().playlist.Label2,
                          window->controls().saved.Label3, window->controls().Label4})
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestFrmMain::secondaryWindowsSpeakEnglishOnEveryShowing()
{
    TestMainWindow window(0x0409);
    for (int showing = 0; showing < 2; ++showing) {
        window->controls().menus.about->trigger();
        FrmAbout *about = window->forms().loadedAbout();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), u"About Zarvello"_s);
        QCOMPARE(about->lblDescription->text(), u"Create and edit playlists for your PSP!"_s);
        QCOMPARE(about->lblVersion->text(), u"Version 3.5.0"_s);

        FileBrowse &browser = window->forms().filebrowse();
        browser.show();
        QCOMPARE(browser.windowTitle(), u"Advanced file browser"_s);
        QCOMPARE(browser.addall->text(), u"Add all tracks to playlist"_s);
        QCOMPARE(browser.end->text(), u"Done!"_s);

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
        QVERIFY(!window->forms().loadedAbout());
        QVERIFY(!window->forms().loadedBrowser());
        QVERIFY(!window->forms().loadedTypingError());
        flushDeletes();
    }
}

void TestFrmMain::frenchAboutDialog()
{
    TestMainWindow window(0x040C);
    window->controls().menus.about->trigger();
    FrmAbout *about = window->forms().loadedAbout();
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
    FrmAbout *first = window->forms().loadedAbout();
    window->controls().menus.about->trigger();
    QCOMPARE(window->forms().loadedAbout(), first);
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

void TestFrmMain::aboutLinkOpensTheAddress()
{
    TestMainWindow window;
    window->controls().menus.about->trigger();
    FrmAbout *about = window->forms().loadedAbout();
    QTest::mouseClick(about->lblTitle, Qt::LeftButton);
    QVERIFY(window.shell->opened.isEmpty());
    QTest::mouseClick(about->Label2, Qt::LeftButton);
    QCOMPARE(window.shell->opened, QStringList{u"http://"_s + about->Label2->text()});
    QVERIFY(about->isVisible());
    QCOMPARE(about->Label2->cursor().shape(), Qt::BitmapCursor);
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
