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
