#include "controls/dirlistbox.h"
#include "core/folderpath.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The tree as indented lines, two spaces a level, so a whole tree compares
// in one go.
QStringList outline(const QTreeWidgetItem *item, int depth = 0)
{
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        lines += outline(item->child(i), depth + 1);
    return lines;
}

QStringList outline(const DirListBox &list)
{
    QStringList lines;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        lines += outline(list.topLevelItem(i));
    return lines;
}

QTreeWidgetItem *itemNamed(const DirListBox &list, const QString &name)
{
    const QList<QTreeWidgetItem *> found =
        list.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

// As the window system delivers it: a click, then the double-click.
void doubleClick(DirListBox &list, const QTreeWidgetItem *item)
{
    const QPoint centre = list.visualItemRect(item).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestDirListBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void showsChainAndSubfolders();
    void doubleClickOpensFolder();
    void activatingOpensFolder();
    void singleClickOnlyHighlights();
    void folderOutsideRootOpensRoot_data();
    void folderOutsideRootOpensRoot();
    void samePathRaisesNothing();
    void rootKeepsTrailingSeparator();
    void missingFolderShowsOnlyChain();
    void foldersNoEntryCanReachLeftOut_data();
    void foldersNoEntryCanReachLeftOut();
    void withoutDriveRootStartsAtFileSystemRoot();

private:
    QString at(const QString &relative) const { return folderpath::join(m_root, relative); }

    std::unique_ptr<QTemporaryDir> m_drive;
    QString m_root;
    QString m_rootText;
};

void TestDirListBox::init()
{
    m_drive = std::make_unique<QTemporaryDir>();
    QVERIFY(m_drive->isValid());
    m_root = folderpath::rootForm(m_drive->path());
    m_rootText = QDir::toNativeSeparators(m_root);
    QDir drive(m_drive->path());
    for (const QString &folder : {u"MUSIC/Album/CD1"_s, u"MUSIC/Rock"_s, u"MUSIC/10 Live"_s,
                                  u"MUSIC/9 Live"_s, u"MUSIC/.hidden"_s, u"PSP"_s})
        QVERIFY(drive.mkpath(folder));
    QFile file(drive.filePath(u"MUSIC/song.mp3"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestDirListBox::showsChainAndSubfolders()
{
    DirListBox list;
    list.setDriveRoot(m_drive->path());
    QCOMPARE(list.driveRoot(), m_root);
    QSignalSpy changed(&list, &DirListBox::changed);

    list.setPath(at(u"MUSIC"_s));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), at(u"MUSIC"_s));
    QCOMPARE(outline(list), (QStringList{m_rootText, u"  MUSIC"_s, u"    9 Live"_s,
                                         u"    10 Live"_s, u"    Album"_s, u"    Rock"_s}));

    QTreeWidgetItem *music = itemNamed(list, u"MUSIC"_s);
    QVERIFY(music);
    QCOMPARE(list.selectedItems().value(0), music);
    QVERIFY(music->isSelected());
    QCOMPARE(music->data(0, Qt::UserRole).toString(), at(u"MUSIC"_s));
    QCOMPARE(list.topLevelItem(0)->data(0, Qt::UserRole).toString(), m_root);
    QCOMPARE(itemNamed(list, u"Rock"_s)->data(0, Qt::UserRole).toString(), at(u"MUSIC/Rock"_s));
    QVERIFY(music->isExpanded());
}

void TestDirListBox::doubleClickOpensFolder()
{
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC"_s));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &DirListBox::changed);

    doubleClick(list, itemNamed(list, u"Album"_s));

    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), at(u"MUSIC/Album"_s));
    QCOMPARE(outline(list),
             (QStringList{m_rootText, u"  MUSIC"_s, u"    Album"_s, u"      CD1"_s}));
    QCOMPARE(list.selectedItems().value(0), itemNamed(list, u"Album"_s));

    // Back up the chain to the drive root.
    doubleClick(list, list.topLevelItem(0));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(list.path(), m_root);
    QCOMPARE(outline(list), (QStringList{m_rootText, u"  MUSIC"_s, u"  PSP"_s}));
}

void TestDirListBox::activatingOpensFolder()
{
    DirListBox list;
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC/Album"_s));
    QSignalSpy changed(&list, &DirListBox::changed);

    Q_EMIT list.itemDoubleClicked(itemNamed(list, u"CD1"_s), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), at(u"MUSIC/Album/CD1"_s));

    // The opened folder's own item opens nothing new.
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
}

void TestDirListBox::singleClickOnlyHighlights()
{
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC"_s));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &DirListBox::changed);

    QTreeWidgetItem *rock = itemNamed(list, u"Rock"_s);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(rock).center());
    QCOMPARE(list.selectedItems().value(0), rock);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(list.path(), at(u"MUSIC"_s));
}

void TestDirListBox::folderOutsideRootOpensRoot_data()
{
    // "<drive>" stands for the drive root without its trailing separator.
    QTest::addColumn<QString>("folder");

    QTest::newRow("parent of the root") << u"<drive>/.."_s;
    QTest::newRow("file system root") << u"/"_s;
    QTest::newRow("climbing out") << u"<drive>/MUSIC/../.."_s;
    QTest::newRow("name sharing a prefix") << u"<drive>x/MUSIC"_s;
    QTest::newRow("empty") << QString();
}

void TestDirListBox::folderOutsideRootOpensRoot()
{
    QFETCH(QString, folder);
    folder.replace(u"<drive>"_s, m_drive->path());

    DirListBox list;
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC"_s));
    QSignalSpy changed(&list, &DirListBox::changed);

    list.setPath(folder);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), m_root);
    QCOMPARE(outline(list), (QStringList{m_rootText, u"  MUSIC"_s, u"  PSP"_s}));
    QCOMPARE(list.selectedItems().value(0), list.topLevelItem(0));
}

void TestDirListBox::samePathRaisesNothing()
{
    DirListBox list;
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC"_s));
    QTreeWidgetItem *rock = itemNamed(list, u"Rock"_s);
    list.setCurrentItem(rock);
    QSignalSpy changed(&list, &DirListBox::changed);

    list.setPath(at(u"MUSIC"_s));
    list.setPath(at(u"MUSIC/"_s));
    list.setPath(at(u"MUSIC/Rock/.."_s));
    QCOMPARE(changed.count(), 0);
    // Nothing was rebuilt: the highlight stays where the user left it.
    QCOMPARE(list.selectedItems().value(0), rock);
}

void TestDirListBox::rootKeepsTrailingSeparator()
{
    DirListBox list;
    list.setDriveRoot(m_drive->path());
    QSignalSpy changed(&list, &DirListBox::changed);

    list.setPath(m_drive->path());
    QCOMPARE(list.path(), m_root);
    QVERIFY(list.path().endsWith(QLatin1Char('/')));
    QCOMPARE(changed.count(), 1);

    list.setPath(m_root);
    QCOMPARE(changed.count(), 1);
}

void TestDirListBox::missingFolderShowsOnlyChain()
{
    DirListBox list;
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC/Album"_s));
    QVERIFY(QDir(at(u"MUSIC/Album"_s)).removeRecursively());
    QSignalSpy changed(&list, &DirListBox::changed);

    list.setPath(at(u"MUSIC/Album/CD1"_s));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(outline(list),
             (QStringList{m_rootText, u"  MUSIC"_s, u"    Album"_s, u"      CD1"_s}));
    QCOMPARE(list.selectedItems().value(0), itemNamed(list, u"CD1"_s));
}

void TestDirListBox::foldersNoEntryCanReachLeftOut_data()
{
    // Made in MUSIC: a folder, or a link to target ("<drive>" as above).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<bool>("opens");

    QTest::newRow("link leading off the drive") << u"etc"_s << u"/etc"_s << false;
    QTest::newRow("link within the drive") << u"Alias"_s << u"<drive>/MUSIC/Rock"_s << true;
    QTest::newRow("line break") << u"two\nlines"_s << QString() << true;
    QTest::newRow("tab") << u"a\tb"_s << QString() << true;
}

// Links and names no playlist line can hold are not shown; a folder that a
// link leads off the drive is not opened even when code asks for it.
void TestDirListBox::foldersNoEntryCanReachLeftOut()
{
    QFETCH(QString, name);
    QFETCH(QString, linkTarget);
    QFETCH(bool, opens);
    linkTarget.replace(u"<drive>"_s, m_drive->path());
    const QString made = at(u"MUSIC/"_s + name);
    QVERIFY(linkTarget.isEmpty() ? QDir().mkpath(made) : QFile::link(linkTarget, made));

    DirListBox list;
    list.setDriveRoot(m_root);
    list.setPath(at(u"MUSIC"_s));
    QCOMPARE(outline(list), (QStringList{m_rootText, u"  MUSIC"_s, u"    9 Live"_s,
                                         u"    10 Live"_s, u"    Album"_s, u"    Rock"_s}));

    list.setPath(made);
    QCOMPARE(list.path(), opens ? made : m_root);
}

void TestDirListBox::withoutDriveRootStartsAtFileSystemRoot()
{
    DirListBox list;
    list.setPath(at(u"MUSIC"_s));
    QCOMPARE(list.path(), at(u"MUSIC"_s));
    QCOMPARE(list.topLevelItem(0)->text(0), QDir::toNativeSeparators(QDir::rootPath()));
    QCOMPARE(list.selectedItems().value(0)->text(0), u"MUSIC"_s);
    QCOMPARE(list.selectedItems().value(0)->childCount(), 4);
}

QTEST_MAIN(TestDirListBox)
#include "tst_dirlistbox.moc"
