#include "controls/maketopmost.h"

#include <QWidget>

void MakeTopmost(QWidget *window)
{
    // Changing a window's flags hides it; put a shown window back where it was.
    const bool shown = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown) {
        window->setGeometry(geometry);
        window->show();
    }
}
