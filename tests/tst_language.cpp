#include "core/languagecode.h"
#include "core/texts.h"
#include "platform/localelanguage.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLanguage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void languageCodes_data();
    void languageCodes();
    void localeToLangId_data();
    void localeToLangId();
    void messagesLocalePrecedence();
    void messagesWrapWhereTheyMay_data();
    void messagesWrapWhereTheyMay();
    void countsAgree_data();
    void countsAgree();
};

void TestLanguage::languageCodes_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("french");
    QTest::newRow("French (France)") << 0x040C << u"&H40C / 1036"_s << true;
    QTest::newRow("French (Luxembourg)") << 0x140C << u"&H40C / 1036"_s << true;
    QTest::newRow("French (Belgium)") << 0x080C << u"&H80C / 2060"_s << false;
    QTest::newRow("French (Canada)") << 0x0C0C << u"&HC0C / 3084"_s << false;
    QTest::newRow("French (Switzerland)") << 0x100C << u"&H00C / 12"_s << false;
    QTest::newRow("English (United States)") << 0x0409 << u"&H409 / 1033"_s << false;
    QTest::newRow("neutral French") << 0x000C << u"&HC / 12"_s << false;
    QTest::newRow("German") << 0x0407 << u"&H407 / 1031"_s << false;
}

void TestLanguage::languageCodes()
{
    QFETCH(int, langId);
    QFETCH(QString, code);
    QFETCH(bool, french);
    QCOMPARE(languageCode(quint16(langId)), code);
    QCOMPARE(isFrenchCode(languageCode(quint16(langId))), french);
}

void TestLanguage::localeToLangId_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<int>("langId");
    QTest::newRow("fr_FR.UTF-8") << QByteArray("fr_FR.UTF-8") << 0x040C;
    QTest::newRow("fr_LU") << QByteArray("fr_LU") << 0x140C;
    QTest::newRow("fr_BE@euro") << QByteArray("fr_BE.UTF-8@euro") << 0x080C;
    QTest::newRow("fr_CA") << QByteArray("fr_CA.UTF-8") << 0x0C0C;
    QTest::newRow("en_GB") << QByteArray("en_GB.UTF-8") << 0x0809;
    QTest::newRow("de_DE") << QByteArray("de_DE") << 0x0407;
    QTest::newRow("unset") << QByteArray() << 0x0409;
    QTest::newRow("C") << QByteArray("C") << 0x0409;
    QTest::newRow("C.UTF-8") << QByteArray("C.UTF-8") << 0x0409;
    QTest::newRow("POSIX") << QByteArray("POSIX") << 0x0409;
    QTest::newRow("unknown language") << QByteArray("xx_YY") << 0x0409;
}

void TestLanguage::localeToLangId()
{
    QFETCH(QByteArray, locale);
    QFETCH(int, langId);
    QCOMPARE(int(platform::langIdFromPosixLocale(locale)), langId);
}

void TestLanguage::messagesLocalePrecedence()
{
    qputenv("LANG", "de_DE.UTF-8");
    qputenv("LC_MESSAGES", "fr_FR.UTF-8");
    qputenv("LC_ALL", "");
    QCOMPARE(platform::messagesLocaleFromEnvironment(), QByteArray("fr_FR.UTF-8"));
    qputenv("LC_ALL", "fr_BE.UTF-8");
    QCOMPARE(platform::messagesLocaleFromEnvironment(), QByteArray("fr_BE.UTF-8"));
    qputenv("LC_ALL", "");
    qputenv("LC_MESSAGES", "");
    QCOMPARE(platform::messagesLocaleFromEnvironment(), QByteArray("de_DE.UTF-8"));
    qputenv("LANG", "");
    QCOMPARE(platform::messagesLocaleFromEnvironment(), QByteArray());
}

void TestLanguage::messagesWrapWhereTheyMay_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("a long name")
        << texts::readOnlyNotDeleted.in(Language::English).arg(QString(251, u'x'));
    for (const Phrase *phrase : {&texts::folderIsAFile, &texts::saveFailed, &texts::inexactEntry})
        QTest::addRow("French %.20s", qPrintable(phrase->in(Language::English)))
            << phrase->in(Language::French);
}

// A place to break every few characters; French « », : and ? kept with their words.
void TestLanguage::messagesWrapWhereTheyMay()
{
    QFETCH(QString, text);
    const QString wrapping = wrappable(text);
    QCOMPARE(QString(wrapping).remove(QChar(0x200B)), text);
    for (const QString &run : wrapping.split(QRegularExpression(u"[\\s\u200B]"_s)))
        QVERIFY2(run.size() <= 25, qPrintable(run));
    for (const QString &loose : {u"« "_s, u" »"_s, u" :"_s, u" ?"_s})
        QVERIFY(!text.contains(loose));
}

QTEST_GUILESS_MAIN(TestLanguage)
namespace {
const Counted *const countedNouns[] = {&texts::tracks, &texts::files, &texts::syncRemovalsHeld};
}

void TestLanguage::countsAgree_data()
{
    QTest::addColumn<int>("noun"); // in countedNouns
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("french");
    QTest::addColumn<QString>("english");
    // French keeps 0 and 1 in the singular, English only 1; zero reads as a
    // word where there is one.
    QTest::newRow("0") << 0 << 0 << u"aucun morceau"_s << u"no tracks"_s;
    QTest::newRow("1") << 0 << 1 << u"1 morceau"_s << u"1 track"_s;
    QTest::newRow("2") << 0 << 2 << u"2 morceaux"_s << u"2 tracks"_s;
    QTest::newRow("21") << 0 << 21 << u"21 morceaux"_s << u"21 tracks"_s;
    QTest::newRow("0, no word") << 1 << 0 << u"0 fichier"_s << u"0 files"_s;
    QTest::newRow("1 in a sentence")
        << 2 << 1 << u"1 morceau n'a pas été retiré"_s << u"1 track was not removed"_s;
    QTest::newRow("21 in a sentence")
        << 2 << 21 << u"21 morceaux n'ont pas été retirés"_s << u"21 tracks were not removed"_s;
}

void TestLanguage::countsAgree()
{
    QFETCH(int, noun);
    QFETCH(int, count);
    QFETCH(QString, french);
    QFETCH(QString, english);
    const Counted &counted = *countedNouns[noun];
    QVERIFY2(counted.in(count, Language::French).startsWith(french),
             qPrintable(counted.in(count, Language::French)));
    QVERIFY2(counted.in(count, Language::English).startsWith(english),
             qPrintable(counted.in(count, Language::English)));
}

#include "tst_language.moc"
