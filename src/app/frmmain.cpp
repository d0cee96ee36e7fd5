#include "app/frmmain.h"

#include "about/frmabout.h"
#include "app/filemove.h"
#include "app/qttranslations.h"
#include "browser/filebrowse.h"
#include "controls/button.h"
#include "controls/design.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/languageflag.h"
#include "controls/listbox.h"
#include "controls/menubarkeys.h"
#include "controls/messagebox.h"
#include "controls/picture.h"
#include "controls/textbox.h"
#include "core/background.h"
#include "core/droppedfiles.h"
#include "core/folderpath.h"
#include "core/languagecode.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "core/texts.h"
#include "core/version.h"
#include "import/playlistfiledrops.h"
#include "import/playlistimport.h"
#include "platform/taskbar.h"
#include "platform/volumenotifier.h"
#include "platform/volumeroot.h"
#include "playlist/computercopy.h"
#include "playlist/missingtrackmarks.h"
#include "playlist/playlistdeletion.h"
#include "playlist/playlistdrops.h"
#include "playlist/playlistediting.h"
#include "playlist/playlistfiles.h"
#include "playlist/syncedplaylistmarks.h"
#include "playlist/typingerror.h"
#include "psp/pspconnection.h"
#include "psp/tracklibrary.h"
#include "send/musicsend.h"
#include "sync/keepdialog.h"
#include "sync/musicsync.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {

Q_LOGGING_CATEGORY(lcShell, "zarvello.shell")

constexpr int clientWidth = 9270;
constexpr int clientHeight = 5250;
// How often a place handed over looks whether the modal window is gone.
constexpr int modalCheckMs = 250;

template <class Control> Control *place(Control *control, const QRect &twipsGeometry)
{
    control->setGeometry(twipsGeometry);
    control->hide();
    return control;
}

QLabel *heading(QWidget *parent, const QString &text, const QFont &font, const QRect &geometry)
{
    auto *label = place(new QLabel(text, parent), geometry);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    setTextColour(label, Qt::white);
    return label;
}

QLabel *picture(QWidget *parent, const QString &resource, const QRect &geometry)
{
    return place(new Picture(resource, parent), geometry);
}

QPushButton *button(QWidget *parent, const QString &text, qreal points, const QRect &geometry)
{
    auto *control = place(new Button(text, parent), geometry);
    control->setFont(designFont(QStringLiteral("Times New Roman"), points));
    return control;
}

} // namespace

FrmMain::FrmMain(PlatformServices services, QWidget *parent)
    : QMainWindow(parent, fixedFrame(Qt::Dialog)), m_services(std::move(services))
{
    setObjectName(QStringLiteral("frmMain"));
    m_forms = new Forms(*this);
    buildControls();
    buildMenus();
    setTabOrder();
    connectSubsystems();
    // The frame is fixed: the window is exactly its client area and menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();
}

FrmMain::~FrmMain()
{
    // The writers go before the owner they hold the PSP through.
    delete m_sync;
    delete m_send;
}

void FrmMain::connectSubsystems()
{
    // Each subsystem wires its own handlers to the controls it is given; what
    // one asks of another goes through here.
    const MainWindowControls &c = m_controls;
    const QLineEdit &flag = *c.Text2;
    m_psp = new PspConnection(*this, c, SysInfo1());
    auto *marks = new MissingTrackMarks(c.playlist, *c.lettre, flag, this);
    auto *synced = new SyncedPlaylistMarks(
        *c.saved.File2, [this] { return m_psp->openInUse(); }, flag, this);
    // A browser left on the previous PSP would still list and add its files,
    // and the current playlist's marks were found on the previous PSP.
    connect(m_psp, &PspConnection::pspInUse, this, [this, marks] {
        if (FileBrowse *browser = m_forms->loadedBrowser())
            browser->followNewPsp();
        marks->recheck();
    });
    m_editing = new PlaylistEditing(c.playlist, c.menus.mnnew, flag, this);
    auto *drops = new PlaylistDrops(*this, *m_editing, c.playlist, *c.lettre, flag);
    const auto openPsp = [psp = m_psp] {
        return psp->openInUse();
    };
    m_send = new MusicSend(*this, *c.lettre, flag, m_services.ansiCodePage, openPsp, m_owner);
    connect(drops, &PlaylistDrops::sendRequested, this, &FrmMain::startSend);
    connect(c.menus.send, &QAction::triggered, m_send, &MusicSend::chooseAndStart);
    connect(m_send, &MusicSend::pspChanged, this, &FrmMain::refreshTrackLists);
    m_sync = new MusicSync(*this, flag, m_services.ansiCodePage, m_owner);
    // A sync writes playlists as well as tracks.
    connect(m_sync, &MusicSync::listAsked, this, &FrmMain::keep_Click);
    connect(m_sync, &MusicSync::pspChanged, this, [this] {
        refreshTrackLists();
        m_controls.saved.File2->refresh();
    });
    // A PSP that follows its list as soon as it is plugged in.
    connect(m_psp, &PspConnection::pspInUse, this, [this] { syncPsp(true); });
    // Before the window goes: what was under way says how far it got.
    connect(m_psp, &PspConnection::pspLeft, this, [this] {
        const std::optional<PspOwner::Tally> tally = m_owner.leave();
        if (tally && tally->sending)
            messagebox::sayAsTheWindowGoes(
                texts::syncUnplugged.in(tally->sent, LanguageFlag(*m_controls.Text2).language())
                    .arg(std::max(tally->planned - tally->sent, 0)));
    });
    c.tracks.music->setDropFormats({QStringLiteral("text/uri-list")});
    connect(c.tracks.music, &ListBox::dropped, this,
            [this](int, const QMimeData *dropped) { sendDropped(dropped->urls()); });
    auto *tracks = new TrackLibrary(c.tracks, this);
    connect(tracks, &TrackLibrary::entryChosen, m_editing, &PlaylistEditing::appendEntry);
    connect(tracks, &TrackLibrary::browserRequested, this,
            [this] { m_forms->filebrowse().open(); });
    const PlaylistFolder playlistFolder(openPsp, *c.lettre, *c.saved.File2);
    auto *files = new PlaylistFiles(*this, c.playlist, c.saved, c.menus.save, playlistFolder, flag,
                                    m_services.ansiCodePage);
    connect(files, &PlaylistFiles::opened, marks, &MissingTrackMarks::recheck);
    connect(files, &PlaylistFiles::opened, this, [this, synced] { synced->opened(*this); });
    connect(files, &PlaylistFiles::nameRefused, this, [this] {
        TypingError &dialog = m_forms->typingerror();
        dialog.show();
        dialog.raise();
    });
    new PlaylistDeletion(*this, c.playlist, c.saved, playlistFolder, flag);
    m_copy =
        new ComputerCopy(*this, c.saved, playlistFolder, *c.lettre, flag, m_services.ansiCodePage);

    auto *import = new PlaylistImport(
        *this, c.playlist, *c.lettre, flag, m_services.ansiCodePage,
        [this](const QStringList &toSend, const QStringList &leftOut,
               const PlaylistImport::Arrived &arrived) {
            // One line per file asked for, as the import sends files alone.
            const auto sent = [arrived](const QList<SentTrack> &lines) {
                QStringList entries;
                for (const SentTrack &line : lines)
                    entries.append(line.entry);
                const bool none = std::all_of(entries.cbegin(), entries.cend(),
                                              [](const QString &entry) { return entry.isEmpty(); });
                arrived(none ? QStringList() : entries);
            };
            if (!m_send->start(toSend, leftOut, sent))
                arrived({});
        },
        [files] { return files->hasUnsavedEntries(); });
    connect(import, &PlaylistImport::imported, marks, &MissingTrackMarks::recheck);
    connect(m_send, &MusicSend::playlistChosen, import, &PlaylistImport::importFile);
    new PlaylistFileDrops(*this, *import);
}

void FrmMain::buildControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(twips(clientWidth), twips(clientHeight));
    setCentralWidget(client);

    const QFont caption = designFont(QStringLiteral("Arial"), 8.25, Italic);
    MainWindowControls &c = m_controls;
    TrackPanel &tracks = c.tracks;
    PlaylistPanel &playlist = c.playlist;
    SavedPanel &saved = c.saved;

    // Created bottom first: later siblings are drawn above earlier ones.
    c.Image1 = picture(client, QStringLiteral(":/artwork/background.bmp"),
                       twipsRect(0, 0, clientWidth, clientHeight));
    tracks.Label1 =
        heading(client, texts::libraryHeading.builtIn(), caption, twipsRect(360, 360, 2655, 255));
    playlist.Label2 =
        heading(client, texts::currentHeading.builtIn(), caption, twipsRect(3240, 360, 2535, 255));
    saved.Label3 = heading(client, texts::playlistsHeading.builtIn(), caption,
                           twipsRect(6240, 360, 2535, 255));
    c.Label4 =
        heading(client, texts::connectPrompt.builtIn(), designFont(QStringLiteral("Arial"), 14.25),
                twipsRect(2640, 2040, 3975, 375));
    tracks.Image2 =
        picture(client, QStringLiteral(":/artwork/psp-cover.jpg"), twipsRect(0, 0, 3150, 5250));
    playlist.Command2 =
        button(client, texts::moveUp.builtIn(), 8.25, twipsRect(3240, 4440, 1335, 255));
    playlist.Command3 =
        button(client, texts::moveDown.builtIn(), 8.25, twipsRect(4560, 4440, 1335, 255));
    tracks.music = place(new FileListBox(client), twipsRect(360, 1920, 2655, 2400));
    tracks.music->setFont(designFont(QStringLiteral("MS UI Gothic"), 8.25));
    tracks.Dir1 = place(new DirListBox(client), twipsRect(360, 600, 2655, 1215));
    setFontWhenShown(tracks.Dir1, designFont(QStringLiteral("Verdana"), 8.25));
    playlist.List1 = place(new ListBox(client), twipsRect(3240, 960, 2655, 3375));
    playlist.Text1 = place(new TextBox(texts::defaultPlaylistName.builtIn(), client),
                           twipsRect(3240, 600, 2655, 285));
    setFontWhenShown(playlist.Text1, designFont(QStringLiteral("Segoe UI"), 8.25, Bold));
    saved.File2 = place(new FileListBox(client), twipsRect(6240, 600, 2655, 3690));
    saved.File2->setFont(designFont(QStringLiteral("Comic Sans MS"), 8.25));
    playlist.Command1 =
        button(client, texts::removeEntry.builtIn(), 8.25, twipsRect(3240, 4680, 2655, 255));
    saved.Command4 =
        button(client, texts::deletePlaylist.builtIn(), 12, twipsRect(6240, 4440, 2655, 495));
    tracks.Command5 =
        button(client, texts::addAllTracks.builtIn(), 8.25, twipsRect(360, 4440, 1335, 495));
    tracks.Command6 =
        button(client, texts::advancedBrowser.builtIn(), 8.25, twipsRect(1680, 4440, 1335, 495));
    c.lettre = place(new QLineEdit(client), twipsRect(8640, 120, 495, 285));
    c.Text2 = place(new QLineEdit(client), twipsRect(8160, 120, 375, 285));
    // They hold state and are never shown: as windows of their own, they stay
    // out of what screen readers list among the window's controls.
    c.lettre->setWindowFlag(Qt::Window);
    c.Text2->setWindowFlag(Qt::Window);

    c.Image1->show();
    c.Label4->show();

    // What screen readers call the controls: each heading names the control
    // right below it, as its buddy; the entries below the name box take the
    // same heading, the name box what it holds, and the folder list, which
    // has no heading, words of its own.
    tracks.Label1->setBuddy(tracks.music);
    playlist.Label2->setBuddy(playlist.Text1);
    saved.Label3->setBuddy(saved.File2);
    playlist.List1->setAccessibleName(texts::currentHeading.builtIn());
    playlist.Text1->setAccessibleName(texts::playlistNameBox.builtIn());
    tracks.Dir1->setListName(texts::folderListName.builtIn());

    const std::pair<QWidget *, const char *> names[] = {{c.Image1, "Image1"},
                                                        {tracks.Label1, "Label1"},
                                                        {playlist.Label2, "Label2"},
                                                        {saved.Label3, "Label3"},
                                                        {c.Label4, "Label4"},
                                                        {tracks.Image2, "Image2"},
                                                        {playlist.Command2, "Command2"},
                                                        {playlist.Command3, "Command3"},
                                                        {tracks.music, "music"},
                                                        {tracks.Dir1, "Dir1"},
                                                        {playlist.List1, "List1"},
                                                        {playlist.Text1, "Text1"},
                                                        {saved.File2, "File2"},
                                                        {playlist.Command1, "Command1"},
                                                        {saved.Command4, "Command4"},
                                                        {tracks.Command5, "Command5"},
                                                        {tracks.Command6, "Command6"},
                                                        {c.lettre, "lettre"},
                                                        {c.Text2, "Text2"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));

    SysInfo1().setObjectName(QStringLiteral("SysInfo1"));
}

void FrmMain::buildMenus()
{
    MainMenus &m = m_controls.menus;
    QMenuBar *menus = menuBar();
    m.file = menus->addMenu(texts::menuFile.builtIn());
    m.mnnew = m.file->addAction(texts::menuNew.builtIn());
    m.mnnew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m.send = m.file->addAction(texts::menuSend.builtIn());
    m.send->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m.keep = m.file->addAction(texts::menuKeep.builtIn());
    m.sync = m.file->addAction(texts::menuSync.builtIn());
    m.sync->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    m.bar = m.file->addSeparator();
    m.save = m.file->addAction(texts::menuSave.builtIn());
    m.save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m.barre1 = addMenuBarDivider(*menus);
    m.explore = menus->addAction(texts::menuExplore.builtIn());
    m.barre2 = addMenuBarDivider(*menus);
    m.about = menus->addAction(texts::menuAbout.builtIn());

    m.file->setObjectName(QStringLiteral("file"));
    m.file->menuAction()->setObjectName(QStringLiteral("file"));
    const std::pair<QAction *, const char *> names[] = {
        {m.mnnew, "mnnew"},   {m.send, "send"},  {m.keep, "keep"},     {m.sync, "sync"},
        {m.bar, "bar"},       {m.save, "save"},  {m.barre1, "barre1"}, {m.explore, "explore"},
        {m.barre2, "barre2"}, {m.about, "about"}};
    for (const auto &[action, name] : names)
        action->setObjectName(QLatin1String(name));

    connect(m.keep, &QAction::triggered, this, &FrmMain::keep_Click);
    connect(m.sync, &QAction::triggered, this, [this] { syncPsp(false); });
    connect(m.explore, &QAction::triggered, this, &FrmMain::explore_Click);
    connect(m.about, &QAction::triggered, this, &FrmMain::about_Click);
    // F10 too, as desktops expect, besides the access keys.
    reachMenuBarByKeyboard(*this);
}

void FrmMain::setTabOrder()
{
    const MainWindowControls &c = m_controls;
    QWidget *const order[] = {c.tracks.music,      c.tracks.Dir1,       c.playlist.List1,
                              c.playlist.Text1,    c.saved.File2,       c.playlist.Command1,
                              c.playlist.Command2, c.playlist.Command3, c.saved.Command4,
                              c.tracks.Command5,   c.tracks.Command6};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void FrmMain::Form_Load()
{
    const MainMenus &m = m_controls.menus;
    setWindowIcon(m_forms->programIcon());

    m.save->setEnabled(false);
    m.mnnew->setEnabled(false);
    m.explore->setEnabled(false);
    m.file->menuAction()->setEnabled(false);

    InstallMoveHook(*this);

    const QString title = QStringLiteral("Zarvello v.") + version::numbers();
    if (isFrenchCode(GetSystemLanguageCode())) {
        setWindowTitle(title + texts::titleSuffix.in(Language::French));
        m_controls.Text2->setText(flagOf(Language::French));
        installQtTranslations(true);
    } else {
        m_controls.Text2->setText(flagOf(Language::English));
        installQtTranslations(false);
        setWindowTitle(title + texts::titleSuffix.in(Language::English));
        applyEnglishTexts();
    }
}

void FrmMain::applyEnglishTexts()
{
    const Language en = Language::English;
    const MainWindowControls &c = m_controls;
    c.Label4->setText(texts::connectPrompt.in(en));
    c.playlist.Text1->setText(texts::defaultPlaylistName.in(en));
    c.tracks.Label1->setText(texts::libraryHeading.in(en));
    c.tracks.Dir1->setListName(texts::folderListName.in(en));
    c.tracks.Command5->setText(texts::addAllTracks.in(en));
    c.tracks.Command6->setText(texts::advancedBrowser.in(en));
    c.playlist.Label2->setText(texts::currentHeading.in(en));
    c.playlist.List1->setAccessibleName(texts::currentHeading.in(en));
    c.playlist.Text1->setAccessibleName(texts::playlistNameBox.in(en));
    c.playlist.Command1->setText(texts::removeEntry.in(en));
    c.playlist.Command2->setText(texts::moveUp.in(en));
    c.playlist.Command3->setText(texts::moveDown.in(en));
    c.saved.Label3->setText(texts::playlistsHeading.in(en));
    c.saved.Command4->setText(texts::deletePlaylist.in(en));
    m_copy->applyTexts();
    c.menus.file->setTitle(texts::menuFile.in(en));
    c.menus.mnnew->setText(texts::menuNew.in(en));
    c.menus.send->setText(texts::menuSend.in(en));
    c.menus.keep->setText(texts::menuKeep.in(en));
    c.menus.sync->setText(texts::menuSync.in(en));
    c.menus.save->setText(texts::menuSave.in(en));
    c.menus.explore->setText(texts::menuExplore.in(en));
    c.menus.about->setText(texts::menuAbout.in(en));
    // The secondary windows apply their own texts when they are shown.
}

QString FrmMain::GetSystemLanguageCode() const
{
    return languageCode(m_services.systemDefaultLangId());
}

void FrmMain::showCentred()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, sizeHint(), screen).topLeft());
    // A fixed dialog frame has no taskbar entry.
    create();
    platform::keepOffTaskbar(*windowHandle());
    show();
}

void FrmMain::connectFolderWhenShown(const QString &folder)
{
    QMetaObject::invokeMethod(
        this, [this, folder] { m_psp->connectFolder(folder); }, Qt::QueuedConnection);
}

void FrmMain::openWhenShown(const QString &place)
{
    if (place.isEmpty())
        return;
    if (!folderpath::isElsewhere(place)) {
        connectFolderWhenShown(place);
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, place] {
            messagebox::notify(
                *this,
                texts::argumentElsewhere.in(LanguageFlag(*m_controls.Text2).language()).arg(place));
        },
        Qt::QueuedConnection);
}

void FrmMain::takeOverStart(const QString &uri)
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (uri.isEmpty())
        return;
    m_handedPlace = folderpath::fromArgument(uri);
    openHandedPlace();
}

void FrmMain::openHandedPlace()
{
    // A box or dialog waiting for the user's word is about the PSP in use:
    // the place another program named is opened once it is answered.
    if (QApplication::activeModalWidget()) {
        if (!std::exchange(m_handedPlaceWaits, true))
            QTimer::singleShot(modalCheckMs, this, [this] {
                m_handedPlaceWaits = false;
                openHandedPlace();
            });
        return;
    }
    openWhenShown(std::exchange(m_handedPlace, {}));
}

void FrmMain::warn(const Phrase &phrase, const QString &subject)
{
    messagebox::warn(this, phrase.in(LanguageFlag(*m_controls.Text2).language()).arg(subject));
}

void FrmMain::PositionMediaBrowser()
{
    // A browser not loaded yet places itself when it loads: making one
    // here would build it at start-up, where nobody sees it.
    if (FileBrowse *browser = m_forms->loadedBrowser())
        browser->followOwner();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void FrmMain::Form_Unload()
{
    // Tracks still being written are dropped; those finished stay.
    m_send->abandon();
    m_sync->abandon();
    UnloadAllForms();
}

void FrmMain::UnloadAllForms()
{
    // Nothing is saved: an unsaved playlist goes with the window.
    for (QWidget *window : m_forms->loaded()) {
        if (window != this)
            window->close();
    }
}

void FrmMain::sendDropped(const QList<QUrl> &urls)
{
    const DroppedFiles files =
        sortDroppedFiles(urls, QDir::fromNativeSeparators(m_controls.lettre->text()));
    if (files.toSend.isEmpty())
        return;
    // Started once the drop is over, as the drag still holds the mouse.
    QMetaObject::invokeMethod(
        this, [this, files] { startSend(-1, files.toSend, files.entriesBefore); },
        Qt::QueuedConnection);
}

void FrmMain::startSend(int position, const QStringList &paths, const QList<int> &entriesBefore)
{
    MusicSend::Then then;
    if (position >= 0) {
        then = [this, position, paths, entriesBefore](const QList<SentTrack> &tracks) {
            insertSent(position, paths, entriesBefore, tracks);
        };
    }
    m_send->start(paths, {}, then);
}

void FrmMain::insertSent(int position, const QStringList &paths, const QList<int> &entriesBefore,
                         const QList<SentTrack> &tracks)
{
    // The tracks come in the order of the paths, a folder's tracks being
    // the files below it; each path's go where it was dropped.
    QList<std::pair<int, QStringList>> groups;
    int track = 0;
    int inserted = 0;
    for (int i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        QStringList entries;
        for (; track < tracks.size() && folderpath::isWithin(tracks.at(track).source, path);
             ++track) {
            if (!tracks.at(track).entry.isEmpty())
                entries.append(tracks.at(track).entry);
        }
        groups.append({position + entriesBefore.at(i) + inserted, entries});
        inserted += int(entries.size());
    }
    m_editing->insertEntries(groups);
}

void FrmMain::refreshTrackLists()
{
    // A new drive root empties a folder list, so opening its folder again
    // reads it afresh, new folders included, and its track list follows.
    for (DirListBox *folders :
         {m_controls.tracks.Dir1,
          m_forms->loadedBrowser() ? m_forms->loadedBrowser()->Dir1 : nullptr}) {
        if (!folders || folders->driveRoot().isEmpty())
            continue;
        const QString path = folders->path();
        folders->setDriveRoot(folders->driveRoot());
        folders->setPath(path);
    }
}

void FrmMain::explore_Click()
{
    // Only a desktop without any file manager is reported: what a file manager
    // makes of the drive is its own business.
    const QString root = QDir::fromNativeSeparators(m_controls.lettre->text());
    if (!m_services.shell->explore(windowHandle(), root))
        warn(texts::noFileManager, QDir::toNativeSeparators(root));
}

void FrmMain::keep_Click()
{
    // The PSP is opened here, as a send opens it; the dialog reads it in the
    // background.
    auto *dialog =
        new KeepDialog(this, LanguageFlag(*m_controls.Text2).language(), m_psp->openInUse(),
                       QDir::toNativeSeparators(m_controls.lettre->text()));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &KeepDialog::syncRequested, this,
            [this](const QString &identity) { m_sync->start(m_psp->openInUse(), identity); });
    dialog->show();
}

void FrmMain::syncPsp(bool whenPlugged)
{
    std::shared_ptr<const VolumeRoot> volume = m_psp->openInUse();
    if (!volume)
        return;
    // The identity is on the PSP: read off this thread. One that arrives is
    // only read: a PSP that never kept a list gets nothing written on it. The
    // volume is let go with the reading, and opened again to sync.
    background::run(
        this,
        [volume = std::move(volume), whenPlugged]() mutable {
            const QString identity = whenPlugged ? sendrecord::keptIdentity(*volume)
                                                 : sendrecord::volumeIdentity(*volume);
            volume.reset();
            return identity;
        },
        [this, whenPlugged](const QString &identity) {
            if (identity.isEmpty()) {
                if (!whenPlugged)
                    messagebox::warn(
                        this, texts::keepNoIdentity.in(LanguageFlag(*m_controls.Text2).language()));
                return;
            }
            if (!whenPlugged || synclist::load(identity).syncWhenPluggedIn)
                m_sync->start(m_psp->openInUse(), identity, whenPlugged);
        });
}

void FrmMain::about_Click()
{
    FrmAbout &dialog = m_forms->frmAbout();
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

bool FrmMain::OpenBrowser(const QString &address)
{
    QString target = address;
    if (!target.startsWith(QStringLiteral("http"), Qt::CaseInsensitive))
        target.prepend(QStringLiteral("http://"));
    const bool opened = m_services.shell->open(target);
    if (!opened)
        qCWarning(lcShell) << "the desktop did not open" << target;
    return opened;
}
