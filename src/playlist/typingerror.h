#pragma once

#include <QWidget>

class FrmMain;
class QLabel;
class QPushButton;

// The dialog that a refused playlist name brings up: which characters a name
// cannot hold, and that it cannot be blank.
class TypingError : public QWidget
{
    Q_OBJECT
public:
    explicit TypingError(FrmMain &main);

    void Form_Load();
    // Caption and labels in the interface language.
    void applyTexts();

    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *OKButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OKButton_Click();

    FrmMain &m_main;
    bool m_placed = false;
};
