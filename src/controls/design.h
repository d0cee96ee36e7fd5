#pragma once

#include <QFont>
#include <QRect>
#include <QtMath>

class QWidget;
class QColor;

// The units the windows are laid out in: positions and sizes in twips, 15 to a pixel;
// Windows fonts in points; fixed frames.

constexpr int twipsPerPixel = 15;

inline int twips(int value)
{
    return qRound(double(value) / twipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

enum FontStyle
{
    Regular = 0,
    Bold = 1,
    Italic = 2,
    Underline = 4,
};

// A Windows font by family, size in points and styles (FontStyle bits).
QFont designFont(const QString &family, qreal points = 8.25, int styles = Regular);

// Gives a control its font the first time it is shown. A text box or a tree
// lays its text out again for a new font, which loads the font: for the ones
// a window starts with hidden, and may never show, that cost waits.
void setFontWhenShown(QWidget *control, const QFont &font);

// The frame of a window that cannot be resized: a title and a close box, no
// minimise or maximise box.
Qt::WindowFlags fixedFrame(Qt::WindowType type);

// A label of a designed window, named and placed, showing its text as plain
// text.
template <class Label> Label *designLabel(Label *label, const char *name, const QRect &geometry)
{
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Draws a widget's text in the given colour.
void setTextColour(QWidget *widget, const QColor &colour);

// The contrast between two colours, from 1 (none) to 21 (black on white),
// as accessibility guidelines measure it.
double contrastRatio(const QColor &a, const QColor &b);

// A text colour between the text and the background, for text that should
// look subdued, that still contrasts with the background at least 4.5 to 1,
// the least that normal text needs to stay readable.
QColor mutedTextColour(const QColor &text, const QColor &background);

// Centres a window over another one.
void centreOver(QWidget &window, const QWidget &owner);
