#pragma once

#include <QPoint>
#include <QRect>

namespace zandrel {

// Where a window `box` (its frame) goes so that it stays clear of `area` (another window that
// covers what it shows, such as the overlay) by `gap` pixels, on `screen`: where it is if it is
// clear already; otherwise the nearest of the places left of, right of, below and above `area` that
// lie wholly on `screen`; if none does, left of `area`, kept on `screen`.
QPoint PlaceClearOf(const QRect& box, const QRect& area, const QRect& screen, int gap);

}  // namespace zandrel
