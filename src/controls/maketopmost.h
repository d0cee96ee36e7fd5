#pragma once

class QWidget;

// Keeps a window above every other window, those of other programs included,
// without moving or resizing it.
void MakeTopmost(QWidget *window);
