#include "platform/wayland/LayerShellDisplay.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <linux/input-event-codes.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <wayland-client.h>

#include "relative-pointer-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace zandrel {
namespace {

constexpr uint32_t kCompositorVersion = 4;  // damage in buffer coordinates
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kShellVersion = 4;
constexpr int kRemapDelayMs = 1000;
constexpr int kBufferRetryMs = 16;  // both buffers still with the compositor: look again next frame

Qt::MouseButton QtButton(uint32_t button)
{
    switch (button) {
    case BTN_LEFT:
        return Qt::LeftButton;
    case BTN_RIGHT:
        return Qt::RightButton;
    case BTN_MIDDLE:
        return Qt::MiddleButton;
    default:
        return Qt::NoButton;
    }
}

}  // namespace

// The listeners: each event goes to the display that registered for it. Events the overlay does not
// use still need a function each.
struct CLayerShellDisplay::Callbacks {
    static CLayerShellDisplay& Of(void* data) { return *static_cast<CLayerShellDisplay*>(data); }

    static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        Of(data).OnGlobal(registry, name, interface, version);
    }
    static void GlobalRemove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener kRegistry = {Global, GlobalRemove};

    static void Configure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height)
    {
        Of(data).OnConfigure(serial, width, height);
    }
    static void Closed(void* data, zwlr_layer_surface_v1*) { Of(data).OnClosed(); }
    static constexpr zwlr_layer_surface_v1_listener kLayer = {Configure, Closed};

    static void FrameDone(void* data, wl_callback*, uint32_t) { Of(data).OnFrameDone(); }
    static constexpr wl_callback_listener kFrame = {FrameDone};

    static void Capabilities(void* data, wl_seat*, uint32_t capabilities) { Of(data).OnSeatCapabilities(capabilities); }
    static void SeatName(void*, wl_seat*, const char*) {}
    static constexpr wl_seat_listener kSeat = {Capabilities, SeatName};

    static QPointF Position(wl_fixed_t x, wl_fixed_t y) { return {wl_fixed_to_double(x), wl_fixed_to_double(y)}; }
    static void Enter(void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
    {
        Of(data).OnPointerEnter(surface, Position(x, y));
    }
    static void Leave(void* data, wl_pointer*, uint32_t, wl_surface*) { Of(data).OnPointerLeave(); }
    static void Motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
    {
        Of(data).OnPointerMotion(Position(x, y));
    }
    static void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state)
    {
        Of(data).OnPointerButton(button, state);
    }
    static void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
    static void Frame(void* data, wl_pointer*) { Of(data).OnPointerFrame(); }
    static void AxisSource(void*, wl_pointer*, uint32_t) {}
    static void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
    static void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
    static void RelativeMotion(void* data, zwp_relative_pointer_v1*, uint32_t, uint32_t, wl_fixed_t dx, wl_fixed_t dy,
                               wl_fixed_t, wl_fixed_t)
    {
        Of(data).OnRelativeMotion(Position(dx, dy));
    }
    static constexpr zwp_relative_pointer_v1_listener kRelative = {RelativeMotion};
    static constexpr wl_pointer_listener kPointer = {Enter, Leave,      Motion,   Button,       Axis,
                                                     Frame, AxisSource, AxisStop, AxisDiscrete, nullptr};
};

std::unique_ptr<CLayerShellDisplay> CLayerShellDisplay::Connect(QWidget& overlay, QWidget& handle)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<CLayerShellDisplay> shown(new CLayerShellDisplay(overlay, handle, display));
    if (!shown->BindGlobals())
        return nullptr;
    // From here on the widgets are drawn here, not as windows.
    overlay.setAttribute(Qt::WA_DontShowOnScreen);
    handle.setAttribute(Qt::WA_DontShowOnScreen);
    shown->Watch(overlay);
    shown->Watch(handle);
    shown->m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    connect(shown->m_notifier.get(), &QSocketNotifier::activated, shown.get(),
            [raw = shown.get()] { raw->ReadConnection(); });
    // Requests made during a turn of the event loop leave before it sleeps.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        shown->m_beforeSleep = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, shown.get(),
                                       [raw = shown.get()] { raw->Flush(); });
    if (overlay.isVisible())
        shown->MapSurface();
    return shown;
}

CLayerShellDisplay::CLayerShellDisplay(QWidget& overlay, QWidget& handle, wl_display* display)
    : m_overlay(overlay), m_handle(handle), m_display(display)
{
    m_drawTimer.setSingleShot(true);
    connect(&m_drawTimer, &QTimer::timeout, this, [this] { Draw(); });
    m_remapTimer.setSingleShot(true);
    connect(&m_remapTimer, &QTimer::timeout, this, [this] {
        if (m_overlay.isVisible() && !m_layer)
            MapSurface();
    });
}

CLayerShellDisplay::~CLayerShellDisplay()
{
    disconnect(m_beforeSleep);
    m_notifier.reset();
    UnmapSurface();
    if (m_relativePointer)
        zwp_relative_pointer_v1_destroy(m_relativePointer);
    if (m_relativeManager)
        zwp_relative_pointer_manager_v1_destroy(m_relativeManager);
    if (m_pointer)
        wl_pointer_destroy(m_pointer);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_shell) {
        if (m_shellVersion >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(m_shell);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_shell));
    }
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

bool CLayerShellDisplay::BindGlobals()
{
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &Callbacks::kRegistry, this);
    // The first round trip lists the globals; the second gets the seat's capabilities.
    if (wl_display_roundtrip(m_display) < 0 || wl_display_roundtrip(m_display) < 0)
        return false;
    return m_compositor && m_shm && m_shell;
}

void CLayerShellDisplay::OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    const auto bind = [&](const wl_interface& type, uint32_t most) {
        return wl_registry_bind(registry, name, &type, std::min(version, most));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !m_compositor) {
        m_compositorVersion = std::min(version, kCompositorVersion);
        m_compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, kCompositorVersion));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !m_shm) {
        m_shm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !m_seat) {
        m_seat = static_cast<wl_seat*>(bind(wl_seat_interface, kSeatVersion));
        wl_seat_add_listener(m_seat, &Callbacks::kSeat, this);
    } else if (std::strcmp(interface, zwp_relative_pointer_manager_v1_interface.name) == 0 && !m_relativeManager) {
        m_relativeManager =
            static_cast<zwp_relative_pointer_manager_v1*>(bind(zwp_relative_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !m_shell) {
        m_shellVersion = std::min(version, kShellVersion);
        m_shell = static_cast<zwlr_layer_shell_v1*>(bind(zwlr_layer_shell_v1_interface, kShellVersion));
    }
}

void CLayerShellDisplay::OnSeatCapabilities(uint32_t capabilities)
{
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &Callbacks::kPointer, this);
        m_pointerHasFrames = wl_pointer_get_version(m_pointer) >= WL_POINTER_FRAME_SINCE_VERSION;
        if (m_relativeManager) {
            m_relativePointer = zwp_relative_pointer_manager_v1_get_relative_pointer(m_relativeManager, m_pointer);
            zwp_relative_pointer_v1_add_listener(m_relativePointer, &Callbacks::kRelative, this);
        }
    } else if (!hasPointer && m_pointer) {
        if (m_relativePointer)
            zwp_relative_pointer_v1_destroy(m_relativePointer);
        m_relativePointer = nullptr;
        wl_pointer_destroy(m_pointer);
        m_pointer = nullptr;
        m_pointerInside = false;
    }
}

void CLayerShellDisplay::Watch(QObject& object)
{
    object.installEventFilter(this);
    for (QObject* child : object.children())
        Watch(*child);
}

bool CLayerShellDisplay::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (QObject* child = static_cast<QChildEvent*>(event)->child())
            Watch(*child);
        break;
    case QEvent::Show:
        if (watched == &m_overlay)
            MapSurface();
        ScheduleDraw();
        break;
    case QEvent::Hide:
        if (watched == &m_overlay)
            UnmapSurface();
        else
            ScheduleDraw();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (watched == &m_overlay)
            ApplyPlacement();
        ScheduleDraw();
        break;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
        ScheduleDraw();
        break;
    default:
        break;
    }
    return false;
}

void CLayerShellDisplay::ReadConnection()
{
    if (m_failed)
        return;
    // The socket has data: read it and run the listeners. Nothing else reads this connection.
    if (wl_display_dispatch(m_display) < 0)
        FallBackToWindows(std::strerror(wl_display_get_error(m_display)));
}

void CLayerShellDisplay::Flush()
{
    if (m_failed)
        return;
    if (wl_display_dispatch_pending(m_display) < 0 || (wl_display_flush(m_display) < 0 && errno != EAGAIN))
        FallBackToWindows(std::strerror(wl_display_get_error(m_display) ? wl_display_get_error(m_display) : errno));
}

void CLayerShellDisplay::MapSurface()
{
    if (m_failed || m_layer)
        return;
    m_surface = wl_compositor_create_surface(m_compositor);
    m_layer = zwlr_layer_shell_v1_get_layer_surface(m_shell, m_surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                    "zandrel-overlay");
    zwlr_layer_surface_v1_add_listener(m_layer, &Callbacks::kLayer, this);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    zwlr_layer_surface_v1_set_anchor(m_layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // The first commit carries no buffer: the compositor answers with a configure.
    ApplyPlacement();
}

void CLayerShellDisplay::UnmapSurface()
{
    if (m_frame) {
        wl_callback_destroy(m_frame);
        m_frame = nullptr;
    }
    if (m_layer) {
        zwlr_layer_surface_v1_destroy(m_layer);
        m_layer = nullptr;
    }
    if (m_surface) {
        wl_surface_destroy(m_surface);
        m_surface = nullptr;
    }
    m_configured = false;
    m_drawPending = false;
    m_pointerInside = false;
    m_pressTarget = nullptr;
    for (auto& buffer : m_buffers)
        buffer.reset();
}

void CLayerShellDisplay::ApplyPlacement()
{
    if (!m_layer)
        return;
    // The overlay's place, as margins from the top and right edges of the screen it is on.
    const QRect overlay = m_overlay.geometry();
    const QScreen* screen = QGuiApplication::screenAt(overlay.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(QPoint(), overlay.bottomRight());
    zwlr_layer_surface_v1_set_size(m_layer, static_cast<uint32_t>(overlay.width()),
                                   static_cast<uint32_t>(overlay.height()));
    zwlr_layer_surface_v1_set_margin(m_layer, overlay.top() - area.top(), area.right() - overlay.right(), 0, 0);
    wl_surface_commit(m_surface);
}

void CLayerShellDisplay::OnConfigure(uint32_t serial, uint32_t, uint32_t)
{
    // The size asked for is the size drawn: the overlay's own.
    zwlr_layer_surface_v1_ack_configure(m_layer, serial);
    m_configured = true;
    ScheduleDraw();
}

void CLayerShellDisplay::OnClosed()
{
    // The compositor took the surface away (its output went, say). A shown overlay comes back on
    // another surface after a moment.
    UnmapSurface();
    m_remapTimer.start(kRemapDelayMs);
}

void CLayerShellDisplay::ScheduleDraw()
{
    if (!m_drawTimer.isActive())
        m_drawTimer.start(0);
}

void CLayerShellDisplay::OnFrameDone()
{
    wl_callback_destroy(m_frame);
    m_frame = nullptr;
    if (m_drawPending)
        Draw();
}

CShmBuffer* CLayerShellDisplay::FreeBuffer()
{
    const QSize size = m_overlay.size();
    for (auto& buffer : m_buffers) {
        if (buffer && buffer->Size() != size && !buffer->IsBusy())
            buffer.reset();
        if (buffer && !buffer->IsBusy())
            return buffer.get();
        if (!buffer) {
            buffer = CShmBuffer::Create(m_shm, size);
            return buffer.get();
        }
    }
    return nullptr;  // both still with the compositor
}

bool CLayerShellDisplay::IsLocked() const
{
    const QWindow* window = m_overlay.windowHandle();
    return window && window->flags().testFlag(Qt::WindowTransparentForInput);
}

QRect CLayerShellDisplay::HandleRect() const { return QRect(m_handle.pos() - m_overlay.pos(), m_handle.size()); }

void CLayerShellDisplay::Draw()
{
    if (m_failed || !m_layer || !m_configured)
        return;
    CShmBuffer* buffer = m_frame ? nullptr : FreeBuffer();
    if (!buffer) {
        m_drawPending = true;  // when the frame is done or a buffer comes back
        if (!m_frame)
            m_drawTimer.start(kBufferRetryMs);
        return;
    }
    m_drawPending = false;
    QImage& image = buffer->Image();
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        if (!m_overlay.mask().isEmpty())
            painter.setClipRegion(m_overlay.mask());
        m_overlay.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.setClipping(false);
        if (m_handle.isVisible()) {
            painter.setOpacity(m_handle.windowOpacity());
            m_handle.render(&painter, HandleRect().topLeft(), QRegion(), QWidget::DrawChildren);
        }
    }
    // Locked, only the handle takes presses; unlocked, the whole surface (a null region).
    if (IsLocked()) {
        wl_region* region = wl_compositor_create_region(m_compositor);
        const QRect handle = HandleRect();
        wl_region_add(region, handle.x(), handle.y(), handle.width(), handle.height());
        wl_surface_set_input_region(m_surface, region);
        wl_region_destroy(region);
    } else {
        wl_surface_set_input_region(m_surface, nullptr);
    }
    wl_surface_attach(m_surface, buffer->Buffer(), 0, 0);
    buffer->MarkBusy();
    if (m_compositorVersion >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION)
        wl_surface_damage_buffer(m_surface, 0, 0, image.width(), image.height());
    else
        wl_surface_damage(m_surface, 0, 0, image.width(), image.height());
    m_frame = wl_surface_frame(m_surface);
    wl_callback_add_listener(m_frame, &Callbacks::kFrame, this);
    wl_surface_commit(m_surface);
}

void CLayerShellDisplay::OnPointerEnter(wl_surface* surface, QPointF position)
{
    m_pointerInside = surface && surface == m_surface;
    m_pointerPosition = position;
    m_pointerOnScreen = position + QPointF(m_overlay.pos());
}

void CLayerShellDisplay::OnPointerLeave() { m_pointerInside = false; }

void CLayerShellDisplay::OnPointerMotion(QPointF position)
{
    if (!m_pointerInside)
        return;
    m_pointerPosition = position;
    // Taken now: the drag may move the surface before the position is used.
    m_pointerOnScreen = position + QPointF(m_overlay.pos());
    m_pointerMoved = true;
    if (!m_pointerHasFrames)
        OnPointerFrame();
}

void CLayerShellDisplay::OnRelativeMotion(QPointF delta)
{
    if (!m_pressTarget)
        return;
    m_pressDelta += delta;
    m_pressHasDeltas = true;
    m_pointerMoved = true;
    if (!m_pointerHasFrames)
        OnPointerFrame();
}

void CLayerShellDisplay::OnPointerFrame()
{
    // One input event's motion, absolute and relative, is complete.
    if (!m_pointerMoved)
        return;
    m_pointerMoved = false;
    if (m_pressTarget)
        SendMouse(QEvent::MouseMove, Qt::NoButton);
}

QPointF CLayerShellDisplay::PointerOnScreen() const
{
    // While a button is held, the compositors differ: sway gives positions relative to where the
    // surface was at the press, KWin relative to where it is now, and the overlay's drag moves it.
    // The pointer's own motion since the press is the same on both: where the compositor sends it
    // (relative-pointer), it decides. Otherwise the position is taken as relative to the place the
    // surface had when the position came, as the core protocol says.
    if (m_pressTarget && m_pressHasDeltas)
        return m_pressOnScreen + m_pressDelta;
    return m_pointerOnScreen;
}

void CLayerShellDisplay::OnPointerButton(uint32_t button, uint32_t state)
{
    const Qt::MouseButton qtButton = QtButton(button);
    if (qtButton == Qt::NoButton)
        return;
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        if (!m_pointerInside || m_pressTarget)
            return;
        // The handle above the overlay; the overlay itself only while unlocked (locked, the input
        // region keeps presses elsewhere from coming here at all).
        if (HandleRect().contains(m_pointerPosition.toPoint()) && m_handle.isVisible())
            m_pressTarget = &m_handle;
        else if (!IsLocked())
            m_pressTarget = &m_overlay;
        else
            return;
        m_pressButton = qtButton;
        m_pressOnScreen = PointerOnScreen();
        m_pressDelta = QPointF();
        m_pressHasDeltas = false;
        SendMouse(QEvent::MouseButtonPress, qtButton);
    } else if (m_pressTarget && qtButton == m_pressButton) {
        SendMouse(QEvent::MouseButtonRelease, qtButton);
        // The surface may have moved under the pointer, and no compositor says where the pointer is
        // on it now until it moves: where it was on the screen, less where the surface went.
        m_pointerOnScreen = PointerOnScreen();
        m_pointerPosition = m_pointerOnScreen - QPointF(m_overlay.pos());
        m_pressTarget = nullptr;
        m_pressButton = Qt::NoButton;
    }
}

void CLayerShellDisplay::SendMouse(int type, Qt::MouseButton button)
{
    QWidget* target = m_pressTarget;
    if (!target)
        return;
    // In the target's own coordinates, and on the screen as the widgets see it: the overlay's
    // drag reads the global position and moves the widget, and the move moves the surface.
    const QPointF global = PointerOnScreen();
    const QPointF local = global - QPointF(target->pos());
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(m_pressButton);
    QMouseEvent event(static_cast<QEvent::Type>(type), local, local, global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void CLayerShellDisplay::FallBackToWindows(const char* why)
{
    if (m_failed)
        return;
    m_failed = true;
    std::fprintf(stderr, "zandrel: the overlay's Wayland connection failed (%s); it shows as a window from now on\n",
                 why);
    disconnect(m_beforeSleep);
    m_notifier->setEnabled(false);
    m_drawTimer.stop();
    m_remapTimer.stop();
    // The proxies go now; on a failed connection their requests go nowhere.
    UnmapSurface();
    const bool shown = m_overlay.isVisible();
    m_overlay.hide();
    m_handle.hide();
    m_overlay.setAttribute(Qt::WA_DontShowOnScreen, false);
    m_handle.setAttribute(Qt::WA_DontShowOnScreen, false);
    if (shown)
        m_overlay.show();
}

}  // namespace zandrel
