#pragma once

#include <QFontMetrics>
#include <QHash>
#include <QStringView>
#include <vector>

class QFont;
class QPaintDevice;

// Widths of lines of text drawn unshaped in one font, exactly as
// QFontMetrics::horizontalAdvance gives them, but fast enough to measure a
// hundred thousand lines while a playlist opens. Unshaped text is as wide as
// the sum of its characters' advances, so each character is measured once and
// remembered. Lines with anything whose width depends on its neighbours
// (tabs, marks, scripts that are shaped even so) are measured whole.
class LineWidths
{
public:
    LineWidths(const QFont &font, QPaintDevice *device);

    int width(QStringView line);

private:
    // The advance of one character in 1/64 pixel, or -1 when it must be
    // measured with its line.
    int advance(char32_t character);
    int measureAdvance(char32_t character) const;

    QFontMetrics m_metrics;
    QFontMetricsF m_exactMetrics;
    std::vector<int> m_basicPlane;
    QHash<char32_t, int> m_otherPlanes;
};
