#include "platform/ansicodepage.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::AnsiCodec;

class TestAnsiCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codePageForLanguage_data();
    void codePageForLanguage();
    void systemCodePageFollowsMessagesLocale_data();
    void systemCodePageFollowsMessagesLocale();
    void everyByteRoundTripsIn1252();
    void undefinedBytesOf1252KeepTheirValue();
    void everyByteRoundTripsInSingleByteCodePages_data();
    void everyByteRoundTripsInSingleByteCodePages();
    void multiByteTextRoundTrips_data();
    void multiByteTextRoundTrips();
    void missingCharacterBecomesQuestionMark_data();
    void missingCharacterBecomesQuestionMark();
    void emptyText();
    void unknownCodePageConvertsAsWesternEuropean();
};

void TestAnsiCodePage::codePageForLanguage_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<int>("codePage");

    const struct
    {
        const char *name;
        int langId;
        int codePage;
    } rows[] = {
        {"English (United States)", 0x0409, 1252},
        {"English (United Kingdom)", 0x0809, 1252},
        {"French", 0x040C, 1252},
        {"German", 0x0407, 1252},
        {"Spanish", 0x0C0A, 1252},
        {"Portuguese (Brazil)", 0x0416, 1252},
        {"Italian", 0x0410, 1252},
        {"Dutch", 0x0413, 1252},
        {"Swedish", 0x041D, 1252},
        {"Finnish", 0x040B, 1252},
        {"Icelandic", 0x040F, 1252},
        {"Polish", 0x0415, 1250},
        {"Czech", 0x0405, 1250},
        {"Slovak", 0x041B, 1250},
        {"Hungarian", 0x040E, 1250},
        {"Slovenian", 0x0424, 1250},
        {"Croatian", 0x041A, 1250},
        {"Romanian", 0x0418, 1250},
        {"Albanian", 0x041C, 1250},
        {"Bosnian (Latin)", 0x141A, 1250},
        {"Serbian (Latin, Serbia)", 0x241A, 1250},
        {"Serbian (Latin, Serbia and Montenegro)", 0x081A, 1250},
        {"Russian", 0x0419, 1251},
        {"Ukrainian", 0x0422, 1251},
        {"Bulgarian", 0x0402, 1251},
        {"Belarusian", 0x0423, 1251},
        {"Serbian (Cyrillic, Serbia)", 0x281A, 1251},
        {"Serbian (Cyrillic, Serbia and Montenegro)", 0x0C1A, 1251},
        {"Bosnian (Cyrillic)", 0x201A, 1251},
        {"Macedonian", 0x042F, 1251},
        {"Kazakh", 0x043F, 1251},
        {"Azerbaijani (Cyrillic)", 0x082C, 1251},
        {"Greek", 0x0408, 1253},
        {"Turkish", 0x041F, 1254},
        {"Azerbaijani (Latin)", 0x042C, 1254},
        {"Hebrew", 0x040D, 1255},
        {"Arabic (Saudi Arabia)", 0x0401, 1256},
        {"Arabic (Egypt)", 0x0C01, 1256},
        {"Persian", 0x0429, 1256},
        {"Urdu", 0x0420, 1256},
        {"Estonian", 0x0425, 1257},
        {"Latvian", 0x0426, 1257},
        {"Lithuanian", 0x0427, 1257},
        {"Vietnamese", 0x042A, 1258},
        {"Thai", 0x041E, 874},
        {"Japanese", 0x0411, 932},
        {"Chinese (PRC)", 0x0804, 936},
        {"Chinese (Singapore)", 0x1004, 936},
        {"Korean", 0x0412, 949},
        {"Chinese (Taiwan)", 0x0404, 950},
        {"Chinese (Hong Kong)", 0x0C04, 950},
        {"Chinese (Macao)", 0x1404, 950},
        {"Hindi (Unicode only)", 0x0439, 1252},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.langId << row.codePage;
}

void TestAnsiCodePage::codePageForLanguage()
{
    QFETCH(int, langId);
    QFETCH(int, codePage);
    QCOMPARE(platform::ansiCodePageForLangId(quint16(langId)), codePage);
}

void TestAnsiCodePage::systemCodePageFollowsMessagesLocale_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<int>("codePage");

    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << 1252;
    QTest::newRow("C") << QByteArray() << QByteArray() << QByteArray("C.UTF-8") << 1252;
    QTest::newRow("POSIX") << QByteArray() << QByteArray() << QByteArray("POSIX") << 1252;
    QTest::newRow("French") << QByteArray() << QByteArray() << QByteArray("fr_FR.UTF-8") << 1252;
    QTest::newRow("Polish") << QByteArray() << QByteArray() << QByteArray("pl_PL.UTF-8") << 1250;
    QTest::newRow("Russian") << QByteArray() << QByteArray() << QByteArray("ru_RU.UTF-8") << 1251;
    QTest::newRow("Serbian") << QByteArray() << QByteArray() << QByteArray("sr_RS") << 1251;
    QTest::newRow("Serbian (Latin)")
        << QByteArray() << QByteArray() << QByteArray("sr_RS.UTF-8@latin") << 1250;
    QTest::newRow("Uzbek") << QByteArray() << QByteArray() << QByteArray("uz_UZ.UTF-8") << 1254;
    QTest::newRow("Uzbek (Cyrillic)")
        << QByteArray() << QByteArray() << QByteArray("uz_UZ.UTF-8@cyrillic") << 1251;
    QTest::newRow("Japanese") << QByteArray() << QByteArray() << QByteArray("ja_JP.eucJP") << 932;
    QTest::newRow("Chinese (China)")
        << QByteArray() << QByteArray() << QByteArray("zh_CN.GB18030") << 936;
    QTest::newRow("Chinese (Taiwan)")
        << QByteArray() << QByteArray() << QByteArray("zh_TW.UTF-8") << 950;
    QTest::newRow("Chinese (Hong Kong)")
        << QByteArray() << QByteArray() << QByteArray("zh_HK.UTF-8") << 950;
    QTest::newRow("LC_ALL first") << QByteArray("el_GR.UTF-8") << QByteArray("tr_TR.UTF-8")
                                  << QByteArray("de_DE.UTF-8") << 1253;
    QTest::newRow("LC_MESSAGES before LANG")
        << QByteArray() << QByteArray("tr_TR.UTF-8") << QByteArray("de_DE.UTF-8") << 1254;
}

void TestAnsiCodePage::systemCodePageFollowsMessagesLocale()
{
#ifdef Q_OS_WIN
    QSKIP("Windows reports its ANSI code page itself");
#else
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(int, codePage);

    const QByteArray oldLcAll = qgetenv("LC_ALL");
    const QByteArray oldLcMessages = qgetenv("LC_MESSAGES");
    const QByteArray oldLang = qgetenv("LANG");
    const auto restore = qScopeGuard([&] {
        qputenv("LC_ALL", oldLcAll);
        qputenv("LC_MESSAGES", oldLcMessages);
        qputenv("LANG", oldLang);
    });
    qputenv("LC_ALL", lcAll);
    qputenv("LC_MESSAGES", lcMessages);
    qputenv("LANG", lang);
    QCOMPARE(platform::systemAnsiCodePage(), codePage);
#endif
}

static QByteArray everyByte()
{
    QByteArray bytes(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

void TestAnsiCodePage::everyByteRoundTripsIn1252()
{
    const AnsiCodec codec(1252);
    QCOMPARE(codec.codePage(), 1252);
    const QString text = codec.decode(everyByte());
    QCOMPARE(text.size(), 256);
    QCOMPARE(text[0x41], u'A');
    QCOMPARE(text[0x80], QChar(0x20AC));
    QCOMPARE(text[0xE9], u'é');
    bool exact = false;
    QCOMPARE(codec.encode(text, &exact), everyByte());
    QVERIFY(exact);
    QCOMPARE(codec.firstUnmappable(text), -1);
}

// Windows-1252 leaves these bytes undefined; Windows reads them as the C1
// control characters of the same value, and so do we.
void TestAnsiCodePage::undefinedBytesOf1252KeepTheirValue()
{
    const AnsiCodec codec(1252);
    for (const uchar byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const QByteArray bytes(1, char(byte));
        QCOMPARE(codec.decode(bytes), QString(QChar(char16_t(byte))));
        QCOMPARE(codec.encode(QString(QChar(char16_t(byte)))), bytes);
    }
}

void TestAnsiCodePage::everyByteRoundTripsInSingleByteCodePages_data()
{
    QTest::addColumn<int>("codePage");
    for (const int codePage : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258})
        QTest::addRow("%d", codePage) << codePage;
}

void TestAnsiCodePage::everyByteRoundTripsInSingleByteCodePages()
{
    QFETCH(int, codePage);
    const AnsiCodec codec(codePage);
    QCOMPARE(codec.codePage(), codePage);
    const QString text = codec.decode(everyByte());
    QCOMPARE(text.size(), 256);
    bool exact = false;
    QCOMPARE(codec.encode(text, &exact), everyByte());
    QVERIFY(exact);
}

void TestAnsiCodePage::multiByteTextRoundTrips_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    // "表" and "ソ" end in the byte of "\", which must not split them.
    QTest::newRow("Japanese") << 932
                              << QByteArray("\\MUSIC\\\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x89\xCC"
                                            "\x95\x5C\x83\x5C\xB1.mp3")
                              << u"\\MUSIC\\日本語の歌表ソｱ.mp3"_s;
    QTest::newRow("Simplified Chinese")
        << 936 << QByteArray("\\MUSIC\\\xD6\xD0\xCE\xC4\xB8\xE8\xC7\xFA.mp3")
        << u"\\MUSIC\\中文歌曲.mp3"_s;
    QTest::newRow("Korean") << 949
                            << QByteArray("\\MUSIC\\\xC7\xD1\xB1\xB9\xBE\xEE\xB3\xEB\xB7\xA1.mp3")
                            << u"\\MUSIC\\한국어노래.mp3"_s;
    QTest::newRow("Traditional Chinese")
        << 950 << QByteArray("\\MUSIC\\\xA4\xA4\xA4\xE5\xBA\x71\xA6\xB1.mp3")
        << u"\\MUSIC\\中文歌曲.mp3"_s;
}

void TestAnsiCodePage::multiByteTextRoundTrips()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    const AnsiCodec codec(codePage);
    QCOMPARE(codec.codePage(), codePage);
    QCOMPARE(codec.decode(bytes), text);
    bool exact = false;
    QCOMPARE(codec.encode(text, &exact), bytes);
    QVERIFY(exact);
    QCOMPARE(codec.firstUnmappable(text), -1);
}

void TestAnsiCodePage::missingCharacterBecomesQuestionMark_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("firstUnmappable");

    QTest::newRow("Polish in 1252") << 1252 << u"Łódź"_s
                                    << QByteArray("?\xF3"
                                                  "d?")
                                    << 0;
    QTest::newRow("Polish in 1250") << 1250 << u"Łódź"_s
                                    << QByteArray("\xA3\xF3"
                                                  "d\x9F")
                                    << -1;
    QTest::newRow("Greek in 1251") << 1251 << u"ab\u03A9"_s << QByteArray("ab?") << 2;
    QTest::newRow("no look-alike for ā") << 1252 << u"Mā.mp3"_s << QByteArray("M?.mp3") << 1;
    QTest::newRow("emoji in 1252") << 1252 << u"a😀b"_s << QByteArray("a?b") << 1;
    QTest::newRow("lone surrogate in 1252")
        << 1252 << QString(u"a"_s + QChar(0xD800) + u"b"_s) << QByteArray("a?b") << 1;
    QTest::newRow("accent in 932") << 932 << u"日Café"_s
                                   << QByteArray("\x93\xFA"
                                                 "Caf?")
                                   << 4;
    QTest::newRow("emoji in 932") << 932 << u"日😀b"_s << QByteArray("\x93\xFA?b") << 1;
    QTest::newRow("Hangul in 936") << 936 << u"中한"_s << QByteArray("\xD6\xD0?") << 1;
    QTest::newRow("question mark is exact") << 1252 << u"a?"_s << QByteArray("a?") << -1;
}

void TestAnsiCodePage::missingCharacterBecomesQuestionMark()
{
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, firstUnmappable);

    const AnsiCodec codec(codePage);
    bool exact = firstUnmappable >= 0;
    QCOMPARE(codec.encode(text, &exact), bytes);
    QCOMPARE(exact, firstUnmappable < 0);
    QCOMPARE(codec.firstUnmappable(text), qsizetype(firstUnmappable));
}

void TestAnsiCodePage::emptyText()
{
    for (const int codePage : {1252, 932}) {
        const AnsiCodec codec(codePage);
        bool exact = false;
        QVERIFY(codec.encode(QString(), &exact).isEmpty());
        QVERIFY(exact);
        QVERIFY(codec.decode(QByteArray()).isEmpty());
        QCOMPARE(codec.firstUnmappable(QString()), -1);
    }
}

void TestAnsiCodePage::unknownCodePageConvertsAsWesternEuropean()
{
    const AnsiCodec codec(12345);
    QCOMPARE(codec.codePage(), 1252);
    QCOMPARE(codec.encode(u"Café"_s), QByteArray("Caf\xE9"));
}

QTEST_GUILESS_MAIN(TestAnsiCodePage)
#include "tst_ansicodepage.moc"
