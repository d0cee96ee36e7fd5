#include "app/application.h"
#include "controls/linewidths.h"

#include <QApplication>
#include <QFont>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

class TestLineWidths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { prepareApplication(); }
    void sameAsFontMetrics_data();
    void sameAsFontMetrics();
};

void TestLineWidths::sameAsFontMetrics_data()
{
    QTest::addColumn<QString>("family");
    // The families the lists are drawn in, and the desktop's default.
    for (const char *family :
         {"MS UI Gothic", "Comic Sans MS", "Verdana", "Segoe UI", "Arial", "DejaVu Sans"})
        QTest::newRow(family) << QString::fromLatin1(family);
}

void TestLineWidths::sameAsFontMetrics()
{
    QFETCH(QString, family);
    QFont font(family);
    font.setPointSizeF(8.25);
    font.setStyleStrategy(QFont::PreferNoShaping);
    QWidget device;

    const QString longLine = u"\\MUSIC\\Artist\\Album\\"_s.repeated(120) + u"Song.mp3"_s;
    const QStringList corpus{
        QString(),
        u"\\MUSIC\\Album\\01 Song.mp3"_s,
        u"\\MUSIC\\Café, Noël & Straße\\Ça ira – « live ».mp3"_s,
        u"\\MUSIC\\Cafe\u0301 de\u0300compose\u0301.mp3"_s,
        u"\\MUSIC\\日本語のアルバム\\ひらがなカタカナ.mp3"_s,
        u"\\MUSIC\\한국어\\노래.mp3"_s,
        u"\\MUSIC\\中文歌曲\\繁體字.mp3"_s,
        u"\\MUSIC\\Ελληνικά\\Русский\\Հայերեն.mp3"_s,
        u"\\MUSIC\\\U0001F3B5 notes \U0001F600\\\U00020000.mp3"_s,
        u"\\MUSIC\\tab\there\tand\tthere.mp3"_s,
        u"\\MUSIC\\عربي\\עברית\\ไทย.mp3"_s,
        u"\\MUSIC\\zero\u200Bwidth\u200Djoin\u200Fmark.mp3"_s,
        u"\\MUSIC\\fi fl ffi AV To Wa.mp3"_s,
        longLine,
    };
    LineWidths widths(font, &device);
    const QFontMetrics metrics(font, &device);
    // Twice over: the second pass answers from what the first remembered.
    for (int pass = 0; pass < 2; ++pass) {
        for (const QString &line : corpus)
            QCOMPARE(widths.width(line), metrics.horizontalAdvance(line));
    }
}

QTEST_MAIN(TestLineWidths)
#include "tst_linewidths.moc"
