#include "import/playlistfiledrops.h"

#include "core/computerplaylist.h"
#include "import/playlistimport.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace {

// The first playlist file among dropped data; empty when there is none.
QString droppedPlaylist(const QMimeData *data)
{
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && isComputerPlaylist(url.toLocalFile()))
            return url.toLocalFile();
    }
    return {};
}

} // namespace

PlaylistFileDrops::PlaylistFileDrops(QWidget &window, PlaylistImport &import)
    : QObject(&window), m_window(window), m_import(import)
{
    // Drops on the window's own background, and on controls that take no
    // drops, reach the window.
    window.setAcceptDrops(true);
    // Seen before the controls see them, so that a list taking files does
    // not take a playlist for one.
    qApp->installEventFilter(this);
}

bool PlaylistFileDrops::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_window)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    // A saved playlist dragged out of its own list is the PSP's, not a
    // desktop player's.
    if (drop->source())
        return false;
    const QString path = droppedPlaylist(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    // Once the drop is over: a question asked while the drag still holds the
    // mouse could not be answered.
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            &m_import, [this, path] { m_import.importFile(path); }, Qt::QueuedConnection);
    return true;
}
