#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"

#include <QObject>
#include <QStringList>
#include <utility>

// Editing the current playlist: appending chosen files, remove, move up and
// down (also with Delete, Alt+Up and Alt+Down in the list), start a new one,
// and the placeholder texts of the name box.
class PlaylistEditing : public QObject
{
    Q_OBJECT
public:
    PlaylistEditing(const PlaylistPanel &panel, QAction *mnnew, LanguageFlag languageFlag,
                    QObject *parent);

    // Appends an entry and lets the list scroll sideways far enough to show it.
    void appendEntry(const QString &entry);
    // Inserts entries before a position (at the end from count() on), and
    // lets the list scroll sideways far enough to show them.
    void insertEntries(int position, const QStringList &entries);
    // The same for several groups, each position counted with the groups
    // before it in; the list is measured once.
    void insertEntries(const QList<std::pair<int, QStringList>> &groups);
    // Moves an entry to another position, where it ends up selected.
    void moveEntry(int from, int to);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void mnnew_Click();
    void Text1_Click();
    void Text1_LostFocus();

private:
    // Moves the selected entry by one place, keeping it selected.
    void moveSelected(int step);
    // Delete in the list: removes the selected entry and selects the next.
    void removeInPlace();
    void selectPlaceholder();
    QString defaultName() const;

    PlaylistPanel m_panel;
    LanguageFlag m_languageFlag;
};
