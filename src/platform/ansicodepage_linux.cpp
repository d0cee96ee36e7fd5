#include "platform/ansicodepage.h"
#include "platform/localelanguage.h"

#include <array>
#include <bitset>
#include <cstring>
#include <memory>
#include <unicode/ucnv.h>
#include <unicode/uloc.h>
#include <vector>

using platform::posixLanguageAndTerritory;
using platform::westernEuropeanCodePage;

namespace {

// The ANSI code page follows the script; among Latin-script languages only
// these leave Western European.
int latinCodePage(const char *language)
{
    struct LanguageCodePage
    {
        const char *language;
        int codePage;
    };
    static constexpr LanguageCodePage table[] = {
        {"bs", 1250}, {"cs", 1250}, {"hr", 1250}, {"hu", 1250}, {"pl", 1250}, {"ro", 1250},
        {"sk", 1250}, {"sl", 1250}, {"sq", 1250}, {"sr", 1250}, {"tk", 1250}, {"az", 1254},
        {"tr", 1254}, {"uz", 1254}, {"et", 1257}, {"lt", 1257}, {"lv", 1257}, {"vi", 1258},
    };
    for (const LanguageCodePage &entry : table) {
        if (std::strcmp(entry.language, language) == 0)
            return entry.codePage;
    }
    return westernEuropeanCodePage;
}

int codePageForScript(const char *script, const char *language)
{
    struct ScriptCodePage
    {
        const char *script;
        int codePage;
    };
    static constexpr ScriptCodePage table[] = {
        {"Cyrl", 1251}, {"Grek", 1253}, {"Hebr", 1255}, {"Arab", 1256}, {"Thai", 874},
        {"Jpan", 932},  {"Hans", 936},  {"Kore", 949},  {"Hant", 950},
    };
    if (std::strcmp(script, "Latn") == 0)
        return latinCodePage(language);
    for (const ScriptCodePage &entry : table) {
        if (std::strcmp(entry.script, script) == 0)
            return entry.codePage;
    }
    return westernEuropeanCodePage;
}

// An ICU locale ID often leaves the script out ("sr_RS", "zh_TW"); ICU knows
// which one the language is most likely written in there.
int codePageForIcuLocale(const char *locale)
{
    char full[ULOC_FULLNAME_CAPACITY] = {};
    char language[ULOC_LANG_CAPACITY] = {};
    char script[ULOC_SCRIPT_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_addLikelySubtags(locale, full, sizeof full, &status);
    uloc_getLanguage(full, language, sizeof language, &status);
    uloc_getScript(full, script, sizeof script, &status);
    if (U_FAILURE(status))
        return westernEuropeanCodePage;
    return codePageForScript(script, language);
}

// A POSIX locale names its script, if at all, by a modifier such as
// "sr_RS.UTF-8@latin"; ICU would take that for a variant, so it is moved
// into the script position ("sr_Latn_RS").
int codePageForPosixLocale(const QByteArray &locale)
{
    QByteArray base = posixLanguageAndTerritory(locale);
    if (base.isEmpty())
        return westernEuropeanCodePage;
    const qsizetype at = locale.indexOf('@');
    const QByteArray modifier = at < 0 ? QByteArray() : locale.mid(at + 1);
    const QByteArray script = modifier == "latin"      ? QByteArray("Latn")
                              : modifier == "cyrillic" ? QByteArray("Cyrl")
                                                       : QByteArray();
    if (!script.isEmpty()) {
        const qsizetype underscore = base.indexOf('_');
        base.insert(underscore < 0 ? base.size() : underscore, '_' + script);
    }
    return codePageForIcuLocale(base.constData());
}

struct ConverterCloser
{
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openConverter(int codePage)
{
    const QByteArray name = "windows-" + QByteArray::number(codePage);
    UErrorCode status = U_ZERO_ERROR;
    return ConverterPtr(ucnv_open(name.constData(), &status));
}

// Windows gives every byte of a single-byte code page a character, even the
// bytes the code page leaves undefined, so that any file can be read and
// written back unchanged. ICU already does so for most of those bytes; the
// few it leaves out get private-use characters of their own.
char16_t undefinedByteCharacter(uchar byte)
{
    return char16_t(0xF700 + byte);
}

// In a multi-byte code page, a byte that is not part of a character that
// converts both ways unchanged (a broken sequence, or one of the few pairs
// that read as a character written back with other bytes) reads as a
// character of the Supplementary Private Use Area-A, which no code page maps,
// and is written back as that byte.
constexpr char32_t strayByteBase = 0xF0000;

// The character of a byte sequence when it converts both ways unchanged:
// exactly one UTF-16 unit that ICU writes back as the same bytes; -1 otherwise.
int roundTripCharacter(UConverter *converter, const char *bytes, int32_t length)
{
    UChar text[2] = {};
    UErrorCode status = U_ZERO_ERROR;
    if (ucnv_toUChars(converter, text, 2, bytes, length, &status) != 1 || U_FAILURE(status))
        return -1;
    char back[4] = {};
    status = U_ZERO_ERROR;
    const int32_t written = ucnv_fromUChars(converter, back, 4, text, 1, &status);
    if (U_FAILURE(status) || written != length || std::memcmp(back, bytes, length) != 0)
        return -1;
    return text[0];
}

} // namespace

int platform::systemAnsiCodePage()
{
    return codePageForPosixLocale(platform::messagesLocaleFromEnvironment());
}

// Conversion goes through tables that ICU fills when the codec is made: it is
// fast, cannot fail, and lets every byte that no character explains keep a
// character of its own. Every code page here has characters of one or two
// bytes.
struct AnsiCodec::Private
{
    int codePage = westernEuropeanCodePage;
    // What each byte reads as on its own, where it stands alone.
    std::array<char16_t, 256> toUnicode = {};
    std::bitset<256> standsAlone;
    // The character of each pair of bytes (lead byte * 256 + trail byte)
    // that converts both ways unchanged, 0 for the others; empty in a
    // single-byte code page.
    std::vector<char16_t> pairs;
    // The bytes of each character of the Basic Multilingual Plane: one byte,
    // or lead byte * 256 + trail byte; -1 for a character the code page lacks.
    std::vector<qint32> fromUnicode;

    void buildTables(UConverter *converter);
    QByteArray encode(QStringView text, qsizetype *firstUnmappable) const;
};

void AnsiCodec::Private::buildTables(UConverter *converter)
{
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const bool singleByte = ucnv_getMaxCharSize(converter) == 1;
    fromUnicode.assign(0x10000, -1);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = char(byte);
        int character = roundTripCharacter(converter, &in, 1);
        if (character < 0 && singleByte)
            character = undefinedByteCharacter(uchar(byte));
        if (character < 0)
            continue;
        toUnicode[byte] = char16_t(character);
        standsAlone[byte] = true;
        fromUnicode[character] = byte;
    }
    if (singleByte)
        return;
    // No pair reads as U+0000, which is byte 0 alone, so 0 marks the others.
    pairs.assign(0x10000, 0);
    for (int lead = 0; lead < 256; ++lead) {
        if (standsAlone[lead])
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            const int character = roundTripCharacter(converter, in, 2);
            if (character < 0)
                continue;
            pairs[lead << 8 | trail] = char16_t(character);
            fromUnicode[character] = lead << 8 | trail;
        }
    }
}

QByteArray AnsiCodec::Private::encode(QStringView text, qsizetype *firstUnmappable) const
{
    *firstUnmappable = -1;
    // At most two bytes for each UTF-16 unit.
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        qint32 value = fromUnicode[unit];
        // A character outside the BMP is one character, so one "?" at most.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t character = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            const char32_t stray = character - strayByteBase;
            value = stray < 256 && !standsAlone[stray] ? qint32(stray) : -1;
            if (value < 0 && *firstUnmappable < 0)
                *firstUnmappable = i;
            ++i;
        } else if (value < 0 && *firstUnmappable < 0) {
            *firstUnmappable = i;
        }
        if (value < 0) {
            *out++ = '?';
        } else if (value > 0xFF) {
            *out++ = char(value >> 8);
            *out++ = char(value & 0xFF);
        } else {
            *out++ = char(value);
        }
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

AnsiCodec::AnsiCodec(int codePage) : d(std::make_unique<Private>())
{
    d->codePage = codePage;
    ConverterPtr converter = openConverter(codePage);
    if (!converter) {
        d->codePage = westernEuropeanCodePage;
        converter = openConverter(westernEuropeanCodePage);
    }
    d->buildTables(converter.get());
}

AnsiCodec::~AnsiCodec() = default;

int AnsiCodec::codePage() const
{
    return d->codePage;
}

QString AnsiCodec::decode(QByteArrayView bytes) const
{
    // At most two UTF-16 units for each byte.
    QString text(2 * bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes[i]);
        if (d->standsAlone[byte]) {
            *out++ = d->toUnicode[byte];
            continue;
        }
        if (!d->pairs.empty() && i + 1 < bytes.size()) {
            const char16_t character = d->pairs[byte << 8 | uchar(bytes[i + 1])];
            if (character) {
                *out++ = character;
                ++i;
                continue;
            }
        }
        *out++ = QChar::highSurrogate(strayByteBase + byte);
        *out++ = QChar::lowSurrogate(strayByteBase + byte);
    }
    text.truncate(out - reinterpret_cast<const char16_t *>(text.constData()));
    return text;
}

QByteArray AnsiCodec::encode(QStringView text, bool *exact) const
{
    qsizetype firstUnmappable = -1;
    QByteArray bytes = d->encode(text, &firstUnmappable);
    if (exact)
        *exact = firstUnmappable < 0;
    return bytes;
}

qsizetype AnsiCodec::firstUnmappable(QStringView text) const
{
    qsizetype first = -1;
    d->encode(text, &first);
    return first;
}
