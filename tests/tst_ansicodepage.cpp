#include "platform/ansicodepage.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestAnsiCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemCodePageFollowsMessagesLocale_data();
    void systemCodePageFollowsMessagesLocale();
    void everyByteRoundTripsIn1252();
    void undefinedBytesOf1252KeepTheirValue();
    void everyByteRoundTripsInSingleByteCodePages_data();
    void everyByteRoundTripsInSingleByteCodePages();
    void multiByteTextRoundTrips_data();
    void multiByteTextRoundTrips();
    void everySequenceRoundTripsInMultiByteCodePages_data();
    void everySequenceRoundTripsInMultiByteCodePages();
    void missingCharacterBecomesQuestionMark_data();
    void missingCharacterBecomesQuestionMark();
    void emptyText();
    void unknownCodePageConvertsAsWesternEuropean();
};

void TestAnsiCodePage::systemCodePageFollowsMessagesLocale_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<int>("codePage");

    // The code page Windows gives each language, by its messages locale.
    const struct
    {
        const char *name;
        const char *locale;
        int codePage;
    } languages[] = {
        {"English (United States)", "en_US.UTF-8", 1252},
        {"English (United Kingdom)", "en_GB.UTF-8", 1252},
        {"French", "fr_FR.UTF-8", 1252},
        {"German", "de_DE.UTF-8", 1252},
        {"Spanish", "es_ES.UTF-8", 1252},
        {"Portuguese (Brazil)", "pt_BR.UTF-8", 1252},
        {"Italian", "it_IT.UTF-8", 1252},
        {"Dutch", "nl_NL.UTF-8", 1252},
        {"Swedish", "sv_SE.UTF-8", 1252},
        {"Finnish", "fi_FI.UTF-8", 1252},
        {"Icelandic", "is_IS.UTF-8", 1252},
        {"Polish", "pl_PL.UTF-8", 1250},
        {"Czech", "cs_CZ.UTF-8", 1250},
        {"Slovak", "sk_SK.UTF-8", 1250},
        {"Hungarian", "hu_HU.UTF-8", 1250},
        {"Slovenian", "sl_SI.UTF-8", 1250},
        {"Croatian", "hr_HR.UTF-8", 1250},
        {"Romanian", "ro_RO.UTF-8", 1250},
        {"Albanian", "sq_AL.UTF-8", 1250},
        {"Bosnian (Latin)", "bs_BA.UTF-8", 1250},
        {"Serbian (Latin, Serbia)", "sr_RS.UTF-8@latin", 1250},
        {"Serbian (Latin, Serbia and Montenegro)", "sr_ME.UTF-8@latin", 1250},
        {"Russian", "ru_RU.UTF-8", 1251},
        {"Ukrainian", "uk_UA.UTF-8", 1251},
        {"Bulgarian", "bg_BG.UTF-8", 1251},
        {"Belarusian", "be_BY.UTF-8", 1251},
        {"Serbian (Cyrillic, Serbia)", "sr_RS.UTF-8", 1251},
        {"Serbian (Cyrillic, Serbia and Montenegro)", "sr_ME.UTF-8@cyrillic", 1251},
        {"Bosnian (Cyrillic)", "bs_BA.UTF-8@cyrillic", 1251},
        {"Macedonian", "mk_MK.UTF-8", 1251},
        {"Kazakh", "kk_KZ.UTF-8", 1251},
        {"Azerbaijani (Cyrillic)", "az_AZ.UTF-8@cyrillic", 1251},
        {"Greek", "el_GR.UTF-8", 1253},
        {"Turkish", "tr_TR.UTF-8", 1254},
        {"Azerbaijani (Latin)", "az_AZ.UTF-8", 1254},
        {"Hebrew", "he_IL.UTF-8", 1255},
        {"Arabic (Saudi Arabia)", "ar_SA.UTF-8", 1256},
        {"Arabic (Egypt)", "ar_EG.UTF-8", 1256},
        {"Persian", "fa_IR.UTF-8", 1256},
        {"Urdu", "ur_PK.UTF-8", 1256},
        {"Estonian", "et_EE.UTF-8", 1257},
        {"Latvian", "lv_LV.UTF-8", 1257},
        {"Lithuanian", "lt_LT.UTF-8", 1257},
        {"Vietnamese", "vi_VN.UTF-8", 1258},
        {"Thai", "th_TH.UTF-8", 874},
        {"Japanese", "ja_JP.UTF-8", 932},
        {"Chinese (PRC)", "zh_CN.UTF-8", 936},
        {"Chinese (Singapore)", "zh_SG.UTF-8", 936},
        {"Korean", "ko_KR.UTF-8", 949},
        {"Chinese (Taiwan)", "zh_TW.UTF-8", 950},
        {"Chinese (Hong Kong)", "zh_HK.UTF-8", 950},
        {"Chinese (Macao)", "zh_MO.UTF-8", 950},
        {"Hindi (Unicode only)", "hi_IN.UTF-8", 1252},
    };
    for (const auto &row : languages)
        QTest::newRow(row.name) << QByteArray() << QByteArray() << QByteArray(row.locale)
                                << row.codePage;
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << 1252;
    QTest::newRow("C") << QByteArray() << QByteArray() << QByteArray("C.UTF-8") << 1252;
    QTest::newRow("POSIX") << QByteArray() << QByteArray() << QByteArray("POSIX") << 1252;
    QTest::newRow("Serbian, no codeset")
        << QByteArray() << QByteArray() << QByteArray("sr_RS") << 1251;
    QTest::newRow("Serbian (Latin)")
        << QByteArray() << QByteArray() << QByteArray("sr_RS.UTF-8@latin") << 1250;
    QTest::newRow("Uzbek") << QByteArray() << QByteArray() << QByteArray("uz_UZ.UTF-8") << 1254;
    QTest::newRow("Uzbek (Cyrillic)")
        << QByteArray() << QByteArray() << QByteArray("uz_UZ.UTF-8@cyrillic") << 1251;
    QTest::newRow("Japanese (EUC)")
        << QByteArray() << QByteArray() << QByteArray("ja_JP.eucJP") << 932;
    QTest::newRow("Chinese (China)")
        << QByteArray() << QByteArray() << QByteArray("zh_CN.GB18030") << 936;
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

void TestAnsiCodePage::everySequenceRoundTripsInMultiByteCodePages_data()
{
    QTest::addColumn<int>("codePage");
    // A broken sequence and a pair that reads as a character written back
    // with other bytes ("纊" is FA 5C, "十" is A4 51).
    QTest::addColumn<QByteArray>("stray");
    QTest::addColumn<QString>("strayText");

    const auto strayByte = [](char32_t byte) {
        const char32_t character = 0xF0000 + byte;
        return QString::fromUcs4(&character, 1);
    };
    QTest::newRow("932") << 932 << QByteArray("\xED\x40\x81")
                         << strayByte(0xED) + u'@' + strayByte(0x81);
    QTest::newRow("936") << 936 << QByteArray("\x81\x30\xA1")
                         << strayByte(0x81) + u'0' + strayByte(0xA1);
    QTest::newRow("949") << 949 << QByteArray("\xC9\x41") << strayByte(0xC9) + u'A';
    QTest::newRow("950") << 950 << QByteArray("\xA2\xCC") << strayByte(0xA2) + strayByte(0xCC);
}

// Every byte, and every pair that starts with a byte above ASCII, reads as a
// text that writes back as the same bytes, without a question.
void TestAnsiCodePage::everySequenceRoundTripsInMultiByteCodePages()
{
    QFETCH(int, codePage);
    const AnsiCodec codec(codePage);
    QCOMPARE(codec.codePage(), codePage);
    QByteArray sequence;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = -1; trail < (lead < 0x80 ? 0 : 256); ++trail) {
            sequence = QByteArray(1, char(lead));
            if (trail >= 0)
                sequence += char(trail);
            const QString text = codec.decode(sequence);
            bool exact = false;
            if (codec.encode(text, &exact) != sequence || !exact)
                QFAIL(qPrintable(u"%1 changes"_s.arg(QString::fromLatin1(sequence.toHex(' ')))));
        }
    }
    QFETCH(QByteArray, stray);
    QTEST(codec.decode(stray), "strayText");
    // Private-use characters that stand for a byte that is a character on
    // its own are not the code page's.
    QCOMPARE(codec.firstUnmappable(QString::fromUcs4(U"a\U000F0041")), 1);
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
