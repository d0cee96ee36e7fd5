#include "psp/pspconnection.h"

#include "app/dirlistbox.h"
#include "app/filelistbox.h"
#include "app/frmmain.h"
#include "app/listbox.h"
#include "app/messagebox.h"
#include "app/textbox.h"
#include "psp/storagelayout.h"
#include "psp/unitmask.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

PspConnection::PspConnection(FrmMain &main) : QObject(&main), m_main(main)
{
    if (main.SysInfo1) {
        connect(main.SysInfo1, &VolumeNotifier::deviceArrival, this,
                &PspConnection::SysInfo1_DeviceArrival);
        connect(main.SysInfo1, &VolumeNotifier::deviceRemoveComplete, this,
                &PspConnection::SysInfo1_DeviceRemoveComplete);
    }
}

void PspConnection::SysInfo1_DeviceArrival(int deviceType, int deviceId, const QString &deviceName,
                                           int deviceData)
{
    if (deviceType != VolumeNotifier::volumeDeviceType || deviceData != 0)
        return;
    // Several drives in one notification name no drive: nothing to look at.
    const QString root = volumeRoot(deviceId, deviceName);
    if (root.isEmpty())
        return;

    const StorageLayout layout(root);
    if (!entryExists(layout.pspMarker())) {
        messagebox::show(&m_main, texts::notAPsp.design(), QString());
        return;
    }

    m_main.lettre->setText(QDir::toNativeSeparators(layout.root()));
    showConnectedLayout();
    m_main.music->setPattern(audioFilePatterns());
    m_main.File2->setPattern(playlistFilePattern());
    createMissingFolders(layout);

    m_main.music->setPath(layout.musicFolder());
    m_main.Dir1->setDriveRoot(layout.root());
    m_main.Dir1->setPath(layout.musicFolder());
    m_main.File2->setPath(layout.playlistFolder());
}

void PspConnection::showConnectedLayout()
{
    m_main.Label4->hide();
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_main.Dir1, m_main.music, m_main.Command5, m_main.Label1, m_main.Label2, m_main.Text1,
             m_main.List1, m_main.Command1, m_main.Command2, m_main.Command3, m_main.Label3,
             m_main.File2, m_main.Command4})
        control->show();
    m_main.save->setEnabled(true);
    m_main.mnnew->setEnabled(true);
    m_main.Command6->show();
    m_main.explore->setEnabled(true);
    m_main.file->menuAction()->setEnabled(true);
}

void PspConnection::createMissingFolders(const StorageLayout &layout)
{
    // Parents come first, so once one folder is missing its children cannot
    // be made either: one message names the folder in the way.
    for (const QString &folder : layout.requiredFolders()) {
        const QFileInfo info(folder);
        const Phrase *problem = nullptr;
        if (info.exists() && !info.isDir())
            problem = &texts::folderIsAFile;
        else if (!info.exists() && !QDir().mkdir(folder))
            problem = &texts::folderNotCreated;
        if (problem) {
            messagebox::show(&m_main,
                             problem->in(m_main.language()).arg(QDir::toNativeSeparators(folder)),
                             QString(), QMessageBox::Ok, QMessageBox::Warning);
            return;
        }
    }
}

void PspConnection::SysInfo1_DeviceRemoveComplete(int deviceType, int deviceId,
                                                  const QString &deviceName, int deviceData)
{
    Q_UNUSED(deviceData);
    // Only the PSP in use going away ends the program: another drive leaving
    // must not throw away the playlist being edited.
    const QString inUse = QDir::fromNativeSeparators(m_main.lettre->text());
    if (deviceType != VolumeNotifier::volumeDeviceType || inUse.isEmpty())
        return;
    if (notificationNamesVolume(deviceId, deviceName, inUse))
        m_main.close();
}
