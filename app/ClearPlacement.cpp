#include "app/ClearPlacement.h"

#include <algorithm>
#include <climits>

namespace zandrel {
namespace {

int clamped(int value, int low, int high) { return high < low ? low : std::clamp(value, low, high); }

}  // namespace

QPoint PlaceClearOf(const QRect& box, const QRect& area, const QRect& screen, int gap)
{
    const QRect kept = area.adjusted(-gap, -gap, gap, gap);
    if (area.isEmpty() || !box.intersects(kept))
        return box.topLeft();
    // Beside the area, the other way kept as it is as far as the screen allows.
    const int keptY = clamped(box.top(), screen.top(), screen.bottom() + 1 - box.height());
    const int keptX = clamped(box.left(), screen.left(), screen.right() + 1 - box.width());
    const QPoint left(kept.left() - box.width(), keptY);
    const QPoint candidates[] = {
        left,
        {kept.right() + 1, keptY},
        {keptX, kept.bottom() + 1},
        {keptX, kept.top() - box.height()},
    };
    QPoint best = left;
    int bestDistance = INT_MAX;
    for (const QPoint& place : candidates) {
        if (!screen.contains(QRect(place, box.size())))
            continue;
        const int distance = (place - box.topLeft()).manhattanLength();
        if (distance < bestDistance) {
            best = place;
            bestDistance = distance;
        }
    }
    if (bestDistance == INT_MAX)
        best = QPoint(clamped(left.x(), screen.left(), screen.right() + 1 - box.width()), keptY);
    return best;
}

}  // namespace zandrel
