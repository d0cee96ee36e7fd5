#include "psp/pspconnection.h"

#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/languageflag.h"
#include "controls/messagebox.h"
#include "core/folderpath.h"
#include "core/storagelayout.h"
#include "core/texts.h"
#include "core/unitmask.h"
#include "platform/volumenotifier.h"
#include "transfer/sendtrack.h"

#include <algorithm>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <utility>

PspConnection::PspConnection(QWidget &window, const MainWindowControls &controls,
                             VolumeNotifier &SysInfo1)
    : QObject(&window), m_window(window), m_controls(controls), m_volumes(SysInfo1)
{
    connect(&SysInfo1, &VolumeNotifier::deviceArrival, this,
            &PspConnection::SysInfo1_DeviceArrival);
    connect(&SysInfo1, &VolumeNotifier::deviceRemoveComplete, this,
            &PspConnection::SysInfo1_DeviceRemoveComplete);
}

void PspConnection::SysInfo1_DeviceArrival(int deviceType, int deviceId, const QString &deviceName,
                                           int deviceData)
{
    if (deviceType != VolumeNotifier::volumeDeviceType || deviceData != 0)
        return;
    // Several drives in one notification name no drive: nothing to look at.
    const QString root = volumeRootPath(deviceId, deviceName);
    if (root.isEmpty())
        return;

    // The volume is looked at and changed through one handle on it, so that
    // nothing lands in the folder it was mounted on if it leaves meanwhile.
    // Gone already, it is passed over quietly: its removal follows.
    std::unique_ptr<VolumeRoot> volume = m_volumes.openVolume(root);
    if (volume)
        usePsp(root, root, false, std::move(volume));
}

void PspConnection::usePsp(const QString &root, const QString &holder, bool named,
                           std::unique_ptr<VolumeRoot> volume)
{
    // The handle is let go before any box waits, so that ejecting finds it free.
    const VolumeSetup setup = setUpVolume(*volume);
    // What a send left when the PSP was pulled out in the middle.
    if (setup.isPsp)
        removeSendLeftoversLater(std::move(volume), setup.musicFolder);
    volume.reset();
    if (!setup.isPsp) {
        // A folder named may come from another program, as often as it likes:
        // said in the notice, which waits for nothing.
        if (named)
            messagebox::notify(m_window, texts::notAPsp.builtIn(), QMessageBox::NoIcon);
        else
            showOnce(m_notAPspOpen, texts::notAPsp.builtIn(), QMessageBox::NoIcon);
        return;
    }

    const TrackPanel &tracks = m_controls.tracks;
    m_controls.lettre->setText(QDir::toNativeSeparators(root));
    m_holder = holder;
    m_named = named;
    showConnectedLayout();
    tracks.music->setPattern(audioFilePatterns());
    m_controls.saved.File2->setPattern(playlistFilePattern());
    // A new drive root empties the folder list, so opening the music folder
    // always changes it, and the track list follows it: one listing. Where
    // something else is in the music folder's way, the drive root is shown.
    const bool musicIsFolder =
        std::none_of(setup.problems.cbegin(), setup.problems.cend(),
                     [&setup](const FolderProblem &p) { return p.folder == setup.musicFolder; });
    tracks.Dir1->setDriveRoot(root);
    tracks.Dir1->setPath(musicIsFolder ? folderpath::join(root, setup.musicFolder) : root);
    // Without a playlist folder of its own the PSP's playlists list nothing.
    m_controls.saved.File2->setPath(
        setup.hasPlaylistFolder ? folderpath::join(root, setup.playlistFolder) : QString());
    Q_EMIT pspInUse(root);
    // Last, as a later arrival may be handled while the box is open.
    reportFolderProblems(root, setup);
}

void PspConnection::showConnectedLayout()
{
    m_controls.Label4->hide();
    for (const QList<QWidget *> &panel :
         {m_controls.tracks.controls(), m_controls.playlist.controls(),
          m_controls.saved.controls()}) {
        for (QWidget *control : panel)
            control->show();
    }
    const MainMenus &menus = m_controls.menus;
    menus.save->setEnabled(true);
    menus.mnnew->setEnabled(true);
    menus.explore->setEnabled(true);
    menus.file->menuAction()->setEnabled(true);
}

void PspConnection::reportFolderProblems(const QString &root, const VolumeSetup &setup)
{
    const Language language = LanguageFlag(*m_controls.Text2).language();
    QStringList paragraphs;
    for (const FolderProblem &problem : setup.problems) {
        const Phrase &phrase = problem.isAFile ? texts::folderIsAFile : texts::folderNotCreated;
        paragraphs.append(phrase.in(language).arg(
            QDir::toNativeSeparators(folderpath::join(root, problem.folder))));
    }
    const QString problems = paragraphs.join(u"\n\n");
    // A folder named, as another program may: in the notice.
    if (m_named) {
        if (!problems.isEmpty())
            messagebox::notify(m_window, problems);
        return;
    }
    // The problems told are those of the PSP in use: one that comes into use
    // while a box is open is told once that box is closed, unless the box
    // says the same already.
    m_unreportedProblems = problems == m_problemsShown ? QString() : problems;
    if (!m_problemsShown.isEmpty())
        return;
    while (!m_unreportedProblems.isEmpty()) {
        m_problemsShown = std::exchange(m_unreportedProblems, {});
        messagebox::warn(&m_window, m_problemsShown);
    }
    m_problemsShown.clear();
}

void PspConnection::showOnce(bool &open, const QString &text, QMessageBox::Icon icon)
{
    if (open)
        return;
    open = true;
    messagebox::show(&m_window, text, QString(), QMessageBox::Ok, icon);
    open = false;
}

std::unique_ptr<VolumeRoot> PspConnection::openInUse() const
{
    const QString root = QDir::fromNativeSeparators(m_controls.lettre->text());
    if (root.isEmpty())
        return nullptr;
    return m_named ? m_volumes.openFolder(root).root : m_volumes.openVolume(root);
}

void PspConnection::connectFolder(const QString &folder)
{
    const QFileInfo info(folder);
    VolumeNotifier::OpenedFolder opened;
    // Removals name a volume by its real path; so must the PSP in use for
    // its unplugging to be noticed.
    if (info.isDir())
        opened = m_volumes.openFolder(info.canonicalFilePath());
    if (opened.root) {
        usePsp(folderpath::rootForm(info.canonicalFilePath()), opened.holder, true,
               std::move(opened.root));
        return;
    }
    const Phrase &problem =
        info.exists() && !info.isDir() ? texts::argumentNotAFolder : texts::argumentMissing;
    messagebox::notify(m_window, problem.in(LanguageFlag(*m_controls.Text2).language())
                                     .arg(QDir::toNativeSeparators(folder)));
}

void PspConnection::SysInfo1_DeviceRemoveComplete(int deviceType, int deviceId,
                                                  const QString &deviceName, int deviceData)
{
    Q_UNUSED(deviceData);
    // Only the PSP in use going away ends the program: another drive leaving
    // must not throw away the playlist being edited.
    const QString inUse = QDir::fromNativeSeparators(m_controls.lettre->text());
    if (deviceType != VolumeNotifier::volumeDeviceType || inUse.isEmpty())
        return;
    // A folder within a volume goes with that volume.
    if (notificationNamesVolume(deviceId, deviceName, inUse) ||
        (!m_holder.isEmpty() && notificationNamesVolume(deviceId, deviceName, m_holder))) {
        Q_EMIT pspLeft();
        m_window.close();
    }
}
