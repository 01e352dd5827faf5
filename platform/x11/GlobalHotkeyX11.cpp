// The global hotkey on X11: the key is grabbed on the root window through xcb, with every state of
// Num Lock and Caps Lock, and its presses are picked out of Qt's xcb events.

#include "platform/GlobalHotkey.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace zandrel {
namespace {

// The keysym of a Qt key, for the keys a hotkey may use: letters, digits, function keys.
std::optional<xcb_keysym_t> keysymOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<xcb_keysym_t>('a' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<xcb_keysym_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<xcb_keysym_t>(0xFFBE + (key - Qt::Key_F1));  // XK_F1 and on
    if (key == Qt::Key_Space)
        return 0x20;
    return std::nullopt;
}

uint16_t modifiersOf(Qt::KeyboardModifiers modifiers)
{
    uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// Caps Lock and Num Lock (Mod2 on every usual layout) must not change what the key is.
constexpr std::array<uint16_t, 4> kLockStates = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                 XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

std::optional<xcb_keycode_t> keycodeOf(xcb_connection_t* connection, xcb_keysym_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const xcb_get_keyboard_mapping_cookie_t cookie =
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<uint8_t>(count));
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr), &std::free);
    if (!reply)
        return std::nullopt;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKeycode = reply->keysyms_per_keycode;
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < perKeycode && j < 2; ++j)
            if (keysyms[i * perKeycode + j] == keysym)
                return static_cast<xcb_keycode_t>(setup->min_keycode + i);
    return std::nullopt;
}

}  // namespace

class CGlobalHotkey::Impl final : public QAbstractNativeEventFilter {
public:
    explicit Impl(CGlobalHotkey& owner) : m_owner(owner) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (m_keycode == 0 || type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
            return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        const uint16_t state = press->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
        if (press->detail != m_keycode || state != m_modifiers)
            return false;
        emit m_owner.activated();
        return true;
    }

    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_keycode_t m_keycode = 0;
    uint16_t m_modifiers = 0;

private:
    CGlobalHotkey& m_owner;
};

CGlobalHotkey::CGlobalHotkey(QObject* parent) : QObject(parent), m_impl(new Impl(*this))
{
    // On another platform of Qt's (offscreen, Wayland) there is no X connection: nothing to grab.
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection()) {
        m_impl->connection = x11->connection();
        m_impl->root = xcb_setup_roots_iterator(xcb_get_setup(m_impl->connection)).data->root;
        qApp->installNativeEventFilter(m_impl);
    }
}

CGlobalHotkey::~CGlobalHotkey()
{
    Unregister();
    if (m_impl->connection)
        qApp->removeNativeEventFilter(m_impl);
    delete m_impl;
}

CGlobalHotkey::Result CGlobalHotkey::Register(const QKeySequence& key)
{
    Unregister();
    if (!m_impl->connection)
        return Result::Unsupported;
    if (key.count() != 1)
        return Result::Unsupported;
    const QKeyCombination combination = key[0];
    const std::optional<xcb_keysym_t> keysym = keysymOf(combination.key());
    const std::optional<xcb_keycode_t> keycode = keysym ? keycodeOf(m_impl->connection, *keysym) : std::nullopt;
    if (!keycode)
        return Result::Unsupported;
    const uint16_t modifiers = modifiersOf(combination.keyboardModifiers());
    // Grabbed with every lock state; a grab that another client holds fails with BadAccess.
    bool taken = false;
    for (const uint16_t locks : kLockStates) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(m_impl->connection, 1, m_impl->root, static_cast<uint16_t>(modifiers | locks),
                                 *keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(m_impl->connection, cookie)) {
            taken = true;
            std::free(error);
        }
    }
    m_impl->m_keycode = *keycode;
    m_impl->m_modifiers = modifiers;
    if (taken) {
        Unregister();
        return Result::Taken;
    }
    return Result::Registered;
}

void CGlobalHotkey::Unregister()
{
    if (!m_impl->connection || m_impl->m_keycode == 0)
        return;
    for (const uint16_t locks : kLockStates)
        xcb_ungrab_key(m_impl->connection, m_impl->m_keycode, m_impl->root,
                       static_cast<uint16_t>(m_impl->m_modifiers | locks));
    xcb_flush(m_impl->connection);
    m_impl->m_keycode = 0;
}

}  // namespace zandrel
