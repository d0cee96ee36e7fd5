#include "controls/filelistbox.h"

#include "controls/busycursor.h"
#include "controls/dirlistbox.h"
#include "core/entry.h"
#include "core/folderpath.h"
#include "core/naturalorder.h"

#include <QDirIterator>

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
    // An empty path would make QDir read the working folder.
    if (m_path.isEmpty())
        return;

    QStringList filters;
    for (const QString &pattern : m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            filters.append(trimmed);
    }
    // Without QDir::CaseSensitive the name filters ignore case; without
    // QDir::Hidden, hidden files stay out. Links stay out as well: a PSP has
    // none, and one could lead off the volume. The iterator is used rather
    // than QDir::entryList, which costs more than twice as much on large
    // folders.
    QDir::Filters kinds = QDir::Files | QDir::NoSymLinks;
    if (m_listsDotFiles)
        kinds |= QDir::Hidden;
    QStringList names;
    QDirIterator entries(m_path, filters, kinds);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        // A file that no playlist line can name could never be played from one.
        if (!fitsInEntry(name))
            continue;
        // QDir::Hidden also takes in files that a system hides by an attribute.
        if (m_listsDotFiles && !name.startsWith(u'.') && entries.fileInfo().isHidden())
            continue;
        names.append(name);
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

QString selectedTrackEntry(const DirListBox &folders, const FileListBox &tracks)
{
    const QString fileName = tracks.fileName();
    if (fileName.isEmpty())
        return {};
    return playlistEntry(folders.driveRoot(), folders.path(), fileName);
}
