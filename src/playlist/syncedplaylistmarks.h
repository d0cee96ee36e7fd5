#pragma once

#include "controls/languageflag.h"

#include <functional>
#include <memory>
#include <QObject>

class FileListBox;
class VolumeRoot;

// Marks the saved playlists that a sync writes, with a tool tip naming the
// computer's playlist each follows and saying that the next sync asks before
// it replaces changes made here. The PSP's record says which they are; it is
// read off the window's thread each time the list is read.
class SyncedPlaylistMarks : public QObject
{
    Q_OBJECT
public:
    using PspOpener = std::function<std::unique_ptr<VolumeRoot>()>;

    SyncedPlaylistMarks(FileListBox &list, PspOpener openPsp, LanguageFlag languageFlag,
                        QObject *parent);

private:
    void reread();

    FileListBox &m_list;
    PspOpener m_openPsp;
    LanguageFlag m_languageFlag;
    int m_generation = 0;
};
