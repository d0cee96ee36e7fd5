#pragma once

#include "core/writerlock.h"

#include <functional>
#include <memory>
#include <optional>
#include <QObject>

// The one owner of writing to the PSP in use, for the window and a terminal
// alike. A send or a sync writes only while it holds the PSP here: the
// writer lock it took (see WriterLock) is handed over with a way to count
// what it has sent, and let go of once it has written all it will. When the
// PSP leaves, leave() ends the writer at once, its helpers with it, and says
// how far it got.
class PspOwner : public QObject
{
    Q_OBJECT
public:
    // How far a writer got: the tracks sent of those it was to send, and
    // whether it was sending at all rather than still planning.
    struct Tally
    {
        int sent = 0;
        int planned = 0;
        bool sending = false;
    };
    using Counter = std::function<Tally()>;

    using QObject::QObject;

    // The PSP is held for writer until it lets go; only one writer holds it
    // at once, as the lock refuses a second.
    void hold(const QObject *writer, std::shared_ptr<const WriterLock> lock, Counter count);
    // Nothing, unless writer holds the PSP.
    void letGo(const QObject *writer);

    // The PSP has left: the writer hears it (left()) and ends without a word,
    // the lock is let go, and what it got to is returned; none when nothing
    // held the PSP.
    std::optional<Tally> leave();

Q_SIGNALS:
    // Every writer ends at once: nothing more is written or reported.
    void left();

private:
    const QObject *m_writer = nullptr;
    std::shared_ptr<const WriterLock> m_lock;
    Counter m_count;
};
