#pragma once

#include "audio/conversion.h"
#include "core/texts.h"

#include <QDialog>
#include <QFileDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct SendPlan;

// What a send will do, before anything is written: the counts, the size
// against the free space, the folders; the format and quality conversions
// take, remembered for the next send. Start (the default button) accepts,
// Cancel or Escape rejects. Start stays off until the plan is known, and when
// it does not fit; then Send what fits, shown when some of it does, accepts
// a send of what fits. When tracks are on the PSP in another format, a check
// box, off at first, sends them again in the chosen one.
class SendPlanDialog : public QDialog
{
    Q_OBJECT
public:
    SendPlanDialog(QWidget *parent, Language language);

    // leftOut: entries of a playlist sent that never reached the send (not
    // found on the computer, web addresses).
    void showPlan(const SendPlan &plan, qint64 freeBytes, int leftOut = 0);
    // A plan for another format or quality is being made: nothing starts
    // until it is shown.
    void planning();
    TargetFormat format() const;
    Quality quality() const;
    // Accepted by Send what fits.
    bool whatFitsOnly() const { return m_whatFitsOnly; }
    // Tracks on the PSP in another format are to be sent again, replacing those.
    bool replaceOtherFormats() const;

Q_SIGNALS:
    // The format, the quality, or the choice to send again the tracks in
    // another format changed: the plan is to be made again.
    void formatChanged();

private:
    void fillQualities();
    void qualityChosen();

    Language m_language;
    QLabel *m_summary = nullptr;
    QRadioButton *m_mp3 = nullptr;
    QRadioButton *m_aac = nullptr;
    QComboBox *m_qualities = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_whatFits = nullptr;
    QCheckBox *m_replace = nullptr;
    Quality m_quality;
    bool m_planned = false;
    bool m_whatFitsOnly = false;
};

// Chooses the files and folders to send. Open takes a chosen folder as it
// is, rather than going into it; a double-click still goes in.
class SendFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    SendFileDialog(QWidget *parent, Language language);

    void accept() override;
};
