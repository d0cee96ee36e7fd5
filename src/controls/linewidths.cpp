#include "controls/linewidths.h"

#include <cmath>

namespace {

constexpr int unknown = -2;
constexpr int wholeLine = -1;

// Characters that keep their own advance when drawn unshaped, whatever
// stands beside them; half a surrogate pair is not a character.
bool keepsItsAdvance(char16_t character)
{
    if (character == u'\t' || QChar::isSurrogate(character))
        return false;
    switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return false;
    default:
        break;
    }
    switch (QChar::script(character)) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

} // namespace

LineWidths::LineWidths(const QFont &font, QPaintDevice *device)
    : m_metrics(font, device), m_exactMetrics(font, device), m_advances(0x10000, unknown)
{}

int LineWidths::width(QStringView line)
{
    // QFontMetrics adds advances in 1/64 pixel and rounds the total once.
    qint64 total = 0;
    for (const QChar character : line) {
        int &advance = m_advances[character.unicode()];
        if (advance == unknown)
            advance = measureAdvance(character.unicode());
        if (advance == wholeLine)
            return m_metrics.horizontalAdvance(line.toString());
        total += advance;
    }
    return int((total + 32) >> 6);
}

int LineWidths::measureAdvance(char16_t character) const
{
    if (!keepsItsAdvance(character))
        return wholeLine;
    const qreal pixels = m_exactMetrics.horizontalAdvance(QString(QChar(character)));
    return int(std::lround(pixels * 64));
}
