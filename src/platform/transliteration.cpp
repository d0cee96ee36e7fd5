#include "platform/transliteration.h"

#include <memory>
#include <QHash>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace {

// Making a transliterator reads and compiles its rules, which takes far
// longer than using one: it is made once, and every thread spells with a
// copy of its own, as one transliterator is not for several threads at once.
const icu::Transliterator *original()
{
    static const std::unique_ptr<icu::Transliterator> made = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> transliterator(
            icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            transliterator.reset();
        return transliterator;
    }();
    return made.get();
}

} // namespace

QString platform::asciiSpelling(QStringView text)
{
    thread_local const std::unique_ptr<icu::Transliterator> own(original() ? original()->clone()
                                                                           : nullptr);
    // The same names come again and again (an album's artist, once for each
    // of its tracks): each thread keeps what it spelled, up to a bound.
    thread_local QHash<QString, QString> spelled;
    const QString key = text.toString();
    const auto known = spelled.constFind(key);
    if (known != spelled.cend())
        return *known;
    if (!own)
        return key;
    icu::UnicodeString spelling(reinterpret_cast<const UChar *>(text.utf16()),
                                int32_t(text.size()));
    own->transliterate(spelling);
    if (spelled.size() >= 10000)
        spelled.clear();
    return *spelled.insert(
        key, QString(reinterpret_cast<const QChar *>(spelling.getBuffer()), spelling.length()));
}
