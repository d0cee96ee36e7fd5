#include "platform/ansicodepage.h"
#include "platform/localelanguage.h"

#include <array>
#include <cstring>
#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/uloc.h>
#include <vector>

namespace platform {

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

struct EncodeContext
{
    const UChar *start = nullptr;
    qsizetype firstUnmappable = -1;
};

// Writes "?" for a character the code page lacks, like Windows without
// best-fit mapping, and remembers where the first one was.
void substituteQuestionMark(const void *context, UConverterFromUnicodeArgs *args, const UChar *,
                            int32_t length, UChar32, UConverterCallbackReason reason,
                            UErrorCode *status)
{
    if (reason > UCNV_IRREGULAR)
        return;
    auto *encoding = static_cast<EncodeContext *>(const_cast<void *>(context));
    if (encoding->firstUnmappable < 0)
        encoding->firstUnmappable = args->source - length - encoding->start;
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, status);
}

} // namespace

int systemAnsiCodePage()
{
    return codePageForPosixLocale(messagesLocaleFromEnvironment());
}

// Single-byte code pages convert through two tables that ICU fills when the
// codec is made, which is fast and lets undefined bytes keep characters of
// their own; multi-byte ones go through the ICU converter itself.
struct AnsiCodec::Private
{
    int codePage = westernEuropeanCodePage;
    ConverterPtr converter;
    bool singleByte = false;
    std::array<char16_t, 256> toUnicode = {};
    std::vector<qint16> fromUnicode;

    void buildTables();
    QByteArray encode(QStringView text, qsizetype *firstUnmappable) const;
};

void AnsiCodec::Private::buildTables()
{
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    fromUnicode.assign(0x10000, -1);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = char(byte);
        UChar out[2] = {};
        status = U_ZERO_ERROR;
        const int32_t length = ucnv_toUChars(converter.get(), out, 2, &in, 1, &status);
        const char16_t character =
            U_SUCCESS(status) && length == 1 ? out[0] : undefinedByteCharacter(uchar(byte));
        toUnicode[byte] = character;
        fromUnicode[character] = qint16(byte);
    }
}

QByteArray AnsiCodec::Private::encode(QStringView text, qsizetype *firstUnmappable) const
{
    *firstUnmappable = -1;
    if (text.isEmpty())
        return {};
    if (singleByte) {
        QByteArray bytes(text.size(), Qt::Uninitialized);
        char *out = bytes.data();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qint16 byte = fromUnicode[text[i].unicode()];
            if (byte < 0) {
                if (*firstUnmappable < 0)
                    *firstUnmappable = i;
                // A character outside the BMP is one character, so one "?".
                if (text[i].isHighSurrogate() && i + 1 < text.size() &&
                    text[i + 1].isLowSurrogate())
                    ++i;
            }
            *out++ = byte < 0 ? '?' : char(byte);
        }
        bytes.truncate(out - bytes.constData());
        return bytes;
    }
    EncodeContext context;
    context.start = reinterpret_cast<const UChar *>(text.utf16());
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), substituteQuestionMark, &context, nullptr, nullptr,
                          &status);
    const int32_t length = int32_t(text.size());
    QByteArray bytes(UCNV_GET_MAX_BYTES_FOR_STRING(length, ucnv_getMaxCharSize(converter.get())),
                     Qt::Uninitialized);
    const int32_t written = ucnv_fromUChars(converter.get(), bytes.data(), int32_t(bytes.size()),
                                            context.start, length, &status);
    bytes.truncate(U_SUCCESS(status) ? written : 0);
    *firstUnmappable = context.firstUnmappable;
    return bytes;
}

AnsiCodec::AnsiCodec(int codePage) : d(std::make_unique<Private>())
{
    d->codePage = codePage;
    d->converter = openConverter(codePage);
    if (!d->converter) {
        d->codePage = westernEuropeanCodePage;
        d->converter = openConverter(westernEuropeanCodePage);
    }
    d->singleByte = ucnv_getMaxCharSize(d->converter.get()) == 1;
    if (d->singleByte)
        d->buildTables();
}

AnsiCodec::~AnsiCodec() = default;

int AnsiCodec::codePage() const
{
    return d->codePage;
}

QString AnsiCodec::decode(QByteArrayView bytes) const
{
    if (bytes.isEmpty())
        return {};
    if (d->singleByte) {
        QString text(bytes.size(), Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        for (const char byte : bytes)
            *out++ = d->toUnicode[uchar(byte)];
        return text;
    }
    // No code page makes more than two UTF-16 units of one byte.
    QString text(2 * bytes.size() + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(d->converter.get(), reinterpret_cast<UChar *>(text.data()),
                      int32_t(text.size()), bytes.data(), int32_t(bytes.size()), &status);
    text.truncate(U_SUCCESS(status) ? length : 0);
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

} // namespace platform
