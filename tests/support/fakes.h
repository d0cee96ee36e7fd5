#pragma once

#include "app/forms.h"
#include "app/frmmain.h"
#include "platform/shell.h"

#include <memory>
#include <QStringList>

// Records what the program asks of the desktop instead of opening anything.
class RecordingShell final : public Shell
{
public:
    bool explore(QWindow *, const QString &folder) override
    {
        explored.append(folder);
        return accept;
    }
    bool open(const QString &address) override
    {
        opened.append(address);
        return accept;
    }

    QStringList explored;
    QStringList opened;
    bool accept = true;
};

// The loaded secondary window of that class, without loading it; null when
// none is loaded.
template <class Window> Window *loadedWindow(FrmMain &main)
{
    for (QWidget *window : main.forms().loaded()) {
        if (auto *found = qobject_cast<Window *>(window))
            return found;
    }
    return nullptr;
}

// A main window on fake services: the given system language, a recording
// shell and, unless a real one is given, a notifier whose signals the test
// emits itself.
struct TestMainWindow
{
    explicit TestMainWindow(quint16 langId = 0x0409,
                            std::unique_ptr<VolumeNotifier> notifier = nullptr);

    FrmMain &operator*() const { return *window; }
    FrmMain *operator->() const { return window.get(); }

    RecordingShell *shell = nullptr;
    VolumeNotifier *volumes = nullptr;
    std::unique_ptr<FrmMain> window;
};
