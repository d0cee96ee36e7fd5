#include "about/frmabout.h"
#include "browser/filebrowse.h"
#include "controls/clickablelabel.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "playlist/typingerror.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItemIterator>

using namespace Qt::StringLiterals;

namespace {

constexpr int french = 0x040C;
constexpr int english = 0x0409;

// A connected window: a track chosen, a saved playlist opened.
struct ConnectedWindow
{
    explicit ConnectedWindow(int langId)
        : drive({u"MUSIC/1 One.mp3"_s, u"MUSIC/2 Two.mp3"_s, u"MUSIC/Live/3 Three.mp3"_s}),
          window(quint16(langId))
    {
        drive.addFile(u"PSP/PLAYLIST/MUSIC/Road trip.m3u8"_s, "\\MUSIC\\2 Two.mp3\r\n");
        window->show();
        drive.plugInto(window);
        window->controls().saved.File2->setSelectedPosition(0);
        window->controls().tracks.music->setSelectedPosition(1);
    }

    PspDrive drive;
    TestMainWindow window;
};

// The rows a screen reader reads, and the one it finds selected.
QStringList readerRows(QAccessibleInterface *reader, int *selected)
{
    QStringList rows;
    QAccessibleTableInterface *table = reader->tableInterface();
    for (int row = 0; row < table->rowCount(); ++row) {
        QAccessibleInterface *cell = table->cellAt(row, 0);
        if (cell->state().selected)
            *selected = row;
        rows.append(cell->text(QAccessible::Name));
    }
    return rows;
}

// What the control shows, line by line, and the line selected in it.
QStringList shownRows(QWidget *control, int *selected)
{
    if (auto *list = qobject_cast<ListBox *>(control)) {
        *selected = list->selectedPosition();
        return list->items();
    }
    auto *folders = qobject_cast<DirListBox *>(control);
    QStringList rows;
    for (QTreeWidgetItemIterator item(folders); *item; ++item) {
        if ((*item)->isSelected())
            *selected = int(rows.size());
        rows.append((*item)->text(0));
    }
    return rows;
}

// A key typed as the user types it: into the menu that drops down, if any,
// else into the control that has the focus.
void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *popup = QApplication::activePopupWidget();
    QTest::keyClick(popup ? popup : QApplication::focusWidget(), key, modifiers);
}

// Text stays readable on a background far enough from it in lightness.
bool readable(const QColor &text, const QColor &background)
{
    return qAbs(text.lightnessF() - background.lightnessF()) >= 0.4;
}

QPalette darkPalette()
{
    QPalette dark(QColor(60, 60, 60), QColor(32, 32, 32));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(20, 20, 20));
    return dark;
}

// The desktop's palette, given back whatever the test did with it.
struct DesktopPalette
{
    ~DesktopPalette() { QApplication::setPalette(saved); }
    QPalette saved = QApplication::palette();
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsAreReadOut_data();
    void controlsAreReadOut();
    void aboutLinkByKeyboard_data();
    void aboutLinkByKeyboard();
    void f10OpensTheFirstMenu_data();
    void f10OpensTheFirstMenu();
    void aboutReadableOnADarkDesktop_data();
    void aboutReadableOnADarkDesktop();
    void readerFindsOnlyWhatIsThere();
};

void TestAccessibility::controlsAreReadOut_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<bool>("inBrowser");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");

    const struct
    {
        bool inBrowser;
        const char *control;
        QAccessible::Role role;
        const char16_t *english;
        const char16_t *french;
    } controls[] = {
        {false, "music", QAccessible::List, u"Audio files stored on your PSP:",
         u"Morceaux stockés sur votre PSP:"},
        {false, "Dir1", QAccessible::Tree, u"Folders on your PSP", u"Dossiers de la PSP"},
        {false, "List1", QAccessible::List, u"Current playlist:", u"Playlist en cours d'édition:"},
        {false, "Text1", QAccessible::EditableText, u"Playlist name", u"Nom de la playlist"},
        {false, "File2", QAccessible::List, u"Your playlists:", u"Vos playlists:"},
        {true, "Dir1", QAccessible::Tree, u"Folders on your PSP", u"Dossiers de la PSP"},
        {true, "music", QAccessible::List, u"Audio files in this folder", u"Médias du dossier"},
    };
    for (const auto &c : controls) {
        const QString control = QLatin1String(c.control);
        const QString where = QLatin1String(c.inBrowser ? "browser " : "") + control;
        QTest::addRow("%s, English", qPrintable(where))
            << english << c.inBrowser << control << c.role << QString::fromUtf16(c.english);
        QTest::addRow("%s, French", qPrintable(where))
            << french << c.inBrowser << control << c.role << QString::fromUtf16(c.french);
    }
}

void TestAccessibility::controlsAreReadOut()
{
    QFETCH(int, langId);
    QFETCH(bool, inBrowser);
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);

    ConnectedWindow connected(langId);
    QWidget *window = &*connected.window;
    if (inBrowser) {
        QTest::mouseClick(connected.window->controls().tracks.Command6, Qt::LeftButton);
        window = connected.window->forms().loadedBrowser();
    }
    QWidget *widget = window->findChild<QWidget *>(control);
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(widget);
    QCOMPARE(reader->role(), role);
    QCOMPARE(reader->text(QAccessible::Name), name);
    if (role == QAccessible::EditableText)
        return;

    int shownSelected = -1;
    const QStringList rows = shownRows(widget, &shownSelected);
    QVERIFY(!rows.isEmpty());
    int readSelected = -1;
    QCOMPARE(readerRows(reader, &readSelected), rows);
    QCOMPARE(readSelected, shownSelected);
}

void TestAccessibility::aboutLinkByKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void TestAccessibility::aboutLinkByKeyboard()
{
    QFETCH(int, key);
    TestMainWindow window;
    window->controls().menus.about->trigger();
    FrmAbout *about = loadedWindow<FrmAbout>(*window);
    QVERIFY(QTest::qWaitForWindowActive(about));
    about->Label2->clearFocus();
    const QImage unfocused = about->Label2->grab().toImage();

    QTest::keyClick(about, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), about->Label2);
    QVERIFY(about->Label2->grab().toImage() != unfocused);
    QTest::keyClick(about->Label2, Qt::Key(key));
    const QString address = u"http://"_s + about->Label2->text();
    QCOMPARE(window.shell->opened, QStringList{address});
    QVERIFY(about->isVisible());

    // Screen readers find a link they can press.
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(about->Label2);
    QCOMPARE(reader->role(), QAccessible::Link);
    QCOMPARE(reader->text(QAccessible::Name), about->Label2->text());
    reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(window.shell->opened, (QStringList{address, address}));
}

void TestAccessibility::f10OpensTheFirstMenu_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("first");

    QTest::newRow("English, waiting") << english << false << u"about"_s;
    QTest::newRow("French, waiting") << french << false << u"about"_s;
    QTest::newRow("English, connected") << english << true << u"file"_s;
    QTest::newRow("French, connected") << french << true << u"file"_s;
}

void TestAccessibility::f10OpensTheFirstMenu()
{
    QFETCH(int, langId);
    QFETCH(bool, connected);
    QFETCH(QString, first);

    PspDrive drive({u"MUSIC/1 One.mp3"_s});
    TestMainWindow window{quint16(langId)};
    window->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&*window));
    QMenuBar *bar = window->menuBar();
    if (!connected) {
        // The only entry to be used is a command: Enter chooses it.
        type(Qt::Key_F10);
        QVERIFY(bar->activeAction());
        QCOMPARE(bar->activeAction()->objectName(), first);
        type(Qt::Key_Return);
        QTRY_VERIFY(loadedWindow<FrmAbout>(*window)->isVisible());
        return;
    }

    drive.plugInto(window);
    ListBox *entries = window->controls().playlist.List1;
    entries->setFocus();
    type(Qt::Key_F10);
    QVERIFY(bar->activeAction());
    QCOMPARE(bar->activeAction()->objectName(), first);
    QMenu *file = window->controls().menus.file;
    QTRY_VERIFY(file->isVisible());
    // The arrows lead along the bar, past the dividers, to the commands.
    type(Qt::Key_Right);
    QCOMPARE(bar->activeAction(), window->controls().menus.explore);
    type(Qt::Key_Return);
    QCOMPARE(window.shell->explored, QStringList{drive.root()});
    QCOMPARE(QApplication::focusWidget(), entries);

    // Escape closes the menu, then leaves the bar for where the focus was.
    type(Qt::Key_F10);
    QTRY_VERIFY(file->isVisible());
    type(Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());
    type(Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), entries);
    // The French access keys stay.
    if (langId == french) {
        type(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        type(Qt::Key_Escape);
    }
}

void TestAccessibility::aboutReadableOnADarkDesktop_data()
{
    QTest::addColumn<bool>("darkFirst");
    QTest::newRow("dark desktop from the start") << true;
    QTest::newRow("desktop turned dark later") << false;
}

void TestAccessibility::aboutReadableOnADarkDesktop()
{
    QFETCH(bool, darkFirst);
    DesktopPalette desktop;
    const QPalette dark = darkPalette();
    if (darkFirst)
        QApplication::setPalette(dark);
    TestMainWindow window;
    window->controls().menus.about->trigger();
    if (!darkFirst)
        QApplication::setPalette(dark);
    // Widgets learn of the desktop's new palette from posted events.
    QCoreApplication::processEvents();
    FrmAbout *about = loadedWindow<FrmAbout>(*window);

    const QColor background = about->palette().color(QPalette::Window);
    for (QLabel *label : {about->lblTitle, about->lblVersion, about->lblDescription, about->Label1,
                          static_cast<QLabel *>(about->Label2)}) {
        QVERIFY(!label->text().isEmpty());
        QVERIFY2(readable(label->palette().color(QPalette::WindowText), background),
                 qPrintable(label->objectName()));
    }
    // The rest follows the desktop.
    QCOMPARE(window->controls().playlist.List1->palette().color(QPalette::Base),
             dark.color(QPalette::Base));
    QCOMPARE(window->forms().typingerror().palette().color(QPalette::Window),
             dark.color(QPalette::Window));
}

void TestAccessibility::readerFindsOnlyWhatIsThere()
{
    ConnectedWindow connected(english);
    FrmMain &window = *connected.window;
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const MainWindowControls &c = window.controls();
    const int divider = window.menuBar()->actions().indexOf(c.menus.barre1);
    QCOMPARE(QAccessible::queryAccessibleInterface(window.menuBar())->child(divider)->role(),
             QAccessible::Separator);
    QAccessibleInterface *client = QAccessible::queryAccessibleInterface(window.centralWidget());
    for (int i = 0; i < client->childCount(); ++i)
        QVERIFY(client->child(i)->object() != c.lettre && client->child(i)->object() != c.Text2);

    QAccessibleTableInterface *folders =
        QAccessible::queryAccessibleInterface(c.tracks.Dir1)->tableInterface();
    for (QWidget *focus :
         std::initializer_list<QWidget *>{c.playlist.List1, c.tracks.Dir1, c.playlist.List1}) {
        focus->setFocus();
        QCOMPARE(folders->cellAt(1, 0)->state().focused, focus == c.tracks.Dir1);
    }

    TypingError &dialog = window.forms().typingerror();
    dialog.show();
    QCOMPARE(QAccessible::queryAccessibleInterface(&dialog)->role(), QAccessible::Dialog);
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog.Image1)->text(QAccessible::Name),
             texts::forbiddenCharacterNames.in(Language::English));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!loadedWindow<TypingError>(window));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
