#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/OverlayDisplay.h"
#include "platform/wayland/ShmBuffer.h"

struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwp_relative_pointer_manager_v1;
struct zwp_relative_pointer_v1;
struct zwlr_layer_surface_v1;

namespace zandrel {

// The overlay and its handle on one layer surface of the overlay layer, through a Wayland
// connection of their own beside whatever Qt uses for the other windows.
//  - The widgets are shown off the screen (Qt::WA_DontShowOnScreen): they keep their geometry and
//    paint as before, and every paint of either is drawn again into a shared-memory buffer, at most
//    once per frame the compositor asks for.
//  - The surface is anchored to the top and right edges of the output; its margins are the overlay's
//    place on the screen, so the overlay's own drag moves it.
//  - It never takes the keyboard. While the overlay is locked (its window is transparent for input)
//    its input region is the handle alone, so every other click goes to what is below.
//  - Presses on it come back as mouse events to the widget under them.
// Everything runs on the UI thread: the connection is read when its socket has data and flushed
// before the event loop sleeps. If the connection fails, the widgets become windows again.
class CLayerShellDisplay : public QObject, public IOverlayDisplay {
public:
    // Null, and nothing changed, when there is no Wayland display or it offers no layer shell.
    static std::unique_ptr<CLayerShellDisplay> Connect(QWidget& overlay, QWidget& handle);
    ~CLayerShellDisplay() override;

    QString Name() const override { return QStringLiteral("layer shell"); }

    // Wayland's callbacks; not for other callers.
    struct Callbacks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CLayerShellDisplay(QWidget& overlay, QWidget& handle, wl_display* display);
    bool BindGlobals();
    void Watch(QObject& object);
    void ReadConnection();
    void Flush();
    void MapSurface();
    void UnmapSurface();
    void ApplyPlacement();
    void ScheduleDraw();
    void Draw();
    CShmBuffer* FreeBuffer();
    bool IsLocked() const;
    QRect HandleRect() const;
    void SendMouse(int type, Qt::MouseButton button);
    void FallBackToWindows(const char* why);

    // Events of the connection.
    void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void OnConfigure(uint32_t serial, uint32_t width, uint32_t height);
    void OnClosed();
    void OnFrameDone();
    void OnSeatCapabilities(uint32_t capabilities);
    void OnPointerEnter(wl_surface* surface, QPointF position);
    void OnPointerLeave();
    void OnPointerMotion(QPointF position);
    void OnPointerButton(uint32_t button, uint32_t state);
    void OnPointerFrame();
    void OnRelativeMotion(QPointF delta);
    // Where the pointer is, in the widgets' screen coordinates.
    QPointF PointerOnScreen() const;

    QWidget& m_overlay;
    QWidget& m_handle;
    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    uint32_t m_compositorVersion = 0;
    wl_shm* m_shm = nullptr;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    bool m_pointerHasFrames = false;
    zwp_relative_pointer_manager_v1* m_relativeManager = nullptr;
    zwp_relative_pointer_v1* m_relativePointer = nullptr;
    zwlr_layer_shell_v1* m_shell = nullptr;
    uint32_t m_shellVersion = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QMetaObject::Connection m_beforeSleep;

    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    bool m_configured = false;
    wl_callback* m_frame = nullptr;  // a frame asked for and not yet drawn by the compositor
    bool m_drawPending = false;      // something changed while the frame was awaited
    QTimer m_drawTimer;              // gathers the paints of one turn of the event loop
    QTimer m_remapTimer;             // after the compositor closed a shown surface
    std::array<std::unique_ptr<CShmBuffer>, 2> m_buffers;

    bool m_pointerInside = false;
    QPointF m_pointerPosition;    // on the surface
    QPointF m_pointerOnScreen;    // the same, where the surface was when the compositor told it
    bool m_pointerMoved = false;  // in the input event that the next frame ends
    QPointF m_pressOnScreen;      // where the press was
    QPointF m_pressDelta;         // the pointer's motion since, where the compositor tells it
    bool m_pressHasDeltas = false;
    QPointer<QWidget> m_pressTarget;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    bool m_failed = false;
};

}  // namespace zandrel
