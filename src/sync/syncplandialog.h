#pragma once

#include "core/texts.h"
#include "transfer/syncsession.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// What a sync will do, before anything is written: the tracks to send and
// their size against the free space, the files to take off the PSP by name,
// and the playlists changed on the PSP since a sync wrote them. Nothing is
// removed unless its box is checked, and a playlist changed on the PSP is
// kept unless the user chooses to replace it. Sync (the default button)
// accepts; Cancel or Escape rejects.
class SyncPlanDialog : public QDialog
{
    Q_OBJECT
public:
    SyncPlanDialog(QWidget *parent, Language language);

    void showPlan(const SyncOutline &plan);
    SyncSession::Removals removals() const;
    bool replaceChanged() const;

private:
    Language m_language;
    QLabel *m_summary = nullptr;
    QLabel *m_removalsLabel = nullptr;
    QPlainTextEdit *m_removals = nullptr;
    QCheckBox *m_removeUnnamed = nullptr;
    QCheckBox *m_removeNamed = nullptr;
    QLabel *m_changedLabel = nullptr;
    QRadioButton *m_keepChanges = nullptr;
    QRadioButton *m_replaceChanges = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
};
