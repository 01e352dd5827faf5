#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace zandrel {

// Where the overlay of `size` starts in a screen's available area: `gap` pixels in from its right
// edge and centred vertically (each half rounded toward zero). Where that does not fit, the
// top-right corner, where the lock handle sits, stays on the screen: the right edge at the area's
// right edge, the top at its top.
QPoint OverlayStartPosition(const QRect& available, const QSize& size, int gap);

// Whether `rect` lies wholly in the available area of one of the screens there are now.
bool IsWhollyOnAScreen(const QRect& rect);

}  // namespace zandrel
