#include "overlay/OverlayPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace zandrel {

QPoint OverlayStartPosition(const QRect& available, const QSize& size, int gap)
{
    int x = available.x() + available.width() - size.width() - gap;
    if (x < available.x())
        x = available.x() + available.width() - size.width();
    int y = available.y() + available.height() / 2 - size.height() / 2;
    if (y < available.y())
        y = available.y();
    return {x, y};
}

bool IsWhollyOnAScreen(const QRect& rect)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(rect))
            return true;
    return false;
}

}  // namespace zandrel
