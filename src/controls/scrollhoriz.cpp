#include "controls/scrollhoriz.h"

#include "controls/listbox.h"

#include <QStyle>

void UpdateHorizontalExtent(ListBox &list)
{
    if (list.count() == 0) {
        list.setHorizontalExtent(0);
        return;
    }
    const int scrollBar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    list.setHorizontalExtent(list.widestLineWidth() + scrollBar);
}
