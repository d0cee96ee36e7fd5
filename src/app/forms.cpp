#include "app/forms.h"

#include "about/frmabout.h"
#include "app/frmmain.h"
#include "browser/filebrowse.h"
#include "controls/filelistbox.h"
#include "playlist/playlistediting.h"
#include "playlist/typingerror.h"

#include <QEvent>
#include <QMimeData>

Forms::Forms(FrmMain &main) : QObject(&main), m_main(main) {}

Forms::~Forms()
{
    for (const QPointer<QWidget> &window : std::as_const(m_secondary))
        delete window.data();
}

template <class Window>
Window &Forms::touch(QPointer<Window> &slot, const std::function<Window *()> &make)
{
    if (!slot) {
        Window *window = make();
        slot = window;
        m_secondary.append(window);
        window->installEventFilter(this);
        window->Form_Load();
    }
    return *slot;
}

const QIcon &Forms::programIcon()
{
    // Made once, so that every window shares the same icon.
    if (m_icon.isNull())
        m_icon = FrmAbout::programIcon();
    return m_icon;
}

FrmAbout &Forms::frmAbout()
{
    return touch<FrmAbout>(m_about, [this] {
        auto *about = new FrmAbout(m_main, *m_main.controls().Text2, programIcon());
        connect(about, &FrmAbout::addressClicked, &m_main, &FrmMain::OpenBrowser);
        return about;
    });
}

FileBrowse &Forms::filebrowse()
{
    return touch<FileBrowse>(m_browser, [this] {
        const MainWindowControls &controls = m_main.controls();
        auto *browser = new FileBrowse(m_main, *controls.Text2, controls.tracks, programIcon());
        connect(browser, &FileBrowse::entryChosen, &m_main.editing(),
                &PlaylistEditing::appendEntry);
        browser->music->setDropFormats({QStringLiteral("text/uri-list")});
        connect(browser->music, &ListBox::dropped, &m_main,
                [this](int, const QMimeData *dropped) { m_main.sendDropped(dropped->urls()); });
        return browser;
    });
}

TypingError &Forms::typingerror()
{
    return touch<TypingError>(m_typingError,
                              [this] { return new TypingError(m_main, *m_main.controls().Text2); });
}

FileBrowse *Forms::loadedBrowser() const
{
    return m_browser;
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
    // fresh one, and let it finish its own Form_Unload before it goes.
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
