#pragma once

#include <QRect>
#include <QtMath>

// Window layouts are designed in twips, 15 to a pixel.
constexpr int twipsPerPixel = 15;

inline int twips(int value)
{
    return qRound(double(value) / twipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}
