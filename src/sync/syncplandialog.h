#pragma once

#include "core/texts.h"
#include "transfer/syncsession.h"

#include <QDialog>

class CapacityBar;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What a sync will do, before anything is written, as a short table: a line
// per kind (to send, with the conversion it takes, changeable here; already
// there; to remove, or kept while its box is not ticked; playlists to write
// or keep; not found; cannot be seen; will not fit), each opening to its
// tracks; and the PSP's space now and after, as a bar. Nothing is removed
// unless its box is checked, and a playlist changed on the PSP is kept
// unless the user chooses to replace it. Sync (the default button) accepts;
// Cancel or Escape rejects.
class SyncPlanDialog : public QDialog
{
    Q_OBJECT
public:
    SyncPlanDialog(QWidget *parent, Language language);

    void showPlan(const SyncOutline &plan);
    // A new plan is on its way: the conversion changed.
    void showLooking();
    SyncSession::Removals removals() const;
    // The playlists changed on the PSP that are to be replaced.
    QStringList replacing() const;

Q_SIGNALS:
    // Another format or quality was chosen, and remembered: the plan follows it.
    void conversionChanged();

private:
    void conversionChosen(int index);
    // The lines that depend on the boxes: removals held or not, playlists
    // kept or replaced, the space after.
    void showChoices();
    QTreeWidgetItem *addLine(const QString &text, qint64 bytes, const QStringList &children);

    Language m_language;
    SyncOutline m_plan;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_table = nullptr;
    QTreeWidgetItem *m_removeLine = nullptr;
    QTreeWidgetItem *m_changedLine = nullptr;
    QTreeWidgetItem *m_writeLine = nullptr;
    QComboBox *m_conversion = nullptr;
    CapacityBar *m_space = nullptr;
    QLabel *m_spaceText = nullptr;
    QCheckBox *m_removeUnnamed = nullptr;
    QCheckBox *m_removeNamed = nullptr;
    QLabel *m_changedLabel = nullptr;
    QWidget *m_changed = nullptr;
    QList<QCheckBox *> m_replace;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
};
