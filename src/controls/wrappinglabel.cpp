#include "controls/wrappinglabel.h"

#include <QLabel>

QLabel *wrappingLabel(QWidget *parent, int minimumWidth)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    label->setMinimumWidth(minimumWidth);
    return label;
}
