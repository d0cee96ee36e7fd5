#pragma once

#include "controls/design.h"
#include "controls/languageflag.h"
#include "core/texts.h"

#include <QLineEdit>
#include <QWidget>

// What the program's secondary windows (About, the advanced browser, the name
// error dialog) have in common. They have no parent, so that each keeps its
// own place on the desktop, but they belong to the main window: they speak the
// language its flag holds, apply their texts each time they are shown (the
// flag may be set after they were made), and are placed relative to it.
// Tells screen readers that a window is a dialog, as a plain window would be
// read as a filler.
void readAsDialog(QWidget &window);

template <class Base> class SecondaryWindow : public Base
{
public:
    SecondaryWindow(QWidget &owner, LanguageFlag languageFlag, Qt::WindowType type,
                    const QString &objectName)
        : Base(nullptr, fixedFrame(type)), m_owner(owner), m_languageFlag(languageFlag)
    {
        this->setObjectName(objectName);
        if (type == Qt::Dialog)
            readAsDialog(*this);
    }

    // Runs once, right after the window is made and before it is first shown.
    virtual void Form_Load() = 0;
    // Caption and texts in the interface language.
    virtual void applyTexts() = 0;

protected:
    QWidget &owner() const { return m_owner; }
    Language language() const { return m_languageFlag.language(); }

    // Dialogs open centred over the main window, where the user is looking,
    // the first time they are shown; later showings keep where they were.
    virtual void placeWhenShown()
    {
        if (!m_placed) {
            m_placed = true;
            centreOver(*this, m_owner);
        }
    }

    void showEvent(QShowEvent *event) override
    {
        applyTexts();
        Base::showEvent(event);
        placeWhenShown();
    }

private:
    QWidget &m_owner;
    LanguageFlag m_languageFlag;
    bool m_placed = false;
};
