#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"
#include "core/playlistfile.h"
#include "core/texts.h"
#include "playlist/playlistfolder.h"

#include <optional>
#include <QObject>

// Opening a saved playlist from the playlist list and saving the current one
// under the name in the name box, in the given code page. A refused name asks
// for the name error dialog.
class PlaylistFiles : public QObject
{
    Q_OBJECT
public:
    PlaylistFiles(QWidget &window, const PlaylistPanel &playlist, const SavedPanel &saved,
                  QAction *save, const PlaylistFolder &folder, LanguageFlag languageFlag,
                  int codePage);

    void File2_Click();
    void save_Click();

    // Whether the current playlist holds entries that are neither what was
    // last opened nor what was last saved.
    bool hasUnsavedEntries() const;

Q_SIGNALS:
    // The name in the name box cannot be saved; the error dialog should explain.
    void nameRefused();
    // A saved playlist is now the current one.
    void opened();

private:
    // The file last opened or saved here, as it was then.
    struct KnownFile
    {
        QString path; // in the playlist folder
        PlaylistEncoding encoding = PlaylistEncoding::Ansi;
        // The whole file, to tell whether another program changed it; none
        // when it was not read whole.
        std::optional<QByteArray> bytes;
        QByteArray oddTail; // written back after the entries
    };

    bool mayReplace(const QString &path);
    void refuseName();
    Language language() const;

    QWidget &m_window;
    PlaylistPanel m_playlist;
    SavedPanel m_saved;
    PlaylistFolder m_folder;
    LanguageFlag m_languageFlag;
    int m_codePage;
    QStringList m_stored;
    KnownFile m_known;
};
