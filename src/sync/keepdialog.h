#pragma once

#include "core/synclist.h"
#include "core/texts.h"

#include <memory>
#include <QDialog>

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class VolumeRoot;

// What a PSP keeps of the computer: its list of desktop playlists and
// folders, in priority order, and whether it follows them as soon as it is
// plugged in. The list belongs to the identity the PSP keeps, read (or made)
// off the window's thread as the dialog opens: until then, and for a PSP that
// cannot take one, the dialog says why and shows no list. Every change is
// saved at once. Close (the default button) or Escape closes; Sync now
// closes and asks for a sync.
class KeepDialog : public QDialog
{
    Q_OBJECT
public:
    // volume: the PSP in use, opened; null when it could not be. name: the
    // PSP as the window shows it.
    KeepDialog(QWidget *parent, Language language, std::shared_ptr<const VolumeRoot> volume,
               const QString &pspName = {});

    // The identity the list is kept under; empty until it is known.
    const QString &identity() const { return m_identity; }

Q_SIGNALS:
    // Sync now was pressed: the PSP of that identity is to follow its list.
    void syncRequested(const QString &identity);

private:
    struct Found;
    void identityFound(const Found &found);
    // Each entry's tracks, size and state, looked at off this thread.
    void lookAtEntries();
    void tell(const Phrase &phrase, const QString &what = {});
    void say(const QString &text);
    // Reads the list again; false, and the list shown as it is now, when it
    // was changed elsewhere since.
    bool reload();
    void showEntries(qsizetype current);
    void choose(SyncEntry::Kind kind);
    void add(const QStringList &paths, SyncEntry::Kind kind);
    // Lists the other PSPs with a list in the Copy menu.
    void fillCopyMenu();
    void copyFrom(const synclist::KnownPsp &other);
    // Saves the list, then shows it with the entry at current chosen.
    void changed(qsizetype current);
    qsizetype current() const;
    void updateButtons();

    Language m_language;
    QString m_identity;
    SyncList m_list;
    QString m_name;
    // Views of the list older than the last change are dropped.
    int m_generation = 0;
    QLabel *m_psp = nullptr;
    QLabel *m_status = nullptr;
    QTreeWidget *m_entries = nullptr;
    QPushButton *m_addPlaylist = nullptr;
    QPushButton *m_addFolder = nullptr;
    QPushButton *m_copyFrom = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QPushButton *m_syncNow = nullptr;
    QCheckBox *m_whenPluggedIn = nullptr;
    QMenu *m_copyMenu = nullptr;
};
