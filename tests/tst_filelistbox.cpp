#include "controls/filelistbox.h"
#include "core/naturalorder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString audioPatterns = u"*.mp3;*.wav;*.wma;*.atrac;*.omg;*.at3"_s;

// Creates each entry in folder: a name ending in "/" makes a folder,
// "name -> target" a link, any other name an empty file.
bool create(const QString &folder, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QStringList link = entry.split(u" -> "_s);
        if (link.size() == 2) {
            if (!QFile::link(link[1], folder + QLatin1Char('/') + link[0]))
                return false;
        } else if (entry.endsWith(QLatin1Char('/'))) {
            if (!QDir(folder).mkpath(entry))
                return false;
        } else {
            QFile file(folder + QLatin1Char('/') + entry);
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
    }
    return true;
}

} // namespace

class TestFileListBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sortsNaturally_data();
    void sortsNaturally();
    void listsMatchingFiles_data();
    void listsMatchingFiles();
    void dotFilesListedWhenAsked();
    void pathIsNormalised();
    void missingFolderListsNothing();
    void setPatternListsAgain();
    void refreshPicksUpChanges();
    void selectionGivesFileName();
};

void TestFileListBox::sortsNaturally_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("digit runs by value")
        << QStringList{u"10 Outro.mp3"_s, u"2 Intro.mp3"_s, u"1 Start.mp3"_s}
        << QStringList{u"1 Start.mp3"_s, u"2 Intro.mp3"_s, u"10 Outro.mp3"_s};
    QTest::newRow("digits inside names")
        << QStringList{u"Track 10.mp3"_s, u"Track 9.mp3"_s, u"Track 100.mp3"_s}
        << QStringList{u"Track 9.mp3"_s, u"Track 10.mp3"_s, u"Track 100.mp3"_s};
    QTest::newRow("letters without case") << QStringList{u"c.mp3"_s, u"B.mp3"_s, u"a.mp3"_s}
                                          << QStringList{u"a.mp3"_s, u"B.mp3"_s, u"c.mp3"_s};
    QTest::newRow("same name in two cases, one way round")
        << QStringList{u"a.m3u8"_s, u"A.M3U8"_s} << QStringList{u"A.M3U8"_s, u"a.m3u8"_s};
    QTest::newRow("same name in two cases, other way round")
        << QStringList{u"A.M3U8"_s, u"a.m3u8"_s} << QStringList{u"A.M3U8"_s, u"a.m3u8"_s};
    QTest::newRow("leading zeros tie by text")
        << QStringList{u"2.mp3"_s, u"02.mp3"_s} << QStringList{u"02.mp3"_s, u"2.mp3"_s};
    QTest::newRow("empty") << QStringList() << QStringList();
}

void TestFileListBox::sortsNaturally()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    sortNaturally(names);
    QCOMPARE(names, expected);
}

void TestFileListBox::listsMatchingFiles_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("playlist pattern without case")
        << QStringList{u"A.M3U8"_s, u"a.m3u8"_s, u"b.txt"_s, u"c.m3u"_s} << u"*.m3u8"_s
        << QStringList{u"A.M3U8"_s, u"a.m3u8"_s};
    QTest::newRow("audio patterns")
        << QStringList{u"Song.MP3"_s, u"b.wav"_s, u"C.Wma"_s,     u"d.ATRAC"_s, u"e.omg"_s,
                       u"F.at3"_s,    u"g.ogg"_s, u"h.mp3.txt"_s, u"readme"_s}
        << audioPatterns
        << QStringList{u"b.wav"_s, u"C.Wma"_s, u"d.ATRAC"_s, u"e.omg"_s, u"F.at3"_s, u"Song.MP3"_s};
    QTest::newRow("hidden files left out")
        << QStringList{u".x.mp3"_s, u"y.mp3"_s} << audioPatterns << QStringList{u"y.mp3"_s};
    QTest::newRow("folders left out")
        << QStringList{u"x.mp3/"_s, u"y.mp3"_s} << audioPatterns << QStringList{u"y.mp3"_s};
    QTest::newRow("files of subfolders left out")
        << QStringList{u"sub/"_s, u"sub/z.mp3"_s, u"y.mp3"_s} << audioPatterns
        << QStringList{u"y.mp3"_s};
    QTest::newRow("natural order")
        << QStringList{u"10 Outro.mp3"_s, u"2 Intro.mp3"_s, u"c.mp3"_s, u"B.mp3"_s, u"a.mp3"_s}
        << audioPatterns
        << QStringList{u"2 Intro.mp3"_s, u"10 Outro.mp3"_s, u"a.mp3"_s, u"B.mp3"_s, u"c.mp3"_s};
    QTest::newRow("spaces around patterns")
        << QStringList{u"a.mp3"_s, u"b.wav"_s, u"c.wma"_s} << u" *.mp3 ; *.wav ;"_s
        << QStringList{u"a.mp3"_s, u"b.wav"_s};
    QTest::newRow("nothing matches") << QStringList{u"a.txt"_s} << audioPatterns << QStringList();
    QTest::newRow("names no playlist line can hold left out")
        << QStringList{u"two\nlines.mp3"_s, u"cr\r.mp3"_s, u"tab\t.mp3"_s, u"y.mp3"_s}
        << audioPatterns << QStringList{u"y.mp3"_s};
    QTest::newRow("links left out")
        << QStringList{u"y.mp3"_s, u"inside.mp3 -> y.mp3"_s, u"passwd.mp3 -> /etc/passwd"_s}
        << audioPatterns << QStringList{u"y.mp3"_s};
}

void TestFileListBox::listsMatchingFiles()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), entries));

    FileListBox list;
    list.setPattern(pattern);
    list.setPath(folder.path());
    QCOMPARE(list.items(), expected);
    QCOMPARE(list.selectedPosition(), -1);
}

void TestFileListBox::dotFilesListedWhenAsked()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u".mix.m3u8"_s, u".m3u8"_s, u"a.m3u8"_s, u".x.txt"_s}));

    FileListBox list;
    list.setPattern(u"*.m3u8"_s);
    list.setPath(folder.path());
    QCOMPARE(list.items(), QStringList{u"a.m3u8"_s});
    list.setListsDotFiles(true);
    QCOMPARE(list.items(), (QStringList{u".m3u8"_s, u".mix.m3u8"_s, u"a.m3u8"_s}));
}

void TestFileListBox::pathIsNormalised()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u"a.mp3"_s}));

    FileListBox list;
    list.setPattern(audioPatterns);
    list.setPath(folder.path() + u"/sub/.."_s);
    QCOMPARE(list.path(), folder.path());
    QCOMPARE(list.items(), QStringList{u"a.mp3"_s});
    // A drive root keeps its one trailing separator.
    list.setPath(folder.path() + u"//"_s);
    QCOMPARE(list.path(), folder.path() + u'/');
    QCOMPARE(list.items(), QStringList{u"a.mp3"_s});
}

void TestFileListBox::missingFolderListsNothing()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u"a.mp3"_s}));

    FileListBox list;
    list.setPattern(audioPatterns);
    list.setPath(folder.path());
    list.setSelectedPosition(0);
    QCOMPARE(list.count(), 1);

    list.setPath(folder.filePath(u"missing"_s));
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.selectedPosition(), -1);
    QCOMPARE(list.fileName(), QString());

    // Nothing is read from the working folder for want of a path.
    list.setPath(QString());
    QCOMPARE(list.count(), 0);
}

void TestFileListBox::setPatternListsAgain()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u"a.mp3"_s, u"b.m3u8"_s}));

    FileListBox list;
    // Without a path a pattern lists nothing yet.
    list.setPattern(u"*.m3u8"_s);
    QCOMPARE(list.count(), 0);

    list.setPath(folder.path());
    QCOMPARE(list.items(), QStringList{u"b.m3u8"_s});
    list.setPattern(audioPatterns);
    QCOMPARE(list.pattern(), audioPatterns);
    QCOMPARE(list.items(), QStringList{u"a.mp3"_s});
}

void TestFileListBox::refreshPicksUpChanges()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u"b.mp3"_s, u"c.mp3"_s}));

    FileListBox list;
    list.setPattern(audioPatterns);
    list.setPath(folder.path());
    list.setSelectedPosition(1);

    QVERIFY(create(folder.path(), {u"a.mp3"_s}));
    QVERIFY(QFile::remove(folder.filePath(u"c.mp3"_s)));
    QCOMPARE(list.items(), (QStringList{u"b.mp3"_s, u"c.mp3"_s}));

    list.refresh();
    QCOMPARE(list.items(), (QStringList{u"a.mp3"_s, u"b.mp3"_s}));
    QCOMPARE(list.selectedPosition(), -1);
}

void TestFileListBox::selectionGivesFileName()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(create(folder.path(), {u"2 Intro.mp3"_s, u"10 Outro.mp3"_s}));

    FileListBox list;
    list.setPattern(audioPatterns);
    list.setPath(folder.path());
    QCOMPARE(list.fileName(), QString());
    QSignalSpy clicked(&list, &ListBox::clicked);

    list.setSelectedPosition(1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(list.fileName(), u"10 Outro.mp3"_s);

    list.setSelectedPosition(0);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(list.fileName(), u"2 Intro.mp3"_s);

    list.setSelectedPosition(-1);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.fileName(), QString());
}

QTEST_MAIN(TestFileListBox)
#include "tst_filelistbox.moc"
