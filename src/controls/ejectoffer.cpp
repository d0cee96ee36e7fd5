#include "controls/ejectoffer.h"

#include "controls/messagebox.h"
#include "core/background.h"
#include "platform/desktopnotification.h"
#include "platform/diskeject.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent>
#include <QWidget>

namespace {

struct Ejected
{
    platform::EjectOutcome outcome;
    bool notified = false;
};

// What an eject that did not happen says to the user.
QString ejectFailureText(const platform::EjectOutcome &outcome, Language language)
{
    using Kind = platform::EjectOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Busy:
        return texts::ejectBusy.in(language);
    case Kind::NotAllowed:
        return texts::ejectNotAllowed.in(language);
    case Kind::Unknown:
        return texts::ejectUnknown.in(language);
    case Kind::PoweredOff:
    case Kind::Unmounted:
        return texts::ejectSafe.in(language);
    case Kind::Failed:
        break;
    }
    return texts::ejectFailed.in(language).arg(outcome.detail);
}

// Ejects the PSP, off the interface thread, on threads the program waits for
// as it ends, so a PSP that leaves (and takes the window with it) is still
// powered off.
void eject(QWidget &window, const QString &device, Language language)
{
    const QString title = texts::ejectSafeTitle.in(language);
    const QString safe = texts::ejectSafe.in(language);
    // Qt's global pool: the program waits for it as it ends.
    auto *watcher = new QFutureWatcher<Ejected>(&window);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &window,
                     [watcher, window = QPointer<QWidget>(&window), language] {
                         watcher->deleteLater();
                         const Ejected ejected = watcher->result();
                         if (!window || ejected.notified)
                             return;
                         // Shown without waiting: the window may go with the PSP.
                         auto *box = new QMessageBox(
                             ejected.outcome.safeToUnplug() ? QMessageBox::Information
                                                            : QMessageBox::Warning,
                             window->windowTitle(), ejectFailureText(ejected.outcome, language),
                             QMessageBox::Ok, window);
                         box->setAttribute(Qt::WA_DeleteOnClose);
                         box->setTextFormat(Qt::PlainText);
                         box->open();
                     });
    watcher->setFuture(QtConcurrent::run([device, title, safe] {
        Ejected ejected{platform::ejectVolume(device)};
        if (ejected.outcome.safeToUnplug())
            ejected.notified = platform::notifyDesktop(title, safe) != 0;
        return ejected;
    }));
}

} // namespace

void reportOfferingEject(QWidget &window, const QString &device, Language language,
                         const QString &text, const QStringList &lines, QMessageBox::Icon icon)
{
    if (device.isEmpty()) {
        messagebox::report(&window, text, lines, icon);
        return;
    }
    if (messagebox::reportOffering(&window, text, lines, icon, texts::ejectPsp.in(language)))
        eject(window, device, language);
}

void notifyOfferingEject(QWidget &window, const QString &device, Language language,
                         const QString &title, const QString &text)
{
    // Listening before the notification shows, so no answer comes unheard.
    auto *answers = new platform::DesktopNoticeAnswers(&window);
    QObject::connect(answers, &platform::DesktopNoticeAnswers::chosen, &window,
                     [&window, answers, device, language] {
                         answers->deleteLater();
                         eject(window, device, language);
                     });
    QObject::connect(answers, &platform::DesktopNoticeAnswers::closed, answers,
                     &QObject::deleteLater);
    // A desktop button has no access key to show.
    const QString action = device.isEmpty() ? QString() : texts::ejectPsp.in(language).remove(u'&');
    background::run(
        answers,
        [title, text, action, key = answers->key()] {
            return platform::notifyDesktop(title, text, action, key);
        },
        [&window, answers, device, language, text](uint id) {
            answers->follow(id);
            if (id != 0)
                return;
            answers->deleteLater();
            reportOfferingEject(window, device, language, text, {}, QMessageBox::Information);
        });
}
