#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QtConcurrent>
#include <QThreadPool>
#include <type_traits>
#include <utility>

// Work off the window's thread, all of it started one way: on the threads
// below, its results handed to an object on the window's thread through a
// watcher that object owns, so that whatever arrives once the object is gone
// is dropped unseen.
namespace background {

// The threads background work runs on. Unlike Qt's global pool, which the
// program waits for as it ends, nothing ever waits for them: work on a medium
// that stopped answering may not end at all.
QThreadPool &threads();

// Runs work that has nothing to hand back.
template <typename Work> void run(Work work)
{
    threads().start(std::move(work));
}

// Runs work, then hands what it returns to done on context's thread.
template <typename Work, typename Done> void run(QObject *context, Work work, Done done)
{
    using Value = std::invoke_result_t<Work>;
    auto *watcher = new QFutureWatcher<Value>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         done(watcher->result());
                     });
    watcher->setFuture(QtConcurrent::run(&threads(), std::move(work)));
}

// Runs work that hands results over as it goes (QPromise<T>::addResult) and
// stops early once it is cancelled (QPromise<T>::isCanceled). Each result
// goes to found on context's thread, in order, and finished follows the
// last. Cancelling the future returned drops whatever is still to come.
template <typename T, typename Work, typename Found, typename Finished>
QFuture<T> stream(QObject *context, Work work, Found found, Finished finished)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::resultReadyAt, context,
                     [watcher, found = std::move(found)](int index) mutable {
                         if (!watcher->isCanceled())
                             found(watcher->resultAt(index));
                     });
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, finished = std::move(finished)]() mutable {
                         watcher->deleteLater();
                         if (!watcher->isCanceled())
                             finished();
                     });
    const QFuture<T> future = QtConcurrent::run(&threads(), std::move(work));
    watcher->setFuture(future);
    return future;
}

} // namespace background
