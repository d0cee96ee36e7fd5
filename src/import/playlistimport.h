#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"
#include "core/texts.h"

#include <functional>
#include <QObject>
#include <QStringList>

struct ComputerPlaylist;
struct ImportReading;

// Bringing a desktop player's playlist file to the PSP: its tracks are sent
// in the playlist's order, and the current playlist is replaced by their
// entries, duplicates kept, under the playlist's name. Nothing is saved: the
// user saves as usual.
class PlaylistImport : public QObject
{
    Q_OBJECT
public:
    // For each file asked for, in the same order, its playlist entry on the
    // PSP, or an empty text where it did not arrive (the send says why);
    // nothing at all when none arrived, the send cancelled or refused.
    using Arrived = std::function<void(const QStringList &entries)>;
    // Puts local files on the PSP as a send does, its report listing the
    // lines of leftOut too, and answers once when it is over.
    using Send = std::function<void(const QStringList &files, const QStringList &leftOut,
                                    const Arrived &arrived)>;

    PlaylistImport(QWidget &window, const PlaylistPanel &playlist, const QLineEdit &lettre,
                   LanguageFlag languageFlag, int codePage, Send send,
                   std::function<bool()> hasUnsavedEntries);

    // Reads the playlist off the window's thread, then goes on from there.
    // One import at a time: another file asked for meanwhile is left alone.
    void importFile(const QString &path);

Q_SIGNALS:
    // The current playlist now holds an imported playlist.
    void imported();

private:
    void read(const ImportReading &reading);
    void fill(const ImportReading &reading, const QStringList &entries);
    void report(const ImportReading &reading, bool nothingAdded);
    // The entries of the playlist that do not come along, each with why.
    QStringList leftOut(const ComputerPlaylist &playlist) const;
    Language language() const;

    QWidget &m_window;
    PlaylistPanel m_playlist;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
    int m_codePage;
    Send m_send;
    std::function<bool()> m_hasUnsavedEntries;
    bool m_busy = false;
};
