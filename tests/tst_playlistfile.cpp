#include "core/playlistfile.h"

#include <algorithm>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

using namespace playlistfile;

namespace {

// Hands out its bytes, then fails the way a medium pulled out mid-read does.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(const QByteArray &bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_bytes.isEmpty()) {
            setErrorString(u"The medium went away"_s);
            return -1;
        }
        const qint64 size = qMin(maxSize, qint64(m_bytes.size()));
        std::copy_n(m_bytes.constData(), size, data);
        m_bytes.remove(0, size);
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Through a handle on the file's folder, as the program saves and reads.
bool savePlaylist(const QString &path, const QStringList &entries, int codePage,
                  QString *error = nullptr)
{
    const Result<> saved =
        playlistfile::savePlaylist(*VolumeRoot::open(QFileInfo(path).path()),
                                   QFileInfo(path).fileName(), encodePlaylist(entries, codePage));
    if (!saved && error)
        *error = saved.error().message;
    return bool(saved);
}

LoadedPlaylist loadPlaylist(const QString &path, int codePage)
{
    return playlistfile::loadPlaylist(*VolumeRoot::open(QFileInfo(path).path()),
                                      QFileInfo(path).fileName(), codePage);
}

QStringList manyEntries(int count)
{
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(u"\\MUSIC\\Artist %1\\Album\\%2 - Track title.mp3"_s.arg(i / 12).arg(i));
    return entries;
}

enum class Failure
{
    ReadOnlyFolder,
    WriteProtectedMedium,
    FullMedium,
    // Small enough to stay in a write buffer until the file is closed.
    NearlyFullMediumSmallPlaylist,
};

} // namespace

Q_DECLARE_METATYPE(Failure)

class TestPlaylistFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesEntriesWithCrLfInAnsi();
    void emptyPlaylistIsEmptyFile();
    void lineEnds_data();
    void lineEnds();
    void utf8FileWithByteOrderMarkRoundTrips();
    void everyByteRoundTrips();
    void findsFirstInexactEntry_data();
    void findsFirstInexactEntry();
    void missingCharacterIsWrittenAsQuestionMark();
    void failedReadIsIncomplete();
    void missingFileIsIncomplete();
    void saveReplacesOldFile();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void saveGoesOnWithVolumePulledOut();
    void longPlaylistSavesAndLoadsWhole();
    void nameTheVolumeAcceptsSaves_data();
    void nameTheVolumeAcceptsSaves();
};

void TestPlaylistFile::writesEntriesWithCrLfInAnsi()
{
    const QByteArray expected(
        "\x5C\x4D\x55\x53\x49\x43\x5C\x41\x2E\x6D\x70\x33\x0D\x0A"
        "\x5C\x4D\x55\x53\x49\x43\x5C\x43\x61\x66\xE9\x2E\x6D\x70\x33\x0D\x0A");
    QCOMPARE(expected.size(), 31);
    const QStringList entries{u"\\MUSIC\\A.mp3"_s, u"\\MUSIC\\Café.mp3"_s};

    QCOMPARE(encodePlaylist(entries, 1252), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Two.m3u8"_s);
    QString error;
    QVERIFY2(savePlaylist(path, entries, 1252, &error), qPrintable(error));
    QCOMPARE(readFile(path), expected);
    const LoadedPlaylist loaded = loadPlaylist(path, 1252);
    QVERIFY(loaded.bytes);
    QCOMPARE(loaded.entries, entries);
}

void TestPlaylistFile::emptyPlaylistIsEmptyFile()
{
    QVERIFY(encodePlaylist({}, 1252).isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Empty.m3u8"_s);
    QVERIFY(savePlaylist(path, {}, 1252));
    QCOMPARE(QFileInfo(path).size(), 0);
    const LoadedPlaylist loaded = loadPlaylist(path, 1252);
    QVERIFY(loaded.bytes);
    QVERIFY(loaded.entries.isEmpty());
}

void TestPlaylistFile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    const QStringList ab{u"a"_s, u"b"_s};
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << ab;
    QTest::newRow("CR") << QByteArray("a\rb\r") << ab;
    QTest::newRow("LF") << QByteArray("a\nb\n") << ab;
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd")
                           << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("no line end at the end") << QByteArray("a\r\nb") << ab;
    QTest::newRow("line end at the end adds no entry")
        << QByteArray("a\r\n") << QStringList{u"a"_s};
    QTest::newRow("empty line at the end")
        << QByteArray("a\r\n\r\n") << QStringList{u"a"_s, QString()};
    QTest::newRow("LF CR is two line ends")
        << QByteArray("a\n\rb") << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("empty lines and comments are entries")
        << QByteArray("#EXTM3U\r\n\r\n# x\r\n\\MUSIC\\A.mp3\r\n")
        << QStringList{u"#EXTM3U"_s, QString(), u"# x"_s, u"\\MUSIC\\A.mp3"_s};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{QString()};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestPlaylistFile::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);

    QCOMPARE(decodePlaylist(bytes, 1252), entries);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const LoadedPlaylist read = readPlaylist(buffer, 1252);
    QVERIFY(read.bytes);
    QCOMPARE(read.entries, entries);
}

void TestPlaylistFile::utf8FileWithByteOrderMarkRoundTrips()
{
    const QByteArray bytes("\xEF\xBB\xBF\\MUSIC\\Caf\xC3\xA9.mp3\r\n\\MUSIC\\\xE6\x97\xA5.mp3\r\n");
    const QStringList entries = decodePlaylist(bytes, 1252);
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries[0].startsWith(u"ï»¿\\MUSIC\\"_s));

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Utf8.m3u8"_s);
    QVERIFY(writeFile(path, bytes));
    const LoadedPlaylist loaded = loadPlaylist(path, 1252);
    QVERIFY(loaded.bytes);
    QCOMPARE(loaded.entries, entries);
    QVERIFY(savePlaylist(path, loaded.entries, 1252));
    QCOMPARE(readFile(path), bytes);
}

void TestPlaylistFile::everyByteRoundTrips()
{
    QByteArray line;
    for (int i = 0; i < 256; ++i) {
        if (i != '\r' && i != '\n')
            line += char(i);
    }
    const QByteArray bytes = line + "\r\n" + line + "\r\n";
    const QStringList entries = decodePlaylist(bytes, 1252);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].size(), 254);
    QCOMPARE(firstInexactEntry(entries, 1252), -1);
    QCOMPARE(encodePlaylist(entries, 1252), bytes);
}

void TestPlaylistFile::findsFirstInexactEntry_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<int>("first");

    QTest::newRow("empty playlist") << QStringList() << 1252 << -1;
    QTest::newRow("all exact") << QStringList{u"\\MUSIC\\Café.mp3"_s, QString(), u"#x"_s} << 1252
                               << -1;
    QTest::newRow("first entry") << QStringList{u"Łódź"_s, u"a"_s} << 1252 << 0;
    QTest::newRow("later entry") << QStringList{u"a"_s, QString(), u"Café"_s, u"b Ω"_s, u"Ω"_s}
                                 << 1252 << 3;
    QTest::newRow("last character of an entry") << QStringList{u"ab"_s, u"cdŁ"_s} << 1252 << 1;
    QTest::newRow("exact in its code page") << QStringList{u"a"_s, u"Łódź"_s} << 1250 << -1;
    QTest::newRow("multi-byte") << QStringList{u"日本"_s, u"x"_s, u"Café"_s} << 932 << 2;
}

void TestPlaylistFile::findsFirstInexactEntry()
{
    QFETCH(QStringList, entries);
    QFETCH(int, codePage);
    QFETCH(int, first);
    QCOMPARE(playlistfile::firstInexactEntry(entries, codePage), first);
}

void TestPlaylistFile::missingCharacterIsWrittenAsQuestionMark()
{
    QCOMPARE(encodePlaylist({u"\\MUSIC\\Łódź.mp3"_s}, 1252), QByteArray("\\MUSIC\\?\xF3"
                                                                        "d?.mp3\r\n"));
}

void TestPlaylistFile::failedReadIsIncomplete()
{
    FailingDevice device(QByteArray("one\r\ntwo\r\nthr"));
    const LoadedPlaylist read = readPlaylist(device, 1252);
    QVERIFY(!read.bytes);
    QCOMPARE(read.bytes.error().message, u"The medium went away"_s);
    QCOMPARE(read.entries, (QStringList{u"one"_s, u"two"_s}));
}

void TestPlaylistFile::missingFileIsIncomplete()
{
    QTemporaryDir dir;
    const LoadedPlaylist loaded = loadPlaylist(dir.filePath(u"None.m3u8"_s), 1252);
    QVERIFY(!loaded.bytes);
    QVERIFY(!loaded.bytes.error().message.isEmpty());
    QVERIFY(loaded.entries.isEmpty());
}

void TestPlaylistFile::saveReplacesOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"List.m3u8"_s);
    QVERIFY(writeFile(path, QByteArray("old first\r\nold second\r\nold third\r\n")));
    QVERIFY(savePlaylist(path, {u"new"_s}, 1252));
    QCOMPARE(readFile(path), QByteArray("new\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"List.m3u8"_s});
}

void TestPlaylistFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder;
    QTest::newRow("write-protected medium") << Failure::WriteProtectedMedium;
    QTest::newRow("full medium") << Failure::FullMedium;
    QTest::newRow("nearly full medium") << Failure::NearlyFullMediumSmallPlaylist;
}

void TestPlaylistFile::failedSaveKeepsOldFile()
{
#ifndef Q_OS_LINUX
    QSKIP("Needs POSIX permissions and mounts");
#else
    QFETCH(Failure, failure);

    // Root writes to read-only folders anyway, while only root may mount a
    // small medium to fill up or to make read-only.
    const bool root = geteuid() == 0;
    if (failure == Failure::ReadOnlyFolder && root)
        QSKIP("Root ignores folder permissions");
    if (failure != Failure::ReadOnlyFolder && !root)
        QSKIP("Mounting a medium needs root");

    QTemporaryDir dir;
    const QString folder = dir.filePath(u"PLAYLIST"_s);
    QVERIFY(QDir().mkpath(folder));
    const QByteArray folderName = QFile::encodeName(folder);
    if (failure != Failure::ReadOnlyFolder)
        QVERIFY(::mount("tmpfs", folderName.constData(), "tmpfs", 0, "size=64k") == 0);
    const auto unmount = qScopeGuard([&] {
        if (failure != Failure::ReadOnlyFolder)
            ::umount2(folderName.constData(), MNT_DETACH);
    });

    const QString path = folder + u"/Old.m3u8"_s;
    const QByteArray oldBytes("\\MUSIC\\Old.mp3\r\n");
    QVERIFY(writeFile(path, oldBytes));
    QStringList leftOver{u"Old.m3u8"_s};
    // Some 140 kB, more than the medium holds.
    QStringList entries = manyEntries(3000);

    // Lets the temporary folder be removed again.
    const auto restorePermissions = qScopeGuard([&] {
        if (failure == Failure::ReadOnlyFolder)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    switch (failure) {
    case Failure::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        break;
    case Failure::WriteProtectedMedium:
        QVERIFY(::mount("tmpfs", folderName.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                        "size=64k") == 0);
        break;
    case Failure::FullMedium:
        break;
    case Failure::NearlyFullMediumSmallPlaylist:
        QVERIFY(writeFile(folder + u"/Other.bin"_s, QByteArray(56 * 1024, 'x')));
        leftOver.append(u"Other.bin"_s);
        // Some 9 kB, more than the 4 kB left.
        entries = manyEntries(200);
        break;
    }

    QString error;
    QVERIFY(!savePlaylist(path, entries, 1252, &error));
    if (failure == Failure::FullMedium || failure == Failure::NearlyFullMediumSmallPlaylist)
        QCOMPARE(error, qt_error_string(ENOSPC));
    else
        QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), oldBytes);
    QCOMPARE(
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        leftOver);
#endif
}

// Pulled out during a save, the volume keeps the new file, and the bare
// folder it was mounted on gets nothing, not even a temporary file.
void TestPlaylistFile::saveGoesOnWithVolumePulledOut()
{
#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        QSKIP("Mounting a medium needs root");
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    QVERIFY(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") == 0);
    const std::unique_ptr<VolumeRoot> volume = VolumeRoot::open(dir.path());
    QVERIFY(volume && ::umount2(mountPoint.constData(), MNT_DETACH) == 0);

    QVERIFY(playlistfile::savePlaylist(*volume, u"Mix.m3u8"_s, "\\a.mp3\r\n"));
    QCOMPARE(volume->entries(QString())->size(), 1);
    QCOMPARE(volume->status(u"Mix.m3u8"_s).kind, VolumeRoot::Kind::File);
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
#endif
}

void TestPlaylistFile::longPlaylistSavesAndLoadsWhole()
{
    const QStringList entries = manyEntries(40000);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Long.m3u8"_s);
    QString error;
    QVERIFY2(savePlaylist(path, entries, 1252, &error), qPrintable(error));
    const LoadedPlaylist loaded = loadPlaylist(path, 1252);
    QVERIFY(loaded.bytes);
    QCOMPARE(loaded.entries.size(), entries.size());
    QCOMPARE(loaded.entries, entries);
}

void TestPlaylistFile::nameTheVolumeAcceptsSaves_data()
{
    // The volume of the test folder takes names of up to 255 bytes.
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("saves");
    QTest::newRow("short") << 3 << true;
    QTest::newRow("244 characters") << 244 << true;
    QTest::newRow("longest the volume accepts") << 250 << true;
    QTest::newRow("one more") << 251 << false;
}

void TestPlaylistFile::nameTheVolumeAcceptsSaves()
{
    QFETCH(int, length);
    QFETCH(bool, saves);
    QTemporaryDir dir;
    const QString name = QString(length, u'x') + u".m3u8"_s;
    const QString path = dir.filePath(name);
    QString error;
    for (const QString &entry : {u"\\old.mp3"_s, u"\\new.mp3"_s}) {
        QCOMPARE(savePlaylist(path, {entry}, 1252, &error), saves);
        QCOMPARE(readFile(path), saves ? QByteArray(entry.toLatin1() + "\r\n") : QByteArray());
    }
    QCOMPARE(error.isEmpty(), saves);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             saves ? QStringList{name} : QStringList());
}

QTEST_GUILESS_MAIN(TestPlaylistFile)
#include "tst_playlistfile.moc"
