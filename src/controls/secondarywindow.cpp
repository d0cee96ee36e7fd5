#include "controls/secondarywindow.h"

#include <QAccessibleWidget>

namespace {

constexpr char dialogProperty[] = "zarvelloReadAsDialog";

QAccessibleInterface *dialogAccessible(const QString &, QObject *object)
{
    auto *window = qobject_cast<QWidget *>(object);
    if (!window || !window->property(dialogProperty).toBool())
        return nullptr;
    return new QAccessibleWidget(window, QAccessible::Dialog);
}

} // namespace

void readAsDialog(QWidget &window)
{
    QAccessible::installFactory(dialogAccessible);
    window.setProperty(dialogProperty, true);
}
