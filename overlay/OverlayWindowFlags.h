#pragma once

#include <Qt>

namespace zandrel {

// The overlay's and its handle's window flags: frameless tool windows above the others that never
// take the focus. On X11 the window manager is kept out of them entirely: it neither frames nor
// places them, so a click-through overlay has no frame that catches clicks, and a game keeps the
// focus when they appear. They place, raise and move themselves.
inline constexpr Qt::WindowFlags kOverlayWindowFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                       Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;

}  // namespace zandrel
