#include "controls/menubarkeys.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
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

constexpr char dividerProperty[] = "zarvelloMenuBarDivider";

// A divider as screen readers see it: a separator of the menu bar, with no
// text and nothing to do.
class DividerAccessible final : public QAccessibleInterface
{
public:
    DividerAccessible(QMenuBar *bar, QAction *divider) : m_bar(bar), m_divider(divider) {}

    bool isValid() const override { return m_bar && m_divider; }
    QObject *object() const override { return m_divider; }
    QWindow *window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_bar);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect area = m_bar->actionGeometry(m_divider);
        return QRect(m_bar->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::Role role() const override { return QAccessible::Separator; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !isValid() || !m_bar->isVisible();
        return state;
    }

private:
    QPointer<QMenuBar> m_bar;
    QPointer<QAction> m_divider;
};

QAccessibleInterface *dividerAccessible(const QString &, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    auto *bar = action ? action->property(dividerProperty).value<QMenuBar *>() : nullptr;
    return bar ? new DividerAccessible(bar, action) : nullptr;
}

} // namespace

QAction *addMenuBarDivider(QMenuBar &bar)
{
    QAccessible::installFactory(dividerAccessible);
    QAction *divider = bar.addAction(QStringLiteral("|"));
    divider->setEnabled(false);
    divider->setProperty(dividerProperty, QVariant::fromValue(&bar));
    return divider;
}

void reachMenuBarByKeyboard(QMainWindow &window)
{
    QMenuBar *bar = window.menuBar();
    auto *navigation = new KeyboardNavigation;
    navigation->setParent(bar);
    bar->setStyle(navigation);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    QObject::connect(f10, &QShortcut::activated, bar, [bar] { openFirstEntry(*bar); });
}
