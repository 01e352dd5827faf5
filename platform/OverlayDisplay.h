#pragma once

#include <memory>
#include <string>

#include <QString>

class QWidget;

namespace zandrel {

// How the overlay and its lock handle reach the desktop. They are widgets either way and keep their
// geometry, their painting and their input handling; the rest of the program sees only them.
//  - As windows of their own (X11, or Xwayland in a Wayland session) they show themselves, and the
//    display does nothing more.
//  - On a Wayland desktop that offers a layer shell (KWin, sway and the other wlroots desktops) they
//    stay off the screen, and one layer surface on the overlay layer shows both: above fullscreen
//    windows, without the keyboard, and letting every click but the handle's through while locked.
// UI thread only.
class IOverlayDisplay {
public:
    virtual ~IOverlayDisplay() = default;
    // For the log: "windows" or "layer shell".
    virtual QString Name() const = 0;
};

enum class OverlayDisplayKind { Windows, LayerShell };

// What the process was started with that decides the display.
struct OverlayDisplayEnvironment {
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string chosen;          // ZANDREL_OVERLAY: "window" or "layer-shell", for a user who must
};

// Whether a layer shell is worth asking for: in a Wayland session, unless the user chose windows.
bool WantsLayerShell(const OverlayDisplayEnvironment& environment);
OverlayDisplayEnvironment CurrentOverlayDisplayEnvironment();

// The display for `overlay` and its `handle`, top-level widgets that have not been shown yet. Both
// must outlive it. A layer shell where one is wanted and the compositor offers it; windows
// otherwise, and whenever the layer shell's connection fails later.
std::unique_ptr<IOverlayDisplay> ChooseOverlayDisplay(QWidget& overlay, QWidget& handle,
                                                      const OverlayDisplayEnvironment& environment);

}  // namespace zandrel
