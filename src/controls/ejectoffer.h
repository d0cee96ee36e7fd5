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

// The end of a sync the user did not start, while the window is not looked
// at: a desktop notification, offering "Eject the PSP" where the desktop
// shows actions; the report, with the same offer, where it shows none.
void notifyOfferingEject(QWidget &window, const QString &device, Language language,
                         const QString &title, const QString &text);
