#include "playlist/computercopy.h"

#include "controls/busycursor.h"
#include "controls/filelistbox.h"
#include "controls/messagebox.h"
#include "core/computerplaylist.h"
#include "core/folderpath.h"
#include "core/namerules.h"
#include "core/playlistfile.h"
#include "core/texts.h"
#include "platform/volumeroot.h"

#include <cerrno>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// The PSP lists a playlist file in its MUSIC folder as a broken track, and
// some of its system versions hide the tracks such a file does not name.
bool isInMusicFolder(const QString &folder, const QString &driveRoot)
{
    const QString relative = QDir(driveRoot).relativeFilePath(folder);
    const QString first = relative.section(u'/', 0, 0);
    return first.compare(u"MUSIC", Qt::CaseInsensitive) == 0;
}

} // namespace

ComputerCopy::ComputerCopy(QWidget &window, const SavedPanel &saved, const PlaylistFolder &folder,
                           const QLineEdit &lettre, LanguageFlag languageFlag, int codePage)
    : QObject(&window), m_window(window), m_saved(saved), m_folder(folder), m_lettre(lettre),
      m_languageFlag(languageFlag), m_codePage(codePage),
      m_command(new QAction(texts::copyToComputer.builtIn(), saved.File2))
{
    m_command->setObjectName(u"copyToComputer"_s);
    // A command for the selected playlist, so it sits with the list: its
    // context menu, opened from the keyboard with the Menu key or, as on
    // Windows and GTK desktops, Shift+F10.
    FileListBox *list = saved.File2;
    list->addAction(m_command);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), list);
    menuKey->setContext(Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [list] {
        const QPoint at = list->viewport()->geometry().topLeft();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, list->mapToGlobal(at));
        QCoreApplication::sendEvent(list, &event);
    });
    const auto follow = [this] {
        m_command->setEnabled(!m_saved.File2->fileName().isEmpty());
    };
    connect(saved.File2, &FileListBox::clicked, this, follow);
    connect(saved.File2, &FileListBox::listed, this, follow);
    follow();
    connect(m_command, &QAction::triggered, this, &ComputerCopy::command_Click);
}

void ComputerCopy::applyTexts()
{
    m_command->setText(texts::copyToComputer.in(m_languageFlag.language()));
}

void ComputerCopy::command_Click()
{
    const QString name = m_saved.File2->fileName();
    if (name.isEmpty())
        return;
    const Language language = m_languageFlag.language();
    const QString suggested =
        QDir(QStandardPaths::writableLocation(QStandardPaths::MusicLocation))
            .filePath(QFileInfo(name).completeBaseName() + namerules::playlistExtension.toString());
    QString target = QFileDialog::getSaveFileName(&m_window, m_command->text().remove(u"..."_s),
                                                  suggested, texts::copyFileType.in(language));
    if (target.isEmpty())
        return;
    if (QFileInfo(target).suffix().isEmpty())
        target += namerules::playlistExtension;
    saveCopy(target);
}

void ComputerCopy::saveCopy(const QString &target)
{
    const Language language = m_languageFlag.language();
    const QString name = m_saved.File2->fileName();
    const QString root = folderpath::rootForm(QDir::fromNativeSeparators(m_lettre.text()));
    const QString folder = QFileInfo(target).absolutePath();
    const QString shown = QDir::toNativeSeparators(target);
    if (isInMusicFolder(folder, root)) {
        messagebox::warn(&m_window, texts::copyInMusicFolder.in(language));
        return;
    }
    LoadedPlaylist read;
    Result<> copied;
    {
        const BusyCursor busy;
        if (const std::unique_ptr<VolumeRoot> playlists = m_folder.open())
            read = playlistfile::loadPlaylist(*playlists, name, m_codePage);
        else
            read.bytes = FileError::fromErrno(ENODEV);
        QSaveFile file(target);
        if (read.bytes &&
            (!file.open(QIODevice::WriteOnly) ||
             file.write(computerPlaylistCopy(read.entries, root, folder)) < 0 || !file.commit()))
            copied = FileError(file.errorString());
    }
    // Half a playlist passed off as the whole would lose the rest unseen.
    if (!read.bytes)
        messagebox::warn(&m_window,
                         texts::readIncomplete.in(language).arg(name, read.bytes.error().message));
    else if (!copied)
        messagebox::warn(&m_window,
                         texts::copyFailed.in(language).arg(shown, copied.error().message));
}
