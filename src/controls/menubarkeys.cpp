#include "controls/menubarkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>

namespace {

// The window's own style, with the menu bar's keyboard navigation, which
// some styles leave out.
class KeyboardNavigation : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

void openFirstEntry(QMenuBar &bar)
{
    // The bar starts its keyboard navigation on a tap of Alt, and nothing
    // else starts it: F10 taps Alt for the user, unless the bar already has
    // the keyboard.
    if (!bar.hasFocus()) {
        QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(bar.window(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(bar.window(), &release);
    }
    for (QAction *entry : bar.actions()) {
        if (entry->isVisible() && entry->isEnabled() && !entry->isSeparator()) {
            bar.setActiveAction(entry);
            return;
        }
    }
}

} // namespace

void reachMenuBarByKeyboard(QMainWindow &window)
{
    QMenuBar *bar = window.menuBar();
    auto *navigation = new KeyboardNavigation;
    navigation->setParent(bar);
    bar->setStyle(navigation);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    QObject::connect(f10, &QShortcut::activated, bar, [bar] { openFirstEntry(*bar); });
}
