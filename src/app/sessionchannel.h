#pragma once

#include <functional>
#include <QString>

class QObject;

// The local socket through which a later start hands its place over to the
// session's instance. It is built as the module zarvello_session: Qt Network
// and the libraries it brings cost a start more to link than its window does,
// so the first start loads it only once its window is up.
struct SessionChannel
{
    // Hands place over to the instance listening at name: true once it took it.
    bool (*send)(const QString &name, const QString &place);
    // Listens at name, with a server that is a child of owner, and hands each
    // place received to received; false, with a warning, when it cannot.
    bool (*listen)(const QString &name, QObject *owner,
                   const std::function<void(const QString &)> &received);
};
