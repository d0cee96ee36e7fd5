#pragma once

#include "controls/languageflag.h"
#include "controls/secondarywindow.h"

class ClickableLabel;
class QLabel;

// The About dialog: title, version, description, the maker and the maker's
// web page. It carries the program's icon (programIcon), which the other
// windows copy.
class FrmAbout : public SecondaryWindow<QWidget>
{
    Q_OBJECT
public:
    // The program's icon, the dialog's own, read without making the dialog.
    static QIcon programIcon();

    FrmAbout(QWidget &owner, LanguageFlag languageFlag, const QIcon &icon);

    void Form_Load() override;
    void applyTexts() override;

    QLabel *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    ClickableLabel *Label2 = nullptr;
    QLabel *Image2 = nullptr;

Q_SIGNALS:
    // The web page address was clicked; opening it is the desktop's business.
    void addressClicked(const QString &address);

private:
    void Label2_Click();
};
