#pragma once

#include "controls/mainwindowcontrols.h"

#include <QObject>

// The main window's track panel: a folder list and the audio files of the
// opened folder. A click on a file, or "add all", chooses files for the
// current playlist; the panel's last button asks for the advanced browser.
class TrackLibrary : public QObject
{
    Q_OBJECT
public:
    TrackLibrary(const TrackPanel &panel, QObject *parent);

    void Dir1_Change();
    void music_Click();
    void Command5_Click();
    void Command6_Click();

Q_SIGNALS:
    // A file was chosen; entry is its playlist entry.
    void entryChosen(const QString &entry);
    void browserRequested();

private:
    TrackPanel m_panel;
};
