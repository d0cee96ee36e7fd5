#pragma once

#include "controls/languageflag.h"

#include <functional>
#include <memory>
#include <QHash>
#include <QObject>

class FileListBox;
class QWidget;
class VolumeRoot;

// Marks the saved playlists that a sync writes, with a tool tip naming the
// computer's playlist each follows and saying that the next sync asks before
// it replaces changes made here. The PSP's record says which they are; it is
// read off the window's thread each time the list is read. Opening one the
// PSP's list still follows says, in a notice, that the next sync replaces it.
class SyncedPlaylistMarks : public QObject
{
    Q_OBJECT
public:
    using PspOpener = std::function<std::unique_ptr<VolumeRoot>()>;

    SyncedPlaylistMarks(FileListBox &list, PspOpener openPsp, LanguageFlag languageFlag,
                        QObject *parent);

    // The selected playlist was opened to be edited.
    void opened(QWidget &window) const;

private:
    void reread();

    FileListBox &m_list;
    PspOpener m_openPsp;
    LanguageFlag m_languageFlag;
    int m_generation = 0;
    // The computer's playlist each one the PSP's list still follows is
    // replaced from, by file name.
    QHash<QString, QString> m_followed;
};
