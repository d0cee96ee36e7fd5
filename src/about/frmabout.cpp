#include "about/frmabout.h"

#include "controls/clickablelabel.h"
#include "controls/design.h"
#include "controls/maketopmost.h"
#include "core/version.h"

#include <QDir>

namespace {

template <class Label>
Label *label(QWidget *parent, const char *name, const QRect &geometry, const QColor &colour)
{
    auto *control = designLabel(new Label(parent), name, geometry);
    setTextColour(control, colour);
    return control;
}

} // namespace

QIcon FrmAbout::programIcon()
{
    // Every size the build compiled in, so that title bars and task switchers
    // each get a sharp picture.
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &file : icons.entryList({QStringLiteral("zarvello-*.png")}))
        icon.addFile(icons.filePath(file));
    return icon;
}

FrmAbout::FrmAbout(QWidget &owner, LanguageFlag languageFlag, const QIcon &icon)
    : SecondaryWindow(owner, languageFlag, Qt::Dialog, QStringLiteral("frmAbout"))
{
    setFixedSize(twips(4215), twips(1695));
    setFont(designFont(QStringLiteral("MS Sans Serif")));
    // The texts' fixed colours were chosen for a light grey dialog colour:
    // that background comes with them, so that a dark desktop palette does
    // not put them on black.
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    light.setColor(QPalette::WindowText, Qt::black);
    setPalette(light);
    setWindowIcon(icon);
    setWindowTitle(texts::aboutTitlePrefix.builtIn() + version::applicationTitle());

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(120, 120, 705, 705));
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/artwork/about-photo.jpg")));

    lblTitle = label<QLabel>(this, "lblTitle", twipsRect(960, 120, 3885, 345), Qt::black);
    lblTitle->setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, Bold));
    lblVersion = label<QLabel>(this, "lblVersion", twipsRect(1080, 360, 1725, 225), Qt::blue);
    // As wide as the dialog leaves it, for fonts a little wider than MS Sans Serif.
    lblDescription =
        label<QLabel>(this, "lblDescription", twipsRect(960, 720, 3255, 210), Qt::black);

    Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(twips(120), twips(960), twips(4080) - twips(120) + 1, 1);
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, palette().color(QPalette::WindowText));
    Line1->setPalette(linePalette);

    Label1 = label<QLabel>(this, "Label1", twipsRect(120, 1080, 3375, 255), QColor(255, 0, 0));
    Label1->setFont(designFont(QStringLiteral("Century")));
    Label1->setText(QStringLiteral("Made with care by the Zarvello team"));

    Label2 =
        label<ClickableLabel>(this, "Label2", twipsRect(720, 1320, 3615, 255), QColor(0, 0, 64));
    Label2->setFont(designFont(QStringLiteral("Courier New"), 8.25, Underline));
    Label2->setText(QStringLiteral("www.example.org/zarvello"));
    Label2->setCursor(QCursor(QPixmap(QStringLiteral(":/artwork/link-pointer.png")), 0, 0));
    connect(Label2, &ClickableLabel::clicked, this, &FrmAbout::Label2_Click);

    // Drawn at its natural size; the top lies above the client area and is cut off.
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(twips(3240), twips(-120), 50, 50);
    Image2->setPixmap(QPixmap(QStringLiteral(":/artwork/about-console.gif")));
}

void FrmAbout::Form_Load()
{
    MakeTopmost(this);
    applyTexts();
    lblVersion->setText(QStringLiteral("Version ") + version::numbers());
    lblTitle->setText(version::applicationTitle());
}

void FrmAbout::applyTexts()
{
    const Language interface = language();
    setWindowTitle(texts::aboutTitlePrefix.in(interface) + version::applicationTitle());
    lblDescription->setText(texts::aboutDescription.in(interface));
}

void FrmAbout::Label2_Click()
{
    Q_EMIT addressClicked(Label2->text());
}
