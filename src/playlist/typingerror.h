#pragma once

#include "controls/languageflag.h"
#include "controls/secondarywindow.h"

class QLabel;
class QPushButton;

// The dialog that a refused playlist name brings up: which characters a name
// cannot hold, and that it cannot be blank.
class TypingError : public SecondaryWindow<QWidget>
{
    Q_OBJECT
public:
    TypingError(QWidget &owner, LanguageFlag languageFlag);

    void Form_Load() override;
    void applyTexts() override;

    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *OKButton = nullptr;

protected:
    // Escape closes it, as OK does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OKButton_Click();
};
