#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the busy cursor for as long as it lives. Put around anything that can
// take a noticeable time on slow media (listing a large folder, reading or
// writing a long playlist, adding a whole folder), so that the window never
// looks frozen without a sign; never around a question to the user.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
