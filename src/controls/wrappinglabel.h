#pragma once

class QLabel;
class QWidget;

// A label of plain text that wraps, at least minimumWidth wide, and whose
// text can be selected and copied from the keyboard or the mouse, as a
// dialog's sentences are.
QLabel *wrappingLabel(QWidget *parent, int minimumWidth = 360);
