#include "controls/design.h"

#include <QWidget>

QFont designFont(const QString &family, qreal points, int styles)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(styles & Bold);
    font.setItalic(styles & Italic);
    font.setUnderline(styles & Underline);
    return font;
}

Qt::WindowFlags fixedFrame(Qt::WindowType type)
{
    return type | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void centreOver(QWidget &window, const QWidget &owner)
{
    window.move(owner.frameGeometry().center() - window.rect().center());
}
