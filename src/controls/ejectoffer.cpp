#include "controls/ejectoffer.h"

#include "controls/messagebox.h"
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

} // namespace

QString ejectFailureText(int kind, const QString &detail, Language language)
{
    using Kind = platform::EjectOutcome::Kind;
    switch (Kind(kind)) {
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
    return texts::ejectFailed.in(language).arg(detail);
}

void reportOfferingEject(QWidget &window, const QString &device, Language language,
                         const QString &text, const QStringList &lines, QMessageBox::Icon icon)
{
    if (device.isEmpty()) {
        messagebox::report(&window, text, lines, icon);
        return;
    }
    if (!messagebox::reportOffering(&window, text, lines, icon, texts::ejectPsp.in(language)))
        return;
    const QString title = texts::ejectSafeTitle.in(language);
    const QString safe = texts::ejectSafe.in(language);
    // Qt's global pool: the program waits for it as it ends.
    auto *watcher = new QFutureWatcher<Ejected>(&window);
    QObject::connect(
        watcher, &QFutureWatcherBase::finished, &window,
        [watcher, window = QPointer<QWidget>(&window), language] {
            watcher->deleteLater();
            const Ejected ejected = watcher->result();
            if (!window || ejected.notified)
                return;
            // Shown without waiting: the window may go with the PSP.
            auto *box = new QMessageBox(
                ejected.outcome.safeToUnplug() ? QMessageBox::Information : QMessageBox::Warning,
                window->windowTitle(),
                ejectFailureText(int(ejected.outcome.kind), ejected.outcome.detail, language),
                QMessageBox::Ok, window);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setTextFormat(Qt::PlainText);
            box->open();
        });
    watcher->setFuture(QtConcurrent::run([device, title, safe] {
        Ejected ejected{platform::ejectVolume(device)};
        if (ejected.outcome.safeToUnplug())
            ejected.notified = platform::notifyDesktop(title, safe);
        return ejected;
    }));
}
