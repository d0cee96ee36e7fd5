#include "controls/dirlistbox.h"

#include "controls/busycursor.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "core/naturalorder.h"
#include "platform/folderentries.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

DirListBox::DirListBox(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    // Only a double-click (or Enter) opens a folder, whatever the desktop's
    // single-click setting: a single click just highlights.
    connect(this, &QTreeWidget::itemDoubleClicked, this, &DirListBox::open);
}

void DirListBox::open(QTreeWidgetItem *item)
{
    if (item)
        setPath(item->data(0, Qt::UserRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        open(currentItem());
    else
        QTreeWidget::keyPressEvent(event);
}

void DirListBox::setDriveRoot(const QString &root)
{
    // Another volume may be mounted where the last one was: nothing shown
    // stays, and the next folder opened is read afresh even if its path is
    // the same.
    m_root = folderpath::rootForm(root);
    m_path.clear();
    clear();
}

void DirListBox::setPath(const QString &folder)
{
    QString target = folderpath::normalised(folder);
    const QString root = m_root.isEmpty() ? folderpath::fileSystemRoot(target) : m_root;
    // The root itself is kept in its form with a trailing separator; anything
    // outside it, also once links are followed, falls back to the root, as
    // the list never climbs above it. A folder that is not there leads
    // nowhere.
    if (!folderpath::isWithin(target, root) || folderpath::isWithin(root, target) ||
        folderpath::follow(target, QFileInfo(root).canonicalFilePath()).place ==
            FollowedPath::Place::Outside)
        target = root;
    if (target == m_path)
        return;
    m_path = target;
    rebuild();
    Q_EMIT changed();
}

void DirListBox::setListName(const QString &name)
{
    setAccessibleName(name);
    setHeaderLabel(name);
}

void DirListBox::rebuild()
{
    const BusyCursor busy;
    clear();
    const QString root = m_root.isEmpty() ? folderpath::fileSystemRoot(m_path) : m_root;
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon, nullptr, this);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon, nullptr, this);

    auto *opened = new QTreeWidgetItem(this, {QDir::toNativeSeparators(root)});
    opened->setIcon(0, openIcon);
    opened->setData(0, Qt::UserRole, root);
    QString folder = root;
    const QStringList below = m_path.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : below) {
        folder = folderpath::join(folder, name);
        opened = new QTreeWidgetItem(opened, {name});
        opened->setIcon(0, openIcon);
        opened->setData(0, Qt::UserRole, folder);
    }

    // Hidden folders stay out; an unreadable folder simply yields no names.
    QStringList names;
    for (const FolderEntry &entry : platform::readFolder(m_path, FolderEntry::Folders)) {
        if (!entry.isHidden && fitsInEntry(entry.name))
            names.append(entry.name);
    }
    sortNaturally(names);
    for (const QString &name : std::as_const(names)) {
        auto *child = new QTreeWidgetItem(opened, {name});
        child->setIcon(0, closedIcon);
        child->setData(0, Qt::UserRole, folderpath::join(m_path, name));
    }

    expandAll();
    // The opened folder is highlighted; it becomes the current row, which
    // screen readers take for the focus, only while the list has the focus.
    opened->setSelected(true);
    if (hasFocus())
        setCurrentItem(opened);
    scrollToItem(opened);
}

void DirListBox::focusInEvent(QFocusEvent *event)
{
    const QList<QTreeWidgetItem *> highlighted = selectedItems();
    if (!currentItem() && !highlighted.isEmpty())
        setCurrentItem(highlighted.first());
    QTreeWidget::focusInEvent(event);
}

void DirListBox::focusOutEvent(QFocusEvent *event)
{
    QTreeWidget::focusOutEvent(event);
    // The highlight stays; no row stands for a focus that is elsewhere.
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}
