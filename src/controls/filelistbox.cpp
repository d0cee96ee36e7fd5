#include "controls/filelistbox.h"

#include "controls/busycursor.h"
#include "controls/dirlistbox.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "core/naturalorder.h"
#include "platform/folderentries.h"

#include <QMimeData>
#include <QUrl>

FileListBox::FileListBox(QWidget *parent) : ListBox(parent) {}

void FileListBox::setPath(const QString &folder)
{
    // A folder handed over with its trailing separator is a drive root, and
    // keeps it, as the folder list reports it.
    m_path = folder.endsWith(QLatin1Char('/')) ? folderpath::rootForm(folder)
                                               : folderpath::normalised(folder);
    refresh();
}

void FileListBox::setPattern(const QString &patterns)
{
    if (patterns == m_pattern)
        return;
    m_pattern = patterns;
    m_patterns = NamePatterns(patterns);
    if (!m_path.isEmpty())
        refresh();
}

void FileListBox::setListsDotFiles(bool lists)
{
    m_listsDotFiles = lists;
    if (!m_path.isEmpty())
        refresh();
}

QString FileListBox::fileName() const
{
    return item(selectedPosition());
}

void FileListBox::refresh()
{
    const BusyCursor busy;
    clear();
    // An empty path names no folder; read, it would be the working folder.
    if (m_path.isEmpty())
        return;

    QStringList names;
    for (const FolderEntry &entry : platform::readFolder(m_path, FolderEntry::Files)) {
        if (!m_patterns.matches(entry.name))
            continue;
        // Names with a leading "." are shown when asked; those the system
        // hides otherwise never are.
        if (entry.isHidden && !(m_listsDotFiles && entry.name.startsWith(u'.')))
            continue;
        // A file that no playlist line can name could never be played from one.
        if (fitsInEntry(entry.name))
            names.append(entry.name);
    }
    sortNaturally(names);
    addItems(names);
    Q_EMIT listed();
}

void FileListBox::selectEachInTurn()
{
    const BusyCursor busy;
    const int lines = count();
    for (int position = 0; position < lines; ++position)
        setSelectedPosition(position);
}

QMimeData *FileListBox::dragData(int position) const
{
    auto *file = new QMimeData;
    file->setUrls({QUrl::fromLocalFile(folderpath::join(m_path, item(position)))});
    return file;
}

QString selectedTrackEntry(const DirListBox &folders, const FileListBox &tracks)
{
    const QString fileName = tracks.fileName();
    if (fileName.isEmpty())
        return {};
    return playlistEntry(folders.driveRoot(), folders.path(), fileName);
}
