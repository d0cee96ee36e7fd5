#pragma once

#include "core/texts.h"

#include <QLineEdit>

// The interface language flag, which the main window keeps in a hidden text
// box: every window and subsystem reads the language through this one type.
// It converts from the text box, so that the box can be handed on as it is.
class LanguageFlag
{
public:
    LanguageFlag(const QLineEdit &box) : m_box(&box) {} // NOLINT(google-explicit-constructor)

    Language language() const { return languageFromFlag(m_box->text()); }

private:
    const QLineEdit *m_box;
};
