// Which window system platform the program asks Qt for.

#include <gtest/gtest.h>

#include "app/PlatformChoice.h"

namespace zandrel {
namespace {

struct PlatformCase {
    const char* what;
    PlatformEnvironment environment;
    const char* platform;  // nullptr: Qt's own choice
};

TEST(PlatformChoice, XwaylandInAWaylandSessionUnlessTheUserChose)
{
    const PlatformCase cases[] = {
        {"X11", {"", "x11", ":0", "", false}, nullptr},
        {"Wayland with Xwayland", {"wayland-0", "wayland", ":0", "", false}, "xcb;wayland"},
        {"a Wayland display without a session type", {"wayland-1", "", ":1", "", false}, "xcb;wayland"},
        {"a Wayland session type without a display name", {"", "wayland", ":0", "", false}, "xcb;wayland"},
        {"Wayland without Xwayland", {"wayland-0", "wayland", "", "", false}, nullptr},
        {"the user chose by variable", {"wayland-0", "wayland", ":0", "wayland", false}, nullptr},
        {"the user chose by argument", {"wayland-0", "wayland", ":0", "", true}, nullptr},
        {"no window system at all", {"", "", "", "", false}, nullptr},
    };
    for (const PlatformCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto platform = PreferredPlatform(c.environment);
        if (c.platform) {
            ASSERT_TRUE(platform);
            EXPECT_EQ(*platform, c.platform);
        } else {
            EXPECT_FALSE(platform);
        }
    }
}

TEST(PlatformChoice, APlatformArgumentIsSeenInEachSpelling)
{
    for (const char* argument : {"-platform", "--platform", "-platform=wayland", "--platform=xcb"}) {
        SCOPED_TRACE(argument);
        const char* argv[] = {"zandrel", argument, "wayland"};
        EXPECT_TRUE(CurrentPlatformEnvironment(3, argv).platformArgument);
    }
    const char* argv[] = {"zandrel", "--quiet"};
    EXPECT_FALSE(CurrentPlatformEnvironment(2, argv).platformArgument);
}

}  // namespace
}  // namespace zandrel
