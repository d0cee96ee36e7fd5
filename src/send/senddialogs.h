#pragma once

#include "core/texts.h"
#include "media/conversion.h"

#include <QDialog>
#include <QFileDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
struct SendPlan;

// What a send will do, before anything is written: the counts, the size
// against the free space, the folders; the format conversions take. Start
// (the default button) accepts, Cancel or Escape rejects. Start stays off
// until the plan is known, and when it does not fit.
class SendPlanDialog : public QDialog
{
    Q_OBJECT
public:
    SendPlanDialog(QWidget *parent, Language language);

    void showPlan(const SendPlan &plan, qint64 freeBytes);
    TargetFormat format() const;

Q_SIGNALS:
    void formatChanged();

private:
    Language m_language;
    QLabel *m_summary = nullptr;
    QRadioButton *m_mp3 = nullptr;
    QRadioButton *m_aac = nullptr;
    QPushButton *m_start = nullptr;
    bool m_planned = false;
};

// A send under way: the overall bar, the track being written, tracks done of
// the total, the time left; Cancel (or Escape, or closing) rejects.
class SendProgressDialog : public QDialog
{
    Q_OBJECT
public:
    SendProgressDialog(QWidget *parent, Language language);

    void setCurrent(const QString &track);
    // fraction of the work done, from 0 to 1; msLeft negative when unknown.
    void setProgress(int done, int total, double fraction, qint64 msLeft);

private:
    Language m_language;
    QProgressBar *m_bar = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_left = nullptr;
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
