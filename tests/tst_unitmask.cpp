#include "core/unitmask.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestUnitMask : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void driveLetter_data()
    {
        QTest::addColumn<quint32>("unitMask");
        QTest::addColumn<QString>("letter");
        QTest::newRow("bit 0") << quint32(0x1) << u"A"_s;
        QTest::newRow("bit 4") << quint32(0x10) << u"E"_s;
        QTest::newRow("bit 25") << quint32(0x2000000) << u"Z"_s;
        QTest::newRow("two bits") << quint32(0x18) << QString();
        QTest::newRow("no bit") << quint32(0) << QString();
        QTest::newRow("bit 26") << quint32(0x4000000) << QString();
        QTest::newRow("bit 31") << quint32(0x80000000) << QString();
        QTest::newRow("all bits") << quint32(0xFFFFFFFF) << QString();
    }

    void driveLetter()
    {
        QFETCH(quint32, unitMask);
        QFETCH(QString, letter);
        QCOMPARE(DriveLetterFromUnitMask(unitMask), letter);
    }

    void volumeRoot_data()
    {
        QTest::addColumn<int>("deviceId");
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<QString>("root");
        QTest::newRow("name with separator") << 0 << u"/media/psp/"_s << u"/media/psp/"_s;
        QTest::newRow("name without separator") << 0 << u"/media/psp"_s << u"/media/psp/"_s;
        QTest::newRow("file system root") << 0 << u"/"_s << u"/"_s;
        QTest::newRow("name wins over mask") << 0x10 << u"/media/psp/"_s << u"/media/psp/"_s;
        QTest::newRow("drive E") << 0x10 << QString() << u"E:/"_s;
        QTest::newRow("drive Z") << 0x2000000 << QString() << u"Z:/"_s;
        QTest::newRow("two drives") << 0x18 << QString() << QString();
        QTest::newRow("nothing") << 0 << QString() << QString();
        QTest::newRow("high bit") << int(0x80000000u) << QString() << QString();
    }

    void volumeRoot()
    {
        QFETCH(int, deviceId);
        QFETCH(QString, deviceName);
        QFETCH(QString, root);
        QCOMPARE(::volumeRootPath(deviceId, deviceName), root);
    }
};

QTEST_GUILESS_MAIN(TestUnitMask)
#include "tst_unitmask.moc"
