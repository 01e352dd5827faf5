#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace zandrel {

// The windows' geometry is given in layout units that scale with an 8-point font: at 96 DPI a
// horizontal unit is 1.5 pixels and a vertical one 1.625 (a base unit of 6 x 13 pixels, over 4 and
// 8). Each result is rounded to the nearest pixel, halves away from zero. Qt scales the pixels for
// high DPI.
constexpr int DialogUnitsToPixelsX(int units) { return (units * 6 + (units >= 0 ? 2 : -2)) / 4; }
constexpr int DialogUnitsToPixelsY(int units) { return (units * 13 + (units >= 0 ? 4 : -4)) / 8; }

inline QSize DialogSize(int width, int height) { return {DialogUnitsToPixelsX(width), DialogUnitsToPixelsY(height)}; }
inline QRect DialogRect(int x, int y, int width, int height)
{
    return {QPoint(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y)), DialogSize(width, height)};
}

}  // namespace zandrel
