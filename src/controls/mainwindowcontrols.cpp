#include "controls/mainwindowcontrols.h"

#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/textbox.h"

#include <QLabel>
#include <QPushButton>

QList<QWidget *> TrackPanel::controls() const
{
    return {Label1, Dir1, music, Command5, Command6};
}

QList<QWidget *> PlaylistPanel::controls() const
{
    return {Label2, Text1, List1, Command1, Command2, Command3};
}

QList<QWidget *> SavedPanel::controls() const
{
    return {Label3, File2, Command4};
}
