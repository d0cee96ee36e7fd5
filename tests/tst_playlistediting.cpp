#include "controls/listbox.h"
#include "controls/textbox.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList five{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};

} // namespace

class TestPlaylistEditing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void moves_data();
    void moves();
    void removeWithNoSelection();
    void keysInTheList_data();
    void keysInTheList();
    void duplicatesMoveOneAtATime();
    void newPlaylist();
    void placeholdersClearOnClick_data();
    void placeholdersClearOnClick();
    void emptyNameComesBackOnLostFocus_data();
    void emptyNameComesBackOnLostFocus();
    void menuKeepsAnEmptyName();
    void enterPressesTheFocusedButton();
    void typingReplacesAPlaceholder();

private:
    std::unique_ptr<PspDrive> m_drive;
    std::unique_ptr<TestMainWindow> m_window;
};

void TestPlaylistEditing::init()
{
    m_drive = std::make_unique<PspDrive>();
    m_window = std::make_unique<TestMainWindow>();
    m_drive->plugInto(*m_window);
}

void TestPlaylistEditing::cleanup()
{
    m_window.reset();
    m_drive.reset();
}

void TestPlaylistEditing::moves_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("up in the middle")
        << five << 2 << u"Command2"_s << QStringList{u"a"_s, u"c"_s, u"b"_s, u"d"_s, u"e"_s} << 1;
    QTest::newRow("down in the middle")
        << five << 2 << u"Command3"_s << QStringList{u"a"_s, u"b"_s, u"d"_s, u"c"_s, u"e"_s} << 3;
    QTest::newRow("up on the first") << five << 0 << u"Command2"_s << five << 0;
    QTest::newRow("down on the last") << five << 4 << u"Command3"_s << five << 4;
    QTest::newRow("up with one line")
        << QStringList{u"a"_s} << 0 << u"Command2"_s << QStringList{u"a"_s} << 0;
    QTest::newRow("down with one line")
        << QStringList{u"a"_s} << 0 << u"Command3"_s << QStringList{u"a"_s} << 0;
    QTest::newRow("up with none selected") << five << -1 << u"Command2"_s << five << -1;
    QTest::newRow("down with none selected") << five << -1 << u"Command3"_s << five << -1;
    QTest::newRow("remove the middle")
        << five << 2 << u"Command1"_s << QStringList{u"a"_s, u"b"_s, u"d"_s, u"e"_s} << -1;
    QTest::newRow("remove the last")
        << five << 4 << u"Command1"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << -1;
}

void TestPlaylistEditing::moves()
{
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(QString, button);
    ListBox &list = *(*m_window)->controls().playlist.List1;
    list.addItems(entries);
    list.setSelectedPosition(selected);
    QTest::mouseClick((*m_window)->findChild<QPushButton *>(button), Qt::LeftButton);
    QTEST(list.items(), "after");
    QTEST(list.selectedPosition(), "selectedAfter");
}

void TestPlaylistEditing::removeWithNoSelection()
{
    ListBox &list = *(*m_window)->controls().playlist.List1;
    list.addItems(five);
    list.setSelectedPosition(1);
    QTest::mouseClick((*m_window)->controls().playlist.Command1, Qt::LeftButton);
    // The removal leaves nothing selected, so a second click removes nothing.
    QTest::mouseClick((*m_window)->controls().playlist.Command1, Qt::LeftButton);
    QCOMPARE(list.items(), (QStringList{u"a"_s, u"c"_s, u"d"_s, u"e"_s}));
}

void TestPlaylistEditing::keysInTheList_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    const int alt = Qt::AltModifier;
    QTest::newRow("Delete removes, the next line selected")
        << 2 << int(Qt::Key_Delete) << QStringList{u"a"_s, u"b"_s, u"d"_s, u"e"_s} << 2;
    QTest::newRow("Delete with none selected") << -1 << int(Qt::Key_Delete) << five << -1;
    QTest::newRow("Alt+Up moves up")
        << 2 << (alt | Qt::Key_Up) << QStringList{u"a"_s, u"c"_s, u"b"_s, u"d"_s, u"e"_s} << 1;
    QTest::newRow("Alt+Down moves down")
        << 2 << (alt | Qt::Key_Down) << QStringList{u"a"_s, u"b"_s, u"d"_s, u"c"_s, u"e"_s} << 3;
    QTest::newRow("Alt+Up on the first") << 0 << (alt | Qt::Key_Up) << five << 0;
    QTest::newRow("Alt+Down on the last") << 4 << (alt | Qt::Key_Down) << five << 4;
}

void TestPlaylistEditing::keysInTheList()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    ListBox &list = *(*m_window)->controls().playlist.List1;
    (*m_window)->show();
    QVERIFY(QTest::qWaitForWindowActive(&**m_window));
    list.addItems(five);
    list.setSelectedPosition(selected);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key(key & ~Qt::KeyboardModifierMask),
                    Qt::KeyboardModifiers::fromInt(key & Qt::KeyboardModifierMask));
    QTEST(list.items(), "after");
    QTEST(list.selectedPosition(), "selectedAfter");
}

void TestPlaylistEditing::duplicatesMoveOneAtATime()
{
    ListBox &list = *(*m_window)->controls().playlist.List1;
    list.addItems({u"x"_s, u"same"_s, u"same"_s, u"y"_s});
    list.setSelectedPosition(2);
    QTest::mouseClick((*m_window)->controls().playlist.Command3, Qt::LeftButton);
    QTest::mouseClick((*m_window)->controls().playlist.Command3, Qt::LeftButton);
    QCOMPARE(list.items(), (QStringList{u"x"_s, u"same"_s, u"y"_s, u"same"_s}));
    QCOMPARE(list.selectedPosition(), 3);
}

void TestPlaylistEditing::newPlaylist()
{
    for (quint16 langId : {quint16(0x040C), quint16(0x0409)}) {
        TestMainWindow window{langId};
        m_drive->plugInto(window);
        window->controls().playlist.Text1->setText(u"Road trip"_s);
        window->controls().menus.mnnew->trigger();
        QCOMPARE(window->controls().playlist.Text1->text(),
                 langId == 0x040C ? u"Nom de la nouvelle playlist"_s : u"Untitled playlist"_s);
        window->controls().playlist.List1->addItems(five);
        window->controls().playlist.Text1->setText(u"Road trip"_s);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(&*window));
        QTest::keyClick(&*window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window->controls().playlist.List1->count(), 0);
        QVERIFY(window->controls().playlist.Text1->text() != u"Road trip"_s);
    }
}

void TestPlaylistEditing::placeholdersClearOnClick_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::newRow("French default") << u"Nom de la nouvelle playlist"_s << QString();
    QTest::newRow("English default") << u"Untitled playlist"_s << QString();
    QTest::newRow("French retry") << u"Retapez le nom du fichier"_s << QString();
    QTest::newRow("English retry") << u"Try again"_s << QString();
    QTest::newRow("a name") << u"Road trip"_s << u"Road trip"_s;
    QTest::newRow("other case") << u"untitled playlist"_s << u"untitled playlist"_s;
    QTest::newRow("trailing space") << u"Try again "_s << u"Try again "_s;
}

void TestPlaylistEditing::placeholdersClearOnClick()
{
    QFETCH(QString, text);
    TextBox &name = *(*m_window)->controls().playlist.Text1;
    name.setText(text);
    QTest::mouseClick(&name, Qt::LeftButton);
    QTEST(name.text(), "after");
}

void TestPlaylistEditing::emptyNameComesBackOnLostFocus_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::newRow("French empty") << 0x040C << QString() << u"Nom de la nouvelle playlist"_s;
    QTest::newRow("English empty") << 0x0409 << QString() << u"Untitled playlist"_s;
    QTest::newRow("spaces stay") << 0x0409 << u"   "_s << u"   "_s;
}

void TestPlaylistEditing::emptyNameComesBackOnLostFocus()
{
    QFETCH(int, langId);
    QFETCH(QString, text);
    TestMainWindow window{quint16(langId)};
    m_drive->plugInto(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(&*window));
    window->controls().playlist.Text1->setFocus();
    window->controls().playlist.Text1->setText(text);
    window->controls().playlist.List1->setFocus();
    QTEST(window->controls().playlist.Text1->text(), "after");
}

void TestPlaylistEditing::menuKeepsAnEmptyName()
{
    TextBox &name = *(*m_window)->controls().playlist.Text1;
    name.clear();
    // Choosing Save from the menu takes the focus to the menu, not to a control.
    QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(&name, &toMenu);
    QVERIFY(name.text().isEmpty());
    QFocusEvent toControl(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&name, &toControl);
    QCOMPARE(name.text(), u"Untitled playlist"_s);
}

void TestPlaylistEditing::enterPressesTheFocusedButton()
{
    ListBox &list = *(*m_window)->controls().playlist.List1;
    list.addItems(five);
    list.setSelectedPosition(2);
    QTest::keyClick((*m_window)->controls().playlist.Command2, Qt::Key_Return);
    QTRY_COMPARE(list.selectedPosition(), 1);
}

void TestPlaylistEditing::typingReplacesAPlaceholder()
{
    // As after a refused name and OK: the focus comes back with the window.
    TextBox &name = *(*m_window)->controls().playlist.Text1;
    (*m_window)->show();
    QVERIFY(QTest::qWaitForWindowActive(&**m_window));
    name.setText(u"Try again"_s);
    name.setFocus(Qt::ActiveWindowFocusReason);
    QTest::keyClicks(&name, u"Mix"_s);
    QCOMPARE(name.text(), u"Mix"_s);
}

QTEST_MAIN(TestPlaylistEditing)
#include "tst_playlistediting.moc"
