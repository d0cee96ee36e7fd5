#pragma once

#include "core/texts.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// The end of a send or a sync: its report, with "Eject the PSP" beside OK.
// The eject runs off the interface thread, on threads the program waits for
// as it ends, so a PSP that leaves (and takes the window with it) is still
// powered off; a desktop notification then says it can be unplugged, or a
// message why it cannot. device is the PSP's, as VolumeRoot::device() names
// it; with none, the report comes alone.
void reportOfferingEject(QWidget &window, const QString &device, Language language,
                         const QString &text, const QStringList &lines, QMessageBox::Icon icon);

// What an eject that did not happen says to the user.
QString ejectFailureText(int kind, const QString &detail, Language language);
