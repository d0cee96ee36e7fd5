#include "import/playlistimport.h"

#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/scrollhoriz.h"
#include "controls/textbox.h"
#include "core/background.h"
#include "core/computerplaylist.h"
#include "core/droppedfiles.h"
#include "core/folderpath.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QPointer>

using namespace Qt::StringLiterals;

// A playlist file as read, and for each of its files the entry it already
// has on the PSP (empty for one still to send).
struct ImportReading
{
    QString path;
    Result<ComputerPlaylist> playlist;
    QStringList onPsp;
};

namespace {

ImportReading readForImport(const QString &path, int codePage, const QString &driveRoot)
{
    ImportReading reading{path, readComputerPlaylist(path, codePage), {}};
    if (!reading.playlist)
        return reading;
    // Tracks already on the PSP's own drive, as in a copy of one of its
    // playlists, need no send: their entry is where they are.
    const DriveTracks drive(driveRoot);
    for (const QString &file : std::as_const(reading.playlist->files))
        reading.onPsp.append(drive.place(file).entry);
    return reading;
}

} // namespace

PlaylistImport::PlaylistImport(QWidget &window, const PlaylistPanel &playlist,
                               const QLineEdit &lettre, LanguageFlag languageFlag, int codePage,
                               Send send, std::function<bool()> hasUnsavedEntries)
    : QObject(&window), m_window(window), m_playlist(playlist), m_lettre(lettre),
      m_languageFlag(languageFlag), m_codePage(codePage), m_send(std::move(send)),
      m_hasUnsavedEntries(std::move(hasUnsavedEntries))
{}

void PlaylistImport::importFile(const QString &path)
{
    if (m_busy)
        return;
    m_busy = true;
    background::run(
        this,
        [path, codePage = m_codePage,
         root = folderpath::rootForm(QDir::fromNativeSeparators(m_lettre.text()))] {
            return readForImport(path, codePage, root);
        },
        [this](const ImportReading &reading) { read(reading); });
}

void PlaylistImport::read(const ImportReading &reading)
{
    const QString shown = QDir::toNativeSeparators(reading.path);
    if (!reading.playlist) {
        m_busy = false;
        const FileError &error = reading.playlist.error();
        messagebox::warn(&m_window,
                         error.kind == FileError::Kind::System
                             ? texts::importUnreadable.in(language()).arg(shown, error.message)
                             : texts::importNotAPlaylist.in(language()).arg(shown));
        return;
    }
    const ComputerPlaylist &playlist = *reading.playlist;
    if (playlist.files.isEmpty()) {
        m_busy = false;
        report(reading, true);
        return;
    }
    if (m_hasUnsavedEntries() &&
        messagebox::show(&m_window, texts::replaceUnsavedQuestion.in(language()).arg(playlist.name),
                         QString(), QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::Question) != QMessageBox::Yes) {
        m_busy = false;
        return;
    }

    // Each file is sent once, however often the playlist names it.
    QStringList toSend;
    for (qsizetype i = 0; i < playlist.files.size(); ++i) {
        if (reading.onPsp.at(i).isEmpty())
            toSend.append(playlist.files.at(i));
    }
    toSend.removeDuplicates();
    if (toSend.isEmpty()) {
        fill(reading, reading.onPsp);
        report(reading, false);
        return;
    }
    const QPointer<PlaylistImport> self(this);
    m_send(toSend, leftOut(playlist), [self, reading, toSend](const QStringList &sent) {
        if (!self)
            return;
        if (sent.isEmpty()) {
            self->m_busy = false;
            return;
        }
        QHash<QString, QString> arrived;
        for (qsizetype i = 0; i < toSend.size() && i < sent.size(); ++i)
            arrived.insert(toSend.at(i), sent.at(i));
        QStringList entries = reading.onPsp;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).isEmpty())
                entries[i] = arrived.value(reading.playlist->files.at(i));
        }
        self->fill(reading, entries);
    });
}

void PlaylistImport::fill(const ImportReading &reading, const QStringList &entries)
{
    m_busy = false;
    QStringList arrived = entries;
    arrived.removeAll(QString());
    if (arrived.isEmpty())
        return;
    ListBox &list = *m_playlist.List1;
    list.clear();
    list.addItems(arrived);
    UpdateHorizontalExtent(list);
    m_playlist.Text1->setText(reading.playlist->name);
    Q_EMIT imported();
}

void PlaylistImport::report(const ImportReading &reading, bool nothingAdded)
{
    const ComputerPlaylist &playlist = *reading.playlist;
    QStringList paragraphs;
    if (nothingAdded)
        paragraphs.append(texts::importNothingFound.in(language()).arg(playlist.name));
    const QStringList lines = leftOut(playlist);
    if (!lines.isEmpty())
        paragraphs.append(texts::importLeftOut.in(language()));
    if (!paragraphs.isEmpty())
        messagebox::report(&m_window, paragraphs.join(u"\n\n"), lines, QMessageBox::Warning);
}

QStringList PlaylistImport::leftOut(const ComputerPlaylist &playlist) const
{
    QStringList lines;
    for (const QString &track : playlist.notFound)
        lines.append(
            texts::reasonLine.in(language()).arg(track, texts::importWhyNotFound.in(language())));
    for (const QString &stream : playlist.streams)
        lines.append(
            texts::reasonLine.in(language()).arg(stream, texts::importWhyStream.in(language())));
    return lines;
}

Language PlaylistImport::language() const
{
    return m_languageFlag.language();
}
