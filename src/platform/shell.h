#pragma once

#include <memory>
#include <QString>

class QWindow;

// Hands a folder or a web address to the desktop. Tests replace it with a
// recorder so that nothing is opened for real.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens a folder in the file manager; true when the desktop took the request.
    virtual bool explore(QWindow *owner, const QString &folder) = 0;
    // Opens an address in the web browser; true when the desktop took the request.
    virtual bool open(const QString &address) = 0;

    // The desktop's own shell on this platform.
    static std::unique_ptr<Shell> create();
};
