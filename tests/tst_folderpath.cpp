#include "core/folderpath.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFolderPath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void normalised_data();
    void normalised();
    void rootForm_data();
    void rootForm();
    void join_data();
    void join();
    void isWithin_data();
    void isWithin();
    void fromArgument_data();
    void fromArgument();
};

void TestFolderPath::normalised_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("slash root") << u"/"_s << u"/"_s;
    QTest::newRow("drive root") << u"E:/"_s << u"E:/"_s;
    QTest::newRow("mount root loses its slash") << u"/media/psp/"_s << u"/media/psp"_s;
    QTest::newRow("plain folder") << u"/media/psp/MUSIC"_s << u"/media/psp/MUSIC"_s;
    QTest::newRow("doubled separators") << u"/media//psp///MUSIC//"_s << u"/media/psp/MUSIC"_s;
    QTest::newRow("dot segments") << u"/media/psp/./MUSIC/../PSP/"_s << u"/media/psp/PSP"_s;
    QTest::newRow("dot-dot at root") << u"/.."_s << u"/"_s;
    QTest::newRow("dot-dot above root") << u"/../../media"_s << u"/media"_s;
    QTest::newRow("drive folder") << u"E:/MUSIC/"_s << u"E:/MUSIC"_s;
    QTest::newRow("bare drive letter") << u"E:"_s << u"E:/"_s;
    QTest::newRow("dot-dot above drive") << u"E:/MUSIC/../.."_s << u"E:/"_s;
    QTest::newRow("dot-dot back to drive") << u"E:/MUSIC/.."_s << u"E:/"_s;
#ifdef Q_OS_WIN
    QTest::newRow("native separators") << u"E:\\MUSIC\\Album\\"_s << u"E:/MUSIC/Album"_s;
    QTest::newRow("native drive root") << u"E:\\"_s << u"E:/"_s;
#endif
}

void TestFolderPath::normalised()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(folderpath::normalised(path), expected);
}

void TestFolderPath::rootForm_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("expected");

    QTest::newRow("slash root") << u"/"_s << u"/"_s;
    QTest::newRow("mount without slash") << u"/media/psp"_s << u"/media/psp/"_s;
    QTest::newRow("mount with slash") << u"/media/psp/"_s << u"/media/psp/"_s;
    QTest::newRow("mount doubled slash") << u"/media/psp//"_s << u"/media/psp/"_s;
    QTest::newRow("drive root") << u"E:/"_s << u"E:/"_s;
}

void TestFolderPath::rootForm()
{
    QFETCH(QString, root);
    QFETCH(QString, expected);
    QCOMPARE(folderpath::rootForm(root), expected);
}

void TestFolderPath::join_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("folder") << u"/media/psp/MUSIC"_s << u"a.mp3"_s << u"/media/psp/MUSIC/a.mp3"_s;
    QTest::newRow("mount root") << u"/media/psp/"_s << u"MUSIC"_s << u"/media/psp/MUSIC"_s;
    QTest::newRow("slash root") << u"/"_s << u"media"_s << u"/media"_s;
    QTest::newRow("drive root") << u"E:/"_s << u"MUSIC"_s << u"E:/MUSIC"_s;
    QTest::newRow("name with separator") << u"E:/"_s << u"/MUSIC"_s << u"E:/MUSIC"_s;
}

void TestFolderPath::join()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(folderpath::join(folder, name), expected);
}

void TestFolderPath::isWithin_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("expected");

    QTest::newRow("root itself") << u"/media/psp/"_s << u"/media/psp/"_s << true;
    QTest::newRow("root without slash") << u"/media/psp"_s << u"/media/psp/"_s << true;
    QTest::newRow("root given without slash") << u"/media/psp"_s << u"/media/psp"_s << true;
    QTest::newRow("child") << u"/media/psp/MUSIC"_s << u"/media/psp/"_s << true;
    QTest::newRow("grandchild") << u"/media/psp/MUSIC/Album"_s << u"/media/psp"_s << true;
    QTest::newRow("parent") << u"/media"_s << u"/media/psp/"_s << false;
    QTest::newRow("name sharing a prefix") << u"/media/pspx"_s << u"/media/psp/"_s << false;
    QTest::newRow("climbs out") << u"/media/psp/MUSIC/../../x"_s << u"/media/psp/"_s << false;
    QTest::newRow("climbs back in") << u"/media/psp/MUSIC/.."_s << u"/media/psp/"_s << true;
    QTest::newRow("anything under slash") << u"/home/user"_s << u"/"_s << true;
    QTest::newRow("slash itself") << u"/"_s << u"/"_s << true;
    QTest::newRow("drive child") << u"E:/MUSIC"_s << u"E:/"_s << true;
    QTest::newRow("other drive") << u"F:/MUSIC"_s << u"E:/"_s << false;
    QTest::newRow("drive folder climbs out") << u"E:/PSP/../.."_s << u"E:/PSP"_s << false;
    QTest::newRow("empty folder") << QString() << u"/"_s << false;
#ifdef Q_OS_WIN
    QTest::newRow("other case") << u"E:/Media/PSP/music"_s << u"e:/media/psp"_s << true;
#else
    QTest::newRow("other case") << u"/Media/PSP/music"_s << u"/media/psp"_s << false;
#endif
}

void TestFolderPath::isWithin()
{
    QFETCH(QString, folder);
    QFETCH(QString, root);
    QFETCH(bool, expected);
    QCOMPARE(folderpath::isWithin(folder, root), expected);
}

void TestFolderPath::fromArgument_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");

    const QString here = QDir::currentPath();
    QTest::newRow("absolute path") << u"/media/psp/"_s << u"/media/psp"_s;
    QTest::newRow("relative path") << u"copy/of/psp"_s << here + u"/copy/of/psp"_s;
    QTest::newRow("file URI") << u"file:///media/ana/PSP%20GO"_s << u"/media/ana/PSP GO"_s;
    QTest::newRow("URI with host") << u"file://localhost/media/psp/"_s << u"/media/psp"_s;
    QTest::newRow("name with a colon") << u"psp:copy"_s << here + u"/psp:copy"_s;
    for (const QString &uri : {u"mtp://%5Busb%3A001,004%5D/"_s, u"smb://nas/music"_s, u"trash:/"_s})
        QTest::newRow(qPrintable(u"elsewhere: "_s + uri)) << uri << uri;
}

void TestFolderPath::fromArgument()
{
    QFETCH(QString, argument);
    QTEST(folderpath::fromArgument(argument), "expected");
    QCOMPARE(folderpath::isElsewhere(argument),
             QByteArray(QTest::currentDataTag()).startsWith("elsewhere"));
}

QTEST_GUILESS_MAIN(TestFolderPath)
#include "tst_folderpath.moc"
