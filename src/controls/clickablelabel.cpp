#include "controls/clickablelabel.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(ClickableLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override
    {
        const QString given = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && given.isEmpty())
            return label()->text();
        return given;
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction())
            label()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    ClickableLabel *label() const { return static_cast<ClickableLabel *>(widget()); }
};

QAccessibleInterface *linkAccessible(const QString &, QObject *object)
{
    auto *label = qobject_cast<ClickableLabel *>(object);
    return label ? new LinkAccessible(label) : nullptr;
}

void installLinkAccessible()
{
    QAccessible::installFactory(linkAccessible);
}

} // namespace

// Once, as the application starts, rather than on every label made.
Q_COREAPP_STARTUP_FUNCTION(installLinkAccessible)

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ClickableLabel::click()
{
    Q_EMIT clicked();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

void ClickableLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        click();
        event->accept();
    } else {
        QLabel::keyPressEvent(event);
    }
}

void ClickableLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    // Shown however the focus came, not only after keyboard moves as some
    // styles would: a link that Enter follows must never look unfocused.
    focus.state |= QStyle::State_KeyboardFocusChange;
    const QSize extent = fontMetrics().size(Qt::TextSingleLine, text()) + QSize(4, 2);
    focus.rect =
        QStyle::alignedRect(layoutDirection(), alignment(), extent, contentsRect()) & rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}
