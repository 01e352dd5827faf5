// Where the settings box goes so that the overlay does not cover it.

#include <gtest/gtest.h>

#include "app/ClearPlacement.h"

namespace zandrel {
namespace {

struct PlacementCase {
    const char* what;
    QRect box;
    QRect area;
    QPoint place;
};

TEST(ClearPlacement, NearestPlaceBesideTheAreaOnTheScreen)
{
    const QRect screen(0, 0, 1280, 800);
    const int gap = 10;
    const PlacementCase cases[] = {
        {"clear already", {100, 100, 400, 300}, {900, 100, 300, 500}, {100, 100}},
        {"no area (the overlay hidden)", {900, 100, 400, 300}, {}, {900, 100}},
        {"within the gap counts as covered", {495, 100, 400, 300}, {900, 100, 300, 500}, {490, 100}},
        {"over the overlay at the right edge: left of it", {800, 200, 400, 300}, {900, 100, 300, 500}, {490, 200}},
        {"over an overlay at the left edge: right of it", {50, 200, 400, 300}, {0, 100, 300, 500}, {310, 200}},
        {"a full-width overlay at the top: below it", {400, 100, 400, 300}, {0, 0, 1280, 300}, {400, 310}},
        {"a full-width overlay at the bottom: above it", {400, 500, 400, 300}, {0, 400, 1280, 400}, {400, 90}},
        {"kept on the screen vertically", {800, 600, 400, 300}, {900, 100, 300, 500}, {490, 500}},
        {"nowhere fits: left of it, on the screen", {300, 100, 400, 300}, {0, 0, 1280, 800}, {0, 100}},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceClearOf(c.box, c.area, screen, gap), c.place);
    }
}

}  // namespace
}  // namespace zandrel
