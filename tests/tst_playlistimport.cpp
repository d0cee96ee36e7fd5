#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/texts.h"
#include "playlist/computercopy.h"
#include "playlist/playlistediting.h"
#include "support/audiofiles.h"
#include "support/drops.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPlaylistImport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { messagebox::takeShown(); }
    void copiedPlaylistComesBack_data();
    void copiedPlaylistComesBack();
    void tracksSentInOrder();
};

void TestPlaylistImport::copiedPlaylistComesBack_data()
{
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("empty playlist: no question") << false << false << QMessageBox::NoButton;
    QTest::newRow("opened, untouched: no question") << true << false << QMessageBox::NoButton;
    QTest::newRow("edited, kept") << true << true << QMessageBox::No;
    QTest::newRow("edited, replaced") << true << true << QMessageBox::Yes;
}

// A playlist of the PSP, copied to the computer and dropped on the window,
// comes back whole, under the copy's name, once the user agrees to lose
// unsaved entries.
void TestPlaylistImport::copiedPlaylistComesBack()
{
    QFETCH(bool, opened);
    QFETCH(bool, edited);
    QFETCH(QMessageBox::StandardButton, answer);
    const QStringList saved{u"\\MUSIC\\A\\1.mp3"_s, u"\\MUSIC\\A\\2.mp3"_s, u"\\MUSIC\\A\\1.mp3"_s};
    PspDrive drive({u"MUSIC/A/1.mp3"_s, u"MUSIC/A/2.mp3"_s});
    drive.addFile(u"PSP/PLAYLIST/MUSIC/Old.m3u8"_s, saved.join(u"\r\n").toUtf8());
    TestMainWindow window;
    drive.plugInto(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    const PlaylistPanel &playlist = window->controls().playlist;
    window->controls().saved.File2->setSelectedPosition(0);
    QTemporaryDir computer;
    const QString copy = computer.filePath(u"Mix.m3u8"_s);
    window->findChild<ComputerCopy *>()->saveCopy(copy);
    if (!opened)
        window->controls().menus.mnnew->trigger();
    if (edited)
        window->editing().appendEntry(u"\\MUSIC\\A\\2.mp3"_s);
    const QStringList before = playlist.List1->items();
    const QString nameBefore = playlist.Text1->text();
    if (edited)
        messagebox::queueAnswer(answer);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(copy)});
    QVERIFY(dropOn(*playlist.List1, data, 0));
    if (edited) {
        QList<messagebox::Shown> shown;
        QTRY_VERIFY(!(shown += messagebox::takeShown()).isEmpty());
        QCOMPARE(shown.at(0).text, texts::replaceUnsavedQuestion.in(Language::English).arg(u"Mix"));
    }
    const bool replaced = answer != QMessageBox::No;
    QTRY_COMPARE(playlist.Text1->text(), replaced ? u"Mix"_s : nameBefore);
    QCOMPARE(playlist.List1->items(), replaced ? saved : before);
    QVERIFY(messagebox::takeShown().isEmpty());
}

// Tracks on the computer go through the send, once each; the playlist keeps
// their order and repeats, and the send's report names what was left out.
void TestPlaylistImport::tracksSentInOrder()
{
    PspDrive drive;
    TestMainWindow window;
    drive.plugInto(window);
    QTemporaryDir computer;
    QDir(computer.path()).mkpath(u"Album"_s);
    for (const char *name : {"Album/b.wav", "Album/c.wav"})
        QVERIFY(writeTone(computer.filePath(QLatin1String(name)), "wav", 1, 44100, 1));
    const QString list = computer.filePath(u"Mix.m3u"_s);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Album/c.wav\nAlbum\\b.wav\nmissing.mp3\nAlbum/c.wav\nhttp://radio.example/\n");
    file.close();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(list)});
    QVERIFY(dropOn(*window->controls().playlist.List1, data, 0));
    QPushButton *start = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        (start = window->findChild<QPushButton *>(u"start"_s)) && start->isEnabled(), 20000);
    start->click();
    QTRY_COMPARE_WITH_TIMEOUT(window->controls().playlist.Text1->text(), u"Mix"_s, 20000);
    const QStringList entries = window->controls().playlist.List1->items();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0), entries.at(2));
    QVERIFY(entries.at(0).startsWith(u"\\MUSIC\\Album\\c"_s));
    QVERIFY(entries.at(1).startsWith(u"\\MUSIC\\Album\\b"_s));
    const QString report = messagebox::takeShown().last().text;
    const Language en = Language::English;
    QVERIFY(report.contains(u"missing.mp3: "_s + texts::importWhyNotFound.in(en)));
    QVERIFY(report.contains(u"http://radio.example/: "_s + texts::importWhyStream.in(en)));
}

QTEST_MAIN(TestPlaylistImport)
#include "tst_playlistimport.moc"
