#pragma once

#include <QFontMetrics>
#include <QStringView>
#include <vector>

class QFont;
class QPaintDevice;

// Widths of lines of text drawn unshaped in one font, exactly as
// QFontMetrics::horizontalAdvance gives them, but fast enough to measure a
// hundred thousand lines while a playlist opens. Unshaped text is as wide as
// the sum of its characters' advances, so each character is measured once and
// remembered. Lines with anything whose width depends on its neighbours
// (tabs, marks, scripts that are shaped even so) or outside the basic
// multilingual plane, all rare in file names, are measured whole.
class LineWidths
{
public:
    LineWidths(const QFont &font, QPaintDevice *device);

    int width(QStringView line);

private:
    int measureAdvance(char16_t character) const;

    QFontMetrics m_metrics;
    QFontMetricsF m_exactMetrics;
    // Per UTF-16 code unit: its advance in 1/64 pixel, or whether it is yet
    // to be measured or must be measured with its line.
    std::vector<int> m_advances;
};
