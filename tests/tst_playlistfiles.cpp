#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/playlistfile.h"
#include "core/texts.h"
#include "core/writerlock.h"
#include "playlist/typingerror.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString folder = u"PSP/PLAYLIST/MUSIC/"_s;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList playlistFolderEntries(const PspDrive &drive)
{
    return QDir(drive.path(folder))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void save(TestMainWindow &window, const QString &name)
{
    window->controls().playlist.Text1->setText(name);
    window->controls().menus.save->trigger();
}

} // namespace

class TestPlaylistFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { messagebox::resetRecording(); }
    void savesExactBytes();
    void savingTwiceKeepsTheSecond();
    void openingGivesBackWhatWasSaved();
    void arrowKeysLookEnterOpens();
    void namelessFileEmptiesTheName();
    void subFolders();
    void refusedNames_data();
    void refusedNames();
    void refusalsShareOneDialog();
    void unreadableFileIsReported();
    void inexactEntryAsksFirst();
    void readOnlyPlaylistIsKept_data();
    void readOnlyPlaylistIsKept();
    void entryWithLineBreakIsNotSaved_data();
    void entryWithLineBreakIsNotSaved();
    void saveStaysInPlaylistFolder_data();
    void saveStaysInPlaylistFolder();
    void dotNameIsListed();
    void filesNotRead_data();
    void filesNotRead();
    void utf16RoundTrips_data();
    void utf16RoundTrips();
    void changedMeanwhileAsks_data();
    void changedMeanwhileAsks();
    void leftoversGoAtArrival_data();
    void leftoversGoAtArrival();
    void missingTracksAreMarked_data();
    void missingTracksAreMarked();
    void missingCountGroupsDigits_data();
    void missingCountGroupsDigits();
    void deletion();
    void deletionRefusals();
};

void TestPlaylistFiles::savesExactBytes()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItems({u"\\MUSIC\\A.mp3"_s, u"\\MUSIC\\Café.mp3"_s});
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(&*window));
    window->controls().playlist.Text1->setText(u"Road trip"_s);
    QTest::keyClick(&*window, Qt::Key_S, Qt::ControlModifier);

    QCOMPARE(contents(drive.path(folder + u"Road trip.m3u8"_s)),
             QByteArray::fromHex("5C4D555349435C412E6D70330D0A5C4D555349435C436166E92E6D70330D0A"));
    QCOMPARE(window->controls().saved.File2->items(), QStringList{u"Road trip.m3u8"_s});
    QVERIFY(messagebox::takeShown().isEmpty());

    window->controls().playlist.List1->clear();
    save(window, u"Untitled playlist"_s);
    QCOMPARE(contents(drive.path(folder + u"Untitled playlist.m3u8"_s)), QByteArray());
}

void TestPlaylistFiles::savingTwiceKeepsTheSecond()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItems({u"\\a.mp3"_s, u"\\b.mp3"_s});
    save(window, u"Mix"_s);
    window->controls().playlist.List1->removeItem(0);
    save(window, u"Mix"_s);
    QCOMPARE(contents(drive.path(folder + u"Mix.m3u8"_s)), QByteArray("\\b.mp3\r\n"));
    QCOMPARE(playlistFolderEntries(drive), QStringList{u"Mix.m3u8"_s});
}

void TestPlaylistFiles::openingGivesBackWhatWasSaved()
{
    PspDrive drive;
    drive.addFile(folder + u"Mixed ends.m3u8"_s,
                  QByteArray("#EXTM3U\r\n\\a.mp3\r\\b.mp3\n\n\\c\xE9.mp3"));
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().saved.File2->setSelectedPosition(0);

    QCOMPARE(window->controls().playlist.Text1->text(), u"Mixed ends"_s);
    QCOMPARE(window->controls().playlist.List1->items(),
             (QStringList{u"#EXTM3U"_s, u"\\a.mp3"_s, u"\\b.mp3"_s, QString(), u"\\cé.mp3"_s}));
    QCOMPARE(window->controls().playlist.List1->selectedPosition(), -1);
    QVERIFY(window->controls().playlist.List1->horizontalExtent() > 0);

    save(window, window->controls().playlist.Text1->text());
    QCOMPARE(contents(drive.path(folder + u"Mixed ends.m3u8"_s)),
             QByteArray("#EXTM3U\r\n\\a.mp3\r\n\\b.mp3\r\n\r\n\\c\xE9.mp3\r\n"));
}

void TestPlaylistFiles::arrowKeysLookEnterOpens()
{
    PspDrive drive;
    drive.addFile(folder + u"1 First.m3u8"_s, "\\one.mp3\r\n");
    drive.addFile(folder + u"2 Second.m3u8"_s, "\\two.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\unsaved.mp3"_s);
    QTest::keyClick(window->controls().saved.File2, Qt::Key_Down);
    QTest::keyClick(window->controls().saved.File2, Qt::Key_Down);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\unsaved.mp3"_s});
    QTest::keyClick(window->controls().saved.File2, Qt::Key_Return);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\two.mp3"_s});
    QCOMPARE(window->controls().playlist.Text1->text(), u"2 Second"_s);
}

void TestPlaylistFiles::namelessFileEmptiesTheName()
{
    PspDrive drive;
    drive.addFile(folder + u".m3u8"_s, "\\x.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    QCOMPARE(window->controls().saved.File2->items(), QStringList{u".m3u8"_s});
    window->controls().saved.File2->setSelectedPosition(0);
    QCOMPARE(window->controls().playlist.Text1->text(), QString());
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\x.mp3"_s});
}

void TestPlaylistFiles::subFolders()
{
    PspDrive drive;
    QVERIFY(QDir().mkpath(drive.path(folder + u"Road"_s)));
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\a.mp3"_s);

    save(window, u"Road\\Trip"_s);
    save(window, u"Road/Home"_s);
    QCOMPARE(contents(drive.path(folder + u"Road/Trip.m3u8"_s)), QByteArray("\\a.mp3\r\n"));
    QCOMPARE(contents(drive.path(folder + u"Road/Home.m3u8"_s)), QByteArray("\\a.mp3\r\n"));
    QVERIFY(messagebox::takeShown().isEmpty());
    QVERIFY(!loadedWindow<TypingError>(*window) ||
            !loadedWindow<TypingError>(*window)->isVisible());

    save(window, u"Nowhere\\Trip"_s);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.startsWith(u"The playlist could not be saved"_s),
             qPrintable(shown[0].text));
    QVERIFY(!QFileInfo::exists(drive.path(folder + u"Nowhere"_s)));
    QCOMPARE(window->controls().playlist.Text1->text(), u"Nowhere\\Trip"_s);
}

void TestPlaylistFiles::refusedNames_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("retry");
    QTest::newRow("star") << 0x0409 << u"a*b"_s << u"Try again"_s;
    QTest::newRow("colon") << 0x0409 << u"a:b"_s << u"Try again"_s;
    QTest::newRow("question mark") << 0x040C << u"pourquoi?"_s << u"Retapez le nom du fichier"_s;
    QTest::newRow("quote") << 0x0409 << u"a\"b"_s << u"Try again"_s;
    QTest::newRow("angle brackets") << 0x0409 << u"<a>"_s << u"Try again"_s;
    QTest::newRow("bar") << 0x0409 << u"a|b"_s << u"Try again"_s;
    QTest::newRow("control character") << 0x0409 << u"a\tb"_s << u"Try again"_s;
    QTest::newRow("empty") << 0x040C << QString() << u"Retapez le nom du fichier"_s;
    QTest::newRow("only a backslash") << 0x0409 << u"\\"_s << u"Try again"_s;
    QTest::newRow("only a folder") << 0x0409 << u"Road/"_s << u"Try again"_s;
    QTest::newRow("climbing out") << 0x0409 << u"..\\..\\Escaped"_s << u"Try again"_s;
}

void TestPlaylistFiles::refusedNames()
{
    QFETCH(int, langId);
    QFETCH(QString, name);
    PspDrive drive;
    // A nameless file left behind by another program goes as well.
    drive.addFile(folder + u".m3u8"_s);
    QVERIFY(QDir().mkpath(drive.path(folder + u"Road"_s)));
    TestMainWindow window{quint16(langId)};
    drive.plugInto(window);
    window->controls().playlist.List1->addItems({u"\\a.mp3"_s, u"\\b.mp3"_s});

    save(window, name);
    QVERIFY(loadedWindow<TypingError>(*window));
    QVERIFY(loadedWindow<TypingError>(*window)->isVisible());
    QCOMPARE(playlistFolderEntries(drive), QStringList{u"Road"_s});
    QVERIFY(QDir(drive.path(folder + u"Road"_s))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
    QVERIFY(!QFileInfo::exists(drive.path(u"PSP/Escaped.m3u8"_s)));
    QVERIFY(window->controls().saved.File2->items().isEmpty());
    QTEST(window->controls().playlist.Text1->text(), "retry");
    QCOMPARE(window->controls().playlist.List1->count(), 2);
    QVERIFY(messagebox::takeShown().isEmpty());
}

void TestPlaylistFiles::refusalsShareOneDialog()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    save(window, u"a*b"_s);
    TypingError *dialog = loadedWindow<TypingError>(*window);
    save(window, QString());
    QCOMPARE(loadedWindow<TypingError>(*window), dialog);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    QVERIFY(!loadedWindow<TypingError>(*window));
    QCOMPARE(window->controls().playlist.Text1->text(), u"Try again"_s);
}

void TestPlaylistFiles::unreadableFileIsReported()
{
    PspDrive drive;
    drive.addFile(folder + u"Gone.m3u8"_s, "\\a.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\unsaved.mp3"_s);
    QVERIFY(QFile::remove(drive.path(folder + u"Gone.m3u8"_s)));
    window->controls().saved.File2->setSelectedPosition(0);

    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.startsWith(u"The playlist \"Gone.m3u8\" could not be read completely"_s),
             qPrintable(shown[0].text));
    QCOMPARE(window->controls().playlist.Text1->text(), u"Gone"_s);
    QCOMPARE(window->controls().playlist.List1->count(), 0);
}

void TestPlaylistFiles::inexactEntryAsksFirst()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItems(
        {u"\\ok.mp3"_s, u"\\MUSIC\\日本.mp3"_s, u"\\Ω.mp3"_s});

    messagebox::queueAnswer(QMessageBox::No);
    save(window, u"Japan"_s);
    QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.contains(u"\\MUSIC\\日本.mp3"_s));
    QCOMPARE(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!QFileInfo::exists(drive.path(folder + u"Japan.m3u8"_s)));

    messagebox::queueAnswer(QMessageBox::Yes);
    save(window, u"Japan"_s);
    QCOMPARE(contents(drive.path(folder + u"Japan.m3u8"_s)),
             QByteArray("\\ok.mp3\r\n\\MUSIC\\??.mp3\r\n\\?.mp3\r\n"));
}

void TestPlaylistFiles::readOnlyPlaylistIsKept_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("message");
    QTest::newRow("English") << 0x0409 << u"The playlist \"%1\" is read-only"_s;
    QTest::newRow("French") << 0x040C << u"La playlist «\u00A0%1\u00A0» est en lecture seule"_s;
}

// Kept byte for byte and mode for mode, for root too.
void TestPlaylistFiles::readOnlyPlaylistIsKept()
{
    QFETCH(int, langId);
    QFETCH(QString, message);
    PspDrive drive;
    drive.addFile(folder + u"Keep.m3u8"_s, "\\a.mp3\r\n");
    const QString path = drive.path(folder + u"Keep.m3u8"_s);
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path, readOnly));
    TestMainWindow window{quint16(langId)};
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\b.mp3"_s);

    save(window, u"Keep"_s);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.startsWith(message.arg(QDir::toNativeSeparators(path))),
             qPrintable(shown[0].text));
    QCOMPARE(contents(path), QByteArray("\\a.mp3\r\n"));
    // The user bits tell what this process may do, not the file's mode.
    QCOMPARE(QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
             readOnly);
    QCOMPARE(playlistFolderEntries(drive), QStringList{u"Keep.m3u8"_s});
    QCOMPARE(window->controls().playlist.Text1->text(), u"Keep"_s);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\b.mp3"_s});
}

void TestPlaylistFiles::entryWithLineBreakIsNotSaved_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("line feed") << u"\\two\nlines.mp3"_s;
    QTest::newRow("carriage return") << u"\\two\rlines.mp3"_s;
    QTest::newRow("both") << u"\\two\r\nlines.mp3"_s;
}

void TestPlaylistFiles::entryWithLineBreakIsNotSaved()
{
    QFETCH(QString, entry);
    PspDrive drive;
    drive.addFile(folder + u"Mix.m3u8"_s, "\\old.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItems({u"\\a.mp3"_s, entry});

    save(window, u"Mix"_s);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, u"The entry \"%1\" holds a line break, which a playlist file cannot "
                            u"hold. The playlist was not saved."_s.arg(entry));
    QCOMPARE(contents(drive.path(folder + u"Mix.m3u8"_s)), QByteArray("\\old.mp3\r\n"));
    QCOMPARE(playlistFolderEntries(drive), QStringList{u"Mix.m3u8"_s});
}

void TestPlaylistFiles::saveStaysInPlaylistFolder_data()
{
    // A link made in the playlist folder, to a target in "<outside>" (a
    // folder off the drive) or in "<inside>" (the playlist folder).
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("name");
    // Where the save lands, or empty when it is refused.
    QTest::addColumn<QString>("saved");

    QTest::newRow("folder link leading out")
        << u"Out"_s << u"<outside>"_s << u"Out\\Mix"_s << QString();
    QTest::newRow("deeper below a folder link leading out")
        << u"Out"_s << u"<outside>"_s << u"Out/Deep/Mix"_s << QString();
    QTest::newRow("folder link within")
        << u"Alias"_s << u"<inside>/Road"_s << u"Alias/Mix"_s << QString();
    QTest::newRow("file link leading out")
        << u"Mix.m3u8"_s << u"<outside>/Mix.m3u8"_s << u"Mix"_s << u"<inside>/Mix.m3u8"_s;
}

// Nothing is written off the drive; no link is followed, and one in the
// file's place counts as absent.
void TestPlaylistFiles::saveStaysInPlaylistFolder()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QString, name);
    QFETCH(QString, saved);
    PspDrive drive;
    QTemporaryDir outside;
    QVERIFY(QDir().mkpath(outside.filePath(u"Deep"_s)));
    QFile outsideFile(outside.filePath(u"Mix.m3u8"_s));
    QVERIFY(outsideFile.open(QIODevice::WriteOnly) && outsideFile.write("\\out.mp3\r\n") > 0);
    outsideFile.close();
    const QString inside = drive.path(folder).chopped(1);
    QVERIFY(QDir().mkpath(inside + u"/Road"_s));
    const auto place = [&](QString path) {
        return path.replace(u"<outside>"_s, outside.path()).replace(u"<inside>"_s, inside);
    };
    QVERIFY(QFile::link(place(target), inside + u'/' + link));
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\a.mp3"_s);

    save(window, name);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    if (saved.isEmpty()) {
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.endsWith(u"the program does not follow. The playlist was not "
                                        u"saved."_s),
                 qPrintable(shown[0].text));
    } else {
        QVERIFY(shown.isEmpty());
        QCOMPARE(contents(place(saved)), QByteArray("\\a.mp3\r\n"));
        QVERIFY(!QFileInfo(place(saved)).isSymLink());
    }
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{u"Deep"_s, u"Mix.m3u8"_s}));
    QVERIFY(QDir(outside.filePath(u"Deep"_s))
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QCOMPARE(contents(outside.filePath(u"Mix.m3u8"_s)), QByteArray("\\out.mp3\r\n"));
}

// On the PSP's storage a leading "." hides nothing; the playlist is listed,
// opens, and can be deleted.
void TestPlaylistFiles::missingTracksAreMarked_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("missing");
    // A link counts as missing, also where it leads to a track.
    QTest::newRow("as opened") << QString() << 3;
    // A track removed after opening is marked when the playlist is opened again.
    QTest::newRow("track removed, opened again") << u"remove"_s << 5;
    QTest::newRow("another PSP arrives") << u"replug"_s << 6;
}

void TestPlaylistFiles::missingTracksAreMarked()
{
    QFETCH(QString, change);
    QFETCH(int, missing);
    PspDrive drive({u"MUSIC/a.mp3"_s, u"MUSIC/b.mp3"_s});
    QVERIFY(QFile::link(u"b.mp3"_s, drive.path(u"MUSIC/link.mp3"_s)));
    const QByteArray bytes = "#EXTM3U\r\n\\MUSIC\\a.mp3\r\n\\MUSIC\\gone.mp3\r\n\\MUSIC\\b.mp3\r\n"
                             "\\..\\..\\b.mp3\r\n\\MUSIC\\a.mp3\r\n\\MUSIC\\link.mp3\r\n";
    drive.addFile(folder + u"Mix.m3u8"_s, bytes);
    TestMainWindow window;
    drive.plugInto(window);
    ListBox &list = *window->controls().playlist.List1;
    window->controls().saved.File2->setSelectedPosition(0);
    if (change == u"remove") {
        QTRY_COMPARE(list.greyedCount(), 3);
        QVERIFY(QFile::remove(drive.path(u"MUSIC/a.mp3"_s)));
        window->controls().saved.File2->setSelectedPosition(0);
    } else if (change == u"replug") {
        QTRY_COMPARE(list.greyedCount(), 3);
        PspDrive other;
        other.plugInto(window);
        QTRY_COMPARE(list.greyedCount(), missing);
        QCOMPARE(list.count(), 7);
        return;
    }
    QTRY_COMPARE(list.greyedCount(), missing);
    QCOMPARE(window->controls().playlist.Label2->text(),
             u"Current playlist: %1 missing"_s.arg(missing));
    // The marks change nothing: the playlist saves back as it was read.
    save(window, u"Mix"_s);
    QCOMPARE(contents(drive.path(folder + u"Mix.m3u8"_s)), bytes);
    window->controls().menus.mnnew->trigger();
    QCOMPARE(window->controls().playlist.Label2->text(), u"Current playlist:"_s);
}

void TestPlaylistFiles::filesNotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString notAFile = u"\"Odd.m3u8\" is not a plain file"_s;
    QTest::newRow("pipe") << u"pipe"_s << notAFile;
    QTest::newRow("link to a device") << u"device"_s << notAFile;
    QTest::newRow("over 64 MiB") << u"large"_s << u"\"Odd.m3u8\" is larger than 64 MB"_s;
}

// Put in place after the list was built: nothing waits or is read, and the
// current playlist stays.
void TestPlaylistFiles::filesNotRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    PspDrive drive;
    drive.addFile(folder + u"Odd.m3u8"_s);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\unsaved.mp3"_s);
    window->controls().playlist.Text1->setText(u"Mine"_s);
    const QString path = drive.path(folder + u"Odd.m3u8"_s);
    QFile file(path);
    if (kind == u"pipe")
        QVERIFY(file.remove() && ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    else if (kind == u"device")
        QVERIFY(file.remove() && QFile::link(u"/dev/zero"_s, path));
    else
        QVERIFY(file.resize(playlistfile::maxPlaylistFileSize + 1));

    window->controls().saved.File2->setSelectedPosition(0);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.startsWith(message), qPrintable(shown[0].text));
    QCOMPARE(window->controls().playlist.Text1->text(), u"Mine"_s);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\unsaved.mp3"_s});
}

void TestPlaylistFiles::utf16RoundTrips_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("little-endian")
        << QByteArray::fromHex("FFFE61000D000A00") << QStringList{u"a"_s};
    QTest::newRow("big-endian") << QByteArray::fromHex("FEFF0061000D000A") << QStringList{u"a"_s};
    QTest::newRow("beyond the code page") << QByteArray::fromHex("FFFE5C00E5652C670D000A000D000A00")
                                          << QStringList{u"\\日本"_s, QString()};
    QTest::newRow("empty") << QByteArray::fromHex("FFFE") << QStringList();
    QTest::newRow("empty, big-endian") << QByteArray::fromHex("FEFF") << QStringList();
    QTest::newRow("mark and one byte") << QByteArray::fromHex("FFFE41") << QStringList();
    QTest::newRow("mark and one byte, big-endian")
        << QByteArray::fromHex("FEFF41") << QStringList();
    QTest::newRow("odd tail") << QByteArray::fromHex("FFFE61000D000A0062") << QStringList{u"a"_s};
    QTest::newRow("odd tail, big-endian")
        << QByteArray::fromHex("FEFF0061000D000A62") << QStringList{u"a"_s};
    QTest::newRow("odd tail after a line end")
        << QByteArray::fromHex("FFFE0D000A000A") << QStringList{QString()};
}

// Opened and saved unedited, the file keeps every byte.
void TestPlaylistFiles::utf16RoundTrips()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    PspDrive drive;
    drive.addFile(folder + u"Wide.m3u8"_s, bytes);
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().saved.File2->setSelectedPosition(0);
    QCOMPARE(window->controls().playlist.List1->items(), entries);

    save(window, u"Wide"_s);
    QVERIFY(messagebox::takeShown().isEmpty());
    QCOMPARE(contents(drive.path(folder + u"Wide.m3u8"_s)), bytes);
}

void TestPlaylistFiles::changedMeanwhileAsks_data()
{
    // What another program saves after the playlist was opened here.
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    const QByteArray theirs("\\a.mp3\r\n\\c.mp3\r\n");
    QTest::newRow("untouched") << QByteArray() << false << QMessageBox::No;
    QTest::newRow("saved again unchanged") << QByteArray("\\a.mp3\r\n") << false << QMessageBox::No;
    QTest::newRow("changed, kept") << theirs << true << QMessageBox::No;
    QTest::newRow("changed, replaced") << theirs << true << QMessageBox::Yes;
}

void TestPlaylistFiles::changedMeanwhileAsks()
{
    QFETCH(QByteArray, meanwhile);
    QFETCH(bool, asked);
    QFETCH(QMessageBox::StandardButton, answer);
    PspDrive drive;
    drive.addFile(folder + u"Keep.m3u8"_s, "\\a.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().saved.File2->setSelectedPosition(0);
    window->controls().playlist.List1->addItem(u"\\b.mp3"_s);
    if (!meanwhile.isEmpty())
        drive.addFile(folder + u"Keep.m3u8"_s, meanwhile);

    if (asked)
        messagebox::queueAnswer(answer);
    save(window, u"Keep"_s);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    const QString path = drive.path(folder + u"Keep.m3u8"_s);
    QCOMPARE(shown.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(shown[0].text,
                 texts::changedMeanwhile.in(Language::English).arg(QDir::toNativeSeparators(path)));
        QCOMPARE(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(contents(path), !asked || answer == QMessageBox::Yes
                                 ? QByteArray("\\a.mp3\r\n\\b.mp3\r\n")
                                 : meanwhile);
}

void TestPlaylistFiles::leftoversGoAtArrival_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("writing");
    QTest::addColumn<bool>("removed");
    const QString ours = u"zarvello-e7d1bb3e-6b14f36a.tmp"_s;
    QTest::newRow("temporary file") << ours << false << true;
    // Another Zarvello's sync is writing it now.
    QTest::newRow("while another writes") << ours << true << false;
    QTest::newRow("the user's own") << u"zarvello-0badf00d.tmp"_s << false << false;
    QTest::newRow("of an earlier version") << u"zarvello-e7d1bb3e.tmp.Ab12Cd"_s << false << false;
    QTest::newRow("a playlist") << u"zarvello-e7d1bb3e.tmp.m3u8"_s << false << false;
    QTest::newRow("another program's") << u"zarvello-notes.tmp"_s << false << false;
}

void TestPlaylistFiles::leftoversGoAtArrival()
{
    QFETCH(QString, name);
    QFETCH(bool, writing);
    QFETCH(bool, removed);
    PspDrive drive;
    drive.addFile(folder + name);
    std::shared_ptr<const WriterLock> writer;
    if (writing) {
        const Result<std::shared_ptr<const WriterLock>> taken =
            WriterLock::take(*VolumeRoot::open(drive.root()));
        QVERIFY(taken && *taken);
        writer = *taken;
    }
    TestMainWindow window;
    drive.plugInto(window);
    QCOMPARE(playlistFolderEntries(drive), removed ? QStringList() : QStringList{name});
}

void TestPlaylistFiles::dotNameIsListed()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    window->controls().playlist.List1->addItem(u"\\a.mp3"_s);
    save(window, u".mix"_s);
    QCOMPARE(window->controls().saved.File2->items(), QStringList{u".mix.m3u8"_s});

    window->controls().menus.mnnew->trigger();
    window->controls().saved.File2->setSelectedPosition(0);
    QCOMPARE(window->controls().playlist.Text1->text(), u".mix"_s);
    QCOMPARE(window->controls().playlist.List1->items(), QStringList{u"\\a.mp3"_s});

    messagebox::queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(window->controls().saved.Command4, Qt::LeftButton);
    QVERIFY(playlistFolderEntries(drive).isEmpty());
}

void TestPlaylistFiles::deletion()
{
    PspDrive drive;
    drive.addFile(folder + u"Old.m3u8"_s, "\\a.mp3\r\n");
    TestMainWindow window{0x0409};
    drive.plugInto(window);
    window->controls().saved.File2->setSelectedPosition(0);
    // The new-playlist command keeps the playlist list's selection.
    window->controls().menus.mnnew->trigger();
    window->controls().playlist.List1->addItem(u"\\b.mp3"_s);

    messagebox::queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(window->controls().saved.Command4, Qt::LeftButton);
    const QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text, u"Supprimer la playlist?"_s);
    QCOMPARE(shown[0].caption, u"Warning"_s);
    QCOMPARE(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(shown[0].icon, QMessageBox::Information);
    QCOMPARE(shown[1].text, u"Playlist supprimée"_s);
    QCOMPARE(shown[1].caption, u"Zarvello"_s);
    QVERIFY(!QFileInfo::exists(drive.path(folder + u"Old.m3u8"_s)));
    QVERIFY(window->controls().saved.File2->items().isEmpty());
    QCOMPARE(window->controls().playlist.List1->count(), 0);
    QCOMPARE(window->controls().playlist.Text1->text(), u"Nom de la nouvelle playlist"_s);

    // Saving at once writes an empty playlist under the French default name.
    window->controls().menus.save->trigger();
    QCOMPARE(contents(drive.path(folder + u"Nom de la nouvelle playlist.m3u8"_s)), QByteArray());
}

void TestPlaylistFiles::deletionRefusals()
{
    PspDrive drive;
    drive.addFile(folder + u"Keep.m3u8"_s, "\\a.mp3\r\n");
    TestMainWindow window;
    drive.plugInto(window);

    // Answered No: nothing happens.
    window->controls().saved.File2->setSelectedPosition(0);
    window->controls().playlist.List1->addItem(u"\\unsaved.mp3"_s);
    window->controls().playlist.Text1->setText(u"Mine"_s);
    messagebox::queueAnswer(QMessageBox::No);
    QTest::mouseClick(window->controls().saved.Command4, Qt::LeftButton);
    QCOMPARE(messagebox::takeShown().size(), 1);
    QVERIFY(QFileInfo::exists(drive.path(folder + u"Keep.m3u8"_s)));

    // Read-only: kept, for root too.
    QVERIFY(QFile::setPermissions(drive.path(folder + u"Keep.m3u8"_s), QFile::ReadOwner));
    messagebox::queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(window->controls().saved.Command4, Qt::LeftButton);
    QList<messagebox::Shown> shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].text, u"The playlist \"Keep.m3u8\" is read-only: it was kept."_s);
    QVERIFY(QFileInfo::exists(drive.path(folder + u"Keep.m3u8"_s)));

    // Nothing selected.
    window->controls().saved.File2->refresh();
    messagebox::queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(window->controls().saved.Command4, Qt::LeftButton);
    shown = messagebox::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].text, u"     Pas de playlist selectionnée"_s);
    QVERIFY(QFileInfo::exists(drive.path(folder + u"Keep.m3u8"_s)));
    QCOMPARE(window->controls().playlist.List1->count(), 2);
    QCOMPARE(window->controls().playlist.Text1->text(), u"Mine"_s);
}

void TestPlaylistFiles::missingCountGroupsDigits_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("heading");
    QTest::newRow("English") << 0x0409 << u"Current playlist: 1,234 missing"_s;
    QTest::newRow("French") << 0x040C << u"Playlist en cours\u00A0: 1\u202F234 absents"_s;
}

void TestPlaylistFiles::missingCountGroupsDigits()
{
    QFETCH(int, langId);
    TestMainWindow window{quint16(langId)};
    QStringList entries;
    for (int i = 0; i < 1234; ++i)
        entries.append(QString::number(i));
    ListBox &list = *window->controls().playlist.List1;
    list.addItems(entries);
    list.linesToMark();
    QHash<QString, int> missing;
    for (const QString &entry : std::as_const(entries))
        missing.insert(entry, 1);
    list.greyTexts(missing, QString());
    QTEST(window->controls().playlist.Label2->text(), "heading");
}

QTEST_MAIN(TestPlaylistFiles)
#include "tst_playlistfiles.moc"
