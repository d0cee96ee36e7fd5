#pragma once

class QAction;
class QMainWindow;
class QMenuBar;

// Lets the keyboard reach a window's menu bar also where its entries have no
// access keys. A tap of Alt enters the bar's keyboard navigation, and so does
// F10, which also opens the first entry that can be used, as desktops expect:
// a menu drops down, a command is highlighted. Arrows then move along the
// bar, Enter chooses and Escape goes back to where the focus was.
void reachMenuBarByKeyboard(QMainWindow &window);

// Adds a greyed "|" that divides a menu bar. Screen readers are told it is a
// separator, not an item that cannot be used.
QAction *addMenuBarDivider(QMenuBar &bar);
