#include "platform/OverlayDisplay.h"

#include <cstdio>
#include <cstdlib>

#ifdef ZANDREL_LAYER_SHELL
#include "platform/wayland/LayerShellDisplay.h"
#endif

namespace zandrel {
namespace {

// The widgets are windows and show themselves.
class CWindowDisplay : public IOverlayDisplay {
public:
    QString Name() const override { return QStringLiteral("windows"); }
};

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

bool WantsLayerShell(const OverlayDisplayEnvironment& environment)
{
    if (environment.chosen == "window")
        return false;
    if (environment.chosen == "layer-shell")
        return true;
    // A Wayland session: its display is named, or the session says what it is (the connection then
    // takes the default socket).
    return !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
}

OverlayDisplayEnvironment CurrentOverlayDisplayEnvironment()
{
    return {Variable("WAYLAND_DISPLAY"), Variable("XDG_SESSION_TYPE"), Variable("ZANDREL_OVERLAY")};
}

std::unique_ptr<IOverlayDisplay> ChooseOverlayDisplay(QWidget& overlay, QWidget& handle,
                                                      const OverlayDisplayEnvironment& environment)
{
#ifdef ZANDREL_LAYER_SHELL
    if (WantsLayerShell(environment)) {
        if (auto display = CLayerShellDisplay::Connect(overlay, handle))
            return display;
        if (environment.chosen == "layer-shell")
            std::fprintf(stderr, "zandrel: ZANDREL_OVERLAY=layer-shell, but the desktop offers no layer shell; "
                                 "the overlay is a window\n");
    }
#else
    (void)overlay;
    (void)handle;
    if (environment.chosen == "layer-shell")
        std::fprintf(stderr, "zandrel: this build has no layer shell; the overlay is a window\n");
#endif
    return std::make_unique<CWindowDisplay>();
}

}  // namespace zandrel
