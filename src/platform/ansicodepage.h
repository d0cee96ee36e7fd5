#pragma once

#include <memory>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// Western European (Windows-1252): the code page of a system that names no
// language, and the one used when a code page cannot be converted here.
constexpr int westernEuropeanCodePage = 1252;

// The system's ANSI code page: GetACP() on Windows; elsewhere the code page
// that Windows would use for the language of the messages locale, e.g. 1250
// for Polish, 1251 for Russian, 932 for Japanese. A language that Windows only
// supports in Unicode counts as Western European.
int systemAnsiCodePage();

} // namespace platform

// Converts between text and the bytes of an ANSI code page the way Windows
// does without best-fit mapping: a character the code page lacks becomes "?".
// Any bytes decode to a text that encodes back to the same bytes: a byte that
// no character explains (undefined in a single-byte code page, part of a
// broken or one-way sequence in a multi-byte one) decodes to a private-use
// character of its own.
// Not for use by several threads at once.
class AnsiCodec
{
public:
    explicit AnsiCodec(int codePage);
    ~AnsiCodec();
    AnsiCodec(const AnsiCodec &) = delete;
    AnsiCodec &operator=(const AnsiCodec &) = delete;

    // The code page converted: the one asked for, or Western European when
    // that one cannot be converted on this system.
    int codePage() const;

    QString decode(QByteArrayView bytes) const;

    // Sets *exact to false when at least one character became "?".
    QByteArray encode(QStringView text, bool *exact = nullptr) const;

    // Index in text of the first character the code page cannot represent,
    // or -1 when it represents them all.
    qsizetype firstUnmappable(QStringView text) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
