#include "browser/filebrowse.h"
#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "core/texts.h"
#include "send/senddialogs.h"
#include "support/drops.h"
#include "support/fakes.h"
#include "support/pspdrive.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList five{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
const QStringList two{u"\\x.mp3"_s, u"\\y.mp3"_s};

} // namespace

class TestPlaylistDrops : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void dragMovesAnEntry_data();
    void dragMovesAnEntry();
    void filesFromTheTrackLists_data();
    void filesFromTheTrackLists();
    void droppedFiles_data();
    void droppedFiles();

private:
    ListBox &list() const { return *(*m_window)->controls().playlist.List1; }

    std::unique_ptr<PspDrive> m_drive;
    std::unique_ptr<TestMainWindow> m_window;
};

void TestPlaylistDrops::init()
{
    m_drive = std::make_unique<PspDrive>(
        QStringList{u"MUSIC/Album/2 Intro.mp3"_s, u"MUSIC/Album/10 Outro.mp3"_s,
                    u"MUSIC/Album/b.MP3"_s, u"MUSIC/Album/notes.txt"_s,
                    u"MUSIC/Album/.hidden.mp3"_s, u"MUSIC/Rock/c.wma"_s, u"a.mp3"_s});
    m_window = std::make_unique<TestMainWindow>();
    m_drive->plugInto(*m_window);
    (*m_window)->show();
    QVERIFY(QTest::qWaitForWindowExposed(&**m_window));
}

void TestPlaylistDrops::cleanup()
{
    m_window.reset();
    m_drive.reset();
    messagebox::resetRecording();
}

void TestPlaylistDrops::dragMovesAnEntry_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("first to the end")
        << 0 << 5 << QStringList{u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"a"_s} << 4;
    QTest::newRow("last to the start")
        << 4 << 0 << QStringList{u"e"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s} << 0;
    QTest::newRow("last one up") << 4 << 3 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"e"_s, u"d"_s}
                                 << 3;
    QTest::newRow("middle down") << 1 << 4 << QStringList{u"a"_s, u"c"_s, u"d"_s, u"b"_s, u"e"_s}
                                 << 3;
    QTest::newRow("middle up") << 3 << 1 << QStringList{u"a"_s, u"d"_s, u"b"_s, u"c"_s, u"e"_s}
                               << 1;
    QTest::newRow("below itself") << 2 << 3 << five << 2;
}

void TestPlaylistDrops::dragMovesAnEntry()
{
    QFETCH(int, from);
    QFETCH(int, position);
    list().addItems(five);
    // The press that starts a drag selects the line.
    list().setSelectedPosition(from);
    const std::unique_ptr<QMimeData> line(list().dragData(from));
    QVERIFY(dropOn(list(), *line, position));
    QTEST(list().items(), "after");
    QTEST(list().selectedPosition(), "selectedAfter");
    QVERIFY(messagebox::takeShown().isEmpty());
}

void TestPlaylistDrops::filesFromTheTrackLists_data()
{
    QTest::addColumn<bool>("browser");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("after");
    const QString outro = u"\\MUSIC\\Album\\10 Outro.mp3"_s;
    QTest::newRow("track list, appended") << false << 2 << (two + QStringList{outro});
    QTest::newRow("browser, inserted") << true << 1 << QStringList{two.at(0), outro, two.at(1)};
}

void TestPlaylistDrops::filesFromTheTrackLists()
{
    QFETCH(bool, browser);
    QFETCH(int, position);
    const TrackPanel &tracks = (*m_window)->controls().tracks;
    tracks.Dir1->setPath(m_drive->path(u"MUSIC/Album"_s));
    if (browser)
        QTest::mouseClick(tracks.Command6, Qt::LeftButton);
    FileListBox &music = browser ? *(*m_window)->forms().loadedBrowser()->music : *tracks.music;
    list().addItems(two);

    const std::unique_ptr<QMimeData> file(music.dragData(1));
    QVERIFY(dropOn(list(), *file, position));
    QTEST(list().items(), "after");
    // The entry is the one a click on the file appends.
    music.setSelectedPosition(1);
    QCOMPARE(list().items().constLast(), u"\\MUSIC\\Album\\10 Outro.mp3"_s);
    QVERIFY(messagebox::takeShown().isEmpty());
}

void TestPlaylistDrops::droppedFiles_data()
{
    // "psp/" names a file on the PSP's drive, "elsewhere/" one in a folder
    // beside it, ELSEWHERE that folder's name; "a -> b" makes a link.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("langId");
    QTest::addColumn<QStringList>("after");
    // Local files off the drive are sent to the PSP; the others are said.
    QTest::addColumn<QStringList>("offDrive");
    QTest::addColumn<QStringList>("notTracks");
    const int english = 0x0409;
    const QString intro = u"\\MUSIC\\Album\\2 Intro.mp3"_s;
    const QString outro = u"\\MUSIC\\Album\\10 Outro.mp3"_s;
    const QString b = u"\\MUSIC\\Album\\b.MP3"_s;
    const QStringList none;

    QTest::newRow("tracks in their order")
        << QStringList{u"psp/MUSIC/Album/10 Outro.mp3"_s, u"psp/MUSIC/Album/2 Intro.mp3"_s}
        << english << QStringList{u"\\x.mp3"_s, outro, intro, u"\\y.mp3"_s} << none << none;
    QTest::newRow("link from elsewhere to a track")
        << QStringList{u"elsewhere/to-b.mp3 -> psp/MUSIC/Album/b.MP3"_s} << english
        << QStringList{u"\\x.mp3"_s, b, u"\\y.mp3"_s} << none << none;
    QTest::newRow("file elsewhere, in French")
        << QStringList{u"elsewhere/away.mp3"_s} << 0x040C << two
        << QStringList{u"elsewhere/away.mp3"_s} << none;
    QTest::newRow("link on the drive leading elsewhere")
        << QStringList{u"psp/MUSIC/out.mp3 -> elsewhere/away.mp3"_s} << english << two
        << QStringList{u"psp/MUSIC/out.mp3"_s} << none;
    QTest::newRow("dot-dot leading elsewhere")
        << QStringList{u"psp/../ELSEWHERE/away.mp3"_s} << english << two
        << QStringList{u"psp/../ELSEWHERE/away.mp3"_s} << none;
    QTest::newRow("not a local file") << QStringList{u"https://example.org/a.mp3"_s} << english
                                      << two << QStringList{u"https://example.org/a.mp3"_s} << none;
    QTest::newRow("folder, other file, hidden file")
        << QStringList{u"psp/MUSIC/Album"_s, u"psp/MUSIC/Album/notes.txt"_s,
                       u"psp/MUSIC/Album/.hidden.mp3"_s}
        << english << two << none
        << QStringList{u"psp/MUSIC/Album"_s, u"psp/MUSIC/Album/notes.txt"_s,
                       u"psp/MUSIC/Album/.hidden.mp3"_s};
    QTest::newRow("the good ones taken, the others said")
        << QStringList{u"psp/MUSIC/Rock/c.wma"_s, u"elsewhere/away.mp3"_s,
                       u"psp/MUSIC/Album/notes.txt"_s}
        << english << QStringList{u"\\x.mp3"_s, u"\\MUSIC\\Rock\\c.wma"_s, u"\\y.mp3"_s}
        << QStringList{u"elsewhere/away.mp3"_s} << QStringList{u"psp/MUSIC/Album/notes.txt"_s};
}

void TestPlaylistDrops::droppedFiles()
{
    QFETCH(QStringList, files);
    QFETCH(int, langId);
    QFETCH(QStringList, offDrive);
    QFETCH(QStringList, notTracks);
    TestMainWindow window{quint16(langId)};
    m_drive->plugInto(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*window));
    ListBox &playlist = *window->controls().playlist.List1;
    playlist.addItems(two);

    QTemporaryDir elsewhere;
    QVERIFY(QFile(elsewhere.filePath(u"away.mp3"_s)).open(QIODevice::WriteOnly));
    const auto path = [&](const QString &spelled) {
        QString real = spelled;
        real.replace(u"ELSEWHERE"_s, QFileInfo(elsewhere.path()).fileName());
        if (real.startsWith(u"psp/"))
            return m_drive->root() + real.mid(4);
        if (real.startsWith(u"elsewhere/"))
            return elsewhere.path() + real.mid(9);
        return real;
    };
    const auto shown = [&](const QStringList &spelled) {
        QStringList paths;
        for (const QString &file : spelled)
            paths.append(file.contains(u"://") ? file : QDir::toNativeSeparators(path(file)));
        return paths.join(u'\n');
    };
    QList<QUrl> urls;
    for (const QString &file : files) {
        const QStringList link = file.split(u" -> "_s);
        if (link.size() == 2)
            QVERIFY(QFile::link(path(link.at(1)), path(link.at(0))));
        urls.append(file.contains(u"://") ? QUrl(file) : QUrl::fromLocalFile(path(link.at(0))));
    }
    QMimeData data;
    data.setUrls(urls);

    QVERIFY(dropOn(playlist, data, 1));
    QTEST(playlist.items(), "after");
    // The box waits until the drop is over.
    QVERIFY(messagebox::takeShown().isEmpty());
    QCoreApplication::processEvents();
    const Language language = langId == 0x040C ? Language::French : Language::English;
    QStringList paragraphs;
    const QStringList notLocal = offDrive.filter(u"://"_s);
    if (!notLocal.isEmpty())
        paragraphs.append(texts::droppedOffDrive.in(language).arg(shown(notLocal)));
    QCOMPARE(window->findChild<SendPlanDialog *>() != nullptr, notLocal.size() < offDrive.size());
    if (!notTracks.isEmpty())
        paragraphs.append(texts::droppedNotTracks.in(language).arg(shown(notTracks)));
    const QList<messagebox::Shown> boxes = messagebox::takeShown();
    QCOMPARE(boxes.size(), paragraphs.isEmpty() ? 0 : 1);
    if (!boxes.isEmpty())
        QCOMPARE(boxes.at(0).text, paragraphs.join(u"\n\n"));
}

QTEST_MAIN(TestPlaylistDrops)
#include "tst_playlistdrops.moc"
