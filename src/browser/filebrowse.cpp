#include "browser/filebrowse.h"

#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/maketopmost.h"
#include "controls/menubarkeys.h"
#include "core/storagelayout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

namespace {

// Puts a window's outer top left corner, that of its frame, at a point of the
// screen. A shown window goes by the frame the window system reports now:
// the one the window itself remembers may still be from before the window
// manager framed it, which would put the window's contents where its frame belongs.
void placeFrameAt(QWidget &window, const QPoint &corner)
{
    const QWindow *handle = window.windowHandle();
    if (!window.isVisible() || !handle) {
        window.move(corner);
        return;
    }
    const QMargins frame = handle->frameMargins();
    window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace

FileBrowse::FileBrowse(QWidget &owner, LanguageFlag languageFlag, const TrackPanel &mainTracks,
                       const QIcon &icon)
    : SecondaryWindow(owner, languageFlag, Qt::Window, QStringLiteral("filebrowse")),
      m_mainTracks(mainTracks), m_icon(icon)
{
    setWindowTitle(texts::browserTitle.builtIn());

    auto *client = new QWidget(this);
    client->setFixedSize(twips(6735), twips(5235));
    setCentralWidget(client);

    // Drawn unscaled from the top left; what does not fit is cut off.
    auto *background = new QLabel(client);
    const QPixmap picture(QStringLiteral(":/artwork/browser-background.png"));
    background->setPixmap(picture);
    background->setGeometry(QRect(QPoint(0, 0), picture.size()));

    Dir1 = new DirListBox(client);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(120, 120, 6495, 2340));
    Dir1->setFont(designFont(QStringLiteral("Verdana")));
    music = new FileListBox(client);
    music->setObjectName(QStringLiteral("music"));
    music->setGeometry(twipsRect(120, 2640, 6495, 2400));
    music->setFont(designFont(QStringLiteral("MS UI Gothic")));
    music->setDragEnabled(true);
    QWidget::setTabOrder(Dir1, music);

    addall = menuBar()->addAction(texts::browserAddAll.builtIn());
    addall->setObjectName(QStringLiteral("addall"));
    end = menuBar()->addAction(texts::browserDone.builtIn());
    end->setObjectName(QStringLiteral("end"));
    reachMenuBarByKeyboard(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(Dir1, &DirListBox::changed, this, &FileBrowse::Dir1_Change);
    connect(music, &FileListBox::clicked, this, &FileBrowse::music_Click);
    connect(addall, &QAction::triggered, this, &FileBrowse::addall_Click);
    connect(end, &QAction::triggered, this, &FileBrowse::end_Click);
}

void FileBrowse::Form_Load()
{
    MakeTopmost(this);
    followOwner();
    setWindowIcon(m_icon);
    applyTexts();
    Dir1->setDriveRoot(m_mainTracks.Dir1->driveRoot());
    if (!m_mainTracks.Dir1->path().isEmpty())
        Dir1->setPath(m_mainTracks.Dir1->path());
    music->setPattern(audioFilePatterns());
}

void FileBrowse::applyTexts()
{
    const Language interface = language();
    setWindowTitle(texts::browserTitle.in(interface));
    addall->setText(texts::browserAddAll.in(interface));
    end->setText(texts::browserDone.in(interface));
    Dir1->setListName(texts::folderListName.in(interface));
    music->setAccessibleName(texts::browserTrackList.in(interface));
}

void FileBrowse::open()
{
    show();
    // A browser loaded before the PSP arrived does not know its drive yet.
    followMainTracks();
}

void FileBrowse::followNewPsp()
{
    if (isVisible()) {
        followMainTracks();
        return;
    }
    // A hidden browser lists the new PSP when it is opened, not on every arrival.
    Dir1->setDriveRoot(m_mainTracks.Dir1->driveRoot());
    music->setPath(QString());
}

void FileBrowse::followMainTracks()
{
    replaceMainTracks();
    Dir1->setDriveRoot(m_mainTracks.Dir1->driveRoot());
    Dir1->setPath(m_mainTracks.Dir1->path());
}

void FileBrowse::replaceMainTracks()
{
    for (QWidget *control : m_mainTracks.controls())
        control->hide();
    m_mainTracks.Image2->show();
}

void FileBrowse::followOwner()
{
    placeFrameAt(*this, owner().pos() + QPoint(-twips(3825), twips(850)));
}

void FileBrowse::placeWhenShown()
{
    followOwner();
    // Under X the window manager frames a window only after it is shown, and
    // what the frame is becomes known then; it is placed again once it appears.
    windowHandle()->installEventFilter(this);
}

bool FileBrowse::eventFilter(QObject *watched, QEvent *event)
{
    QWindow *handle = windowHandle();
    if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
        handle->removeEventFilter(this);
        followOwner();
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void FileBrowse::Dir1_Change()
{
    music->setPath(Dir1->path());
}

void FileBrowse::music_Click()
{
    const QString entry = selectedTrackEntry(*Dir1, *music);
    if (!entry.isEmpty())
        Q_EMIT entryChosen(entry);
}

void FileBrowse::addall_Click()
{
    music->selectEachInTurn();
}

void FileBrowse::end_Click()
{
    close();
}

void FileBrowse::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void FileBrowse::Form_Unload()
{
    for (QWidget *control : m_mainTracks.controls())
        control->show();
    // A browser that never saw a folder has nothing to hand back.
    if (!Dir1->path().isEmpty())
        m_mainTracks.Dir1->setPath(Dir1->path());
    m_mainTracks.Image2->hide();
    // The keyboard goes back to the button that opened the browser.
    if (owner().isVisible()) {
        m_mainTracks.Command6->setFocus(Qt::OtherFocusReason);
        owner().activateWindow();
    }
}
