#include "controls/design.h"
#include "controls/listbox.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList letters()
{
    return {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
}

QStringList numbered(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(u"Line %1"_s.arg(i));
    return lines;
}

// Runs edits written as "select 3", "remove 1", "insert 0 x", "add x" or
// "clear", the way the main window drives the list.
// False at the first edit that is unknown or that the list refuses.
bool apply(ListBox &list, const QStringList &edits)
{
    for (const QString &edit : edits) {
        const QStringList words = edit.split(QLatin1Char(' '));
        const QString &verb = words.at(0);
        bool done = true;
        if (verb == u"select")
            list.setSelectedPosition(words.at(1).toInt());
        else if (verb == u"remove")
            done = list.removeItem(words.at(1).toInt());
        else if (verb == u"insert")
            list.insertItem(words.at(1).toInt(), words.at(2));
        else if (verb == u"add")
            list.addItem(words.at(1));
        else if (verb == u"clear")
            list.clear();
        else
            done = false;
        if (!done)
            return false;
    }
    return true;
}

// Shows a list of the given height holding that many numbered lines.
bool showWithLines(ListBox &list, int height, int lines)
{
    list.resize(177, height);
    list.addItems(numbered(lines));
    list.show();
    return QTest::qWaitForWindowExposed(&list);
}

QStringList childTexts(QAccessibleInterface *list)
{
    QStringList texts;
    for (int child = 0; child < list->childCount(); ++child)
        texts.append(list->child(child)->text(QAccessible::Name));
    return texts;
}

int lineCentre(const ListBox &list, int line)
{
    const int height = list.fontMetrics().height();
    return line * height + height / 2;
}

} // namespace

class TestListBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editsKeepSelection_data();
    void editsKeepSelection();
    void removeInvalidPositionChangesNothing_data();
    void removeInvalidPositionChangesNothing();
    void setSelectedPositionAlwaysRaisesClicked();
    void keyboardMovesSelection_data();
    void keyboardMovesSelection();
    void mouseSelectsLine();
    void mouseSelectsLineOfScrolledList();
    void doubleClickSelectsOnce();
    void dropsSayWhereAndWhat_data();
    void dropsSayWhereAndWhat();
    void selectionIsScrolledIntoView();
    void verticalRangeFollowsCount();
    void horizontalRangeFollowsExtentOnly();
    void widestLineFollowsEdits();
    void readAsAList_data();
    void readAsAList();
    void readerItemsFollowTheirLines_data();
    void readerItemsFollowTheirLines();
    void readerSelectsAsAClickDoes();
    void focusIsAlwaysShown_data();
    void focusIsAlwaysShown();
    void missingLinesStayReadable();
    void greyedCountFollowsEdits_data();
    void greyedCountFollowsEdits();
};

void TestListBox::editsKeepSelection_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");

    const QStringList all = letters();
    QTest::newRow("nothing selected") << QStringList() << all << -1;
    QTest::newRow("remove above") << QStringList{u"select 3"_s, u"remove 1"_s}
                                  << QStringList{u"a"_s, u"c"_s, u"d"_s, u"e"_s} << 2;
    QTest::newRow("remove below") << QStringList{u"select 1"_s, u"remove 3"_s}
                                  << QStringList{u"a"_s, u"b"_s, u"c"_s, u"e"_s} << 1;
    QTest::newRow("remove selected") << QStringList{u"select 2"_s, u"remove 2"_s}
                                     << QStringList{u"a"_s, u"b"_s, u"d"_s, u"e"_s} << -1;
    QTest::newRow("remove last selected") << QStringList{u"select 4"_s, u"remove 4"_s}
                                          << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << -1;
    QTest::newRow("insert above") << QStringList{u"select 2"_s, u"insert 0 x"_s}
                                  << QStringList{u"x"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}
                                  << 3;
    QTest::newRow("insert at selection")
        << QStringList{u"select 2"_s, u"insert 2 x"_s}
        << QStringList{u"a"_s, u"b"_s, u"x"_s, u"c"_s, u"d"_s, u"e"_s} << 3;
    QTest::newRow("insert below") << QStringList{u"select 2"_s, u"insert 3 x"_s}
                                  << QStringList{u"a"_s, u"b"_s, u"c"_s, u"x"_s, u"d"_s, u"e"_s}
                                  << 2;
    QTest::newRow("insert past end appends")
        << QStringList{u"select 4"_s, u"insert 99 x"_s}
        << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"x"_s} << 4;
    QTest::newRow("add") << QStringList{u"select 4"_s, u"add x"_s}
                         << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"x"_s} << 4;
    QTest::newRow("move down") << QStringList{u"select 1"_s, u"remove 1"_s, u"insert 2 b"_s,
                                              u"select 2"_s}
                               << QStringList{u"a"_s, u"c"_s, u"b"_s, u"d"_s, u"e"_s} << 2;
    QTest::newRow("move up keeps other selection")
        << QStringList{u"select 0"_s, u"remove 3"_s, u"insert 1 d"_s}
        << QStringList{u"a"_s, u"d"_s, u"b"_s, u"c"_s, u"e"_s} << 0;
    QTest::newRow("move selected line to the end")
        << QStringList{u"select 0"_s, u"remove 0"_s, u"add a"_s, u"select 4"_s}
        << QStringList{u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"a"_s} << 4;
    QTest::newRow("clear") << QStringList{u"select 2"_s, u"clear"_s} << QStringList() << -1;
    QTest::newRow("refill after clear")
        << QStringList{u"select 2"_s, u"clear"_s, u"add x"_s} << QStringList{u"x"_s} << -1;
}

void TestListBox::editsKeepSelection()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, items);
    QFETCH(int, selected);

    ListBox list;
    list.addItems(letters());
    QVERIFY(apply(list, edits));

    QCOMPARE(list.items(), items);
    QCOMPARE(list.count(), items.size());
    QCOMPARE(list.selectedPosition(), selected);
    QCOMPARE(list.selectedCount(), selected < 0 ? 0 : 1);
}

void TestListBox::removeInvalidPositionChangesNothing_data()
{
    QTest::addColumn<int>("position");

    QTest::newRow("minus one") << -1;
    QTest::newRow("negative") << -7;
    QTest::newRow("one past the end") << 5;
    QTest::newRow("far past the end") << 1000;
}

void TestListBox::removeInvalidPositionChangesNothing()
{
    QFETCH(int, position);

    ListBox list;
    list.addItems(letters());
    list.setSelectedPosition(2);
    QSignalSpy clicked(&list, &ListBox::clicked);

    QVERIFY(!list.removeItem(position));
    QCOMPARE(list.items(), letters());
    QCOMPARE(list.selectedPosition(), 2);
    QCOMPARE(clicked.count(), 0);
}

void TestListBox::setSelectedPositionAlwaysRaisesClicked()
{
    ListBox list;
    list.addItems(letters());
    QSignalSpy clicked(&list, &ListBox::clicked);

    list.setSelectedPosition(2);
    QCOMPARE(clicked.count(), 1);
    list.setSelectedPosition(2);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(list.selectedPosition(), 2);

    list.setSelectedPosition(-1);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.selectedPosition(), -1);
    QCOMPARE(list.selectedCount(), 0);

    list.setSelectedPosition(4);
    QCOMPARE(clicked.count(), 4);
    list.setSelectedPosition(5);
    QCOMPARE(clicked.count(), 4);
    QCOMPARE(list.selectedPosition(), 4);
}

void TestListBox::keyboardMovesSelection_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");

    QTest::newRow("down from nothing selects the first") << 10 << -1 << int(Qt::Key_Down) << 0;
    QTest::newRow("down") << 10 << 3 << int(Qt::Key_Down) << 4;
    QTest::newRow("up") << 10 << 3 << int(Qt::Key_Up) << 2;
    QTest::newRow("up at the top stays") << 10 << 0 << int(Qt::Key_Up) << 0;
    QTest::newRow("down at the bottom stays") << 10 << 9 << int(Qt::Key_Down) << 9;
    QTest::newRow("home") << 10 << 6 << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << 10 << 2 << int(Qt::Key_End) << 9;
    QTest::newRow("page down stops at the end") << 10 << 8 << int(Qt::Key_PageDown) << 9;
    QTest::newRow("page up stops at the top") << 10 << 1 << int(Qt::Key_PageUp) << 0;
    QTest::newRow("down in an empty list") << 0 << -1 << int(Qt::Key_Down) << -1;
    QTest::newRow("space acts on the selected line") << 10 << 3 << int(Qt::Key_Space) << 3;
    QTest::newRow("return acts on the selected line") << 10 << 3 << int(Qt::Key_Return) << 3;
}

void TestListBox::keyboardMovesSelection()
{
    QFETCH(int, lines);
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);

    ListBox list;
    list.addItems(numbered(lines));
    if (start >= 0)
        list.setSelectedPosition(start);
    QSignalSpy clicked(&list, &ListBox::clicked);

    QTest::keyClick(&list, Qt::Key(key));

    const bool acts = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    QCOMPARE(list.selectedPosition(), expected);
    QCOMPARE(clicked.count(), acts && lines > 0 ? 1 : 0);
}

void TestListBox::mouseSelectsLine()
{
    ListBox list;
    QVERIFY(showWithLines(list, 300, 5));
    QSignalSpy clicked(&list, &ListBox::clicked);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, lineCentre(list, 3)));
    QCOMPARE(list.selectedPosition(), 3);
    QCOMPARE(clicked.count(), 1);

    // The selected line clicked again is a click again.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, lineCentre(list, 3)));
    QCOMPARE(list.selectedPosition(), 3);
    QCOMPARE(clicked.count(), 2);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, lineCentre(list, 0)));
    QCOMPARE(list.selectedPosition(), 0);
    QCOMPARE(clicked.count(), 3);

    // Below the last line there is nothing to select.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, lineCentre(list, 7)));
    QCOMPARE(list.selectedPosition(), 0);
    QCOMPARE(clicked.count(), 3);
}

void TestListBox::mouseSelectsLineOfScrolledList()
{
    ListBox list;
    QVERIFY(showWithLines(list, 120, 100));

    list.verticalScrollBar()->setValue(40);
    QCOMPARE(list.positionAt(QPoint(10, lineCentre(list, 1))), 41);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, lineCentre(list, 1)));
    QCOMPARE(list.selectedPosition(), 41);
    QCOMPARE(list.item(list.selectedPosition()), u"Line 41"_s);
}

void TestListBox::doubleClickSelectsOnce()
{
    ListBox list;
    QVERIFY(showWithLines(list, 300, 5));
    QSignalSpy clicked(&list, &ListBox::clicked);

    // A double-click arrives as a click, then the double-click.
    const QPoint line2(10, lineCentre(list, 2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, line2);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, line2);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, line2);
    QCOMPARE(list.selectedPosition(), 2);
    QCOMPARE(clicked.count(), 1);

    const QPoint belowLast(10, lineCentre(list, 9));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, belowLast);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, belowLast);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, belowLast);
    QCOMPARE(list.selectedPosition(), 2);
    QCOMPARE(clicked.count(), 1);
}

void TestListBox::dropsSayWhereAndWhat_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("actions");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("lowerHalf");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("action");

    const int move = Qt::MoveAction;
    const int copy = Qt::CopyAction;
    const int both = move | copy;
    QTest::newRow("own line on a lower half") << u"own line"_s << move << 2 << true << 3 << move;
    QTest::newRow("file offered to move is copied") << u"file"_s << both << 4 << true << 5 << copy;
    QTest::newRow("file only to move") << u"file"_s << move << 1 << false << -1 << 0;
    QTest::newRow("line of another list") << u"other line"_s << move << 1 << false << -1 << 0;
    QTest::newRow("other format") << u"text"_s << copy << 1 << false << -1 << 0;
}

void TestListBox::dropsSayWhereAndWhat()
{
    QFETCH(QString, what);
    QFETCH(int, actions);
    QFETCH(int, line);
    QFETCH(bool, lowerHalf);
    QFETCH(int, position);

    ListBox list;
    ListBox other;
    other.addItems(letters());
    list.setDropFormats({ListBox::lineFormat(), u"text/uri-list"_s});
    QVERIFY(showWithLines(list, 300, 5));
    std::unique_ptr<QMimeData> data;
    if (what == u"own line") {
        data.reset(list.dragData(3));
        QCOMPARE(list.draggedLine(data.get()), 3);
    } else if (what == u"other line") {
        data.reset(other.dragData(3));
        QCOMPARE(list.draggedLine(data.get()), -1);
    } else {
        data = std::make_unique<QMimeData>();
        if (what == u"file")
            data->setUrls({QUrl::fromLocalFile(u"/music/a.mp3"_s)});
        else
            data->setText(u"a.mp3"_s);
    }
    QList<std::pair<int, const QMimeData *>> dropped;
    connect(&list, &ListBox::dropped, [&dropped](int at, const QMimeData *mime) {
        dropped.append({at, mime});
    });

    const int height = list.fontMetrics().height();
    const QPoint point(10, line * height + (lowerHalf ? height * 3 / 4 : height / 4));
    const auto dropActions = Qt::DropActions::fromInt(actions);
    QDragEnterEvent enter(point, dropActions, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QCOMPARE(enter.isAccepted(), position >= 0);
    QDropEvent drop(point, dropActions, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &drop);
    QCOMPARE(drop.isAccepted(), position >= 0);
    if (position >= 0) {
        QTEST(int(drop.dropAction()), "action");
        QCOMPARE(dropped, (QList<std::pair<int, const QMimeData *>>{{position, data.get()}}));
    } else {
        QVERIFY(dropped.isEmpty());
    }
    // Dropping never changes the list by itself.
    QCOMPARE(list.items(), numbered(5));
}

void TestListBox::selectionIsScrolledIntoView()
{
    ListBox list;
    QVERIFY(showWithLines(list, 120, 100));
    const QScrollBar *vertical = list.verticalScrollBar();
    const int page = vertical->pageStep();
    QVERIFY(page > 1);

    list.setSelectedPosition(60);
    QVERIFY(vertical->value() <= 60 && 60 < vertical->value() + page);

    list.setSelectedPosition(3);
    QVERIFY(vertical->value() <= 3 && 3 < vertical->value() + page);

    QTest::keyClick(&list, Qt::Key_End);
    QCOMPARE(list.selectedPosition(), 99);
    QCOMPARE(vertical->value(), vertical->maximum());
}

void TestListBox::verticalRangeFollowsCount()
{
    ListBox list;
    list.resize(177, 120);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QScrollBar *vertical = list.verticalScrollBar();
    QCOMPARE(vertical->maximum(), 0);

    const int lines = 40000;
    for (const QString &line : numbered(lines))
        list.addItem(line);
    QCOMPARE(list.count(), lines);
    QCOMPARE(vertical->maximum(), lines - vertical->pageStep());
    QTRY_VERIFY(vertical->isVisible());

    list.setSelectedPosition(lines - 1);
    QCOMPARE(vertical->value(), vertical->maximum());
    QVERIFY(list.removeItem(lines - 1));
    QCOMPARE(vertical->maximum(), lines - 1 - vertical->pageStep());

    list.clear();
    QCOMPARE(vertical->maximum(), 0);
    QTRY_VERIFY(!vertical->isVisible());
}

void TestListBox::horizontalRangeFollowsExtentOnly()
{
    ListBox list;
    list.resize(177, 200);
    list.addItems(letters());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QScrollBar *horizontal = list.horizontalScrollBar();

    // A line far wider than the list does not widen the range by itself.
    list.addItem(QString(400, QLatin1Char('W')));
    QCoreApplication::processEvents();
    QCOMPARE(horizontal->maximum(), 0);
    QVERIFY(!horizontal->isVisible());

    list.setHorizontalExtent(1000);
    QCOMPARE(list.horizontalExtent(), 1000);
    QTRY_VERIFY(horizontal->isVisible());
    QCOMPARE(horizontal->maximum(), 1000 - list.viewport()->width());

    // Removing the widest line leaves the extent to the caller.
    QVERIFY(list.removeItem(list.count() - 1));
    QCOMPARE(list.horizontalExtent(), 1000);
    QCOMPARE(horizontal->maximum(), 1000 - list.viewport()->width());

    list.setHorizontalExtent(list.viewport()->width());
    QCOMPARE(horizontal->maximum(), 0);
    QTRY_VERIFY(!horizontal->isVisible());
}

void TestListBox::widestLineFollowsEdits()
{
    ListBox list;
    const QString shortLine = u"ab"_s;
    const QString longLine = u"a much longer line"_s;
    const QString middleLine = u"middle line"_s;
    const auto width = [&list](const QString &text) {
        return list.lineMetrics().horizontalAdvance(text);
    };
    QCOMPARE(list.widestLineWidth(), 0);

    list.addItem(shortLine);
    QCOMPARE(list.widestLineWidth(), width(shortLine));
    list.addItems({longLine, middleLine});
    QCOMPARE(list.widestLineWidth(), width(longLine));

    // Measuring again after a removal must not remember the removed line.
    QVERIFY(list.removeItem(1));
    QCOMPARE(list.widestLineWidth(), width(middleLine));
    list.insertItem(0, longLine);
    QCOMPARE(list.widestLineWidth(), width(longLine));

    // A larger font measures every line anew.
    const int smaller = list.widestLineWidth();
    QFont larger = list.font();
    larger.setPointSizeF(larger.pointSizeF() * 3);
    list.setFont(larger);
    QCOMPARE(list.widestLineWidth(), width(longLine));
    QVERIFY(list.widestLineWidth() > smaller);

    list.clear();
    QCOMPARE(list.widestLineWidth(), 0);
    // Measuring leaves the sideways range to the caller.
    QCOMPARE(list.horizontalExtent(), 0);
}

void TestListBox::readAsAList_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");

    QTest::newRow("nothing selected") << QStringList() << letters() << -1;
    QTest::newRow("selected") << QStringList{u"select 3"_s} << letters() << 3;
    QTest::newRow("edited") << QStringList{u"select 2"_s, u"insert 0 x"_s, u"remove 4"_s}
                            << QStringList{u"x"_s, u"a"_s, u"b"_s, u"c"_s, u"e"_s} << 3;
    QTest::newRow("cleared") << QStringList{u"select 1"_s, u"clear"_s} << QStringList() << -1;
}

void TestListBox::readAsAList()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, items);
    QFETCH(int, selected);

    QWidget window;
    auto *heading = new QLabel(u"Tracks:"_s, &window);
    auto *list = new ListBox(&window);
    heading->setBuddy(list);
    list->addItems(letters());
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(list);
    // A reader that has already been through the lines.
    QCOMPARE(childTexts(reader), letters());
    QVERIFY(apply(*list, edits));

    QCOMPARE(reader->role(), QAccessible::List);
    QCOMPARE(reader->text(QAccessible::Name), u"Tracks:"_s);
    QCOMPARE(reader->childCount(), items.size());
    QCOMPARE(childTexts(reader), items);
    QVERIFY(!reader->child(items.size()));
    for (int line = 0; line < items.size(); ++line) {
        QAccessibleInterface *item = reader->child(line);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(reader->indexOfChild(item), line);
        QCOMPARE(item->state().selected, line == selected);
    }
    QCOMPARE(reader->tableInterface()->selectedRows(),
             selected < 0 ? QList<int>() : QList<int>{selected});
}

void TestListBox::readerItemsFollowTheirLines_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("followed");

    // Which row the reader's item for line 2 ("c") stands for afterwards; -1
    // when it is gone.
    const int inserted = QAccessibleTableModelChangeEvent::RowsInserted;
    const int removed = QAccessibleTableModelChangeEvent::RowsRemoved;
    QTest::newRow("insert above") << u"insert 0 x"_s << inserted << 0 << 3;
    QTest::newRow("insert below") << u"insert 3 x"_s << inserted << 3 << 2;
    QTest::newRow("remove above") << u"remove 0"_s << removed << 0 << 1;
    QTest::newRow("remove its line") << u"remove 2"_s << removed << 2 << -1;
    QTest::newRow("clear") << u"clear"_s << int(QAccessibleTableModelChangeEvent::ModelReset) << -1
                           << -1;
}

void TestListBox::readerItemsFollowTheirLines()
{
    QFETCH(QString, edit);
    QFETCH(int, change);
    QFETCH(int, row);
    QFETCH(int, followed);

    ListBox list;
    list.addItems(letters());
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&list);
    QAccessibleInterface *c = reader->child(2);
    const QAccessible::Id id = QAccessible::uniqueId(c);
    QVERIFY(apply(list, {edit}));
    // What the list tells a listening reader of that edit.
    QAccessibleTableModelChangeEvent event(
        &list, QAccessibleTableModelChangeEvent::ModelChangeType(change));
    event.setFirstRow(row);
    event.setLastRow(row);
    reader->tableInterface()->modelChange(&event);

    if (followed < 0) {
        QVERIFY(!QAccessible::accessibleInterface(id));
        QCOMPARE(childTexts(reader), list.items());
        return;
    }
    QCOMPARE(QAccessible::accessibleInterface(id), c);
    QCOMPARE(c->text(QAccessible::Name), u"c"_s);
    QCOMPARE(reader->indexOfChild(c), followed);
    QCOMPARE(reader->child(followed), c);
    QCOMPARE(childTexts(reader), list.items());
}

void TestListBox::readerSelectsAsAClickDoes()
{
    ListBox list;
    list.addItems(letters());
    QSignalSpy clicked(&list, &ListBox::clicked);
    QAccessibleTableInterface *table =
        QAccessible::queryAccessibleInterface(&list)->tableInterface();

    QVERIFY(table->selectRow(2));
    QCOMPARE(list.selectedPosition(), 2);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!table->selectRow(5));
    QVERIFY(!table->unselectRow(2));
    QCOMPARE(list.selectedPosition(), 2);
    QCOMPARE(clicked.count(), 1);
}

void TestListBox::focusIsAlwaysShown_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("selected");

    QTest::newRow("empty") << 0 << -1;
    QTest::newRow("nothing selected") << 100 << -1;
    QTest::newRow("selected line in view") << 100 << 1;
    QTest::newRow("selected line scrolled away") << 100 << 50;
}

void TestListBox::focusIsAlwaysShown()
{
    QFETCH(int, lines);
    QFETCH(int, selected);

    QWidget window;
    auto *other = new QLineEdit(&window);
    auto *list = new ListBox(&window);
    list->setGeometry(0, 30, 177, 120);
    list->addItems(numbered(lines));
    list->setSelectedPosition(selected);
    list->verticalScrollBar()->setValue(0);
    QPalette inactive = list->palette();
    inactive.setColor(QPalette::Inactive, QPalette::Highlight, Qt::darkGray);
    list->setPalette(inactive);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    const QImage unfocused = list->viewport()->grab().toImage();

    QTest::keyClick(&window, Qt::Key_Tab);
    QVERIFY(list->hasFocus());
    QVERIFY(list->viewport()->grab().toImage() != unfocused);
    if (selected == 1) // unfocused, in the inactive colours
        QCOMPARE(unfocused.pixelColor(list->lineRect(1).center()),
                 inactive.color(QPalette::Inactive, QPalette::Highlight));
}

void TestListBox::missingLinesStayReadable()
{
    for (const auto &[text, background] : {std::pair<QColor, QColor>(Qt::black, Qt::white),
                                           std::pair<QColor, QColor>(Qt::white, 0x1e1e1e)}) {
        const QColor muted = mutedTextColour(text, background);
        QVERIFY(muted != text && contrastRatio(muted, background) >= 4.5);
    }
}

// Marks found on a copy of the lines arrive while the list is edited;
// "mark" takes the copy, "grey x" greys x as the copy holds it, "done" ends
// the marks, "ungrey" forgets them, "addall x y" appends several lines.
void TestListBox::greyedCountFollowsEdits_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<int>("greyed");

    const auto row = [](const char *name, const QString &edits, int greyed) {
        QTest::newRow(name) << edits.split(u',') << greyed;
    };
    row("grey one text", u"mark,grey a"_s, 2);
    row("two batches", u"mark,grey a,grey c"_s, 3);
    row("add greyed text", u"mark,grey a,add a"_s, 3);
    row("add several", u"mark,grey a,addall a b a"_s, 4);
    row("insert greyed text", u"mark,grey a,insert 1 a"_s, 3);
    row("remove greyed lines", u"mark,grey a,remove 0,remove 1"_s, 0);
    row("remove other line", u"mark,grey a,remove 1"_s, 2);
    row("added before the batch", u"mark,add a,addall c a,grey a"_s, 4);
    row("removed before the batch", u"mark,remove 0,grey a"_s, 1);
    row("edits after the marks", u"mark,grey a,done,add a,remove 0"_s, 2);
    row("batch after the marks ended", u"mark,done,grey a"_s, 0);
    row("batch after ungrey", u"mark,ungrey,grey a"_s, 0);
    row("batch after clear", u"mark,clear,add a,grey a"_s, 0);
    row("marked again", u"mark,grey a,mark,grey c"_s, 1);
}

void TestListBox::greyedCountFollowsEdits()
{
    QFETCH(QStringList, edits);
    QFETCH(int, greyed);

    ListBox list;
    list.addItems({u"a"_s, u"b"_s, u"a"_s, u"c"_s});
    QSignalSpy counts(&list, &ListBox::greyedCountChanged);
    QStringList copy;
    for (const QString &edit : std::as_const(edits)) {
        const QString text = edit.section(u' ', 1);
        if (edit == u"mark")
            copy = list.linesToMark();
        else if (edit.startsWith(u"grey "))
            list.greyTexts({{text, int(copy.count(text))}}, u"gone"_s);
        else if (edit == u"done")
            list.marksComplete();
        else if (edit == u"ungrey")
            list.ungreyAll();
        else if (edit.startsWith(u"addall "))
            list.addItems(text.split(u' '));
        else
            apply(list, {edit});
    }

    QCOMPARE(list.greyedCount(), greyed);
    QCOMPARE(counts.isEmpty() ? 0 : counts.last().at(0).toInt(), greyed);
    int tipped = 0;
    for (int line = 0; line < list.count(); ++line)
        tipped += !list.lineToolTip(line).isEmpty();
    QCOMPARE(tipped, greyed);
}

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
