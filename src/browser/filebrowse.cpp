#include "browser/filebrowse.h"

#include "about/frmabout.h"
#include "app/design.h"
#include "app/dirlistbox.h"
#include "app/filelistbox.h"
#include "app/frmmain.h"
#include "browser/maketopmost.h"
#include "psp/storagelayout.h"
#include "psp/tracklibrary.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

namespace {} // namespace

FileBrowse::FileBrowse(FrmMain &main) : QMainWindow(nullptr, fixedFrame(Qt::Window)), m_main(main)
{
    setObjectName(QStringLiteral("filebrowse"));
    setWindowTitle(texts::browserTitle.design());

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
    QWidget::setTabOrder(Dir1, music);

    addall = menuBar()->addAction(texts::browserAddAll.design());
    addall->setObjectName(QStringLiteral("addall"));
    end = menuBar()->addAction(texts::browserDone.design());
    end->setObjectName(QStringLiteral("end"));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(Dir1, &DirListBox::changed, this, &FileBrowse::Dir1_Change);
    connect(music, &FileListBox::clicked, this, &FileBrowse::music_Click);
    connect(addall, &QAction::triggered, this, &FileBrowse::addall_Click);
    connect(end, &QAction::triggered, this, &FileBrowse::end_Click);
}

void FileBrowse::Form_Load()
{
    MakeTopmost(this);
    move(x(), m_main.y() + twips(850));
    move(m_main.x() - twips(3825), y());
    setWindowIcon(m_main.forms().frmAbout().windowIcon());
    applyTexts();
    Dir1->setDriveRoot(m_main.Dir1->driveRoot());
    if (!m_main.Dir1->path().isEmpty())
        Dir1->setPath(m_main.Dir1->path());
    music->setPattern(audioFilePatterns());
}

void FileBrowse::applyTexts()
{
    const Language language = m_main.language();
    setWindowTitle(texts::browserTitle.in(language));
    addall->setText(texts::browserAddAll.in(language));
    end->setText(texts::browserDone.in(language));
}

void FileBrowse::showEvent(QShowEvent *event)
{
    applyTexts();
    QMainWindow::showEvent(event);
    // A hidden window's frame is not known yet, so where it was placed while
    // hidden may be off by the frame: place it again now that it is shown.
    m_main.PositionMediaBrowser();
}

void FileBrowse::Dir1_Change()
{
    music->setPath(Dir1->path());
}

void FileBrowse::music_Click()
{
    appendSelectedTrack(m_main, *Dir1, *music);
}

void FileBrowse::addall_Click()
{
    selectEveryTrack(*music);
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
    m_main.Label1->show();
    m_main.Dir1->show();
    m_main.music->show();
    m_main.Command5->show();
    m_main.Command6->show();
    // A browser that never saw a folder has nothing to hand back.
    if (!Dir1->path().isEmpty())
        m_main.Dir1->setPath(Dir1->path());
    m_main.Image2->hide();
}
