#include "support/drops.h"

#include "controls/listbox.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QScrollBar>

bool dropOn(ListBox &list, const QMimeData &data, int position)
{
    const int height = list.fontMetrics().height();
    const int shown = position - list.verticalScrollBar()->value();
    const QPoint point(10, shown * height + height / 4);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDragMoveEvent move(point, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &move);
    QDropEvent drop(point, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &drop);
    return drop.isAccepted();
}
