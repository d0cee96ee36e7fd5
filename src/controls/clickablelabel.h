#pragma once

#include <QLabel>

// A label that reports a click of the left mouse button. It is a link for the
// keyboard too: it takes the focus, showing the focus mark around its text,
// and Enter or Space follow it as a click does; screen readers see a link
// that can be pressed.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent = nullptr);

    // Follows the label, as a click does.
    void click();

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
