#pragma once

class ListBox;

// Lets the list scroll sideways far enough to show its widest line in full,
// plus the width of a vertical scroll bar; an empty list does not scroll
// sideways. Called after lines are appended or a playlist is opened, and only
// then: removing the widest line keeps the old range until the next call.
void UpdateHorizontalExtent(ListBox &list);
