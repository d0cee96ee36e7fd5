#pragma once

#include <QLineEdit>

// A one-line text box that also reports mouse clicks, the keyboard focus
// coming in however it came, and its loss to another control of its window,
// which the name box reacts to.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

Q_SIGNALS:
    void clicked();
    void focusEntered();
    void lostFocus();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
