#pragma once

#include <QTreeWidget>

// A folder list: the opened folder's ancestors down from the drive root, the
// opened folder, and its subfolders. A double-click opens a folder, a single
// click only highlights it. It never shows anything above the drive root and
// offers no other drive; links to folders, which could lead off the drive,
// and folders whose names cannot be part of a playlist entry are not shown.
class DirListBox : public QTreeWidget
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);

    // The folder the list cannot climb above, in folder form with its trailing
    // separator (see folderpath.h). The list is emptied until a folder is opened.
    void setDriveRoot(const QString &root);
    QString driveRoot() const { return m_root; }

    // The opened folder, in folder form.
    QString path() const { return m_path; }
    // Opens a folder and raises changed() when it differs from the opened one.
    // A folder outside the drive root, also one that a link leads out of
    // it, opens the drive root instead.
    void setPath(const QString &folder);

    // The name screen readers give the list. They also read its column
    // heading, hidden on screen, which says the same rather than a bare "1".
    void setListName(const QString &name);

Q_SIGNALS:
    // The opened folder changed, by the user or in code.
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // No expand arrows: every folder shown is open or openable by a double-click.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    void open(QTreeWidgetItem *item);
    void rebuild();

    QString m_root;
    QString m_path;
};
