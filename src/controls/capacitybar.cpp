#include "controls/capacitybar.h"

#include <algorithm>
#include <QPainter>

CapacityBar::CapacityBar(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void CapacityBar::setSpace(qint64 total, qint64 freeNow, qint64 freed, qint64 added)
{
    m_total = total;
    m_freeNow = freeNow;
    m_freed = freed;
    m_added = added;
    update();
}

QSize CapacityBar::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height()};
}

QString capacityText(qint64 total, qint64 freeNow, qint64 freeAfter, Language language)
{
    if (total < 0 || freeNow < 0)
        return {};
    const QString now =
        texts::spaceNow.in(language).arg(sizeText(total - freeNow, language),
                                         sizeText(freeNow, language), sizeText(total, language));
    const QString after = freeAfter >= 0
                              ? texts::spaceAfter.in(language).arg(sizeText(freeAfter, language))
                              : texts::spaceShort.in(language).arg(sizeText(-freeAfter, language));
    return now + u' ' + after;
}

void CapacityBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(frame);
    if (m_total <= 0 || m_freeNow < 0)
        return;
    // What will not fit stretches the scale, so that it shows past the end.
    const qint64 stays = std::max<qint64>(0, m_total - m_freeNow - m_freed);
    const qint64 scale = std::max(m_total, stays + m_added);
    const QRect inside = frame.adjusted(1, 1, 0, 0);
    const auto x = [&](qint64 bytes) {
        return inside.left() + int(double(inside.width()) * double(bytes) / double(scale));
    };
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Dark));
    painter.drawRect(QRect(QPoint(x(0), inside.top()), QPoint(x(stays), inside.bottom())));
    const qint64 fits = std::min(stays + m_added, m_total);
    painter.setBrush(palette().color(QPalette::Highlight));
    painter.drawRect(QRect(QPoint(x(stays), inside.top()), QPoint(x(fits), inside.bottom())));
    if (stays + m_added > m_total) {
        painter.setBrush(QColor(200, 0, 0));
        painter.drawRect(
            QRect(QPoint(x(m_total), inside.top()), QPoint(x(stays + m_added), inside.bottom())));
    }
}
