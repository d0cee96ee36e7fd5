#pragma once

#include "controls/mainwindowcontrols.h"

#include <QObject>

// Editing the current playlist: appending chosen files, remove, move up and
// down, start a new one, and the placeholder texts of the name box.
class PlaylistEditing : public QObject
{
    Q_OBJECT
public:
    PlaylistEditing(const PlaylistPanel &panel, QAction *mnnew, const QLineEdit &languageFlag,
                    QObject *parent);

    // Appends an entry and lets the list scroll sideways far enough to show it.
    void appendEntry(const QString &entry);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void mnnew_Click();
    void Text1_Click();
    void Text1_LostFocus();

private:
    // Moves the selected entry by one place, keeping it selected.
    void moveSelected(int step);
    QString defaultName() const;

    PlaylistPanel m_panel;
    const QLineEdit &m_languageFlag;
};

// True for the texts the name box shows in place of a name, in either language.
bool isPlaceholderName(const QString &text);
