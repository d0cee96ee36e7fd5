#include "app/frmmain.h"

#include "about/frmabout.h"
#include "app/button.h"
#include "app/design.h"
#include "app/dirlistbox.h"
#include "app/filelistbox.h"
#include "app/filemove.h"
#include "app/languagecode.h"
#include "app/listbox.h"
#include "app/textbox.h"
#include "app/version.h"
#include "browser/filebrowse.h"
#include "playlist/playlistdeletion.h"
#include "playlist/playlistediting.h"
#include "playlist/playlistfiles.h"
#include "playlist/typingerror.h"
#include "psp/pspconnection.h"
#include "psp/tracklibrary.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int clientWidth = 9270;
constexpr int clientHeight = 5250;

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
    auto *label = place(new QLabel(parent), geometry);
    label->setPixmap(QPixmap(resource));
    return label;
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
    // Each subsystem wires its own handlers to the controls it reacts to.
    new PspConnection(*this);
    new TrackLibrary(*this);
    new PlaylistEditing(*this);
    new PlaylistFiles(*this);
    new PlaylistDeletion(*this);
    // The frame is fixed: the window is exactly its client area and menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();
}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(twips(clientWidth), twips(clientHeight));
    setCentralWidget(client);

    const QFont caption = designFont(QStringLiteral("Arial"), 8.25, Italic);

    // Created bottom first: later siblings are drawn above earlier ones.
    Image1 = picture(client, QStringLiteral(":/artwork/background.bmp"),
                     twipsRect(0, 0, clientWidth, clientHeight));
    Label1 =
        heading(client, texts::libraryHeading.design(), caption, twipsRect(360, 360, 2655, 255));
    Label2 =
        heading(client, texts::currentHeading.design(), caption, twipsRect(3240, 360, 2535, 255));
    Label3 =
        heading(client, texts::playlistsHeading.design(), caption, twipsRect(6240, 360, 2535, 255));
    Label4 = heading(client, texts::connectPrompt.design(),
                     designFont(QStringLiteral("Arial"), 14.25), twipsRect(2640, 2040, 3975, 375));
    Image2 =
        picture(client, QStringLiteral(":/artwork/psp-cover.jpg"), twipsRect(0, 0, 3150, 5250));
    Command2 = button(client, texts::moveUp.design(), 8.25, twipsRect(3240, 4440, 1335, 255));
    Command3 = button(client, texts::moveDown.design(), 8.25, twipsRect(4560, 4440, 1335, 255));
    music = place(new FileListBox(client), twipsRect(360, 1920, 2655, 2400));
    music->setFont(designFont(QStringLiteral("MS UI Gothic"), 8.25));
    Dir1 = place(new DirListBox(client), twipsRect(360, 600, 2655, 1215));
    Dir1->setFont(designFont(QStringLiteral("Verdana"), 8.25));
    List1 = place(new ListBox(client), twipsRect(3240, 960, 2655, 3375));
    Text1 = place(new TextBox(texts::defaultPlaylistName.in(Language::French), client),
                  twipsRect(3240, 600, 2655, 285));
    Text1->setFont(designFont(QStringLiteral("Segoe UI"), 8.25, Bold));
    File2 = place(new FileListBox(client), twipsRect(6240, 600, 2655, 3690));
    File2->setFont(designFont(QStringLiteral("Comic Sans MS"), 8.25));
    Command1 = button(client, texts::removeEntry.design(), 8.25, twipsRect(3240, 4680, 2655, 255));
    Command4 = button(client, texts::deletePlaylist.design(), 12, twipsRect(6240, 4440, 2655, 495));
    Command5 = button(client, texts::addAllTracks.design(), 8.25, twipsRect(360, 4440, 1335, 495));
    Command6 =
        button(client, texts::advancedBrowser.design(), 8.25, twipsRect(1680, 4440, 1335, 495));
    lettre = place(new QLineEdit(client), twipsRect(8640, 120, 495, 285));
    Text2 = place(new QLineEdit(client), twipsRect(8160, 120, 375, 285));

    Image1->show();
    Label4->show();

    const std::pair<QWidget *, const char *> names[] = {
        {Image1, "Image1"},     {Label1, "Label1"},     {Label2, "Label2"},
        {Label3, "Label3"},     {Label4, "Label4"},     {Image2, "Image2"},
        {Command2, "Command2"}, {Command3, "Command3"}, {music, "music"},
        {Dir1, "Dir1"},         {List1, "List1"},       {Text1, "Text1"},
        {File2, "File2"},       {Command1, "Command1"}, {Command4, "Command4"},
        {Command5, "Command5"}, {Command6, "Command6"}, {lettre, "lettre"},
        {Text2, "Text2"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));

    SysInfo1 = m_services.volumes.get();
    if (SysInfo1)
        SysInfo1->setObjectName(QStringLiteral("SysInfo1"));
}

void FrmMain::buildMenus()
{
    QMenuBar *menus = menuBar();
    file = menus->addMenu(texts::menuFile.in(Language::French));
    mnnew = file->addAction(texts::menuNew.in(Language::French));
    mnnew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    bar = file->addSeparator();
    save = file->addAction(texts::menuSave.in(Language::French));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    barre1 = menus->addAction(QStringLiteral("|"));
    barre1->setEnabled(false);
    explore = menus->addAction(texts::menuExplore.in(Language::French));
    barre2 = menus->addAction(QStringLiteral("|"));
    barre2->setEnabled(false);
    about = menus->addAction(texts::menuAbout.in(Language::French));

    file->setObjectName(QStringLiteral("file"));
    file->menuAction()->setObjectName(QStringLiteral("file"));
    const std::pair<QAction *, const char *> names[] = {
        {mnnew, "mnnew"},     {bar, "bar"},       {save, "save"},  {barre1, "barre1"},
        {explore, "explore"}, {barre2, "barre2"}, {about, "about"}};
    for (const auto &[action, name] : names)
        action->setObjectName(QLatin1String(name));

    connect(explore, &QAction::triggered, this, &FrmMain::explore_Click);
    connect(about, &QAction::triggered, this, &FrmMain::about_Click);
}

void FrmMain::setTabOrder()
{
    const QWidget *order[] = {music,    Dir1,     List1,    Text1,    File2,  Command1, Command2,
                              Command3, Command4, Command5, Command6, lettre, Text2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
}

void FrmMain::Form_Load()
{
    setWindowIcon(m_forms->frmAbout().windowIcon());

    save->setEnabled(false);
    mnnew->setEnabled(false);
    explore->setEnabled(false);
    file->menuAction()->setEnabled(false);

    InstallMoveHook(*this);

    const QString title = QStringLiteral("Zarvello v.") + version::numbers();
    if (isFrenchCode(GetSystemLanguageCode())) {
        setWindowTitle(title + texts::titleSuffix.in(Language::French));
        Text2->setText(flagOf(Language::French));
    } else {
        Text2->setText(flagOf(Language::English));
        setWindowTitle(title + texts::titleSuffix.in(Language::English));
        applyEnglishTexts();
    }
}

void FrmMain::applyEnglishTexts()
{
    const Language en = Language::English;
    Label4->setText(texts::connectPrompt.in(en));
    Text1->setText(texts::defaultPlaylistName.in(en));
    Label1->setText(texts::libraryHeading.in(en));
    Command5->setText(texts::addAllTracks.in(en));
    Command6->setText(texts::advancedBrowser.in(en));
    Label2->setText(texts::currentHeading.in(en));
    Command1->setText(texts::removeEntry.in(en));
    Command2->setText(texts::moveUp.in(en));
    Command3->setText(texts::moveDown.in(en));
    Label3->setText(texts::playlistsHeading.in(en));
    Command4->setText(texts::deletePlaylist.in(en));
    file->setTitle(texts::menuFile.in(en));
    mnnew->setText(texts::menuNew.in(en));
    save->setText(texts::menuSave.in(en));
    explore->setText(texts::menuExplore.in(en));
    about->setText(texts::menuAbout.in(en));
    m_forms->frmAbout().applyTexts();
    m_forms->filebrowse().applyTexts();
    m_forms->typingerror().applyTexts();
}

Language FrmMain::language() const
{
    // Before the load step has chosen, windows keep their design texts, which are French.
    return Text2->text().isEmpty() ? Language::French : languageFromFlag(Text2->text());
}

QString FrmMain::GetSystemLanguageCode() const
{
    return languageCode(m_services.systemDefaultLangId());
}

void FrmMain::showCentred()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, sizeHint(), screen).topLeft());
    show();
}

void FrmMain::PositionMediaBrowser()
{
    FileBrowse &browser = m_forms->filebrowse();
    browser.move(browser.x(), y() + twips(850));
    browser.move(x() - twips(3825), browser.y());
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void FrmMain::Form_Unload()
{
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
