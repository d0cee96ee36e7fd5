#include "controls/messagebox.h"

#include "core/texts.h"
#include "core/version.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQueue>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

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

void report(QWidget *parent, const QString &text, const QStringList &lines, QMessageBox::Icon icon)
{
    if (recorder().active || lines.isEmpty())
        show(parent, lines.isEmpty() ? text : text + u'\n' + lines.join(u'\n'), QString(),
             QMessageBox::Ok, icon);
    else
        reportDialog(parent, text, lines, icon)->exec();
}

bool reportOffering(QWidget *parent, const QString &text, const QStringList &lines,
                    QMessageBox::Icon icon, const QString &action)
{
    const QString whole = lines.isEmpty() ? text : text + u'\n' + lines.join(u'\n');
    if (recorder().active)
        return show(parent, whole, QString(), QMessageBox::Ok | QMessageBox::Apply, icon) ==
               QMessageBox::Apply;
    if (lines.isEmpty()) {
        QMessageBox box(icon, version::applicationTitle(), wrappable(text), QMessageBox::Ok,
                        parent);
        box.setTextFormat(Qt::PlainText);
        QPushButton *chosen = box.addButton(action, QMessageBox::ActionRole);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return box.clickedButton() == chosen;
    }
    const std::unique_ptr<QDialog> dialog = reportDialog(parent, text, lines, icon);
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QPushButton *chosen = buttons->addButton(action, QDialogButtonBox::ActionRole);
    constexpr int actionChosen = 2;
    QObject::connect(chosen, &QPushButton::clicked, dialog.get(),
                     [&dialog] { dialog->done(actionChosen); });
    return dialog->exec() == actionChosen;
}

std::unique_ptr<QDialog> reportDialog(QWidget *parent, const QString &text,
                                      const QStringList &lines, QMessageBox::Icon icon)
{
    auto owned = std::make_unique<QDialog>(parent);
    QDialog &dialog = *owned;
    dialog.setWindowTitle(version::applicationTitle());
    auto *picture = new QLabel(&dialog);
    const QStyle::StandardPixmap kind = icon == QMessageBox::Warning
                                            ? QStyle::SP_MessageBoxWarning
                                            : QStyle::SP_MessageBoxInformation;
    const int side = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    picture->setPixmap(dialog.style()->standardIcon(kind, nullptr, &dialog).pixmap(side));
    picture->setAlignment(Qt::AlignTop);
    auto *summary = new QLabel(text, &dialog);
    summary->setTextFormat(Qt::PlainText);
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Paths wrap anywhere on screen, and are copied without any mark of it.
    auto *list = new QPlainTextEdit(&dialog);
    list->setReadOnly(true);
    list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    list->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    list->setPlainText(lines.join(u'\n'));
    list->setAccessibleName(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(summary, 1);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);

    // As tall as the lines need, up to what the screen holds.
    const QFontMetrics metrics(list->font());
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int width = std::min(screen.width() * 9 / 10, metrics.averageCharWidth() * 80);
    const int listHeight = metrics.lineSpacing() * int(lines.size() + 1);
    const int rest = dialog.sizeHint().height() - list->sizeHint().height();
    dialog.resize(width, std::min(screen.height() * 9 / 10, rest + listHeight));
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    return owned;
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

void notify(QWidget &parent, const QString &text, QMessageBox::Icon icon)
{
    static const QString noticeName = QStringLiteral("notice");
    // What the notice says, as told: the last few texts, each once.
    static const char *const toldProperty = "told";
    constexpr qsizetype kept = 3;
    if (recorder().active)
        recorder().shown.append({text, version::applicationTitle(), QMessageBox::Ok, icon});
    auto *box = parent.findChild<QMessageBox *>(noticeName, Qt::FindDirectChildrenOnly);
    if (!box) {
        box = new QMessageBox(&parent);
        box->setObjectName(noticeName);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(version::applicationTitle());
        box->setTextFormat(Qt::PlainText);
        box->setStandardButtons(QMessageBox::Ok);
    }
    QStringList told = box->property(toldProperty).toStringList();
    told.removeAll(text);
    told.append(text);
    told = told.mid(told.size() - std::min(told.size(), kept));
    box->setProperty(toldProperty, told);
    // A warning among them makes the whole one.
    if (box->icon() != QMessageBox::Warning || told.size() == 1)
        box->setIcon(icon);
    box->setText(wrappable(told.join(u"\n\n")));
    box->show();
    box->raise();
}

void sayAsTheWindowGoes(const QString &text, QMessageBox::Icon icon)
{
    if (recorder().active) {
        recorder().shown.append({text, version::applicationTitle(), QMessageBox::Ok, icon});
        return;
    }
    auto *box =
        new QMessageBox(icon, version::applicationTitle(), wrappable(text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->show();
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
