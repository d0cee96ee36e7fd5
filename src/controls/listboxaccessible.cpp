#include "controls/listboxaccessible.h"

#include "controls/listbox.h"

#include <QPointer>

namespace {

// One line of a list, for screen readers. It follows its line when lines are
// inserted or removed above it (see modelChange).
class ListBoxLine : public QAccessibleInterface
{
public:
    ListBoxLine(ListBox *list, int position) : row(position), m_list(list) {}

    int row;

    bool isValid() const override { return m_list && row >= 0 && row < m_list->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_list);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text type) const override
    {
        if (!m_list)
            return {};
        // A greyed line says why, as its tool tip does.
        if (type == QAccessible::Description)
            return m_list->lineToolTip(row);
        return type == QAccessible::Name ? m_list->item(row) : QString();
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect line = m_list->lineRect(row);
        return {m_list->viewport()->mapToGlobal(line.topLeft()), line.size()};
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.invisible = !m_list->isVisible();
        state.offscreen = !m_list->viewport()->rect().intersects(m_list->lineRect(row));
        state.selected = row == m_list->selectedPosition();
        state.focused = state.selected && m_list->hasFocus();
        return state;
    }

private:
    QPointer<ListBox> m_list;
};

ListBoxLine *lineOf(QAccessible::Id id)
{
    return static_cast<ListBoxLine *>(QAccessible::accessibleInterface(id));
}

void announce(ListBox &list, QAccessible::Event type, int position)
{
    QAccessibleEvent event(&list, type);
    event.setChild(position);
    QAccessible::updateAccessibility(&event);
}

void announceRows(ListBox &list, QAccessibleTableModelChangeEvent::ModelChangeType type,
                  int first = -1, int last = -1)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent event(&list, type);
    event.setFirstRow(first);
    event.setLastRow(last);
    event.setFirstColumn(0);
    event.setLastColumn(0);
    QAccessible::updateAccessibility(&event);
}

} // namespace

ListBoxAccessible::ListBoxAccessible(ListBox *list) : QAccessibleWidget(list, QAccessible::List) {}

ListBoxAccessible::~ListBoxAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_lines))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *ListBoxAccessible::create(const QString &, QObject *object)
{
    auto *list = qobject_cast<ListBox *>(object);
    return list ? new ListBoxAccessible(list) : nullptr;
}

ListBox *ListBoxAccessible::list() const
{
    return static_cast<ListBox *>(widget());
}

int ListBoxAccessible::childCount() const
{
    return list()->count();
}

QAccessibleInterface *ListBoxAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const QAccessible::Id id = m_lines.value(index))
        return QAccessible::accessibleInterface(id);
    auto *line = new ListBoxLine(list(), index);
    m_lines.insert(index, QAccessible::registerAccessibleInterface(line));
    return line;
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    // Only this list's lines have it as their parent.
    if (!child || child->role() != QAccessible::ListItem || child->parent() != this ||
        !child->isValid())
        return -1;
    return static_cast<const ListBoxLine *>(child)->row;
}

QAccessibleInterface *ListBoxAccessible::childAt(int x, int y) const
{
    return child(list()->positionAt(list()->viewport()->mapFromGlobal(QPoint(x, y))));
}

QAccessibleInterface *ListBoxAccessible::focusChild() const
{
    if (list()->hasFocus() && list()->selectedPosition() >= 0)
        return child(list()->selectedPosition());
    return QAccessibleWidget::focusChild();
}

void *ListBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface *ListBoxAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

int ListBoxAccessible::selectedCellCount() const
{
    return list()->selectedCount();
}

QList<QAccessibleInterface *> ListBoxAccessible::selectedCells() const
{
    if (list()->selectedPosition() < 0)
        return {};
    return {child(list()->selectedPosition())};
}

QList<int> ListBoxAccessible::selectedRows() const
{
    if (list()->selectedPosition() < 0)
        return {};
    return {list()->selectedPosition()};
}

bool ListBoxAccessible::isRowSelected(int row) const
{
    return row >= 0 && row == list()->selectedPosition();
}

bool ListBoxAccessible::selectRow(int row)
{
    if (row < 0 || row >= childCount())
        return false;
    list()->setSelectedPosition(row);
    return true;
}

void ListBoxAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    const int first = event->firstRow();
    const int last = event->lastRow();
    switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::RowsInserted:
        renumber(first, last - first + 1);
        break;
    case QAccessibleTableModelChangeEvent::RowsRemoved:
        forget(first, last);
        renumber(last + 1, first - last - 1);
        break;
    default:
        forget(0, INT_MAX);
        break;
    }
}

void ListBoxAccessible::forget(int first, int last)
{
    for (auto line = m_lines.begin(); line != m_lines.end();) {
        if (line.key() >= first && line.key() <= last) {
            QAccessible::deleteAccessibleInterface(line.value());
            line = m_lines.erase(line);
        } else {
            ++line;
        }
    }
}

void ListBoxAccessible::renumber(int from, int by)
{
    QHash<int, QAccessible::Id> moved;
    for (auto line = m_lines.cbegin(); line != m_lines.cend(); ++line) {
        const int row = line.key() >= from ? line.key() + by : line.key();
        lineOf(line.value())->row = row;
        moved.insert(row, line.value());
    }
    m_lines = moved;
}

namespace listboxaccessible {

void linesInserted(ListBox &list, int first, int last)
{
    announceRows(list, QAccessibleTableModelChangeEvent::RowsInserted, first, last);
}

void lineRemoved(ListBox &list, int position)
{
    announceRows(list, QAccessibleTableModelChangeEvent::RowsRemoved, position, position);
}

void linesCleared(ListBox &list)
{
    announceRows(list, QAccessibleTableModelChangeEvent::ModelReset);
}

void selectionMoved(ListBox &list, int previous)
{
    const int current = list.selectedPosition();
    if (current == previous || !QAccessible::isActive())
        return;
    if (previous >= 0)
        announce(list, QAccessible::SelectionRemove, previous);
    if (current >= 0) {
        announce(list, QAccessible::Selection, current);
        if (list.hasFocus())
            announce(list, QAccessible::Focus, current);
    }
}

void focusEntered(ListBox &list)
{
    if (!QAccessible::isActive() || list.selectedPosition() < 0)
        return;
    // The list's own focus is announced once this handler is done; the
    // selected line's comes after it, so that readers end on the line.
    QMetaObject::invokeMethod(
        &list,
        [&list] {
            if (list.hasFocus() && list.selectedPosition() >= 0)
                announce(list, QAccessible::Focus, list.selectedPosition());
        },
        Qt::QueuedConnection);
}

} // namespace listboxaccessible
