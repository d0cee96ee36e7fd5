#include "playlist/typingerror.h"

#include "controls/button.h"
#include "controls/design.h"
#include "controls/maketopmost.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel *wrappedLabel(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = designLabel(new QLabel(parent), name, geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

TypingError::TypingError(QWidget &owner, LanguageFlag languageFlag)
    : SecondaryWindow(owner, languageFlag, Qt::Dialog, QStringLiteral("typingerror"))
{
    setFixedSize(twips(2775), twips(2175));
    setFont(designFont(QStringLiteral("MS Sans Serif")));
    setWindowTitle(texts::nameErrorTitle.builtIn());

    OKButton = new Button(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(0, 1800, 2775, 375));
    OKButton->setDefault(true);
    Label1 = wrappedLabel(this, "Label1", twipsRect(120, 120, 2535, 495));
    Label1->setText(texts::nameErrorCharacters.builtIn());
    // The refused characters as text rather than a picture: sharp at any
    // scale, in the palette's text colour, and read out by screen readers
    // under their names.
    Image1 = new QLabel(QStringLiteral("\\ / : * ? \" < > |"), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(600, 720, 1500, 300));
    Image1->setTextFormat(Qt::PlainText);
    Image1->setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, Bold));
    Label2 = wrappedLabel(this, "Label2", twipsRect(120, 1200, 2535, 375));
    Label2->setText(texts::nameErrorBlank.builtIn());

    connect(OKButton, &QPushButton::clicked, this, &TypingError::OKButton_Click);
}

void TypingError::Form_Load()
{
    MakeTopmost(this);
    setWindowIcon(owner().windowIcon());
}

void TypingError::applyTexts()
{
    const Language interface = language();
    setWindowTitle(texts::nameErrorTitle.in(interface));
    Label1->setText(texts::nameErrorCharacters.in(interface));
    Label2->setText(texts::nameErrorBlank.in(interface));
    Image1->setAccessibleName(texts::forbiddenCharacterNames.in(interface));
}

void TypingError::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        SecondaryWindow::keyPressEvent(event);
}

void TypingError::OKButton_Click()
{
    close();
}
