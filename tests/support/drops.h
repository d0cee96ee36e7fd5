#pragma once

class ListBox;
class QMimeData;

// Drags data over a list and drops it above the line at position, or below
// the last line from count() on, as the pointer would: entering, moving,
// letting go. True when the list took the drop.
bool dropOn(ListBox &list, const QMimeData &data, int position);
