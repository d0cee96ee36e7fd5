#include "controls/picture.h"

#include <QPixmap>
#include <utility>

Picture::Picture(const QString &resource, QWidget *parent) : QLabel(parent), m_resource(resource) {}

void Picture::showEvent(QShowEvent *event)
{
    if (!m_resource.isEmpty())
        setPixmap(QPixmap(std::exchange(m_resource, {})));
    QLabel::showEvent(event);
}
