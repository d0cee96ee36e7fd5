#pragma once

#include <QAccessibleWidget>
#include <QHash>

class ListBox;

// What screen readers see of a ListBox: a list named like any widget (its
// accessible name, else the text of the label whose buddy it is), whose items
// are its lines; the selected line is selected and, while the list has the
// focus, focused. An item is made only when a reader asks for that line, so a
// list of tens of thousands of lines costs nothing until then. The table
// interface tells readers that the list manages its items itself, so that they
// ask for the lines they need instead of walking all of them.
class ListBoxAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ListBoxAccessible(ListBox *list);

    // For QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    ListBox *list() const;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // A list of one column, whose rows are the lines.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return selectedCellCount(); }
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    // Selecting a line is what a click does; nothing clears the selection.
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Keeps each item made with its line when lines come and go.
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

protected:
    ~ListBoxAccessible() override;

private:
    // Deletes the items of the lines from first to last.
    void forget(int first, int last);
    // Moves the items of the lines from a position on by that many lines.
    void renumber(int from, int by);

    mutable QHash<int, QAccessible::Id> m_lines;
};

// What a list tells screen readers of its changes; nothing while none listens.
namespace listboxaccessible {

void linesInserted(ListBox &list, int first, int last);
void lineRemoved(ListBox &list, int position);
void linesCleared(ListBox &list);
void selectionMoved(ListBox &list, int previous);
void focusEntered(ListBox &list);

} // namespace listboxaccessible
