// Which display the overlay gets at start. (On the desktops themselves: tests/e2e/wayland_test.sh.)

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/OverlayDisplay.h"

namespace zandrel {
namespace {

TEST(OverlayDisplay, ALayerShellIsAskedForInAWaylandSessionUnlessTheUserChoseWindows)
{
    struct Case {
        const char* what;
        OverlayDisplayEnvironment environment;
        bool wanted;
    };
    const Case cases[] = {
        {"X11", {"", "x11", ""}, false},
        {"nothing said", {"", "", ""}, false},
        {"a Wayland session", {"wayland-0", "wayland", ""}, true},
        {"a Wayland display without a session type", {"wayland-1", "", ""}, true},
        {"a Wayland session type without a display name", {"", "wayland", ""}, true},
        {"the user chose windows", {"wayland-0", "wayland", "window"}, false},
        {"the user chose the layer shell on X11", {"", "x11", "layer-shell"}, true},
        {"a choice that means nothing", {"wayland-0", "wayland", "bogus"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WantsLayerShell(c.environment), c.wanted);
    }
}

// Where no compositor answers, the overlay is a window, as on X11, and shows itself.
TEST(OverlayDisplay, WithoutACompositorTheOverlayIsAWindow)
{
    QWidget overlay;
    QWidget handle;
    qputenv("WAYLAND_DISPLAY", "zandrel-test-no-such-compositor");
    const auto display =
        ChooseOverlayDisplay(overlay, handle, {"zandrel-test-no-such-compositor", "wayland", "layer-shell"});
    qunsetenv("WAYLAND_DISPLAY");
    ASSERT_TRUE(display);
    EXPECT_EQ(display->Name(), QStringLiteral("windows"));
    EXPECT_FALSE(overlay.testAttribute(Qt::WA_DontShowOnScreen));
    EXPECT_FALSE(handle.testAttribute(Qt::WA_DontShowOnScreen));
}

}  // namespace
}  // namespace zandrel
