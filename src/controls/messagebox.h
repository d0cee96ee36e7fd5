#pragma once

#include <functional>
#include <memory>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

// Every message box and question of the program goes through here, so that
// tests can answer them without a person and see what was asked.
namespace messagebox {

// Shows a modal message box. An empty caption gives the application title.
QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &caption,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::Icon icon = QMessageBox::NoIcon);

// A warning: the text with an OK button.
void warn(QWidget *parent, const QString &text);

// Tells what came of a request that did not come from the user at this
// window (another program's over the session bus, a volume's arrival): in a
// box that waits for nothing, one per window, to which a later text is added
// (the last few are kept, each once).
void notify(QWidget &parent, const QString &text, QMessageBox::Icon icon = QMessageBox::Warning);

// Tells what happened as the window goes (the PSP unplugged under a send), in
// a box of its own that waits for nothing and outlives the window: the
// program ends once it is closed.
void sayAsTheWindowGoes(const QString &text, QMessageBox::Icon icon = QMessageBox::Warning);

// The text, then every one of the lines in a box that scrolls, where they can
// be selected and copied as they are; the whole never taller than the screen.
void report(QWidget *parent, const QString &text, const QStringList &lines, QMessageBox::Icon icon);
// The same with a button for what may follow (action, "Eject the PSP")
// beside OK: true when that was chosen. A recorded box has Ok and Apply for
// it.
bool reportOffering(QWidget *parent, const QString &text, const QStringList &lines,
                    QMessageBox::Icon icon, const QString &action);
// The dialog that report() shows when there are lines, ready to be shown.
std::unique_ptr<QDialog> reportDialog(QWidget *parent, const QString &text,
                                      const QStringList &lines, QMessageBox::Icon icon);

// Lines to list in a box: enough of them to be recognised (shown at most),
// without a box taller than the screen.
QString listed(const QStringList &lines, int shown = 10);

// For tests: from now on boxes are recorded instead of shown, and answered
// with the queued answers (then with their first button). Notices, which
// wait for nothing, are recorded and shown.
struct Shown
{
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
};
void recordInsteadOfShowing();
void queueAnswer(QMessageBox::StandardButton answer);
QList<Shown> takeShown();
// Runs once inside the next recorded box, as what happens while a shown box
// waits for its answer.
void whileNextIsOpen(std::function<void()> action);
// Forgets the queued answers, the recorded boxes and the pending action, so
// that what one test left cannot answer the next one's box.
void resetRecording();

} // namespace messagebox
