#include "controls/capacitybar.h"
#include "sync/syncplandialog.h"

#include <QCheckBox>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// The plan of a sync as its table and space bar say it, as the boxes change.
class TestSyncPlanDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void changedPlaylistsAskedEach();
};

void TestSyncPlanDialog::lines_data()
{
    QTest::addColumn<bool>("removeUnnamed");
    QTest::addColumn<bool>("removeNamed");
    QTest::addColumn<QString>("removeLine");
    QTest::addColumn<QString>("space");
    // 10 MB free of 100 MB; 12 MB to send; removals of 2 and 3 MB, the
    // second named by a playlist of the user's.
    QTest::newRow("held") << false << false << u"To remove: 2 tracks, held"_s
                          << u"Now: 90.0 MB used, 10.0 MB free of 100.0 MB. After: 2.0 MB short."_s;
    QTest::newRow("some held") << true << false << u"To remove: 1 track; held: 1 track"_s
                               << u"After: 0 bytes free."_s;
    QTest::newRow("none held") << true << true << u"To remove: 2 tracks"_s
                               << u"After: 3.0 MB free."_s;
}

void TestSyncPlanDialog::lines()
{
    QFETCH(bool, removeUnnamed);
    QFETCH(bool, removeNamed);
    SyncPlanDialog dialog(nullptr, Language::English);
    SyncOutline plan;
    plan.toSend = 1;
    plan.bytes = 12'000'000;
    plan.sending = {{u"/music/a.flac"_s, plan.bytes}};
    plan.alreadyThere = 1;
    plan.removals = {{{{}, {}, u"A/1.mp3"_s, 2'000'000, true}, {}},
                     {{{}, {}, u"A/2.mp3"_s, 3'000'000, true}, {u"Mine.m3u8"_s}}};
    plan.freeBytes = 10'000'000;
    plan.totalBytes = 100'000'000;
    dialog.showPlan(plan);
    dialog.findChild<QCheckBox *>(u"removeUnnamed"_s)->setChecked(removeUnnamed);
    dialog.findChild<QCheckBox *>(u"removeNamed"_s)->setChecked(removeNamed);

    const QTreeWidget *table = dialog.findChild<QTreeWidget *>(u"plan"_s);
    QStringList lines;
    for (int i = 0; i < table->topLevelItemCount(); ++i)
        lines.append(table->topLevelItem(i)->text(0));
    QCOMPARE(lines.at(0), u"To send: 1 track"_s);
    QCOMPARE(table->topLevelItem(0)->child(0)->text(0), u"/music/a.flac (12.0 MB)"_s);
    QTEST(lines.at(2), "removeLine");
    // What the removals chosen free is in the space after.
    QFETCH(QString, space);
    const QString said = dialog.findChild<CapacityBar *>(u"space"_s)->accessibleDescription();
    QVERIFY2(said.contains(space), qPrintable(said));
}

void TestSyncPlanDialog::changedPlaylistsAskedEach()
{
    SyncPlanDialog dialog(nullptr, Language::English);
    SyncOutline plan;
    plan.playlists = 3;
    plan.playlistFiles = {u"Road.m3u8"_s, u"Gym.m3u8"_s, u"New.m3u8"_s};
    plan.changedPlaylists = {u"Road.m3u8"_s, u"Gym.m3u8"_s};
    dialog.showPlan(plan);
    const QList<QCheckBox *> boxes =
        dialog.findChild<QWidget *>(u"changed"_s)->findChildren<QCheckBox *>();
    QCOMPARE(boxes.size(), 2);
    QVERIFY(dialog.replacing().isEmpty());
    boxes.at(1)->setChecked(true);
    QCOMPARE(dialog.replacing(), QStringList{u"Gym.m3u8"_s});
    // The plan counts what will be written: a kept playlist is not.
    const QTreeWidget *table = dialog.findChild<QTreeWidget *>(u"plan"_s);
    QCOMPARE(table->topLevelItem(2)->text(0), u"Playlists to write: 2 playlists"_s);
    QCOMPARE(table->topLevelItem(3)->text(0),
             u"Changed on the PSP: kept: 1 playlist; replaced: 1 playlist"_s);
}

QTEST_MAIN(TestSyncPlanDialog)
#include "tst_syncplandialog.moc"
