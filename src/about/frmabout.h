#pragma once

#include <QLabel>
#include <QWidget>

class FrmMain;

// A label that reports a click of the left mouse button.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The About dialog: title, version, description, the maker and the maker's
// web page. It carries the program's icon, which the other windows copy.
class FrmAbout : public QWidget
{
    Q_OBJECT
public:
    explicit FrmAbout(FrmMain &main);

    void Form_Load();
    // Caption and description in the interface language.
    void applyTexts();

    QLabel *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    ClickableLabel *Label2 = nullptr;
    QLabel *Image2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Label2_Click();

    FrmMain &m_main;
    bool m_placed = false;
};
