#include "controls/linewidths.h"

#include <cmath>

namespace {

constexpr int unknown = -2;
constexpr int wholeLine = -1;

// Scripts whose characters keep their own advance when drawn unshaped.
bool keepsItsAdvance(char32_t character)
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
    : m_metrics(font, device), m_exactMetrics(font, device), m_basicPlane(0x10000, unknown)
{}

int LineWidths::width(QStringView line)
{
    // QFontMetrics adds advances in 1/64 pixel and rounds the total once.
    qint64 total = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        char32_t character = line[i].unicode();
        if (QChar::isHighSurrogate(character) && i + 1 < line.size() &&
            line[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(line[i], line[i + 1]);
            ++i;
        }
        const int step = advance(character);
        if (step == wholeLine)
            return m_metrics.horizontalAdvance(line.toString());
        total += step;
    }
    return int((total + 32) >> 6);
}

int LineWidths::advance(char32_t character)
{
    if (character < 0x10000) {
        int &known = m_basicPlane[character];
        if (known == unknown)
            known = measureAdvance(character);
        return known;
    }
    auto found = m_otherPlanes.find(character);
    if (found == m_otherPlanes.end())
        found = m_otherPlanes.insert(character, measureAdvance(character));
    return *found;
}

int LineWidths::measureAdvance(char32_t character) const
{
    if (!keepsItsAdvance(character))
        return wholeLine;
    const char32_t one[] = {character};
    const qreal pixels = m_exactMetrics.horizontalAdvance(QString::fromUcs4(one, 1));
    return int(std::lround(pixels * 64));
}
