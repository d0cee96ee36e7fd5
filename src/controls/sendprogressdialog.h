#pragma once

#include "core/texts.h"
#include "transfer/sendrun.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// A send under way: the overall bar, the tracks being converted or written,
// tracks done of the total, the time left. Cancel (or Escape, or closing)
// asks for a cancel; the dialog stays until its owner closes it with done(),
// once the jobs under way have stopped.
class SendProgressDialog : public QDialog
{
    Q_OBJECT
public:
    SendProgressDialog(QWidget *parent, Language language);

    // Shows how run goes, sources being the ones it sends, until it ends or
    // a cancel is asked for; a few times a second at most, however many
    // tracks end meanwhile, and between them too.
    void follow(const SendRun &run, const QList<SourceTrack> &sources);
    // Said while the jobs under way stop.
    void showCancelling();
    void reject() override;

Q_SIGNALS:
    void cancelAsked();

private:
    void showRun();

    Language m_language;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_left = nullptr;
    const SendRun *m_run = nullptr;
    QList<SourceTrack> m_sources;
    QElapsedTimer m_clock;
    // The bar and the time left move between tracks too.
    QTimer m_ticker;
    // What the run says is shown once per interval at most.
    QTimer m_refresh;
};
