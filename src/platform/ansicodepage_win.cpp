#include "platform/ansicodepage.h"

#include <windows.h>

int platform::systemAnsiCodePage()
{
    return int(GetACP());
}

struct AnsiCodec::Private
{
    UINT codePage = platform::westernEuropeanCodePage;
};

AnsiCodec::AnsiCodec(int codePage) : d(std::make_unique<Private>())
{
    if (IsValidCodePage(UINT(codePage)))
        d->codePage = UINT(codePage);
}

AnsiCodec::~AnsiCodec() = default;

int AnsiCodec::codePage() const
{
    return int(d->codePage);
}

QString AnsiCodec::decode(QByteArrayView bytes) const
{
    if (bytes.isEmpty())
        return {};
    const int length =
        MultiByteToWideChar(d->codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(d->codePage, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<LPWSTR>(text.data()), length);
    return text;
}

QByteArray AnsiCodec::encode(QStringView text, bool *exact) const
{
    if (text.isEmpty()) {
        if (exact)
            *exact = true;
        return {};
    }
    // Without best-fit mapping a character the code page lacks becomes the
    // default "?" instead of a look-alike; UTF-8 refuses the flag and has no
    // such characters.
    const DWORD flags = d->codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const auto source = reinterpret_cast<LPCWSTR>(text.utf16());
    const int length = WideCharToMultiByte(d->codePage, flags, source, int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(d->codePage, flags, source, int(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    if (exact)
        *exact = decode(bytes) == text;
    return bytes;
}

// Every character before the first one the code page lacks converts both
// ways unchanged, and that one came back as "?", so the first difference
// after a round trip is where it was.
qsizetype AnsiCodec::firstUnmappable(QStringView text) const
{
    const QString roundTrip = decode(encode(text));
    const qsizetype common = qMin(roundTrip.size(), text.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (roundTrip[i] != text[i])
            return i;
    }
    return roundTrip.size() == text.size() ? -1 : common;
}
