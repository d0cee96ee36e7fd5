#include "app/commandline.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "core/usersettings.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What a PSP keeps, changed from a terminal.
class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        usersettings::open()->remove(u"synclists"_s);
    }
    void keepAndForget_data();
    void keepAndForget();
    void misuse_data();
    void misuse();
};

void TestCommandLine::keepAndForget_data()
{
    // Paths are below a folder holding a PSP ("psp"), "music/mix.m3u",
    // "music/notes.txt" and "music/Album".
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QStringList>("kept");
    const QString keepMix = u"--keep music/mix.m3u psp"_s;
    const QString keepAlbum = u"--keep music/Album psp"_s;
    QTest::newRow("added") << QStringList() << keepMix << 0 << u"is now kept"_s
                           << QStringList{u"music/mix.m3u"_s};
    QTest::newRow("a folder after it") << QStringList{keepMix} << keepAlbum << 0 << u"is now kept"_s
                                       << QStringList{u"music/mix.m3u"_s, u"music/Album"_s};
    QTest::newRow("already there")
        << QStringList{keepMix} << keepMix << 0 << u"already"_s << QStringList{u"music/mix.m3u"_s};
    QTest::newRow("not a playlist") << QStringList() << u"--keep music/notes.txt psp"_s << 1
                                    << u"neither a folder nor a playlist"_s << QStringList();
    QTest::newRow("not there") << QStringList() << u"--keep music/gone.m3u psp"_s << 1
                               << u"does not exist"_s << QStringList();
    QTest::newRow("not a PSP") << QStringList() << u"--keep music/Album music"_s << 1
                               << u"not a PSP"_s << QStringList();
    // A folder within a PSP names it; its list is the PSP's own.
    QTest::newRow("within the PSP")
        << QStringList{keepMix} << u"--keep music/Album psp/PSP"_s << 0 << u"kept on the PSP at"_s
        << QStringList{u"music/mix.m3u"_s, u"music/Album"_s};
    QTest::newRow("forget") << QStringList{keepMix, keepAlbum} << u"--forget music/mix.m3u psp"_s
                            << 0 << u"no longer kept"_s << QStringList{u"music/Album"_s};
    QTest::newRow("no folder") << QStringList() << u"--keep music/Album"_s << 2 << u"Usage"_s
                               << QStringList();
}

void TestCommandLine::keepAndForget()
{
    QFETCH(QStringList, before);
    QFETCH(QString, arguments);
    QTemporaryDir folder;
    const QDir here(folder.path());
    for (const QString &made : {u"psp/PSP"_s, u"music/Album"_s})
        QVERIFY(here.mkpath(made));
    for (const QString &file : {u"music/mix.m3u"_s, u"music/notes.txt"_s}) {
        QFile touched(here.filePath(file));
        QVERIFY(touched.open(QIODevice::WriteOnly));
    }
    const auto run = [&here](const QString &line) {
        QStringList words{u"zarvello"_s};
        for (const QString &word : line.split(u' '))
            words.append(word.startsWith(u'-') ? word : here.filePath(word));
        return *answerKeepOptions(words, Language::English);
    };
    for (const QString &line : before)
        QCOMPARE(run(line).exitCode, 0);

    const CommandLineAnswer answer = run(arguments);
    QTEST(answer.exitCode, "exitCode");
    QFETCH(QString, says);
    const QString said = answer.output + answer.error;
    QVERIFY2(said.contains(says) && said.count(u'\n') == 1, qPrintable(said));
    QStringList kept;
    const std::unique_ptr<VolumeRoot> psp = VolumeRoot::open(here.filePath(u"psp"_s));
    const SyncList list = synclist::load(sendrecord::volumeIdentity(*psp));
    for (const SyncEntry &entry : list.entries())
        kept.append(here.relativeFilePath(entry.path));
    QTEST(kept, "kept");
}

void TestCommandLine::misuse_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("says"); // empty when the options are fine
    const QString alone = u"go with --sync only"_s;
    QTest::newRow("a place") << u"/media/PSP"_s << QString();
    QTest::newRow("Qt's options") << u"-platform offscreen -reverse /media/PSP"_s << QString();
    QTest::newRow("sync, folder first") << u"--sync /media/PSP --dry-run"_s << QString();
    QTest::newRow("sync, folder last") << u"--sync --dry-run --delete /media/PSP"_s << QString();
    QTest::newRow("sync=folder") << u"--sync=/media/PSP --verbose"_s << QString();
    QTest::newRow("dry run alone") << u"--dry-run /media/PSP"_s << alone;
    QTest::newRow("delete alone") << u"--delete"_s << alone;
    QTest::newRow("unknown") << u"--frobnicate /media/PSP"_s << u"Unknown option: --frobnicate"_s;
    QTest::newRow("unknown with sync") << u"--sync /media/PSP -x"_s << u"Unknown option: -x"_s;
    QTest::newRow("sync and keep") << u"--sync /media/PSP --keep a.m3u"_s << u"Usage"_s;
}

void TestCommandLine::misuse()
{
    QFETCH(QString, arguments);
    QFETCH(QString, says);
    const std::optional<CommandLineAnswer> answer =
        misuseOf(QStringList{u"zarvello"_s} + arguments.split(u' '), Language::English);
    QCOMPARE(answer.has_value(), !says.isEmpty());
    if (!answer)
        return;
    // One line, on standard error, and the status scripts know as misuse.
    QCOMPARE(answer->exitCode, 2);
    QVERIFY2(answer->error.contains(says) && answer->error.count(u'\n') == 1,
             qPrintable(answer->error));
    QVERIFY(answer->output.isEmpty());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
