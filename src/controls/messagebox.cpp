#include "controls/messagebox.h"

#include "core/texts.h"
#include "core/version.h"

#include <QQueue>

namespace messagebox {

namespace {
struct Recorder
{
    bool active = false;
    QQueue<QMessageBox::StandardButton> answers;
    QList<Shown> shown;
    std::function<void()> whileOpen;
};

Recorder &recorder()
{
    static Recorder instance;
    return instance;
}

QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (auto button : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
        if (buttons.testFlag(button))
            return button;
    }
    return QMessageBox::NoButton;
}
} // namespace

QString listed(const QStringList &lines, int shown)
{
    QStringList kept = lines.mid(0, shown);
    if (lines.size() > shown)
        kept.append(QStringLiteral("…"));
    return kept.join(u'\n');
}

void warn(QWidget *parent, const QString &text)
{
    show(parent, text, QString(), QMessageBox::Ok, QMessageBox::Warning);
}

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &caption,
                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    const QString title = caption.isEmpty() ? version::applicationTitle() : caption;
    Recorder &r = recorder();
    if (r.active) {
        r.shown.append({text, title, buttons, icon});
        if (const std::function<void()> action = std::exchange(r.whileOpen, {}))
            action();
        return r.answers.isEmpty() ? firstButton(buttons) : r.answers.dequeue();
    }
    QMessageBox box(icon, title, wrappable(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return QMessageBox::StandardButton(box.exec());
}

void recordInsteadOfShowing()
{
    recorder().active = true;
}

void queueAnswer(QMessageBox::StandardButton answer)
{
    recorder().answers.enqueue(answer);
}

QList<Shown> takeShown()
{
    return std::exchange(recorder().shown, {});
}

void whileNextIsOpen(std::function<void()> action)
{
    recorder().whileOpen = std::move(action);
}

void resetRecording()
{
    Recorder &r = recorder();
    r.answers.clear();
    r.shown.clear();
    r.whileOpen = {};
}

} // namespace messagebox
