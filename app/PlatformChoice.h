#pragma once

#include <optional>
#include <string>

namespace zandrel {

// What the process was started with that decides the window system platform.
struct PlatformEnvironment {
    std::string waylandDisplay;     // WAYLAND_DISPLAY
    std::string sessionType;        // XDG_SESSION_TYPE
    std::string x11Display;         // DISPLAY
    std::string chosenPlatform;     // QT_QPA_PLATFORM
    bool platformArgument = false;  // -platform on the command line
};

// The platform to ask Qt for, or none to leave Qt's own choice. In a Wayland session with Xwayland,
// the program runs as an X11 client unless the user chose otherwise: there the overlay stays above
// a fullscreen game, keeps its place at the screen's edge and lets clicks through when locked,
// which a plain Wayland window may not (a compositor places, stacks and focuses those itself). The
// answer is a list that Qt tries in order.
std::optional<std::string> PreferredPlatform(const PlatformEnvironment& environment);

// The environment and command line of this process.
PlatformEnvironment CurrentPlatformEnvironment(int argc, const char* const* argv);

}  // namespace zandrel
