#include "core/folderpath.h"
#include "core/namerules.h"

#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NameProblem)

class TestNameRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkName_data();
    void checkName();
    void filePath_data();
    void filePath();
};

void TestNameRules::checkName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<NameProblem>("problem");

    QTest::newRow("ordinary") << u"Untitled playlist"_s << NameProblem::None;
    QTest::newRow("accents and CJK") << u"Café 日本"_s << NameProblem::None;
    QTest::newRow("empty") << QString() << NameProblem::Empty;
    QTest::newRow("only a backslash") << u"\\"_s << NameProblem::Empty;
    QTest::newRow("only slashes") << u"//"_s << NameProblem::Empty;
    QTest::newRow("folder only") << u"sub/"_s << NameProblem::Empty;
    QTest::newRow("folders only") << u"a\\b\\"_s << NameProblem::Empty;
    QTest::newRow("spaces only") << u"  "_s << NameProblem::None;
    QTest::newRow("three dots") << u"..."_s << NameProblem::None;
    QTest::newRow("leading dot") << u".hidden"_s << NameProblem::None;
    QTest::newRow("two dots in a name") << u"a..b"_s << NameProblem::None;
    QTest::newRow("sub-folder with slash") << u"a/b"_s << NameProblem::None;
    QTest::newRow("sub-folder with backslash") << u"a\\b"_s << NameProblem::None;
    QTest::newRow("asterisk") << u"a*b"_s << NameProblem::Invalid;
    QTest::newRow("colon") << u"a:b"_s << NameProblem::Invalid;
    QTest::newRow("question mark") << u"a?b"_s << NameProblem::Invalid;
    QTest::newRow("quote") << u"a\"b"_s << NameProblem::Invalid;
    QTest::newRow("less than") << u"a<b"_s << NameProblem::Invalid;
    QTest::newRow("greater than") << u"a>b"_s << NameProblem::Invalid;
    QTest::newRow("bar") << u"a|b"_s << NameProblem::Invalid;
    QTest::newRow("tab") << u"a\tb"_s << NameProblem::Invalid;
    QTest::newRow("null") << QString(u"a"_s + QChar(0) + u"b"_s) << NameProblem::Invalid;
    QTest::newRow("unit separator") << QString(u"a"_s + QChar(0x1F)) << NameProblem::Invalid;
    QTest::newRow("delete") << QString(u"a"_s + QChar(0x7F)) << NameProblem::Invalid;
    QTest::newRow("first C1 control") << QString(u"a"_s + QChar(0x80)) << NameProblem::Invalid;
    QTest::newRow("last C1 control") << QString(u"a"_s + QChar(0x9F)) << NameProblem::Invalid;
    QTest::newRow("no-break space") << QString(u"a"_s + QChar(0xA0)) << NameProblem::None;
    QTest::newRow("parent") << u".."_s << NameProblem::Invalid;
    QTest::newRow("parent in the middle") << u"a/../b"_s << NameProblem::Invalid;
    QTest::newRow("parents with backslashes") << u"a\\..\\..\\x"_s << NameProblem::Invalid;
    QTest::newRow("parent first") << u"../x"_s << NameProblem::Invalid;
    QTest::newRow("parent last") << u"a\\.."_s << NameProblem::Invalid;
}

void TestNameRules::checkName()
{
    QFETCH(QString, name);
    QFETCH(NameProblem, problem);
    QCOMPARE(namerules::checkPlaylistName(name), problem);
}

void TestNameRules::filePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");

    const QString folder = u"/media/psp/PSP/PLAYLIST/MUSIC"_s;
    QTest::newRow("plain") << folder << u"Untitled playlist"_s
                           << u"/media/psp/PSP/PLAYLIST/MUSIC/Untitled playlist.m3u8"_s;
    QTest::newRow("folder with trailing slash") << u"/media/psp/PSP/PLAYLIST/MUSIC/"_s << u"Rock"_s
                                                << u"/media/psp/PSP/PLAYLIST/MUSIC/Rock.m3u8"_s;
    QTest::newRow("drive root") << u"E:/"_s << u"Rock"_s << u"E:/Rock.m3u8"_s;
    QTest::newRow("backslash is a separator")
        << folder << u"Old\\Rock"_s << u"/media/psp/PSP/PLAYLIST/MUSIC/Old/Rock.m3u8"_s;
    QTest::newRow("slash is a separator")
        << folder << u"Old/Rock"_s << u"/media/psp/PSP/PLAYLIST/MUSIC/Old/Rock.m3u8"_s;
    QTest::newRow("dots kept") << folder << u"..."_s << u"/media/psp/PSP/PLAYLIST/MUSIC/....m3u8"_s;
    QTest::newRow("empty name") << folder << QString() << u"/media/psp/PSP/PLAYLIST/MUSIC/.m3u8"_s;
}

void TestNameRules::filePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(folderpath::join(folder, namerules::playlistFileName(name)), path);
}

QTEST_GUILESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
