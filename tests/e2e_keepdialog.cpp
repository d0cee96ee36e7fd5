#include "controls/mainwindowcontrols.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "support/audiofiles.h"
#include "support/fakes.h"
#include "support/pspdrive.h"
#include "sync/keepdialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// What a PSP keeps, as its dialog shows it, at twice the size on a
// 1280×1024 screen, in French, the longer of the two languages.
class TestKeepDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsWhatEachEntryHolds();
    void anEmptyListOpensFromSync();
    void copiesAnotherPspsList();
};

void TestKeepDialog::showsWhatEachEntryHolds()
{
    QTemporaryDir music;
    const QDir here(music.path());
    QVERIFY(here.mkpath(u"Album"_s));
    for (const QString &name : {u"Album/a.mp3"_s, u"Album/b.mp3"_s})
        QVERIFY(writeTone(here.filePath(name), "mp3", 1, 44100, 2, {}));
    QFile mix(here.filePath(u"mix.m3u8"_s));
    QVERIFY(mix.open(QIODevice::WriteOnly) && mix.write("Album/a.mp3\ngone.mp3\n") > 0);
    mix.close();
    PspDrive drive;
    SyncList kept;
    kept.add(here.filePath(u"mix.m3u8"_s), SyncEntry::Kind::Playlist);
    kept.add(here.filePath(u"Album"_s), SyncEntry::Kind::Folder);
    kept.add(here.filePath(u"Gone"_s), SyncEntry::Kind::Folder);
    QVERIFY(synclist::save(sendrecord::volumeIdentity(*VolumeRoot::open(drive.root())), kept));

    TestMainWindow window{0x040C};
    drive.plugInto(window);
    window->showCentred();
    window->controls().menus.keep->trigger();
    auto *dialog = window->findChild<KeepDialog *>();
    QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
    const QTreeWidget *entries = dialog->findChild<QTreeWidget *>(u"entries"_s);
    // Tracks, size and state, worked out off the window's thread.
    QTRY_VERIFY(entries->topLevelItemCount() == 3 && !entries->topLevelItem(2)->text(4).isEmpty());
    const auto row = [entries](int i) {
        const QTreeWidgetItem *item = entries->topLevelItem(i);
        return QStringList{item->text(2), item->text(4)};
    };
    QCOMPARE(row(0), (QStringList{u"1"_s, u"1 introuvable"_s}));
    QCOMPARE(row(1), (QStringList{u"2"_s, u"disponible"_s}));
    QCOMPARE(row(2), (QStringList{u"0"_s, u"introuvable"_s}));
    QVERIFY(!entries->topLevelItem(1)->text(3).isEmpty());
    QVERIFY(dialog->findChild<QLabel *>(u"psp"_s)->text().contains(u"libres sur"_s));

    // Every control on the screen, Close and the side buttons among them.
    const QRect screen = dialog->screen()->availableGeometry();
    QVERIFY2(
        screen.contains(dialog->frameGeometry()),
        qPrintable(
            u"%1x%2"_s.arg(dialog->frameGeometry().width()).arg(dialog->frameGeometry().height())));
    for (const QPushButton *button : dialog->findChildren<QPushButton *>())
        QVERIFY2(screen.contains(QRect(button->mapToGlobal(QPoint()), button->size())),
                 qPrintable(button->text()));
}

void TestKeepDialog::anEmptyListOpensFromSync()
{
    PspDrive drive;
    TestMainWindow window{0x040C};
    drive.plugInto(window);
    window->controls().menus.sync->trigger();
    QTRY_VERIFY(window->findChild<KeepDialog *>());
}

void TestKeepDialog::copiesAnotherPspsList()
{
    QTemporaryDir music;
    const QDir here(music.path());
    QVERIFY(here.mkpath(u"A"_s) && here.mkpath(u"B"_s));
    PspDrive drive;
    SyncList mine;
    mine.add(here.filePath(u"A"_s), SyncEntry::Kind::Folder);
    QVERIFY(synclist::save(sendrecord::volumeIdentity(*VolumeRoot::open(drive.root())), mine));
    // One seen under a name, and one kept before names were: both offered.
    SyncList theirs;
    theirs.add(here.filePath(u"B"_s), SyncEntry::Kind::Folder);
    theirs.add(here.filePath(u"A"_s), SyncEntry::Kind::Folder);
    QVERIFY(synclist::save(u"living-room"_s, theirs));
    synclist::nameIfNone(u"living-room"_s, u"Salon"_s);
    QVERIFY(synclist::save(u"0123456789ab"_s, mine));

    TestMainWindow window{0x040C};
    drive.plugInto(window);
    window->showCentred();
    window->controls().menus.keep->trigger();
    auto *dialog = window->findChild<KeepDialog *>();
    QVERIFY(dialog);
    auto *copy = dialog->findChild<QPushButton *>(u"copyFrom"_s);
    QTRY_VERIFY(copy->isEnabled());
    QMenu *menu = copy->menu();
    Q_EMIT menu->aboutToShow();
    QStringList offered;
    for (const QAction *action : menu->actions())
        offered.append(action->text());
    QVERIFY2(offered.contains(u"Salon"_s) && offered.contains(u"PSP sans nom (01234567)"_s),
             qPrintable(offered.join(u'|')));
    menu->actions().at(offered.indexOf(u"Salon"_s))->trigger();
    // Added after this PSP's own entries, each once, and saved.
    const QTreeWidget *entries = dialog->findChild<QTreeWidget *>(u"entries"_s);
    QCOMPARE(entries->topLevelItemCount(), 2);
    QCOMPARE(entries->topLevelItem(1)->text(1), QDir::toNativeSeparators(here.filePath(u"B"_s)));
    QCOMPARE(synclist::load(dialog->identity()).entries().size(), 2);
    QCOMPARE(dialog->accessibleDescription(),
             u"1 entrée ajoutée depuis la PSP «\u00A0Salon\u00A0»."_s);
    dialog->close();
}

int main(int argc, char *argv[])
{
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestKeepDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "e2e_keepdialog.moc"
