#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines when it is wider than
// the button, as the main window's narrow two-line buttons need. Enter
// presses it when it has the focus, as Space does, in any window.
class Button : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // Where the caption is drawn; a caption wider than it wraps there.
    QRect captionArea() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
