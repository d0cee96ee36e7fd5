#pragma once

#include "controls/listbox.h"
#include "core/namepatterns.h"

class DirListBox;

// The files of one folder whose names match any of a set of wildcard
// patterns, without regard to case, in natural order. Hidden files, links
// and names that cannot be part of a playlist entry are never listed. A
// folder that cannot be read lists nothing.
class FileListBox : public ListBox
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    // The folder listed, in the program's folder form (see folderpath.h).
    QString path() const { return m_path; }
    void setPath(const QString &folder);
    // Patterns separated by ";", such as "*.mp3;*.wav".
    void setPattern(const QString &patterns);
    QString pattern() const { return m_pattern; }
    // Lists the files whose names begin with "." too, which are hidden only
    // on some systems (not on the PSP's storage); files hidden otherwise
    // stay out.
    void setListsDotFiles(bool lists);
    // The selected file's name without folder; empty when none is selected.
    QString fileName() const;
    // Lists the folder again; the selection is cleared.
    void refresh();
    // Selects every file in turn, so that each raises clicked() once, in list
    // order, the one selected before included; the last stays selected.
    void selectEachInTurn();

    // A dragged file goes as its file URL, as file managers take it.
    QMimeData *dragData(int position) const override;

Q_SIGNALS:
    // The folder was read again, for a new path, pattern or a refresh.
    void listed();

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    NamePatterns m_patterns{m_pattern};
    bool m_listsDotFiles = false;
};

// The playlist entry for the file selected in a track list, in the folder
// opened in a folder list; empty when no file is selected.
QString selectedTrackEntry(const DirListBox &folders, const FileListBox &tracks);
