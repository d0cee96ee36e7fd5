#include "playlist/playlistdrops.h"

#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "core/droppedfiles.h"
#include "core/texts.h"
#include "playlist/playlistediting.h"

#include <QDir>
#include <QLineEdit>
#include <QMimeData>

PlaylistDrops::PlaylistDrops(QWidget &window, PlaylistEditing &editing,
                             const PlaylistPanel &playlist, const QLineEdit &lettre,
                             LanguageFlag languageFlag)
    : QObject(&window), m_window(window), m_editing(editing), m_playlist(playlist),
      m_lettre(lettre), m_languageFlag(languageFlag)
{
    playlist.List1->setDragEnabled(true);
    playlist.List1->setDropFormats({ListBox::lineFormat(), QStringLiteral("text/uri-list")});
    connect(playlist.List1, &ListBox::dropped, this, &PlaylistDrops::List1_DragDrop);
}

void PlaylistDrops::List1_DragDrop(int position, const QMimeData *data)
{
    const int from = m_playlist.List1->draggedLine(data);
    if (from >= 0) {
        // Dropped below itself, the entry lands one place higher, as it has
        // left its own place.
        const int to = position > from ? position - 1 : position;
        if (to != from)
            m_editing.moveEntry(from, to);
        return;
    }
    const DroppedFiles files =
        sortDroppedFiles(data->urls(), QDir::fromNativeSeparators(m_lettre.text()));
    m_editing.insertEntries(position, files.entries);
    // Handled once the drop is over: a box opened while the drag still holds
    // the mouse could not be answered.
    if (!files.toSend.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this, position, files] {
                Q_EMIT sendRequested(position, files.toSend, files.entriesBefore);
            },
            Qt::QueuedConnection);
    }
    if (files.notLocal.isEmpty() && files.notTracks.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this, [this, files] { sayWhatWasLeftOut(files); }, Qt::QueuedConnection);
}

void PlaylistDrops::sayWhatWasLeftOut(const DroppedFiles &files)
{
    const Language language = m_languageFlag.language();
    QStringList paragraphs;
    if (!files.notLocal.isEmpty())
        paragraphs.append(
            texts::droppedOffDrive.in(language).arg(messagebox::listed(files.notLocal)));
    if (!files.notTracks.isEmpty())
        paragraphs.append(
            texts::droppedNotTracks.in(language).arg(messagebox::listed(files.notTracks)));
    messagebox::warn(&m_window, paragraphs.join(u"\n\n"));
}
