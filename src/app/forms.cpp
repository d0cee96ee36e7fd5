#include "app/forms.h"

#include "about/frmabout.h"
#include "app/frmmain.h"
#include "browser/filebrowse.h"
#include "playlist/typingerror.h"

#include <QEvent>

Forms::Forms(FrmMain &main) : QObject(&main), m_main(main) {}

Forms::~Forms()
{
    for (const QPointer<QWidget> &window : std::as_const(m_secondary))
        delete window.data();
}

template <class Window> Window &Forms::touch(QPointer<Window> &slot)
{
    if (!slot) {
        auto *window = new Window(m_main);
        slot = window;
        m_secondary.append(window);
        window->installEventFilter(this);
        window->Form_Load();
    }
    return *slot;
}

FrmAbout &Forms::frmAbout()
{
    return touch(m_about);
}

FileBrowse &Forms::filebrowse()
{
    return touch(m_browser);
}

TypingError &Forms::typingerror()
{
    return touch(m_typingError);
}

FrmAbout *Forms::loadedAbout() const
{
    return m_about;
}

FileBrowse *Forms::loadedBrowser() const
{
    return m_browser;
}

TypingError *Forms::loadedTypingError() const
{
    return m_typingError;
}

QList<QWidget *> Forms::loaded() const
{
    QList<QWidget *> windows{&m_main};
    for (const QPointer<QWidget> &window : m_secondary) {
        if (window)
            windows.append(window);
    }
    return windows;
}

bool Forms::eventFilter(QObject *watched, QEvent *event)
{
    // Closing unloads: forget the window at once, so the next touch loads a
    // fresh one, and let it finish its own unload steps before it goes.
    if (event->type() == QEvent::Close) {
        m_secondary.removeAll(watched);
        if (watched == m_about.data())
            m_about = nullptr;
        else if (watched == m_browser.data())
            m_browser = nullptr;
        else if (watched == m_typingError.data())
            m_typingError = nullptr;
        watched->deleteLater();
    }
    return QObject::eventFilter(watched, event);
}
