#include "app/PlatformChoice.h"

#include <cstdlib>
#include <string_view>

namespace zandrel {

std::optional<std::string> PreferredPlatform(const PlatformEnvironment& environment)
{
    if (!environment.chosenPlatform.empty() || environment.platformArgument)
        return std::nullopt;  // the user's choice stands
    const bool wayland = !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
    if (!wayland || environment.x11Display.empty())
        return std::nullopt;            // X11 already, or no Xwayland to run on
    return std::string("xcb;wayland");  // Wayland itself where Xwayland lets no one in
}

PlatformEnvironment CurrentPlatformEnvironment(int argc, const char* const* argv)
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    PlatformEnvironment environment{variable("WAYLAND_DISPLAY"), variable("XDG_SESSION_TYPE"), variable("DISPLAY"),
                                    variable("QT_QPA_PLATFORM"), false};
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform" || argument.rfind("-platform=", 0) == 0 ||
            argument.rfind("--platform=", 0) == 0)
            environment.platformArgument = true;
    }
    return environment;
}

}  // namespace zandrel
